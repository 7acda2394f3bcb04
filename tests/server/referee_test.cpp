// SPDX-License-Identifier: GPL-3.0-or-later
// The referee of a server open to strangers, over a fake transport.
#include <gtest/gtest.h>

#include "fake_transport.h"

namespace rabuscal::server::testing {
namespace {

// Ana (1) draws; Bia (2) guesses; connection 3 never joined.
class Referee : public ::testing::Test, public ServerFixture {
  protected:
    Referee() : ServerFixture({.referee = true}) {}
    void SetUp() override {
        server.setClock([this] { return now; });
        anaDrawsWith({"Bia"});
        EXPECT_FALSE(passes(3, "mdv", "Zeca")) << "a connection that has not joined";
        EXPECT_EQ(events.refusals, (std::vector<std::pair<ConnectionId, std::string>>{{3, "mdv"}}));
        events.refusals.clear();
    }
    bool passes(ConnectionId from, std::string_view command, std::string_view payload = {}) {
        say(from, command, payload);
        return !transport.take().empty();
    }

    std::chrono::steady_clock::time_point now{std::chrono::seconds(1000)};
};

TEST_F(Referee, OnlyTheDrawerDrawsStartsClearsSetsPointsAndHandsOver) {
    for (const char* command : {"ini", "cls", "mdw", "mov", "mup", "blc", "pts", "mdv"}) {
        const std::string payload = command == std::string("mdv") ? "Bia" : "0";
        EXPECT_FALSE(passes(2, command, payload)) << command;
        EXPECT_FALSE(passes(3, command, payload)) << command;
    }
    EXPECT_EQ(events.refusals.size(), 16u);
    EXPECT_TRUE(passes(1, "ini", "gato"));
    EXPECT_TRUE(passes(1, "mdw", "1|1"));
    EXPECT_TRUE(passes(1, "pts", "99"));
    // The drawer only lowers the points: a stroke that ends after a miss does
    // not undo it, and one that ends after a hit does not restart the round.
    EXPECT_FALSE(passes(1, "pts", "100"));
    EXPECT_EQ(server.pointsAtStake(), 99);
    EXPECT_TRUE(passes(2, "tnt", "gato"));
    EXPECT_EQ(DrawerNick, "Bia");
    EXPECT_FALSE(passes(1, "pts", "97"));
    EXPECT_FALSE(passes(1, "cls"));
    EXPECT_EQ(server.pointsAtStake(), 0);
    // A hand-over goes to a joined player only.
    EXPECT_FALSE(passes(2, "mdv", "Zeca"));
    EXPECT_TRUE(passes(2, "mdv", "Ana"));
    EXPECT_EQ(DrawerNick, "Ana");
    // The first to join a game nobody draws in draws (the lobby's side: HonestRound).
    say(2, "off");
    say(1, "off");
    say(3, "slc", "Caio");
    EXPECT_EQ(DrawerNick, "Caio");
}

TEST_F(Referee, GuessesAndChatComeFromJoinedPlayersInTheirOwnNameAFewASecond) {
    say(1, "ini", "gato");
    transport.take();
    EXPECT_FALSE(passes(3, "tnt", "x"));
    EXPECT_FALSE(passes(1, "tnt", "gato")) << "the drawer may not guess";
    EXPECT_FALSE(passes(3, "msg", "Zeca falou: oi"));
    EXPECT_FALSE(passes(2, "msg", "Ana falou: sou a Ana"));
    EXPECT_FALSE(passes(2, "msg", "Bia: oi"));
    EXPECT_TRUE(passes(2, "msg", "Bia falou: oi: tudo?"));

    int guesses = 0;
    while (passes(2, "tnt", "rato") && guesses < 100) ++guesses;
    EXPECT_GE(guesses, 3);
    EXPECT_LE(guesses, 10);
    EXPECT_EQ(server.pointsAtStake(), 100 - 10 * guesses);
    now += std::chrono::seconds(1);
    EXPECT_TRUE(passes(2, "tnt", "rato"));
    EXPECT_TRUE(passes(2, "msg", "Bia falou: ops"));

    // Lines typed while the server did not read arrive together; they count
    // as typed over the wait, so none is refused, and the burst is back to its
    // cap for what follows.
    now += std::chrono::seconds(10);
    const auto waited = now;
    now += std::chrono::seconds(5);
    events.refusals.clear();
    std::string lines;
    for (int i = 0; i < 20; ++i) lines += "$-$msg:Bia falou: " + std::to_string(i);
    server.dataReceived(2, lines, waited);
    server.flushTail(2);
    EXPECT_EQ(transport.take().size(), 20u * 3);
    EXPECT_TRUE(events.refusals.empty());
    now += std::chrono::seconds(10);
    int burst = 0;
    while (passes(2, "msg", "Bia falou: again") && burst < 100) ++burst;
    EXPECT_LE(burst, 10);

    EXPECT_FALSE(passes(3, "off")) << "refused, so not even answered";
}

TEST_F(Referee, NicksThatForgeOrSpoilAreRefusedWithANotice) {
    const std::string notice = "$-$sys:> Esse nick n\xe3o pode ser usado.";
    for (const std::string& nick :
         {std::string(), std::string("x|xxxx FAKEDRAWER"), std::string("a\rb"), std::string("a\nb"),
          std::string("bel\a"), std::string("del\x7f"), std::string("nul\0", 4),
          std::string("ana falou: a resposta"), std::string("ev$"), std::string("ev$-")}) {
        say(3, "slc", nick);
        EXPECT_EQ(transport.take(), (std::vector<Sent>{{3, notice}})) << nick;
        EXPECT_EQ(server.player(3), nullptr) << nick;
    }
    EXPECT_EQ(events.refusals.size(), 10u);
    EXPECT_TRUE(passes(3, "slc", "Zé $x-falou:"));  // none of the above
    EXPECT_NE(server.player(3), nullptr);
}

TEST_F(Referee, PointsStayWithinZeroAndTheStakeAndGuessesCountOnlyInARound) {
    EXPECT_FALSE(passes(2, "tnt", "")) << "before the first round";
    EXPECT_FALSE(passes(1, "pts", "-2147483648"));
    EXPECT_TRUE(passes(1, "ini", "gato"));
    EXPECT_FALSE(passes(1, "pts", "-1"));
    EXPECT_TRUE(passes(1, "pts", "1"));
    EXPECT_TRUE(passes(2, "tnt", "GATO"));
    EXPECT_EQ(server.player(2)->total, 1);
    EXPECT_FALSE(server.roundRunning());
    EXPECT_FALSE(passes(1, "tnt", "gato")) << "the round is over";
    // The drawer ends a round with "pts:0": guesses stop counting.
    EXPECT_TRUE(passes(2, "ini", "sol"));
    EXPECT_TRUE(passes(2, "pts", "0"));
    EXPECT_FALSE(passes(1, "tnt", "sol"));
    EXPECT_EQ(server.player(1)->total, 0);
}

TEST_F(Referee, ChatHoldingThePhraseIsJudgedAsAGuess) {
    say(1, "ini", "gato");
    transport.take();
    EXPECT_FALSE(passes(1, "msg", "Ana falou: desenho um GATO")) << "the drawer's is dropped";
    say(2, "msg", "Bia falou: um gatOO?");
    const auto sent = transport.take();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent[0], (Sent{1, "$-$avs:Bia tentou \"um gatOO?\" e... ACERTOU !"}));
    for (const Sent& s : sent) EXPECT_FALSE(s.bytes.starts_with("$-$msg:")) << s.bytes;
    EXPECT_EQ(server.player(2)->total, 100);
    // Outside a round the word is only chat.
    EXPECT_TRUE(passes(1, "msg", "Ana falou: era gato"));
}

}  // namespace
}  // namespace rabuscal::server::testing
