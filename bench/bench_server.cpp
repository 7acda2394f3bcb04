// SPDX-License-Identifier: GPL-3.0-or-later
// Game server benchmarks (run on demand, not by CTest):
//  - relay: N clients connected and joined, one of them sends M "mov" messages
//    as fast as the server takes them; messages per second delivered to every
//    client and the latency from send to arrival, for rabuscal-server and for
//    the minimal epoll relay beside it; then a paced run for the latency of a
//    server that is not swamped;
//  - join: P players joining one server one after the other;
//  - late join: after D MiB of "blc" drawn in the round, one player joins,
//    reading at full speed and then at 100 KB/s, while two others chat: the
//    time the joiner takes to get the drawing, and the chat lines' latency
//    (p50, p99) meanwhile; then at 4 MB/s, alone and beside 7 joined players
//    that never read (the ratio of the two: what non-readers cost the others);
//  - the same flood beside S connections that never read;
//  - stop: SIGTERM to a server that a drawer floods beside 30 non-readers,
//    the time until it has exited, against SIGKILL (the kernel's part alone).
// With two processors or more the server under test runs on the last one
// alone and the clients on the others (--pin 0: anywhere): sharing cores
// with its own load, a server's tail latency is mostly the scheduler's luck.
//
// Usage: bench_server [--clients N] [--messages M] [--players P] [--repeat R] [--stalled S]
//                     [--drawing-mib D] [--slow-rate BYTES_PER_S] [--pin 0|1]

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sched.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "server_process.h"
#include "support/stroke_blocks.h"

namespace rabuscal::bench {
namespace {

using Clock = std::chrono::steady_clock;
constexpr std::string_view kSeparator = "$-$";

std::int64_t nowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
        .count();
}

// `source`: a 127.x.y.z of its own, so that many connections stay within the
// server's per-address limit.
int connectTo(unsigned short port, const char* source = nullptr, int receiveBuffer = 0) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const int yes = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    if (receiveBuffer > 0)
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    if (source) {
        ::inet_pton(AF_INET, source, &address.sin_addr);
        ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    }
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        std::perror("connect");
        std::exit(1);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    return fd;
}

void writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(n));
        } else {
            pollfd p{fd, POLLOUT, 0};
            ::poll(&p, 1, 1000);
        }
    }
}

// Reads whatever is pending on any of the sockets, calling onData(index, bytes).
class Reactor {
  public:
    explicit Reactor(const std::vector<int>& fds) : epoll_(::epoll_create1(0)), buffer_(1 << 18) {
        for (std::size_t i = 0; i < fds.size(); ++i) {
            epoll_event ev{};
            ev.events = EPOLLIN;
            ev.data.u64 = i;
            ::epoll_ctl(epoll_, EPOLL_CTL_ADD, fds[i], &ev);
        }
        fds_ = fds;
    }
    ~Reactor() { ::close(epoll_); }

    template <class OnData>
    void poll(int timeoutMs, OnData&& onData) {
        epoll_event events[64];
        const int n = ::epoll_wait(epoll_, events, 64, timeoutMs);
        for (int i = 0; i < n; ++i) {
            const std::size_t index = events[i].data.u64;
            for (;;) {
                const ssize_t got = ::read(fds_[index], buffer_.data(), buffer_.size());
                if (got <= 0) break;
                onData(index, std::string_view(buffer_.data(), static_cast<std::size_t>(got)));
                if (static_cast<std::size_t>(got) < buffer_.size()) break;
            }
        }
    }

  private:
    int epoll_;
    std::vector<int> fds_;
    std::vector<char> buffer_;
};

// Reads until `quietMs` pass with nothing arriving.
void drainUntilQuiet(Reactor& reactor, int quietMs) {
    for (bool any = true; any;) {
        any = false;
        reactor.poll(quietMs, [&](std::size_t, std::string_view) { any = true; });
    }
}

struct RelayFigures {
    double seconds = 0;
    double messagesPerSecond = 0;  // each delivered to every client
    std::size_t delivered = 0, expected = 0;
    double p50us = 0, p99us = 0;
    double serverCpuSeconds = 0;  // the whole server process, start-up included
};

