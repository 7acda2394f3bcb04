// SPDX-License-Identifier: GPL-3.0-or-later
// The real server on loopback under heavy and hostile load. Peers that come in
// numbers use plain sockets, each from its own 127.x.y.z where limits matter.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <thread>

#include "server/net/tcp_game_server.h"
#include "support/application.h"
#include "support/loopback_peer.h"
#include "support/raw_socket.h"
#include "support/stroke_blocks.h"

namespace rabuscal::server::testing {
namespace {

using namespace rabuscal::support;

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

std::string sourceAddress(int i) {
    return "127.3." + std::to_string(i / 200) + "." + std::to_string(1 + i % 200);
}

class Load : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { coreApplication(); }
    void SetUp() override { ASSERT_FALSE(server.start(0).has_value()); }
    int joined(std::string_view nick) {
        const std::size_t before = server.rules().connectionCount();
        const int fd = rawConnect(server.port());
        EXPECT_GE(fd, 0);
        sendAll(fd, "$-$slc:" + std::string(nick));
        EXPECT_TRUE(waitFor([&] {
            return server.rules().connectionCount() > before && server.totalQueued() == 0;
        }));
        receivedSoFar(fd);
        return fd;
    }

    struct Events : ServerEvents {
        void connectionCountChanged(std::size_t) override { ++changes; }
        void refused(ConnectionId id, std::string_view command, std::string_view why) override {
            refusals.push_back("#" + std::to_string(id) + " " + std::string(command) + ": " +
                               std::string(why));
        }
        void connectionDropped(ConnectionId id, std::string_view) override {
            dropped.push_back(id);
        }
        int changes = 0;
        std::vector<std::string> refusals;
        std::vector<ConnectionId> dropped;
    } events;
    std::string DrawerNick;
    TcpGameServer server{DrawerNick, &events};
};

// Counts, in a thread, the `header` + `payload` messages of a stream. A message
// cut by the network may lose its tail and keep the next separator's first
// bytes; anything else is foreign.
struct Reader {
    Reader(int fd, std::string header, std::string payload, std::size_t expected)
        : thread([this, fd, header, payload, expected] {
              setReceiveTimeout(fd, 20000);
              const auto fits = [&](std::string_view body) {
                  // (the server keeps such an end off the next separator with a blank)
                  if (body.ends_with("$- ") || body.ends_with("$ ")) body.remove_suffix(1);
                  if (body.ends_with("$-"))
                      body.remove_suffix(2);
                  else if (body.ends_with("$"))
                      body.remove_suffix(1);
                  return std::string_view(payload).starts_with(body);
              };
              std::string pending, buffer(1 << 16, '\0');
              std::size_t count = 0;
              while (count < expected) {
                  const ssize_t n = ::recv(fd, buffer.data(), buffer.size(), 0);
                  if (n <= 0) break;
                  pending.append(buffer.data(), static_cast<std::size_t>(n));
                  std::size_t at = 0;
                  for (std::size_t next; (next = pending.find(header, at + 1)) != std::string::npos;
                       at = next, ++count) {
                      if (pending.compare(at, header.size(), header) != 0 ||
                          !fits(std::string_view(pending).substr(at + header.size(),
                                                                 next - at - header.size())))
                          intact = false;
                  }
                  pending.erase(0, at);
                  if (pending == header + payload) ++count, pending.clear();
                  got = count;
              }
          }) {}
    ~Reader() { thread.join(); }
    std::atomic<std::size_t> got = 0;
    std::atomic<bool> intact = true;
    std::thread thread;
};

// Drops what `fd` receives until `over` is set and nothing more comes for 100 ms.
std::thread discarding(int fd, const std::atomic<bool>& over) {
    return std::thread([fd, &over] {
        setReceiveTimeout(fd, 100);
        char scratch[1 << 16];
        while (::recv(fd, scratch, sizeof scratch, 0) > 0 || !over) {
        }
    });
}

long long nowMs() {
    return Clock::now().time_since_epoch() / 1ms;
}

// One player says a line every `everyMs` carrying the time it was sent (once
// `talk` is set); the other reads everything (the drawing too) and times the
// lines that arrive.
struct Chat {
    Chat(int talker, const std::string& nick, int listener, int everyMs, bool talkNow = true)
        : talk(talkNow),
          listening([this, listener, said = nick + " falou: t="] {
              setReceiveTimeout(listener, 100);
              std::string pending, buffer(1 << 16, '\0');
              for (;;) {
                  const ssize_t n = ::recv(listener, buffer.data(), buffer.size(), 0);
                  if (n > 0) pending.append(buffer.data(), static_cast<std::size_t>(n));
                  for (std::size_t at; (at = pending.find(said)) != std::string::npos;) {
                      const std::size_t end = pending.find('.', at);
                      if (end == std::string::npos) break;
                      const std::size_t from = at + said.size();
                      const long long sent = std::stoll(pending.substr(from, end - from));
                      worstDelayMs = std::max<long long>(worstDelayMs, nowMs() - sent);
                      ++seen;
                      pending.erase(0, end);
                  }
                  if (pending.size() > 64) pending.erase(0, pending.size() - 64);
                  if (n <= 0 && over) return;
              }
          }),
          talking([this, talker, nick, everyMs] {
              while (!quiet) {
                  if (talk) {
                      sendAll(talker,
                              "$-$msg:" + nick + " falou: t=" + std::to_string(nowMs()) + ".");
                      ++said;
                  }
                  std::this_thread::sleep_for(std::chrono::milliseconds(everyMs));
              }
          }) {}
    void stop() {
        quiet = true;
        talking.join();
        waitFor([this] { return seen >= said; });  // every line, however late
        over = true;
        listening.join();
    }
    std::atomic<bool> talk, quiet = false, over = false;
    std::atomic<long long> worstDelayMs = 0, seen = 0, said = 0;
    std::thread listening, talking;
};

TEST_F(Load, FloodBesideTwoHundredNonReadersReachesEveryReaderWhole) {
    NetLimits limits;
    limits.stallTimeout = 2s;  // the default 5 s would only make the test slower
    server.setLimits(limits);
    const int sender = joined("sender"), r1 = joined("r1"), r2 = joined("r2");
    std::vector<int> stuck;
    for (int i = 0; i < 200; ++i)
        stuck.push_back(rawConnect(server.port(), sourceAddress(i).c_str(), 4096));
    ASSERT_TRUE(waitFor([&] { return server.connectionCount() == 203; }));
    for (int fd : {sender, r1, r2}) receivedSoFar(fd);

    const std::string stroke = "$-$mov:123|45", block = repeated(stroke, 64 * 1024);
    const std::size_t blocks = 100 * 1024 * 1024 / block.size();
    const std::size_t expected = blocks * (block.size() / stroke.size());
    std::vector<std::unique_ptr<Reader>> reading;
    for (int fd : {r1, r2, sender})  // the sender reads its own echo
        reading.push_back(std::make_unique<Reader>(fd, "$-$mov:", "123|45", expected));
    std::thread flood([&] {
        for (std::size_t i = 0; i < blocks; ++i) sendAll(sender, block);
    });

    std::size_t peakQueued = 0;
    const bool done = waitFor(
        [&] {
            peakQueued = std::max(peakQueued, server.totalQueued());
            return std::ranges::all_of(reading, [&](const auto& r) { return r->got >= expected; });
        },
        60000);
    shutdown(sender, SHUT_RDWR);
    flood.join();
    for (const auto& r : reading) EXPECT_TRUE(r->intact);
    reading.clear();
    EXPECT_TRUE(done);
    EXPECT_LE(peakQueued, limits.totalBudget + 203 * limits.highWaterMark);
    EXPECT_EQ(server.connectionCount(), 3u) << "every non-reader was closed";
    // Reset, not closed: the kernel keeps none of their unsent bytes.
    for (int fd : stuck) {
        errno = 0;
        EXPECT_TRUE(closedByServer(fd, kPatience));
        EXPECT_EQ(errno, ECONNRESET);
        ::close(fd);
    }
    for (int fd : {r1, r2, sender}) ::close(fd);
}

TEST_F(Load, ThreeThousandJoinAndCloseAtOnceWhileTwoPlayersChat) {
    const int ana = joined("Ana"), bia = joined("Bia");
    Chat chat(ana, "Ana", bia, 50);
    std::atomic<bool> attacked = false;
    std::thread attack([&] {
        for (int i = 0; i < 3000; ++i) {
            const int fd = rawConnect(server.port(), sourceAddress(i).c_str());
            if (fd < 0) continue;
            sendAll(fd, "$-$slc:" + std::to_string(i));
            ::close(fd);
        }
        attacked = true;
    });
    EXPECT_TRUE(waitFor([&] { return attacked.load(); }, 60000));
    attack.join();
    EXPECT_TRUE(waitFor([&] { return server.connectionCount() == 2; }, 30000));
    settle(500);
    chat.stop();
    EXPECT_EQ(chat.seen, chat.said);
    EXPECT_LT(chat.worstDelayMs, 30'000) << "a liveness bound: bench/join_storm.py times them";
    ::close(ana);
    ::close(bia);
}

// After 8 MiB of drawing, a joiner reading at full speed and one reading at
// 100 KB/s both get the board, while one address joins a connection that
// never reads every second; two players chat throughout, refereed.
TEST_F(Load, LateJoinersAndNonReadersOfABigDrawingCostOnlyThemselves) {
    NetLimits limits;
    limits.admission.maxPerAddress = 64;
    server.setLimits(limits);
    server.rules().setReferee(true);
    std::vector<std::thread> readers;
    std::atomic<bool> over = false;
    const auto join = [&](const std::string& nick, bool drain) {
        const ConnectionId id = server.connectionCount() + 1;  // nobody leaves meanwhile
        const int fd = rawConnect(server.port());
        sendAll(fd, "$-$slc:" + nick);
        EXPECT_TRUE(waitFor([&] { return server.rules().player(id) != nullptr; }));
        if (drain) readers.push_back(discarding(fd, over));
        return fd;
    };
    const int ana = join("Ana", true), bia = join("Bia", false), caio = join("Caio", false);
    sendAll(ana, "$-$ini:gato");
    const std::string block = repeated(whiteBlock("200|100"), 64 * 1024);
    std::thread drawing([&] {
        for (std::size_t sent = 0; sent < 8u << 20; sent += block.size()) sendAll(ana, block);
    });
    Chat fromBia(bia, "Bia", caio, 400, false), fromCaio(caio, "Caio", bia, 400, false);
    EXPECT_TRUE(waitFor([&] { return server.rules().drawing().size() >= 8u << 20; }, 60000));
    drawing.join();
    fromBia.talk = fromCaio.talk = true;
    std::atomic<std::size_t> fastGot = 0, slowGot = 0;
    std::atomic<bool> fastFirstOnj = false, slowFirstOnj = false, slowClosed = false;
    const auto catchUp = [&](int fd, std::atomic<std::size_t>& got, std::atomic<bool>& onj,
                             std::size_t perTenth, std::atomic<bool>* closed) {
        return std::thread([fd, &got, &onj, perTenth, closed, &over] {
            std::string buffer(perTenth, '\0');
            while (!over) {
                const ssize_t n = ::recv(fd, buffer.data(), buffer.size(), MSG_DONTWAIT);
                if (n == 0 && closed) *closed = true;
                if (n == 0) return;
                if (n > 0 && got == 0) onj = buffer.starts_with("$-$onj:");
                if (n > 0) got += static_cast<std::size_t>(n);
                if (closed || n < 0) std::this_thread::sleep_for(100ms);
            }
        });
    };
    const int fast = join("Fast", false);
    std::thread fastReading = catchUp(fast, fastGot, fastFirstOnj, 1 << 16, nullptr);
    const int slow = rawConnect(server.port(), nullptr, 16 * 1024);
    sendAll(slow, "$-$slc:Slow");
    std::thread slowReading = catchUp(slow, slowGot, slowFirstOnj, 10 * 1000, &slowClosed);
    const long long saidBeforeNonReaders = fromBia.said + fromCaio.said;
    long long seenBeforeAnyDrop = 0;
    std::vector<int> nonReaders;
    for (int i = 0; i < 7; ++i) {
        nonReaders.push_back(rawConnect(server.port(), "127.7.0.1", 4096));
        sendAll(nonReaders.back(), "$-$slc:mute" + std::to_string(i));
        settle(1000);
        if (events.dropped.empty()) seenBeforeAnyDrop = fromBia.seen + fromCaio.seen;
    }
    EXPECT_TRUE(waitFor([&] { return fastGot > 8u << 20; }, 30000));
    fromBia.stop();
    fromCaio.stop();
    over = true;
    for (auto* t : {&fastReading, &slowReading}) t->join();
    for (auto& t : readers) t.join();

    EXPECT_TRUE(fastFirstOnj && slowFirstOnj);
    EXPECT_FALSE(slowClosed) << "reading slowly is no reason to be closed";
    EXPECT_GT(slowGot, 300u * 1000) << "it got the drawing slowly";
    EXPECT_LT(slowGot, 4u << 20);
    EXPECT_EQ(fromBia.seen, fromBia.said);
    EXPECT_EQ(fromCaio.seen, fromCaio.said);
    EXPECT_EQ(events.refusals, std::vector<std::string>{}) << "nothing the chatters typed";
    // Nobody waits for a non-reader to be closed: lines said after the first
    // one came arrived before any was closed (bench_server times them).
    EXPECT_GT(seenBeforeAnyDrop, saidBeforeNonReaders);
    EXPECT_LT(std::max(fromBia.worstDelayMs, fromCaio.worstDelayMs), 30'000) << "a liveness bound";
    EXPECT_GE(events.dropped.size(), 2u) << "the first non-readers were closed";
    for (ConnectionId id : events.dropped) EXPECT_GT(id, 5u) << "only non-readers are closed";
    for (int fd : nonReaders) ::close(fd);
    for (int fd : {ana, bia, caio, fast, slow}) ::close(fd);
}

TEST_F(Load, LimitsRefuseAtOnceAndLongNicksCostNothing) {
    NetLimits limits;
    limits.admission.maxConnections = 5;
    limits.admission.maxPerAddress = 3;
    server.setLimits(limits);
    std::vector<int> fds;
    for (int i = 0; i < 4; ++i) fds.push_back(rawConnect(server.port(), "127.4.0.1"));
    ASSERT_TRUE(waitFor([&] { return server.connectionCount() == 3; }));
    EXPECT_TRUE(closedByServer(fds[3], kPatience)) << "the fourth from one address";
    for (int i = 0; i < 3; ++i) fds.push_back(rawConnect(server.port(), "127.4.0.2"));
    ASSERT_TRUE(waitFor([&] { return server.connectionCount() == 5; }));
    EXPECT_TRUE(closedByServer(fds[6], kPatience)) << "the sixth in all";

    // Nicks of a megabyte, from connections that never read, cost a notice each.
    const std::string refusal = "$-$sys:> Esse nick \xe9 comprido demais.";
    std::thread nicks([&] {
        for (int i = 0; i < 3; ++i) sendAll(fds[i], "$-$slc:" + std::string(1 << 20, 'n'));
    });
    std::string answer;
    EXPECT_TRUE(
        waitFor([&] { return (answer += receivedSoFar(fds[0])).size() >= refusal.size(); }));
    EXPECT_EQ(answer, refusal);
    nicks.join();
    EXPECT_TRUE(waitFor([&] { return server.totalQueued() == 0; }));
    for (ConnectionId id = 1; id <= 3; ++id) EXPECT_EQ(server.rules().player(id), nullptr);
    EXPECT_EQ(server.connectionCount(), 5u);
    for (int fd : fds) ::close(fd);
}

TEST_F(Load, ResetsDuringAFloodAreEachClosedOnce) {
    NetLimits limits;
    limits.admission.maxPerAddress = 64;
    server.setLimits(limits);
    const int drawer = joined("drawer");
    std::vector<int> players;
    for (int i = 0; i < 40; ++i) players.push_back(joined("p" + std::to_string(i)));
    const int before = events.changes;
    std::atomic<bool> stop = false, stopped = false;
    std::thread flood([&] {
        const std::string block = repeated("$-$mov:1|2", 16 * 1024);
        while (!stop) sendAll(drawer, block);
        stopped = true;
    });
    std::thread echo = discarding(drawer, stop);  // the drawer reads its strokes back
    for (int fd : players) {
        const linger reset{1, 0};  // close with RST instead of FIN
        ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
        ::close(fd);
        settle(5);
    }
    EXPECT_TRUE(waitFor([&] { return server.connectionCount() == 1; }));
    stop = true;
    EXPECT_TRUE(waitFor([&] { return stopped.load(); }));
    flood.join();
    echo.join();
    EXPECT_EQ(events.changes - before, 40);
    EXPECT_EQ(DrawerNick, "drawer");
    ::close(drawer);
}

TEST_F(Load, ThreeHundredPlayersJoinAndLeave) {
    NetLimits limits;
    limits.admission.maxConnections = limits.admission.maxPerAddress = 400;
    server.setLimits(limits);
    constexpr int kPlayers = 300;
    std::vector<std::unique_ptr<LoopbackPeer>> players;
    for (int i = 0; i < kPlayers; ++i)
        players.push_back(std::make_unique<LoopbackPeer>(server.port()));
    ASSERT_TRUE(waitFor([&] { return server.connectionCount() == kPlayers; }));
    for (int i = 0; i < kPlayers; ++i) players[i]->send("$-$slc:p" + std::to_string(i));
    ASSERT_TRUE(waitFor(
        [&] {
            for (ConnectionId id = 1; id <= kPlayers; ++id)
                if (!server.rules().player(id)) return false;
            return server.totalQueued() == 0;
        },
        60000));
    EXPECT_EQ(DrawerNick, "");  // nobody joined alone
    for (int i = 0; i < kPlayers; ++i)
        i % 2 ? players[i]->send("$-$off:") : players[i]->socket().close();
    ASSERT_TRUE(waitFor([&] { return server.connectionCount() == kPlayers / 2; }, 60000));
    settle(100);
    for (auto& p : players) p->take();
    players[1]->send("$-$slc:again");
    EXPECT_TRUE(waitFor([&] { return players[299]->received.ends_with("   0 again|"); }));
}

}  // namespace
}  // namespace rabuscal::server::testing
