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

using Messages = std::vector<Message>;

TEST(SplitChunk, EveryHeaderIsTakenAtFaceValue) {
    struct Case {
        std::string_view chunk, separator;
        Messages messages;
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

TEST(ChunkReader, HoldsTheLastMessageOfAReadUntilTheNextReadOrAFlush) {
    ChunkReader reader(kGameSeparator);
    const std::string chat = "A falou: " + std::string(600, 'a');  // a read no segment holds
    EXPECT_EQ(reader.feed("$-$cls:$-$msg:" + chat + "$-$pts:100"),
              (Messages{{"cls", ""}, {"msg", chat}}));
    EXPECT_TRUE(reader.holding());
    EXPECT_EQ(reader.pending(), 10u);
    // Cut in the payload, in the header, in the separator: all reassembled.
    EXPECT_EQ(reader.feed("$-$mov:30"), (Messages{{"pts", "100"}}));
    EXPECT_EQ(reader.feed("0|2$-$mo"), (Messages{{"mov", "300|2"}}));
    EXPECT_EQ(reader.feed("v:3|4$"), (Messages{}));
    EXPECT_EQ(reader.feed("-"), (Messages{}));
    EXPECT_EQ(reader.feed("$mup:3|4"), (Messages{{"mov", "3|4"}}));
    // Quiet: the held tail is taken as whole, once.
    EXPECT_EQ(reader.flush(), (Messages{{"mup", "3|4"}}));
    EXPECT_FALSE(reader.holding());
    EXPECT_EQ(reader.flush(), (Messages{}));
    // After a short read holding a tail, a read that starts a message ends the
    // held one and is a lone stroke of its own.
    EXPECT_EQ(reader.feed("$-$mov:1|2$-$mov:3|4"), (Messages{{"mov", "1|2"}}));
    EXPECT_EQ(reader.feed("$-$mov:5|6"), (Messages{{"mov", "3|4"}, {"mov", "5|6"}}));
    EXPECT_FALSE(reader.holding());

    // A bare header is delivered once the next message starts; a leftover
    // shorter than a header (a name holding the separator) is dropped.
    EXPECT_EQ(reader.feed("$-$mdw:1|2$-$cls"), (Messages{{"mdw", "1|2"}}));
    EXPECT_EQ(reader.feed("$-$mdw:1|2"), (Messages{{"cls", ""}, {"mdw", "1|2"}}));
    ChunkReader directory(kDirectorySeparator);
    EXPECT_EQ(directory.feed("j#gatv:rabuscal|aj#gb"), (Messages{{"atv", "rabuscal|a"}}));
    EXPECT_EQ(directory.feed("j#gjgs:rabuscal"), (Messages{{"jgs", "rabuscal"}}));
}

TEST(ChunkReader, LoneShortReadIsDeliveredAtOnce) {
    ChunkReader reader(kGameSeparator);
    EXPECT_EQ(reader.feed("$-$mov:12|3"), (Messages{{"mov", "12|3"}}));
    EXPECT_FALSE(reader.holding());
    // Not at once: a read ending in a part of the separator, a long read.
    EXPECT_EQ(reader.feed("$-$pts:5$-"), (Messages{}));
    EXPECT_EQ(reader.feed("$cls:"), (Messages{{"pts", "5"}}));
    EXPECT_EQ(reader.flush(), (Messages{{"cls", ""}}));
    const std::string chat = "$-$msg:" + std::string(ChunkReader::kShortReadBytes, 'a');
    EXPECT_EQ(reader.feed(chat), (Messages{}));
    EXPECT_EQ(reader.flush().at(0).payload.size(), ChunkReader::kShortReadBytes);

    // After a quiet flush took a cut message as whole, its rest is skipped,
    // and a separator cut by the flush is still reassembled.
    EXPECT_EQ(reader.feed("$-$msg:a$-"), (Messages{}));
    EXPECT_EQ(reader.flush(), (Messages{{"msg", "a$-"}}));
    EXPECT_EQ(reader.feed("$cls:"), (Messages{}));
    EXPECT_EQ(reader.flush(), (Messages{{"cls", ""}}));
    EXPECT_EQ(reader.feed("$-$msg:a falou: oi"), (Messages{{"msg", "a falou: oi"}}));
    EXPECT_EQ(reader.feed("!!$"), (Messages{}));
    EXPECT_EQ(reader.feed("-$cls:"), (Messages{}));
    EXPECT_EQ(reader.flush(), (Messages{{"cls", ""}}));
}

// Every message kind, cut at every position, behind another message (as in a
// burst) and, for a message longer than one segment, alone once its first
// segment (more than a short read) has come.
TEST(ChunkReader, EveryMessageCutAtEveryPositionIsReadWhole) {
    const std::string lst = [] {
        std::string entries;
        for (int i = 0; i < 40; ++i) entries += "  10 jogador" + std::to_string(i) + "|";
        return entries;
    }();
    std::string blc = "100|50|";
    for (int i = 0; i < 25; ++i) blc += (i % 2 ? "16777215|" : "0|");
    blc += "0";
    const std::vector<std::string> messages = {
        compose(Command::Slc, "ana"),
        compose(Command::Off, "ana"),
        compose(Command::Onj),
        compose(Command::Sys, "> Valendo..."),
        compose(Command::Mdv, "bia"),
        compose(Command::Lst, lst),
        compose(Command::Ini, "casa"),
        compose(Command::Cls),
        compose(Command::Tnt, "casa"),
        compose(Command::Avs, "bia tentou casa"),
        compose(Command::Pts, "100"),
        compose(Command::Msg, "ana falou: oi: $"),
        compose(Command::Mdw, "300|200"),
        compose(Command::Mov, "-3|264"),
        compose(Command::Mup, "12|3"),
        compose(Command::Blc, blc),
        composeWith(kDirectorySeparator, "lsg", "sala|1.2.3.4^")};
    for (const std::string& m : messages) {
        const std::string_view separator =
            m.starts_with(kGameSeparator) ? kGameSeparator : kDirectorySeparator;
        const std::string before = composeWith(separator, "mov", "1|2");
        const std::string after = composeWith(separator, "cls", "");
        std::vector<std::pair<std::string, std::size_t>> streams = {
            {before + m + after, before.size()}};
        if (m.size() > ChunkReader::kShortReadBytes)
            streams.emplace_back(m + after, ChunkReader::kShortReadBytes + 1);
        for (const auto& [stream, firstCut] : streams) {
            const Messages whole = splitChunk(stream, separator);
            for (std::size_t cut = firstCut; cut < stream.size(); ++cut) {
                ChunkReader reader(separator);
                Messages got = reader.feed(std::string_view(stream).substr(0, cut));
                for (auto& r : reader.feed(std::string_view(stream).substr(cut))) got.push_back(r);
                for (auto& r : reader.flush()) got.push_back(r);
                ASSERT_EQ(got, whole) << stream << " cut at " << cut;
            }
        }
    }
}

TEST(ChunkReader, WhatIsHeldIsBounded) {
    // A tail longer than the bound is taken as whole; its rest is skipped.
    ChunkReader reader(kGameSeparator, 64);
    EXPECT_EQ(reader.feed("$-$cls:$-$msg:" + std::string(40, 'a')), (Messages{{"cls", ""}}));
    const Messages cut = reader.feed(std::string(40, 'b'));
    ASSERT_EQ(cut.size(), 1u);
    EXPECT_EQ(cut[0].payload, std::string(40, 'a') + std::string(40, 'b'));
    EXPECT_EQ(reader.pending(), 0u);
    EXPECT_EQ(reader.feed("bbb$-$mov:1|2"), (Messages{}));
    EXPECT_EQ(reader.flush(), (Messages{{"mov", "1|2"}}));

    // An abandoned read keeps nothing for the next.
    reader.feed("$-$pts:x$-$pts:1$-$pt", [](auto, std::string_view p) { return p != "x"; });
    EXPECT_EQ(reader.pending(), 0u);
    EXPECT_EQ(reader.feed("s:2$-$cls:"), (Messages{}));
    EXPECT_EQ(reader.flush(), (Messages{{"cls", ""}}));
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