// `stalled` connections that never read sit beside the clients.
RelayFigures relay(unsigned short port, int clients, int messages, int paceUs, int stalled = 0) {
    std::vector<int> fds;
    // The sender joins alone first: it is the drawer, whose strokes a refereeing
    // server relays.
    fds.push_back(connectTo(port));
    writeAll(fds[0], "$-$slc:c0");
    {
        Reactor first(fds);
        drainUntilQuiet(first, 100);
    }
    for (int i = 1; i < clients; ++i) fds.push_back(connectTo(port));
    for (int i = 1; i < clients; ++i) writeAll(fds[i], "$-$slc:c" + std::to_string(i));
    std::vector<int> stuck;
    for (int i = 0; i < stalled; ++i) {
        const std::string source =
            "127.5." + std::to_string(i / 200) + "." + std::to_string(1 + i % 200);
        stuck.push_back(connectTo(port, source.c_str(), 4096));
    }
    Reactor reactor(fds);
    drainUntilQuiet(reactor, 200);

    std::vector<std::atomic<std::int64_t>> sentAt(static_cast<std::size_t>(messages));
    std::vector<std::string> pending(static_cast<std::size_t>(clients));
    std::vector<std::size_t> received(static_cast<std::size_t>(clients), 0);
    std::vector<bool> done(static_cast<std::size_t>(clients), false);
    std::vector<std::int64_t> latencies;
    latencies.reserve(static_cast<std::size_t>(clients) * static_cast<std::size_t>(messages));

    const std::int64_t start = nowNs();
    // The drawer: one message per send, as the game client sends them.
    std::thread drawer([&] {
        char message[64];
        for (int i = 0; i < messages; ++i) {
            const int length = std::snprintf(message, sizeof message, "$-$mov:%d|0", i);
            if (paceUs > 0)  // sleep, not spin: the server needs the core
                std::this_thread::sleep_until(Clock::time_point(
                    std::chrono::nanoseconds(start + std::int64_t{i} * paceUs * 1000)));
            sentAt[static_cast<std::size_t>(i)].store(nowNs(), std::memory_order_release);
            writeAll(fds[0], std::string_view(message, static_cast<std::size_t>(length)));
        }
        writeAll(fds[0], "$-$cls:");  // the end
    });

    // Every client: count the messages and time the strokes as they arrive.
    // The time is until every client has the last stroke: the closing "cls"
    // may wait for a quiet moment in a server that holds the last message of
    // a read (it might go on), which is not what this measures.
    int finished = 0;
    std::int64_t lastStroke = 0;
    const std::int64_t deadline = nowNs() + 120'000'000'000;
    while (finished < clients && nowNs() < deadline) {
        reactor.poll(100, [&](std::size_t c, std::string_view data) {
            const std::int64_t arrived = nowNs();
            std::string& p = pending[c];
            p.append(data);
            std::size_t at = 0;
            for (;;) {
                const std::size_t next = p.find(kSeparator, at + 1);
                if (next == std::string::npos) break;
                const std::string_view m(p.data() + at, next - at);
                ++received[c];
                if (m.starts_with("$-$mov:") && m.find('|') != std::string_view::npos) {
                    const long seq = std::strtol(m.data() + 7, nullptr, 10);
                    if (seq >= 0 && seq < messages)
                        latencies.push_back(arrived - sentAt[static_cast<std::size_t>(seq)].load(
                                                          std::memory_order_acquire));
                    if (seq == messages - 1) lastStroke = std::max(lastStroke, arrived);
                }
                at = next;
            }
            p.erase(0, at);
            if (p == "$-$cls:" && !done[c]) {
                done[c] = true;
                ++finished;
            }
        });
    }
    const std::int64_t end = lastStroke > 0 ? lastStroke : nowNs();
    drawer.join();
    for (int fd : fds) ::close(fd);
    for (int fd : stuck) ::close(fd);

    RelayFigures f;
    f.seconds = static_cast<double>(end - start) / 1e9;
    f.messagesPerSecond = messages / f.seconds;
    for (std::size_t r : received) f.delivered += r;
    f.expected = static_cast<std::size_t>(clients) * static_cast<std::size_t>(messages);
    if (!latencies.empty()) {
        const auto at = [&](double q) {
            auto it = latencies.begin() + static_cast<std::ptrdiff_t>(q * (latencies.size() - 1));
            std::nth_element(latencies.begin(), it, latencies.end());
            return static_cast<double>(*it) / 1e3;
        };
        f.p50us = at(0.50);
        f.p99us = at(0.99);
    }
    return f;
}

