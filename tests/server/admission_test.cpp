// SPDX-License-Identifier: GPL-3.0-or-later
// Who gets a slot on a server open to strangers, and what churn costs: the
// real server on loopback, peers from many 127.x.y.z addresses.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "server/net/tcp_game_server.h"
#include "support/application.h"
#include "support/raw_socket.h"

namespace rabuscal::server::testing {
namespace {

using namespace rabuscal::support;
using namespace std::chrono_literals;

const std::string kServerFull = "$-$sys:> Servidor cheio.";

class Admission : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { coreApplication(); }
    void SetUp() override {
        limits.evictNeverJoined = true;
        limits.admission.connectsPerSecond = 2;
        server.setLimits(limits);
        server.rules().setReferee(true);
        ASSERT_FALSE(server.start(0).has_value());
    }
    void TearDown() override {
        for (int fd : fds) ::close(fd);
    }
    int open(const std::string& source) {
        fds.push_back(rawConnect(server.port(), source.c_str(), 4096));
        return fds.back();
    }

    NetLimits limits;
    std::vector<int> fds;
    std::string DrawerNick;
    TcpGameServer server{DrawerNick};
};

TEST_F(Admission, SquattersFromEightAddressesMakeRoomForAPlayer) {
    std::vector<int> squatters;
    for (int address = 1; address <= 8; ++address)
        for (int i = 0; i < 32; ++i)
            squatters.push_back(open("127.10.0." + std::to_string(address)));
    ASSERT_TRUE(waitFor([&] { return server.connectionCount() == 256; }));

    const int player = open("127.10.1.1");
    sendAll(player, "$-$slc:Ana");
    ASSERT_TRUE(waitFor([&] { return server.rules().player(257) != nullptr; }));
    EXPECT_EQ(DrawerNick, "Ana") << "nobody drew: the player who joins does";
    // The oldest squatter of the fullest address made room, and read why.
    EXPECT_EQ(readUntilClosed(squatters[0], kPatience), kServerFull);
    EXPECT_EQ(server.connectionCount(), 256u);

    // Newcomers push out squatters, never the player.
    for (int i = 0; i < 8; ++i) open("127.10.2.1");
    settle(300);
    EXPECT_EQ(server.connectionCount(), 256u);
    EXPECT_NE(server.rules().player(257), nullptr);
    EXPECT_EQ(readUntilClosed(fds.back(), 300), std::nullopt);
}

TEST_F(Admission, RefusedAndLateConnectionsReadWhyBeforeTheEnd) {
    limits.admission.maxPerAddress = 3;
    limits.joinDeadline = 300ms;
    server.setLimits(limits);
    const int lobby = open("127.12.0.1"), player = open("127.12.0.1"), leaver = open("127.12.0.1");
    EXPECT_EQ(readUntilClosed(open("127.12.0.1"), kPatience),
              "$-$sys:> Conex\xf5"
              "es demais deste endere\xe7o.");
    sendAll(player, "$-$slc:Ana");
    sendAll(leaver, "$-$slc:Bia$-$off:");
    const auto lobbyEnd = readUntilClosed(lobby, kPatience);
    ASSERT_TRUE(lobbyEnd);
    EXPECT_TRUE(lobbyEnd->ends_with("$-$lst:xxxx Ana|$-$sys:> Tempo para entrar no jogo esgotado."))
        << *lobbyEnd;
    settle(500);
    EXPECT_EQ(server.connectionCount(), 2u) << "who joined once keeps the slot";

    // Connecting again and again from one address: a burst of three, then two a second.
    const auto start = std::chrono::steady_clock::now();
    int accepted = 0;
    for (int i = 0; i < 40; ++i) {
        const int fd = rawConnect(server.port(), "127.12.0.2", 4096);
        ASSERT_TRUE(waitFor([&] { return server.connectionCount() > 2 || closedByServer(fd, 1); }));
        accepted += server.connectionCount() > 2;
        ::close(fd);
        ASSERT_TRUE(waitFor([&] { return server.connectionCount() == 2; }));
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    EXPECT_LE(accepted, 3 + 2 * took.count()) << "in " << took.count() << " s";
}

// One connection joins and leaves in a loop beside 31 players with the longest
// nicks, so that every list is as big as it gets: an honest player receives
// far less than ten times what the churner sends.
TEST_F(Admission, JoinAndLeaveChurnCostsTheChurnerMoreThanThePlayers) {
    server.rules().setLimitJoins(true);
    const std::string longNick(98, 'n');
    for (int i = 0; i < 31; ++i)
        sendAll(open("127.11.0." + std::to_string(i + 1)),
                "$-$slc:" + longNick + std::to_string(10 + i));
    const int honest = open("127.11.1.1"), churner = open("127.11.2.1");
    sendAll(honest, "$-$slc:Ana");
    ASSERT_TRUE(waitFor([&] { return server.rules().player(32) && server.totalQueued() == 0; }));
    receivedSoFar(honest);

    std::atomic<bool> over = false;
    std::atomic<std::size_t> sent = 0;
    std::thread churn([&] {
        const std::string pair = "$-$slc:" + longNick + "cc$-$off:";
        while (!over && sendAll(churner, pair)) {
            sent += pair.size();
            std::this_thread::sleep_for(20ms);
        }
    });
    std::size_t honestBytes = 0;
    waitFor(
        [&] {
            honestBytes += receivedSoFar(honest).size();
            receivedSoFar(churner);
            for (int i = 0; i < 31; ++i) receivedSoFar(fds[i]);
            return false;
        },
        3000);
    over = true;
    churn.join();
    EXPECT_GT(honestBytes, 0u);
    EXPECT_LE(honestBytes, 10 * sent) << honestBytes << " received for " << sent << " sent";
}

}  // namespace
}  // namespace rabuscal::server::testing
