// SPDX-License-Identifier: GPL-3.0-or-later
// The real server on a loopback port, spoken to through sockets.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <random>

#include "server/net/tcp_game_server.h"
#include "support/application.h"
#include "support/cutting_relay.h"
#include "support/expectations.h"
#include "support/loopback_peer.h"
#include "support/raw_socket.h"
#include "support/stroke_blocks.h"

namespace rabuscal::server::testing {
namespace {

using namespace rabuscal::support;

class Wire : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { coreApplication(); }
    void SetUp() override { ASSERT_FALSE(server.start(0).has_value()); }
    // Waits for the accept, so that connections are in a known order.
    std::unique_ptr<LoopbackPeer> connectClient() {
        const std::size_t before = server.connectionCount();
        auto client = std::make_unique<LoopbackPeer>(server.port());
        EXPECT_TRUE(waitFor([&] { return server.connectionCount() == before + 1; }));
        return client;
    }
    static void bothReceive(LoopbackPeer& a, LoopbackPeer& b, const std::string& bytes) {
        EXPECT_TRUE(receives(a, bytes));
        EXPECT_TRUE(receives(b, bytes));
    }

    std::string DrawerNick;
    TcpGameServer server{DrawerNick};
};

// Honest copies play the same game whether the server referees or trusts.
class HonestRound : public Wire, public ::testing::WithParamInterface<bool> {};

TEST_P(HonestRound, FromJoinToHitAndLeaving) {
    server.rules().setReferee(GetParam());
    auto ana = connectClient();
    ana->send("$-$slc:Ana");
    EXPECT_TRUE(receives(*ana, "$-$onj:$-$mdv:Ana$-$lst:xxxx Ana|"));

    auto bia = connectClient();
    const auto both = [&](const std::string& bytes) { bothReceive(*ana, *bia, bytes); };
    bia->send("$-$slc:Ana");
    EXPECT_TRUE(receives(*bia, "$-$sys:> Esse nick j\xe1 existe."));
    bia->send("$-$slc:Bia");
    const std::string list = "$-$lst:xxxx Ana|   0 Bia|";
    EXPECT_TRUE(receives(*bia, "$-$onj:$-$mdv:Ana" + list));
    EXPECT_TRUE(receives(*ana, list));

    ana->send("$-$ini:gato");
    both("$-$cls:$-$pts:100$-$sys:> Valendo...");
    for (const char* part : {"$-$mdw:1|2", "$-$mov:3|4", "$-$pts:98", "$-$mup:3|4"}) {
        ana->send(part);  // one message per send, as the game sends them
        EXPECT_TRUE(receives(*ana, part));
    }
    EXPECT_TRUE(receives(*bia, "$-$mdw:1|2$-$mov:3|4$-$pts:98$-$mup:3|4"));

    bia->send("$-$msg:Bia falou: oi: tudo?");
    both("$-$msg:Bia falou: oi: tudo?");
    bia->send("$-$tnt:rato");
    both("$-$avs:Bia tentou \"rato\" e...  eerrroooouuuuu...$-$pts:88");
    bia->send("$-$tnt:Gato");
    both("$-$avs:Bia tentou \"Gato\" e... ACERTOU !$-$pts:0$-$mdv:Bia$-$lst:   0 Ana|xxxx Bia|");

    bia->send("$-$mdv:Ana");
    both("$-$mdv:Ana$-$lst:xxxx Ana|  88 Bia|");

    ana->send("$-$off:Ana");
    EXPECT_TRUE(receives(*ana, "$-$off:$-$mdv:Bia$-$pts:0$-$lst:xxxx Bia|"));
    EXPECT_TRUE(receives(*bia, "$-$mdv:Bia$-$pts:0$-$lst:xxxx Bia|"));

    // Joining again brings back the drawer; the board of a round that ended stays behind.
    ana->send("$-$slc:Ana");
    EXPECT_TRUE(receives(*ana, "$-$onj:$-$mdv:Bia$-$lst:   0 Ana|xxxx Bia|"));
    EXPECT_TRUE(receives(*bia, "$-$lst:   0 Ana|xxxx Bia|"));
    // A closed connection is handled like leaving, without the answer.
    bia->socket().close();
    EXPECT_TRUE(receives(*ana, "$-$mdv:Ana$-$pts:0$-$lst:xxxx Ana|"));
    EXPECT_TRUE(waitFor([&] { return server.connectionCount() == 1; }));
}

// Two lobbies open before anyone joins. The referee makes the first to join
// the drawer; the trusting server keeps its rule (only a lone connection
// draws). In both, a chat line ending in "$-" leaves the next message whole.
TEST_P(HonestRound, FirstToJoinDrawsAndAChatTailLeavesTheNextMessageWhole) {
    const bool referee = GetParam();
    server.rules().setReferee(referee);
    auto ana = connectClient();
    auto bia = connectClient();
    ana->send("$-$slc:Ana");
    const std::string list = referee ? "$-$mdv:Ana$-$lst:xxxx Ana|" : "$-$lst:   0 Ana|";
    EXPECT_TRUE(receives(*ana, "$-$onj:" + list));
    EXPECT_TRUE(receives(*bia, list));
    EXPECT_EQ(DrawerNick, referee ? "Ana" : "");
    bia->send("$-$slc:Bia");
    EXPECT_TRUE(receives(*bia, "$-$onj:" + list + "   0 Bia|"));
    ana->take();

    ana->send("$-$msg:Ana falou: custa 5$-");
    bothReceive(*ana, *bia, "$-$msg:Ana falou: custa 5$- ");
    ana->send("$-$cls:");
    bothReceive(*ana, *bia, "$-$cls:");
}

INSTANTIATE_TEST_SUITE_P(RefereeOnAndOff, HonestRound, ::testing::Bool());

TEST_F(Wire, SwitchingOffDropsEveryoneSilentlyAndTheRoundSurvives) {
    auto ana = connectClient();
    ana->send("$-$slc:Ana$-$ini:sol");
    // The last message of a read might go on: it is taken as whole once the
    // stream is quiet, after the list that the join brought.
    EXPECT_TRUE(receives(*ana,
                         "$-$onj:$-$mdv:Ana$-$lst:xxxx Ana|"
                         "$-$cls:$-$pts:100$-$sys:> Valendo..."));
    auto bia = connectClient();

    server.stop();
    EXPECT_FALSE(server.isListening());
    EXPECT_EQ(DrawerNick, "Ana") << "the round survives with its drawer";
    EXPECT_TRUE(waitFor([&] { return !ana->isConnected() && !bia->isConnected(); }));
    EXPECT_EQ(ana->take(), "");
    EXPECT_EQ(bia->take(), "");

    ASSERT_FALSE(server.start(0).has_value());
    auto caio = connectClient();
    caio->send("$-$slc:Caio$-$tnt:SOL");
    EXPECT_TRUE(receives(*caio,
                         "$-$onj:$-$mdv:Caio$-$lst:xxxx Caio|$-$avs:Caio tentou \"SOL\" e... "
                         "ACERTOU !$-$pts:0$-$mdv:Caio$-$lst:xxxx Caio|"));
    ASSERT_NE(server.rules().player(3), nullptr);  // Caio, the third connection accepted
    EXPECT_EQ(server.rules().player(3)->total, 100);
}

// Across a network that cuts the stream anywhere, every stroke and line is
// relayed whole, the last one too once the stream goes quiet; and a late
// joiner reading through such a network gets the board as drawn.
TEST_F(Wire, StrokesCutByTheNetworkAreRelayedWhole) {
    CuttingRelay relay(server.port(), {.seed = 16, .separator = "$-$"});
    LoopbackPeer ana(relay.port());
    ana.send("$-$slc:Ana");
    EXPECT_TRUE(receives(ana, "$-$onj:$-$mdv:Ana$-$lst:xxxx Ana|"));
    auto bia = connectClient();
    bia->send("$-$slc:Bia");
    EXPECT_TRUE(waitFor([&] { return ana.received.ends_with("   0 Bia|"); }));
    EXPECT_TRUE(waitFor([&] { return bia->received.ends_with("   0 Bia|"); }));
    ana.take();
    bia->take();

    std::mt19937 random(16);
    std::string stream = "$-$ini:gato";
    for (int i = 0; i < 3000; ++i) {
        const int x = static_cast<int>(random() % 2000) - 500, y = static_cast<int>(random() % 300);
        switch (random() % 4) {
            case 0:
                stream += "$-$mdw:" + std::to_string(x) + "|" + std::to_string(y);
                break;
            case 1:
                stream += "$-$mov:" + std::to_string(x) + "|" + std::to_string(y);
                break;
            case 2:
                stream += "$-$pts:" + std::to_string(100 - i % 90) + "$-$mup:1|2";
                break;
            default:
                stream += "$-$blc:" + std::to_string(x) + "|" + std::to_string(y);
                for (int c = 0; c < 25; ++c) stream += "|" + std::to_string(random() % 16777216);
                stream += "|0";
        }
    }
    stream += "$-$msg:Ana falou: fim";
    ana.send(stream);
    const std::string expected = "$-$cls:$-$pts:100$-$sys:> Valendo..." + stream.substr(11);
    EXPECT_TRUE(waitFor([&] { return bia->received.size() >= expected.size(); }, 30000));
    EXPECT_EQ(bia->received, expected);
    EXPECT_GT(relay.pieces(), 100u);

    LoopbackPeer caio(relay.port());
    caio.send("$-$slc:Caio");
    std::string board;
    for (std::size_t at = 0; (at = expected.find("$-$", at)) != std::string::npos; at += 3) {
        const std::string_view command = std::string_view(expected).substr(at + 3, 3);
        if (command == "cls" || command == "mdw" || command == "mov" || command == "blc")
            board += expected.substr(at, expected.find("$-$", at + 3) - at);
    }
    const std::string pts = "$-$pts:" + std::to_string(server.rules().pointsAtStake());
    EXPECT_TRUE(waitFor([&] { return caio.received.ends_with("   0 Caio|"); }, 30000));
    EXPECT_EQ(caio.received,
              "$-$onj:$-$mdv:Ana" + pts + board + "$-$lst:xxxx Ana|   0 Bia|   0 Caio|");

    // The last words of a peer that hangs up at once are not lost.
    bia->take();
    LoopbackPeer dora(relay.port());
    dora.send("$-$mov:1|1$-$msg:Dora falou: tchau");
    dora.socket().disconnectFromHost();
    EXPECT_TRUE(waitFor([&] { return bia->received.ends_with("$-$msg:Dora falou: tchau"); }));
}

// A drawing that ended lives on only within its budget for the joiners still
// receiving it: past it, a catch-up stops after the message it was sending,
// and the joiner reads on, message by message, into the next round.
TEST_F(Wire, CatchUpOfAnEndedDrawingStopsBetweenMessagesPastItsBudget) {
    NetLimits limits;
    limits.drawingBudget = 0;
    server.setLimits(limits);
    auto ana = connectClient();
    ana->send("$-$slc:Ana");
    EXPECT_TRUE(receives(*ana, "$-$onj:$-$mdv:Ana$-$lst:xxxx Ana|"));
    ana->send("$-$ini:gato");
    const std::string stroke = whiteBlock("9|9"), strokes = repeated(stroke, 1u << 20);
    for (int i = 0; i < 3; ++i) ana->send(strokes);
    EXPECT_TRUE(waitFor([&] { return server.rules().drawing().size() > 3u << 20; }, 30000));
    EXPECT_TRUE(waitFor([&] { return !server.rules().holdingTail(1); }));  // the last stroke too

    const int late = rawConnect(server.port(), nullptr, 4096);
    sendAll(late, "$-$slc:Late");
    EXPECT_TRUE(waitFor([&] { return server.catchUpLeft(2) > 0; }));
    ana->send("$-$ini:rato");
    EXPECT_TRUE(waitFor([&] { return server.catchUpLeft(2) == 0; }));
    std::string got;
    const std::string end = "$-$sys:> Valendo...";
    EXPECT_TRUE(waitFor([&] { return (got += receivedSoFar(late)).ends_with(end); }));
    ::close(late);
    const std::size_t board = got.find(stroke), list = got.find("$-$lst:");
    ASSERT_NE(board, std::string::npos);
    ASSERT_NE(list, std::string::npos);
    EXPECT_LT(list - board, 3u << 20) << "the catch-up was cut";
    for (std::size_t at = board; at < list; at += stroke.size())
        ASSERT_EQ(got.compare(at, stroke.size(), stroke), 0) << "a cut message at " << at;
    EXPECT_EQ(got.substr(list), "$-$lst:xxxx Ana|   0 Late|$-$cls:$-$pts:100" + end);
}

TEST_F(Wire, GarbageAndHugePayloadsLeaveTheServerWorking) {
    auto noisy = connectClient();
    auto listener = connectClient();
    std::mt19937 random(7);
    std::string garbage(1 << 16, '\0');
    for (char& c : garbage) c = static_cast<char>(random());
    noisy->send(garbage);
    noisy->send("$-$pts:" + std::string(100, '9'));
    const std::string huge = "$-$msg:" + std::string(8 << 20, 'a');
    noisy->send(huge);
    EXPECT_TRUE(waitFor([&] { return noisy->socket().bytesToWrite() == 0; }, 30000));
    noisy->send("$-$cls:");
    EXPECT_TRUE(waitFor([&] { return listener->received.ends_with("$-$cls:"); }, 30000));
    // A message longer than one read arrives cut: its tail is never taken for messages.
    EXPECT_LE(listener->received.size(), garbage.size() + huge.size() + 7);
    EXPECT_TRUE(server.isListening());
    EXPECT_EQ(server.connectionCount(), 2u);

    listener->take();
    listener->send("$-$slc:Ana");
    // The board as the last "cls" left it comes with the join.
    EXPECT_TRUE(receives(*listener, "$-$onj:$-$cls:$-$lst:   0 Ana|"));
}

}  // namespace
}  // namespace rabuscal::server::testing