// Players arrive one after the other: each connects, asks to join and waits
// for its "onj" while every connection keeps reading the growing player lists
// (every join sends the whole list to every connection). Ends when a last
// broadcast has reached everybody.
double join(unsigned short port, int players, std::size_t& bytes) {
    std::vector<int> fds;
    std::vector<std::string> tail;
    std::vector<bool> seen;
    const int epoll = ::epoll_create1(0);
    std::vector<char> buffer(1 << 18);
    std::string_view wanted = "$-$onj:";
    const auto readAll = [&](int timeoutMs) {
        epoll_event events[64];
        const int n = ::epoll_wait(epoll, events, 64, timeoutMs);
        for (int e = 0; e < n; ++e) {
            const std::size_t c = events[e].data.u64;
            for (;;) {
                const ssize_t got = ::read(fds[c], buffer.data(), buffer.size());
                if (got <= 0) break;
                const std::string_view data(buffer.data(), static_cast<std::size_t>(got));
                bytes += data.size();
                // Look for `wanted` in the last bytes, across reads.
                std::string& t = tail[c];
                t.append(data.substr(data.size() - std::min<std::size_t>(data.size(), 16)));
                if (!seen[c] && (t.find(wanted) != std::string::npos ||
                                 (data.size() > 16 && data.find(wanted) != std::string_view::npos)))
                    seen[c] = true;
                if (t.size() > 16) t.erase(0, t.size() - 8);
                if (static_cast<std::size_t>(got) < buffer.size()) break;
            }
        }
    };

    const std::int64_t start = nowNs();
    for (int i = 0; i < players; ++i) {
        fds.push_back(connectTo(port));
        tail.emplace_back();
        seen.push_back(false);
        epoll_event ev{};
        ev.events = EPOLLIN;
        ev.data.u64 = static_cast<std::size_t>(i);
        ::epoll_ctl(epoll, EPOLL_CTL_ADD, fds.back(), &ev);
        writeAll(fds.back(), "$-$slc:player" + std::to_string(i));
        while (!seen[static_cast<std::size_t>(i)]) readAll(1000);
    }
    wanted = "$-$cls:";
    std::fill(seen.begin(), seen.end(), false);
    writeAll(fds[0], "$-$cls:");
    while (std::count(seen.begin(), seen.end(), false) > 0) readAll(1000);
    const std::int64_t end = nowNs();
    for (int fd : fds) ::close(fd);
    ::close(epoll);
    return static_cast<double>(end - start) / 1e9;
}

// Reads `fd` until `stop`, blocking in poll; `onData` sees every chunk.
template <class OnData>
void readUntil(int fd, const std::atomic<bool>& stop, OnData&& onData,
               std::size_t perRead = 1 << 16, int pauseMs = 0) {
    std::vector<char> buffer(perRead);
    while (!stop) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0) continue;
        const ssize_t got = ::read(fd, buffer.data(), buffer.size());
        if (got == 0) return;
        if (got > 0) onData(std::string_view(buffer.data(), static_cast<std::size_t>(got)));
        if (pauseMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
    }
}

struct LateJoinFigures {
    double catchUpSeconds = 0;
    std::size_t bytes = 0;  // what the joiner read until its catch-up ended
    bool closed = false;
    std::size_t lines = 0;  // chat lines sent while it caught up
    double chatP50ms = 0, chatP99ms = 0, chatMaxMs = 0;
};

