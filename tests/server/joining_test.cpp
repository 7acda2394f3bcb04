// SPDX-License-Identifier: GPL-3.0-or-later
// Joining, leaving, closing and relaying, over a fake transport.
#include <gtest/gtest.h>

#include "fake_transport.h"

namespace rabuscal::server::testing {
namespace {

using V = std::vector<Sent>;

class Joining : public ::testing::Test, public ServerFixture {};

TEST_F(Joining, JoiningBesideOtherConnectionsDoesNotMakeADrawer) {
    accept({1, 2});
    say(1, "slc", "Ana");
    EXPECT_EQ(transport.take(), cat({{{1, "$-$onj:"}}, toAll({1, 2}, "$-$lst:   0 Ana|")}));
    EXPECT_EQ(DrawerNick, "");
    say(2, "slc", "Bia");
    EXPECT_EQ(transport.take(),
              cat({{{2, "$-$onj:"}}, toAll({1, 2}, "$-$lst:   0 Ana|   0 Bia|")}));
    // With nobody drawing, any leave hands the role to the best player left.
    say(1, "off");
    EXPECT_EQ(transport.take(),
              cat({{{1, "$-$off:"}}, toAll({1, 2}, "$-$mdv:Bia", "$-$pts:0", "$-$lst:xxxx Bia|")}));
}

TEST_F(Joining, LateJoinerGetsTheDrawerThePointsAndTheBoardOfTheRoundSoFar) {
    accept({1});
    say(1, "slc", "Ana");
    accept({2, 3, 4});
    say(1, "mdw", "0|0");
    say(1, "ini", "gato");
    say(1, "mdw", "1|2");
    say(1, "msg", "Ana falou: oi");
    feed(1, "$-$mov:3|4$-$mup:3|4$-$blc:1|1|0$-$pts:97");
    transport.take();
    say(2, "slc", "Bia");
    EXPECT_EQ(transport.take(), cat({{{2, "$-$onj:"},
                                      {2, "$-$mdv:Ana"},
                                      {2, "$-$pts:97"},
                                      {2, "$-$cls:$-$mdw:1|2$-$mov:3|4$-$blc:1|1|0"}},
                                     toAll({1, 2, 3, 4}, "$-$lst:xxxx Ana|   0 Bia|")}));

    // The kept drawing stops at its cap: a later joiner sees it as it stood then.
    say(1, "cls");
    const std::string block = "$-$blc:" + std::string(kKeptDrawingCap / 3, '7');
    for (int i = 0; i < 4; ++i) server.dataReceived(1, block);
    EXPECT_EQ(server.keptDrawing(), "$-$cls:" + block + block);

    // It ends with its round: a hit, the drawer's "pts:0", the drawer leaving.
    const auto joinerSeesNoBoard = [&](ConnectionId id, const char* nick) {
        transport.take();
        say(id, "slc", nick);
        for (const Sent& s : transport.take())
            EXPECT_EQ(s.bytes.find("$-$mdw:"), std::string::npos);
        say(id, "off");
    };
    say(2, "tnt", "gato");
    joinerSeesNoBoard(3, "Caio");
    say(2, "ini", "rato");
    say(2, "mov", "1|1");
    say(2, "pts", "0");
    EXPECT_EQ(server.keptDrawing(), "");
    say(2, "ini", "rato");
    say(2, "mov", "1|1");
    say(2, "off");
    EXPECT_EQ(server.keptDrawing(), "");
    // Nor is a drawing left to the first player of an emptied server.
    say(1, "mdv", "Zeca");
    say(1, "ini", "sol");
    say(1, "mov", "1|1");
    say(1, "off");
    EXPECT_EQ(DrawerNick, "Zeca");
    EXPECT_EQ(server.keptDrawing(), "");
}

TEST(BatchedLists, JoinsAndLeavesOfOnePassShareOneListThatFollowsEveryOnj) {
    ServerFixture f({.batchPlayerLists = true});
    f.accept({1, 2, 3});
    f.say(1, "slc", "Ana");
    f.say(2, "slc", "Bia");
    f.feed(3, "$-$slc:Caio$-$off:");
    f.server.connectionClosed(2);
    EXPECT_EQ(f.transport.take(), (V{{1, "$-$onj:"},
                                     {2, "$-$onj:"},
                                     {3, "$-$onj:"},
                                     {3, "$-$off:"},
                                     {1, "$-$mdv:Ana"},
                                     {2, "$-$mdv:Ana"},
                                     {3, "$-$mdv:Ana"},
                                     {1, "$-$pts:0"},
                                     {2, "$-$pts:0"},
                                     {3, "$-$pts:0"}}));
    f.server.flushPlayerList();
    f.server.flushPlayerList();
    EXPECT_EQ(f.transport.take(), (V{{1, "$-$lst:xxxx Ana|"}, {3, "$-$lst:xxxx Ana|"}}));
}

// A taken or too long nick is refused to the asker only; anything else is taken as typed.
TEST_F(Joining, NicksTakenOrTooLongAreRefusedAndAJoinedOneCannotJoinAgain) {
    accept({1, 2});
    say(1, "slc", "Ana");
    transport.take();
    say(2, "slc", "Ana");
    EXPECT_EQ(transport.take(), (V{{2, "$-$sys:> Esse nick j\xe1 existe."}}));
    say(2, "slc", std::string(kMaxNickBytes + 1, 'a'));
    EXPECT_EQ(transport.take(), (V{{2, "$-$sys:> Esse nick \xe9 comprido demais."}}));
    EXPECT_EQ(server.player(2), nullptr);
    say(1, "slc", "Outra");
    EXPECT_TRUE(transport.take().empty());
    EXPECT_EQ(server.player(1)->nick, "Ana");
    // Nicks are compared exactly: another letter case is another nick.
    say(2, "slc", "ana");
    EXPECT_EQ(transport.take(),
              cat({{{2, "$-$onj:"}}, toAll({1, 2}, "$-$lst:   0 Ana|   0 ana|")}));

    accept({3, 4, 5});
    say(3, "slc", "");
    say(4, "slc", "a|b");
    // With no drawer, the empty nick matches the empty drawer and is marked.
    EXPECT_EQ(transport.take().back(), (Sent{5, "$-$lst:   0 Ana|   0 ana|xxxx |   0 a|b|"}));
    say(5, "slc", std::string(kMaxNickBytes, 'a'));
    EXPECT_NE(server.player(5), nullptr);
}

class Leaving : public ::testing::Test, public ServerFixture {
  protected:
    // Ana (connection 1) is the drawer; Bia (2) and Caio (3) joined later.
    void SetUp() override { anaDrawsWith({"Bia", "Caio"}); }
};

TEST_F(Leaving, OthersLeavingOnlyUpdateTheListAndTheLastOneEmptiesIt) {
    say(2, "off", "Bia");
    EXPECT_EQ(transport.take(),
              cat({{{2, "$-$off:"}}, toAll({1, 2, 3}, "$-$lst:xxxx Ana|   0 Caio|")}));
    EXPECT_EQ(DrawerNick, "Ana");
    say(3, "off");
    transport.take();
    say(1, "off");
    EXPECT_EQ(transport.take(),
              cat({{{1, "$-$off:"}}, toAll({1, 2, 3}, "$-$mdv:", "$-$pts:0", "$-$lst:")}));
    EXPECT_EQ(DrawerNick, "");
}

TEST_F(Leaving, DrawerLeavingHandsTheRoleToTheBestTotal) {
    win(2, "30");
    win(3, "50");
    say(1, "mdv", "Ana");
    transport.take();
    say(1, "off", "Ana");
    EXPECT_EQ(transport.take(),
              cat({{{1, "$-$off:"}},
                   toAll({1, 2, 3}, "$-$mdv:Caio", "$-$pts:0", "$-$lst:  30 Bia|xxxx Caio|")}));
    EXPECT_EQ(DrawerNick, "Caio");
    EXPECT_EQ(server.pointsAtStake(), 0);
}

TEST_F(Leaving, TieGoesToTheEarliestConnection) {
    win(3, "30");
    win(2, "30");
    say(1, "mdv", "Ana");
    say(1, "off");
    EXPECT_EQ(DrawerNick, "Bia");
}

TEST_F(Leaving, ClosingIsLeavingWithoutTheAnswerAndAnUnjoinedConnectionOnlyGetsTheAnswer) {
    accept({4, 5});
    say(4, "off", "x");
    EXPECT_EQ(transport.take(), (V{{4, "$-$off:"}}));
    server.connectionClosed(5);
    EXPECT_TRUE(transport.take().empty());
    EXPECT_EQ(server.connectionCount(), 4u);

    server.connectionClosed(1);
    // The closing connection hears nothing; the count drops after the handling.
    EXPECT_EQ(transport.take(),
              toAll({2, 3, 4}, "$-$mdv:Bia", "$-$pts:0", "$-$lst:xxxx Bia|   0 Caio|"));
    EXPECT_EQ(server.connectionCount(), 3u);
    EXPECT_EQ(events.counts.back(), 3u);
    server.connectionClosed(1);  // a second report of the same close changes nothing
    EXPECT_TRUE(transport.take().empty());
    EXPECT_EQ(events.closed, (std::vector<ConnectionId>{5, 1}));
}

class Relaying : public ::testing::Test, public ServerFixture {};

// Strokes and chat from any connection reach everyone unchanged, in order,
// wherever chunks cut them; the operator hears of the first chunk once per listening.
TEST_F(Relaying, MessagesReachEveryoneWholeAndInOrderWhereverChunksCutThem) {
    accept({1, 2});
    for (const char* m : {"$-$msg:Ana falou: oi: tudo?", "$-$mdw:10|20", "$-$mov:-5|300",
                          "$-$mup:1|2", "$-$cls:", "$-$blc:1|2|3|0"}) {
        server.dataReceived(2, m);  // connection 2 never joined
        EXPECT_EQ(transport.take(), toAll({1, 2}, m)) << m;
    }
    // The relay writes the colon whatever stood there.
    feed(2, "$-$mdw:1|1$-$xyz:nothing$-$mov:2|2$-$onj:$-$mup:3|3$-$msg-oi");
    EXPECT_EQ(transport.take(),
              toAll({1, 2}, "$-$mdw:1|1", "$-$mov:2|2", "$-$mup:3|3", "$-$msg:oi"));
    // Cut in its header, then in its payload: the rest completes it.
    server.dataReceived(1, "$-$mov:1|1$-$mo");
    server.dataReceived(1, "v:2|2$-$mov:3|3");
    server.dataReceived(1, "3$-$mov:4|4");
    // Each connection holds its own tail; a quiet stream ends it.
    server.dataReceived(1, "$-$ms");
    server.dataReceived(2, "$-$cls:");
    server.dataReceived(1, "g:oi");
    server.flushTail(1);
    EXPECT_EQ(transport.take(), toAll({1, 2}, "$-$mov:1|1", "$-$mov:2|2", "$-$mov:3|33",
                                      "$-$mov:4|4", "$-$cls:", "$-$msg:oi"));
    EXPECT_EQ(events.firstChunks, 1);
    server.stopAll();
    accept({3});
    say(3, "cls");
    EXPECT_EQ(events.firstChunks, 2);
}

}  // namespace
}  // namespace rabuscal::server::testing
