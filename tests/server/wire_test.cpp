// The real server on a loopback port, spoken to through sockets.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <random>

#include "server/net/tcp_game_server.h"
#include "wire_client.h"

namespace rabuscal::server::testing {
namespace {

class Wire : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { ensureApplication(); }
    void SetUp() override {
        ASSERT_FALSE(server.start(0).has_value());
        ASSERT_NE(server.port(), 0);
    }
    // Connects a client and waits until the server has accepted it, so that
    // connections are in a known order.
    std::unique_ptr<WireClient> connectClient() {
        const std::size_t before = server.connectionCount();
        auto client = std::make_unique<WireClient>(server.port());
        EXPECT_TRUE(waitFor([&] { return server.connectionCount() == before + 1; }));
        return client;
    }

    std::string DrawerNick;
    TcpGameServer server{DrawerNick};
};

TEST_F(Wire, ARoundFromJoinToHitAndLeaving) {
    auto ana = connectClient();
    ana->send("$-$slc:Ana");
    EXPECT_EQ(ana->expect("$-$onj:$-$mdv:Ana$-$lst:xxxx Ana|"),
              "$-$onj:$-$mdv:Ana$-$lst:xxxx Ana|");

    auto bia = connectClient();
    bia->send("$-$slc:Ana");
    EXPECT_EQ(bia->expect("$-$sys:> Esse nick j\xe1 existe."), "$-$sys:> Esse nick j\xe1 existe.");
    bia->send("$-$slc:Bia");
    const std::string list = "$-$lst:xxxx Ana|   0 Bia|";
    EXPECT_EQ(bia->expect("$-$onj:" + list), "$-$onj:" + list);
    EXPECT_EQ(ana->expect(list), list);

    ana->send("$-$ini:gato");
    const std::string start = "$-$cls:$-$pts:100$-$sys:> Valendo...";
    EXPECT_EQ(ana->expect(start), start);
    EXPECT_EQ(bia->expect(start), start);

    ana->send("$-$mdw:1|2");
    ana->expect("$-$mdw:1|2");
    ana->send("$-$mov:3|4");
    ana->expect("$-$mov:3|4");
    ana->send("$-$pts:98");
    ana->expect("$-$pts:98");
    ana->send("$-$mup:3|4");
    ana->expect("$-$mup:3|4");
    EXPECT_EQ(bia->expect("$-$mdw:1|2$-$mov:3|4$-$pts:98$-$mup:3|4"),
              "$-$mdw:1|2$-$mov:3|4$-$pts:98$-$mup:3|4");

    bia->send("$-$tnt:rato");
    const std::string miss = "$-$avs:Bia tentou \"rato\" e...  eerrroooouuuuu...$-$pts:88";
    EXPECT_EQ(ana->expect(miss), miss);
    EXPECT_EQ(bia->expect(miss), miss);

    bia->send("$-$tnt:Gato");
    const std::string hit =
        "$-$avs:Bia tentou \"Gato\" e... ACERTOU !$-$pts:0$-$mdv:Bia$-$lst:   0 Ana|xxxx Bia|";
    EXPECT_EQ(ana->expect(hit), hit);
    EXPECT_EQ(bia->expect(hit), hit);

    bia->send("$-$mdv:Ana");
    const std::string handOver = "$-$mdv:Ana$-$lst:xxxx Ana|  88 Bia|";
    EXPECT_EQ(ana->expect(handOver), handOver);
    EXPECT_EQ(bia->expect(handOver), handOver);

    ana->send("$-$off:Ana");
    EXPECT_EQ(ana->expect("$-$off:$-$mdv:Bia$-$pts:0$-$lst:xxxx Bia|"),
              "$-$off:$-$mdv:Bia$-$pts:0$-$lst:xxxx Bia|");
    EXPECT_EQ(bia->expect("$-$mdv:Bia$-$pts:0$-$lst:xxxx Bia|"),
              "$-$mdv:Bia$-$pts:0$-$lst:xxxx Bia|");

    // A closed connection is handled like leaving, without the answer.
    ana->send("$-$slc:Ana");
    ana->expect("$-$onj:$-$lst:xxxx Bia|   0 Ana|");
    bia->expect("$-$lst:xxxx Bia|   0 Ana|");
    bia->socket.close();
    EXPECT_EQ(ana->expect("$-$mdv:Ana$-$pts:0$-$lst:xxxx Ana|"),
              "$-$mdv:Ana$-$pts:0$-$lst:xxxx Ana|");
    EXPECT_TRUE(waitFor([&] { return server.connectionCount() == 1; }));
}

TEST_F(Wire, ResetConnectionIsClosedOnceAndOthersCarryOn) {
    auto ana = connectClient();
    ana->send("$-$slc:Ana");
    ana->expect("$-$onj:$-$mdv:Ana$-$lst:xxxx Ana|");
    auto bia = connectClient();
    bia->send("$-$slc:Bia");
    ana->expect("$-$lst:xxxx Ana|   0 Bia|");

    int counts = 0;
    QObject::connect(&server, &TcpGameServer::connectionCountChanged, [&] { ++counts; });
    bia->socket.setSocketOption(QAbstractSocket::KeepAliveOption, 0);
    const linger reset{1, 0};  // close with RST instead of FIN
    ::setsockopt(static_cast<int>(bia->socket.socketDescriptor()), SOL_SOCKET, SO_LINGER, &reset,
                 sizeof reset);
    bia->socket.abort();
    EXPECT_TRUE(waitFor([&] { return server.connectionCount() == 1; }));
    ana->send("$-$cls:");
    EXPECT_EQ(ana->expect("$-$lst:xxxx Ana|$-$cls:"), "$-$lst:xxxx Ana|$-$cls:");
    EXPECT_EQ(counts, 1);
}

TEST_F(Wire, SwitchingOffDropsEveryoneSilentlyAndTheRoundSurvives) {
    auto ana = connectClient();
    ana->send("$-$slc:Ana$-$ini:sol");
    ana->expect("$-$onj:$-$mdv:Ana$-$lst:xxxx Ana|$-$cls:$-$pts:100$-$sys:> Valendo...");
    auto bia = connectClient();

    server.stop();
    EXPECT_FALSE(server.isListening());
    EXPECT_TRUE(waitFor([&] { return !ana->connected() && !bia->connected(); }));
    EXPECT_EQ(ana->take(), "");
    EXPECT_EQ(bia->take(), "");

    ASSERT_FALSE(server.start(0).has_value());
    auto caio = connectClient();
    caio->send("$-$slc:Caio$-$tnt:SOL");
    const std::string expected =
        "$-$onj:$-$mdv:Caio$-$lst:xxxx Caio|$-$avs:Caio tentou \"SOL\" e... ACERTOU !$-$pts:0"
        "$-$mdv:Caio$-$lst:xxxx Caio|";
    EXPECT_EQ(caio->expect(expected), expected);
    ASSERT_NE(server.rules().player(3), nullptr);  // Caio, the third connection accepted
    EXPECT_EQ(server.rules().player(3)->total, 100);
}

TEST_F(Wire, PortInUseIsReportedAndChangesNothing) {
    std::string otherDrawer;
    TcpGameServer other(otherDrawer);
    const auto error = other.start(server.port());
    ASSERT_TRUE(error.has_value());
    EXPECT_FALSE(error->isEmpty());
    EXPECT_FALSE(other.isListening());
    EXPECT_TRUE(server.isListening());
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
    EXPECT_TRUE(waitFor([&] { return noisy->socket.bytesToWrite() == 0; }, 30000));
    noisy->send("$-$cls:");
    EXPECT_TRUE(waitFor([&] { return listener->received.ends_with("$-$cls:"); }, 30000));
    // A message longer than one read arrives cut: its tail is never taken for messages.
    EXPECT_LE(listener->received.size(), garbage.size() + huge.size() + 7);
    EXPECT_TRUE(server.isListening());
    EXPECT_EQ(server.connectionCount(), 2u);

    listener->take();
    listener->send("$-$slc:Ana");
    EXPECT_EQ(listener->expect("$-$onj:$-$lst:   0 Ana|"), "$-$onj:$-$lst:   0 Ana|");
}

// A connection that never reads, with a small receive window.
int connectNonReader(quint16 port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const int small = 4096;
    ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return -1;
    return fd;
}

TEST_F(Wire, ClientThatNeverReadsCostsBoundedMemoryAndReadersLoseNothing) {
    auto drawer = connectClient();
    auto reader = connectClient();
    const int stuck = connectNonReader(server.port());
    ASSERT_GE(stuck, 0);
    ASSERT_TRUE(waitFor([&] { return server.connectionCount() == 3; }));
    constexpr ConnectionId kStuck = 3;

    const std::string stroke = "$-$mov:123|45";
    constexpr int kStrokes = 1'200'000;  // ~16 MB: far beyond the cap plus kernel buffers
    constexpr int kBatch = 1000;
    std::string batch;
    for (int i = 0; i < kBatch; ++i) batch += stroke;
    qint64 peakQueued = 0;
    std::size_t readerBytes = 0;
    const auto drain = [&] {
        readerBytes += reader->take().size();
        drawer->take();
        peakQueued = std::max(peakQueued, server.queuedBytes(kStuck));
    };
    for (int sent = 0; sent < kStrokes; sent += kBatch) {
        drawer->send(batch);
        if (drawer->socket.bytesToWrite() > (1 << 20)) {
            waitFor([&] {
                drain();
                return drawer->socket.bytesToWrite() < (1 << 18);
            });
        }
    }
    const std::size_t expected = std::size_t{kStrokes} * stroke.size();
    EXPECT_TRUE(waitFor(
        [&] {
            drain();
            return readerBytes >= expected;
        },
        60000));
    EXPECT_EQ(readerBytes, expected);
    EXPECT_GT(server.droppedSends(), 0u);
    EXPECT_LE(peakQueued, TcpGameServer::kSendCap + static_cast<qint64>(stroke.size()));
    ::close(stuck);
}

TEST_F(Wire, ThreeHundredPlayersJoinAndLeave) {
    constexpr int kPlayers = 300;
    std::vector<std::unique_ptr<WireClient>> players;
    for (int i = 0; i < kPlayers; ++i) players.push_back(connectClient());
    for (int i = 0; i < kPlayers; ++i) players[i]->send("$-$slc:p" + std::to_string(i));
    ASSERT_TRUE(waitFor(
        [&] {
            for (const auto& p : players)
                if (!p->received.ends_with("   0 p299|")) return false;
            return true;
        },
        60000));
    EXPECT_EQ(DrawerNick, "");  // nobody joined alone
    for (int i = 0; i < kPlayers; ++i) {
        if (i % 2)
            players[i]->send("$-$off:");
        else
            players[i]->socket.close();
    }
    ASSERT_TRUE(waitFor([&] { return server.connectionCount() == kPlayers / 2; }, 60000));
    for (auto& p : players) p->take();
    players[1]->send("$-$slc:again");
    EXPECT_TRUE(waitFor([&] { return players[299]->received.ends_with("$-$lst:   0 again|"); }));
}

}  // namespace
}  // namespace rabuscal::server::testing