// A drawer draws `drawing` bytes of "blc" in a round; two players chat a line
// every 20 ms each (the server trusts its clients here: the referee's rate
// limit is not what is measured); then a joiner joins, reading at full speed
// (`bytesPerSecond` 0) or at that pace. Its catch-up ends with the player
// list that follows the drawing.
LateJoinFigures lateJoin(unsigned short port, std::size_t drawing, std::size_t bytesPerSecond,
                         int nonReaders) {
    const int drawer = connectTo(port);
    writeAll(drawer, "$-$slc:drawer");
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const int ana = connectTo(port), bia = connectTo(port);
    writeAll(ana, "$-$slc:ana");
    writeAll(bia, "$-$slc:bia");
    std::atomic<bool> stop = false, chatting = false;
    std::atomic<std::size_t> drawn[3] = {0, 0, 0};
    std::mutex lock;
    std::vector<std::pair<std::int64_t, std::int64_t>> lines;  // sent, arrived (ns)
    std::vector<std::thread> threads;
    const int players[3] = {drawer, ana, bia};
    for (int i = 0; i < 3; ++i) {
        threads.emplace_back([&, i] {
            std::string tail;
            readUntil(players[i], stop, [&](std::string_view data) {
                drawn[i] += data.size();
                if (i == 0 || !chatting) return;
                const std::int64_t arrived = nowNs();
                // Lines from the other chatter: "<nick> falou: t=<ns>."
                std::string text = tail + std::string(data);
                const std::string said = i == 1 ? "bia falou: t=" : "ana falou: t=";
                std::size_t at = 0, done = 0;
                for (; (at = text.find(said, at)) != std::string::npos; at = done) {
                    const std::size_t end = text.find('.', at);
                    if (end == std::string::npos) break;
                    const std::int64_t sent = std::stoll(text.substr(at + said.size()));
                    std::lock_guard guard(lock);
                    lines.emplace_back(sent, arrived);
                    done = end;
                }
                tail = text.substr(
                    std::max(done, text.size() - std::min<std::size_t>(text.size(), 40)));
            });
        });
    }
    writeAll(drawer, "$-$ini:gato");
    const std::string block = support::repeated(support::whiteBlock("200|100"), 64 * 1024);
    std::size_t sent = 0;
    for (; sent < drawing; sent += block.size()) writeAll(drawer, block);
    while (drawn[1] < sent || drawn[2] < sent)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));

    chatting = true;
    for (const auto& [fd, nick] : {std::pair{ana, "ana"}, std::pair{bia, "bia"}}) {
        threads.emplace_back([&, fd, nick] {
            while (!stop) {
                writeAll(fd, std::string("$-$msg:") + nick +
                                 " falou: t=" + std::to_string(nowNs()) + ".");
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        });
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));

    LateJoinFigures f;
    std::vector<int> mute;  // they join, get the drawing queued, and never read it
    for (int i = 0; i < nonReaders; ++i) {
        mute.push_back(connectTo(port, "127.7.1.1", 4096));
        writeAll(mute.back(), "$-$slc:mute" + std::to_string(i));
    }
    const int joiner = connectTo(port, nullptr, bytesPerSecond ? 64 * 1024 : 0);
    const std::int64_t start = nowNs();
    writeAll(joiner, "$-$slc:joiner");
    std::int64_t end = 0;
    std::string tail;
    std::atomic<bool> joinerDone = false;
    // Paced: a read of at most a hundredth of the rate every 10 ms.
    const std::size_t perRead = bytesPerSecond ? bytesPerSecond / 100 : 1 << 18;
    readUntil(
        joiner, joinerDone,
        [&](std::string_view data) {
            f.bytes += data.size();
            const std::string text = tail + std::string(data);
            // (lists that other joins send before the drawing do not count)
            if (f.bytes >= sent && text.find("$-$lst:") != std::string::npos) {
                end = nowNs();
                joinerDone = true;
            }
            tail = text.substr(text.size() - std::min<std::size_t>(text.size(), 6));
        },
        perRead, bytesPerSecond ? 10 : 0);
    if (!end) {
        end = nowNs();
        f.closed = true;
    }
    stop = true;
    for (auto& t : threads) t.join();
    for (int fd : {drawer, ana, bia, joiner}) ::close(fd);
    for (int fd : mute) ::close(fd);

    f.catchUpSeconds = static_cast<double>(end - start) / 1e9;
    std::vector<double> delays;
    for (const auto& [sentAt, arrived] : lines)
        if (sentAt >= start && sentAt <= end)
            delays.push_back(static_cast<double>(arrived - sentAt) / 1e6);
    std::sort(delays.begin(), delays.end());
    f.lines = delays.size();
    if (!delays.empty()) {
        f.chatP50ms = delays[delays.size() / 2];
        f.chatP99ms =
            delays[static_cast<std::size_t>(0.99 * static_cast<double>(delays.size() - 1))];
        f.chatMaxMs = delays.back();
    }
    return f;
}

// A drawer floods strokes beside `stalled` connections that never read; after
// a second the server gets `signal`. Returns the seconds until it has exited.
double stopUnderFlood(const std::vector<std::string>& command, int cpu, int stalled, int signal) {
    ServerProcess p(command, cpu);
    const int drawer = connectTo(p.port());
    writeAll(drawer, "$-$slc:d");
    std::vector<int> stuck;
    for (int i = 0; i < stalled; ++i)
        stuck.push_back(connectTo(p.port(), ("127.7.0." + std::to_string(i + 1)).c_str(), 4096));
    std::atomic<bool> over = false;
    std::thread flood([&] {
        const std::string block = support::repeated("$-$mov:1|2", 64 * 1024);
        while (!over) {  // until the server is gone
            if (::send(drawer, block.data(), block.size(), MSG_NOSIGNAL) >= 0) continue;
            if (errno != EAGAIN) return;
            pollfd out{drawer, POLLOUT, 0};
            ::poll(&out, 1, 50);
        }
    });
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const std::int64_t start = nowNs();
    p.stop(signal);
    const double seconds = static_cast<double>(nowNs() - start) / 1e9;
    over = true;
    flood.join();
    ::close(drawer);
    for (int fd : stuck) ::close(fd);
    return seconds;
}

