// SPDX-License-Identifier: GPL-3.0-or-later
// Rounds, guesses and points, over a fake transport.
#include <gtest/gtest.h>

#include <limits>

#include "fake_transport.h"

namespace rabuscal::server::testing {
namespace {

using V = std::vector<Sent>;
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

// Ana (1) draws; Bia (2) guesses; connection 3 never joined.
class Rounds : public ::testing::Test, public ServerFixture {
  protected:
    void SetUp() override { anaDrawsWith({"Bia"}); }
    static V all(std::string bytes) { return toAll({1, 2, 3}, std::move(bytes)); }
    bool hits(ConnectionId who, std::string_view guess) {
        say(who, "tnt", guess);
        const auto sent = transport.take();
        return !sent.empty() && sent.front().bytes.ends_with("ACERTOU !");
    }
};

TEST_F(Rounds, GuessMatchesWhateverTheCaseOfPlainLettersOnly) {
    say(1, "ini", "gato");
    transport.take();
    EXPECT_TRUE(hits(2, "Gato"));
    EXPECT_TRUE(hits(2, "GATO"));
    EXPECT_FALSE(hits(2, "gato "));
    // "ação": only the plain letters change case; the accented ones must match as typed.
    say(1, "ini", "a\xe7\xe3o");
    transport.take();
    EXPECT_EQ(server.phrase(), "A\xe7\xe3O");
    EXPECT_FALSE(hits(2, "A\xc7\xc3O"));
    EXPECT_TRUE(hits(2, "A\xe7\xe3o"));
}

TEST_F(Rounds, StartingClearsBoardsAndPutsAHundredAtStakeAndEachMissCostsTenDownToZero) {
    say(1, "ini", "Gato preto");
    EXPECT_EQ(transport.take(),
              cat({all("$-$cls:"), all("$-$pts:100"), all("$-$sys:> Valendo...")}));
    EXPECT_EQ(server.phrase(), "GATO PRETO");
    EXPECT_EQ(server.pointsAtStake(), 100);
    for (int expected : {90, 80, 70, 60, 50, 40, 30, 20, 10, 0, 0}) {
        say(2, "tnt", "rato");
        EXPECT_EQ(transport.take(), cat({all("$-$avs:Bia tentou \"rato\" e...  eerrroooouuuuu..."),
                                         all("$-$pts:" + std::to_string(expected))}));
    }
    say(1, "pts", "5");
    say(2, "tnt", "rato");
    EXPECT_EQ(transport.take().back(), (Sent{3, "$-$pts:0"}));
}

// The hit itself, on the wire: HonestRound. The phrase stays after it: guessing
// it again is a hit worth the 0 points at stake, and the drawer is chosen again.
TEST_F(Rounds, GuessingThePhraseAgainAfterAHitIsAHitWorthNothing) {
    say(1, "ini", "gato");
    say(2, "tnt", "rato");
    say(2, "tnt", "gato");
    transport.take();
    EXPECT_EQ(server.player(2)->total, 90);
    say(1, "tnt", "GATO");
    EXPECT_EQ(transport.take(),
              cat({all("$-$avs:Ana tentou \"GATO\" e... ACERTOU !"), all("$-$pts:0"),
                   all("$-$mdv:Bia"), all("$-$lst:   0 Ana|xxxx Bia|")}));
    EXPECT_EQ(server.player(1)->total, 0);
}

TEST_F(Rounds, NextDrawerIsTheBestTotalAfterTheHit) {
    for (auto [stake, drawer] : {std::pair{"70", "Bia"}, std::pair{"50", "Ana"}}) {
        ServerFixture f;
        f.accept({1, 2});
        f.say(1, "slc", "Ana");
        f.say(2, "slc", "Bia");
        f.win(1, "100");
        f.win(2, "40");
        f.say(1, "ini", "sol");
        f.say(1, "pts", stake);
        f.say(2, "tnt", "sol");
        EXPECT_EQ(f.DrawerNick, drawer) << "Bia hits at " << stake;
    }
}

TEST_F(Rounds, HandingOverTakesAnyNick) {
    say(1, "mdv", "Bia");
    EXPECT_EQ(transport.take(), cat({all("$-$mdv:Bia"), all("$-$lst:   0 Ana|xxxx Bia|")}));
    say(2, "mdv", "Ninguem");
    EXPECT_EQ(transport.take(), cat({all("$-$mdv:Ninguem"), all("$-$lst:   0 Ana|   0 Bia|")}));
    EXPECT_EQ(DrawerNick, "Ninguem");
}

TEST_F(Rounds, PointsAreRelayedAsWrittenAndOnesThatAreNotANumberDropTheRestOfTheChunk) {
    say(1, "pts", "007");
    EXPECT_EQ(transport.take(), all("$-$pts:007"));
    EXPECT_EQ(server.pointsAtStake(), 7);
    for (std::string bad :
         {"abc", "", "12x", "2147483648", "-2147483649", "99999999999999999999"}) {
        say(1, "pts", "40");
        transport.take();
        feed(1, "$-$cls:$-$pts:" + bad + "$-$cls:");
        EXPECT_EQ(transport.take(), all("$-$cls:")) << bad;  // the first cls only
        EXPECT_EQ(server.pointsAtStake(), 40) << bad;
        ASSERT_FALSE(events.errors.empty());
        EXPECT_EQ(events.errors.back().first, 1u);
    }
    EXPECT_EQ(events.errors.size(), 6u);
    // The connection carries on.
    say(1, "pts", "-2147483648");
    EXPECT_EQ(server.pointsAtStake(), kMin);
    EXPECT_TRUE(server.hasConnection(1));
}

TEST_F(Rounds, BeforeAnyRoundOnlyAnEmptyGuessHitsAndUnjoinedGuessesAreIgnored) {
    EXPECT_FALSE(hits(2, "x"));
    EXPECT_TRUE(hits(2, ""));
    say(1, "ini", "gato");
    transport.take();
    say(3, "tnt", "gato");
    EXPECT_TRUE(transport.take().empty());
    EXPECT_EQ(server.pointsAtStake(), 100);
}

TEST_F(Rounds, NegativeTotalsStillGiveADrawer) {
    win(1, "-50");
    win(2, "-20");
    EXPECT_EQ(DrawerNick, "Bia");  // -20 is the best, not "nobody"
    say(2, "off");
    EXPECT_EQ(DrawerNick, "Ana");
}

TEST_F(Rounds, TotalsAndPointsStopAtThe32BitLimits) {
    win(2, std::to_string(kMax));
    win(2, "1");
    EXPECT_EQ(server.player(2)->total, kMax);
    win(1, std::to_string(kMin));
    win(1, std::to_string(kMin));
    EXPECT_EQ(server.player(1)->total, kMin);
    say(1, "pts", std::to_string(kMin));
    say(2, "tnt", "miss");
    EXPECT_EQ(server.pointsAtStake(), 0);
    say(1, "mdv", "x");
    transport.take();
    say(1, "mdv", "x");
    EXPECT_EQ(transport.take().back().bytes, "$-$lst:3648 Ana|3647 Bia|");
}

}  // namespace
}  // namespace rabuscal::server::testing
