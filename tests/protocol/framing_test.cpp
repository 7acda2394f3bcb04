// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/framing.h"

#include <gtest/gtest.h>

#include "protocol/windows1252.h"

using namespace rabuscal::protocol;

namespace rabuscal::protocol {
void PrintTo(const Message& m, std::ostream* os) {
    *os << "(" << m.command << ", " << m.payload << ")";
}
}  // namespace rabuscal::protocol

TEST(SplitChunk, EveryHeaderIsTakenAtFaceValue) {
    struct Case {
        std::string_view chunk, separator;
        std::vector<Message> messages;
    };
    const Case cases[] = {
        {"$-$cls:$-$pts:100$-$sys:> Valendo...",
         kGameSeparator,
         {{"cls", ""}, {"pts", "100"}, {"sys", "> Valendo..."}}},
        {"$-$off:", kGameSeparator, {{"off", ""}}},
        // Shorter than a header: still one message.
        {"", kGameSeparator, {{"", ""}}},
        {"$-$of", kGameSeparator, {{"of", ""}}},
        {"ab", kGameSeparator, {{"", ""}}},
        // The first three characters are taken for a separator whatever they
        // are, and the colon is not looked at: a message cut by the network
        // is misread this way.
        {"7|8$-$mov:1|2", kGameSeparator, {{"$-$", "ov:1|2"}}},
        {"xyzabcXpayload", kGameSeparator, {{"abc", "payload"}}},
        {"$-$msg:ana falou: oi $-$mdv:bia",
         kGameSeparator,
         {{"msg", "ana falou: oi "}, {"mdv", "bia"}}},
        {"j#gsys:ok$-$j#glsg:sala|1.2.3.4^",
         kDirectorySeparator,
         {{"sys", "ok$-$"}, {"lsg", "sala|1.2.3.4^"}}},
    };
    for (const Case& c : cases) EXPECT_EQ(splitChunk(c.chunk, c.separator), c.messages) << c.chunk;
}

TEST(SplitChunk, SinkCanAbandonTheRestOfTheChunk) {
    std::vector<std::string> seen;
    splitChunk("$-$pts:1$-$pts:x$-$pts:3", kGameSeparator, [&](auto, std::string_view p) {
        seen.emplace_back(p);
        return p != "x";
    });
    EXPECT_EQ(seen, (std::vector<std::string>{"1", "x"}));
}

TEST(ChunkReader, MessageCutInsideItsHeaderIsCompletedByTheNextChunk) {
    ChunkReader reader(kGameSeparator);
    EXPECT_EQ(reader.feed("$-$cls:$-$pts:100"),
              (std::vector<Message>{{"cls", ""}, {"pts", "100"}}));
    EXPECT_EQ(reader.pending(), 0u);
    EXPECT_EQ(reader.feed("$-$pts:90$-$mo"), (std::vector<Message>{{"pts", "90"}}));
    EXPECT_EQ(reader.pending(), 5u);
    EXPECT_EQ(reader.feed("v:3|4$-$mup:3|4"),
              (std::vector<Message>{{"mov", "3|4"}, {"mup", "3|4"}}));
    // A lone separator waits too.
    EXPECT_EQ(reader.feed("$-$"), (std::vector<Message>{}));
    EXPECT_EQ(reader.feed("off:"), (std::vector<Message>{{"off", ""}}));
}

TEST(ChunkReader, ShortLeftoverNeverSwallowsTheNextMessage) {
    // A bare message without its colon is delivered once the next one starts.
    ChunkReader game(kGameSeparator);
    EXPECT_EQ(game.feed("$-$cls"), (std::vector<Message>{}));
    EXPECT_EQ(game.feed("$-$mdw:1|2"), (std::vector<Message>{{"cls", ""}, {"mdw", "1|2"}}));
    // A leftover shorter than a header (a name holding the separator) is dropped.
    ChunkReader directory(kDirectorySeparator);
    EXPECT_EQ(directory.feed("j#gatv:rabuscal|aj#gb"),
              (std::vector<Message>{{"atv", "rabuscal|a"}}));
    EXPECT_EQ(directory.feed("j#gjgs:rabuscal"), (std::vector<Message>{{"jgs", "rabuscal"}}));
}