void print(const char* name, const LateJoinFigures& f) {
    std::printf(
        "  %-24s catch-up %.2f s (%.1f MB%s); chat meanwhile: %zu lines, p50 %.2f ms, p99 %.2f ms, "
        "max %.2f ms\n",
        name, f.catchUpSeconds, static_cast<double>(f.bytes) / 1e6,
        f.closed ? ", CLOSED before the end" : "", f.lines, f.chatP50ms, f.chatP99ms, f.chatMaxMs);
    std::fflush(stdout);
}

void print(const char* name, const RelayFigures& f) {
    std::printf(
        "  %-16s %9.0f msg/s to all  (%.3f s, %zu of %zu deliveries)  latency p50 %.0f us, "
        "p99 %.0f us",
        name, f.messagesPerSecond, f.seconds, f.delivered, f.expected, f.p50us, f.p99us);
    if (f.serverCpuSeconds > 0) std::printf(", server CPU %.3f s", f.serverCpuSeconds);
    std::printf("\n");
    std::fflush(stdout);
}

}  // namespace
}  // namespace rabuscal::bench

int main(int argc, char* argv[]) {
    using namespace rabuscal::bench;
    std::signal(SIGPIPE, SIG_IGN);
    int clients = 16, messages = 300'000, players = 1000, repeat = 5, stalled = 50;
    int serverCpu = -1, drawingMiB = 8, slowRate = 100'000;
    bool pin = true;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        const int value = std::atoi(argv[i + 1]);
        if (option == "--clients")
            clients = value;
        else if (option == "--messages")
            messages = value;
        else if (option == "--players")
            players = value;
        else if (option == "--repeat")
            repeat = std::max(1, value);
        else if (option == "--stalled")
            stalled = value;
        else if (option == "--pin")
            pin = value != 0;
        else if (option == "--drawing-mib")
            drawingMiB = std::max(0, value);  // 0: no late-join run
        else if (option == "--slow-rate")
            slowRate = std::max(1000, value);
    }
    const int processors = static_cast<int>(::sysconf(_SC_NPROCESSORS_ONLN));
    if (pin && processors >= 2) {
        serverCpu = processors - 1;
        cpu_set_t others;
        CPU_ZERO(&others);
        for (int cpu = 0; cpu < serverCpu; ++cpu) CPU_SET(cpu, &others);
        ::sched_setaffinity(0, sizeof others, &others);
    }
    const std::vector<std::string> server = {RABUSCAL_SERVER_EXE, "--port", "0"};
    const std::vector<std::string> reference = {RELAY_REFERENCE_EXE, "0"};

    std::printf(
        "relay: %d clients, %d \"mov\" messages from one of them; %s\n", clients, messages,
        serverCpu >= 0 ? "each server alone on the last processor" : "processes not pinned");
    // Alternate the two servers and keep each one's median run: this machine's
    // other work makes single runs noisy.
    std::vector<RelayFigures> ourRuns, theirRuns;
    for (int run = 0; run < repeat; ++run) {
        {
            ServerProcess p(reference, serverCpu);
            theirRuns.push_back(relay(p.port(), clients, messages, 0));
            theirRuns.back().serverCpuSeconds = p.stop();
            print("epoll reference", theirRuns.back());
        }
        {
            ServerProcess p(server, serverCpu);
            ourRuns.push_back(relay(p.port(), clients, messages, 0));
            ourRuns.back().serverCpuSeconds = p.stop();
            print("rabuscal-server", ourRuns.back());
        }
    }
    // Medians, each figure on its own.
    const auto median = [](const std::vector<RelayFigures>& runs, auto field) {
        std::vector<double> values;
        for (const auto& r : runs) values.push_back(r.*field);
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    };
    const auto summary = [&](const std::vector<RelayFigures>& runs) {
        RelayFigures m;
        m.messagesPerSecond = median(runs, &RelayFigures::messagesPerSecond);
        m.seconds = median(runs, &RelayFigures::seconds);
        m.p50us = median(runs, &RelayFigures::p50us);
        m.p99us = median(runs, &RelayFigures::p99us);
        m.serverCpuSeconds = median(runs, &RelayFigures::serverCpuSeconds);
        m.delivered = runs.front().delivered;
        m.expected = runs.front().expected;
        return m;
    };
    const RelayFigures ours = summary(ourRuns), theirs = summary(theirRuns);
    std::printf("medians of %d runs:\n", repeat);
    print("epoll reference", theirs);
    print("rabuscal-server", ours);
    // Each run of ours is compared with the reference's run just before it,
    // under the same conditions; the median of those ratios is the figure.
    const auto ratio = [&](auto field) {
        std::vector<double> ratios;
        for (std::size_t r = 0; r < ourRuns.size(); ++r)
            ratios.push_back(ourRuns[r].*field / theirRuns[r].*field);
        std::sort(ratios.begin(), ratios.end());
        return ratios[ratios.size() / 2];
    };
    std::printf(
        "  rabuscal-server / reference, median of the runs' ratios: time %.2f, p99 latency %.2f, "
        "server CPU %.2f\n",
        ratio(&RelayFigures::seconds), ratio(&RelayFigures::p99us),
        ratio(&RelayFigures::serverCpuSeconds));

    std::printf("beside %d connections that never read (closed after some seconds):\n", stalled);
    {
        ServerProcess p(server, serverCpu);
        RelayFigures f = relay(p.port(), clients, messages, 0, stalled);
        f.serverCpuSeconds = p.stop();
        print("rabuscal-server", f);
    }

    const int paced = std::min(messages, 5000);
    std::printf("paced: %d messages, one every 200 us\n", paced);
    {
        ServerProcess p(reference, serverCpu);
        print("epoll reference", relay(p.port(), clients, paced, 200));
    }
    {
        ServerProcess p(server, serverCpu);
        print("rabuscal-server", relay(p.port(), clients, paced, 200));
    }

    {
        ServerProcess p(
            {RABUSCAL_SERVER_EXE, "--port", "0", "--max-connections", std::to_string(players + 1),
             "--max-per-address", std::to_string(players + 1)},
            serverCpu);
        std::size_t bytes = 0;
        const double seconds = join(p.port(), players, bytes);
        std::printf(
            "join: %d players arriving one after the other: %.3f s, %.2f ms per join on average "
            "(%.1f MB of player lists read)\n",
            players, seconds, seconds * 1e3 / players, static_cast<double>(bytes) / 1e6);
    }

    {
        std::vector<double> ours, theirs;
        for (int run = 0; run < repeat; ++run) {
            theirs.push_back(stopUnderFlood(server, serverCpu, 30, SIGKILL));
            ours.push_back(stopUnderFlood(server, serverCpu, 30, SIGTERM));
        }
        std::sort(ours.begin(), ours.end());
        std::sort(theirs.begin(), theirs.end());
        const double o = ours[ours.size() / 2], t = theirs[theirs.size() / 2];
        std::printf(
            "stop under a flood beside 30 non-readers, until exit, median of %d: "
            "SIGTERM %.1f ms (worst %.1f), SIGKILL %.1f ms, ratio %.2f\n",
            repeat, o * 1e3, ours.back() * 1e3, t * 1e3, o / t);
    }

    if (drawingMiB == 0) return 0;
    std::printf("late join after %d MiB of \"blc\", two players chatting every 20 ms:\n",
                drawingMiB);
    LateJoinFigures alone;
    for (const auto& [rate, mute] : {std::pair{0, 0}, std::pair{slowRate, 0},
                                     std::pair{4'000'000, 0}, std::pair{4'000'000, 7}}) {
        ServerProcess p({RABUSCAL_SERVER_EXE, "--port", "0", "--trust-clients"}, serverCpu);
        const LateJoinFigures f = lateJoin(p.port(), static_cast<std::size_t>(drawingMiB) << 20,
                                           static_cast<std::size_t>(rate), mute);
        const std::string name =
            (rate ? "joiner at " + std::to_string(rate / 1000) + " KB/s" : "joiner at full speed") +
            (mute ? ", 7 non-readers" : "");
        print(name.c_str(), f);
        if (!mute) alone = f;
        if (mute)
            std::printf("  beside non-readers / without: chat p99 %.2f, max %.2f\n",
                        f.chatP99ms / alone.chatP99ms, f.chatMaxMs / alone.chatMaxMs);
    }
    return 0;
}