TEST(ChunkReader, MessageCutInItsPayloadLosesOnlyItsOwnTail) {
    ChunkReader reader(kGameSeparator);
    // The last message of a chunk with a complete header is delivered at once.
    EXPECT_EQ(reader.feed("$-$mov:12|3"), (std::vector<Message>{{"mov", "12|3"}}));
    // Its tail opens the next chunk and is skipped, not misread as a message.
    EXPECT_EQ(reader.feed("4$-$mov:5|6"), (std::vector<Message>{{"mov", "5|6"}}));
    // A chunk that is all tail is dropped.
    EXPECT_EQ(reader.feed("tail without separator"), (std::vector<Message>{}));
    EXPECT_EQ(reader.feed("$-$cls:"), (std::vector<Message>{{"cls", ""}}));
}

TEST(ChunkReader, SeparatorCutInTwoIsReassembled) {
    ChunkReader a(kGameSeparator);
    EXPECT_EQ(a.feed("$-$pts:5$"), (std::vector<Message>{{"pts", "5$"}}));
    EXPECT_EQ(a.feed("-$cls:"), (std::vector<Message>{{"cls", ""}}));

    ChunkReader b(kGameSeparator);
    EXPECT_EQ(b.feed("$-$pts:5$-"), (std::vector<Message>{{"pts", "5$-"}}));
    EXPECT_EQ(b.feed("$cls:"), (std::vector<Message>{{"cls", ""}}));

    // A "$" that merely ends a payload does not glue on to an unrelated tail.
    ChunkReader c(kGameSeparator);
    c.feed("$-$msg:a falou: 5$");
    EXPECT_EQ(c.feed("x$-$cls:"), (std::vector<Message>{{"cls", ""}}));
}

TEST(ChunkReader, EveryByteBoundaryLosesAtMostTheCutMessage) {
    const std::string stream = "$-$mdw:1|2$-$mov:30|40$-$blc:1|2|0|0$-$mup:3|4$-$cls:";
    const std::vector<Message> whole = splitChunk(stream, kGameSeparator);
    for (std::size_t cut = 1; cut < stream.size(); ++cut) {
        ChunkReader reader(kGameSeparator);
        std::vector<Message> got = reader.feed(std::string_view(stream).substr(0, cut));
        for (auto& m : reader.feed(std::string_view(stream).substr(cut))) got.push_back(m);
        // Every message after the one that was cut arrives intact.
        std::size_t intact = 0;
        for (const Message& m : whole) {
            if (std::find(got.begin(), got.end(), m) != got.end()) ++intact;
        }
        EXPECT_GE(intact, whole.size() - 1) << "cut at " << cut;
        EXPECT_EQ(got.back(), whole.back()) << "cut at " << cut;
    }
}

TEST(ChunkReader, AbandonedChunkKeepsNothingForTheNext) {
    ChunkReader reader(kGameSeparator);
    reader.feed("$-$pts:x$-$pt", [](auto, std::string_view p) { return p != "x"; });
    EXPECT_EQ(reader.pending(), 0u);
    EXPECT_EQ(reader.feed("$-$cls:"), (std::vector<Message>{{"cls", ""}}));
}

TEST(Compose, WritesSeparatorCommandColonPayload) {
    EXPECT_EQ(compose(Command::Pts, "100"), "$-$pts:100");
    EXPECT_EQ(compose(Command::Cls), "$-$cls:");
    EXPECT_EQ(composeWith(kDirectorySeparator, directory::kList, directory::kGameId),
              "j#gjgs:rabuscal");
    std::string reused = "old bytes";
    composeInto(reused, Command::Avs, "ana tentou", " e...");
    EXPECT_EQ(reused, "$-$avs:ana tentou e...");
}

// Literals written in UTF-8 become the code page's single bytes, its signs
// from 0x80 to 0x9F included.
static_assert("Mão é já"_cp1252 == std::string_view("M\xe3o \xe9 j\xe1"));
static_assert("€‚Ÿ ÿ"_cp1252 == std::string_view("\x80\x82\x9f \xff"));

TEST(DefuseSeparator, TypedTextNeverCarriesASeparator) {
    EXPECT_EQ(defuseSeparator("oi $-$mdv:eu"), "oi $- $mdv:eu");
    EXPECT_EQ(defuseSeparator("$-$-$-$"), "$- $- $- $");
    EXPECT_EQ(defuseSeparator("sem nada"), "sem nada");
    const std::string line = compose(Command::Msg, defuseSeparator("ana falou: $-$mdv:ana"));
    EXPECT_EQ(splitChunk(line, kGameSeparator).size(), 1u);
}

TEST(CommandTable, NamesRoundTripAndUnknownNamesMatchNothing) {
    for (std::size_t i = 0; i < kCommandNames.size(); ++i)
        EXPECT_EQ(commandFromName(kCommandNames[i]), static_cast<Command>(i));
    EXPECT_FALSE(commandFromName("PTS"));
    EXPECT_FALSE(commandFromName("pt"));
}
