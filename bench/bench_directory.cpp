// SPDX-License-Identifier: GPL-3.0-or-later
// bench_directory: rabuscal-directory holding N idle connections and G groups,
// then list requests from fresh connections, against a minimal single-threaded
// epoll service (directory_reference) measured the same way in the same run.
//
// Usage: bench_directory [LISTS=20000] [IN_FLIGHT=16]   (LISTS 0: only the hostile figures)
// With redis-server installed, the service is measured a second time keeping
// its groups in a redis-server of the run's own (--store).
//
// Then, against the service alone: a list request's latency while four
// connections of one address burst list requests; an honest list under a
// 2,048-descriptor limit held by 2,100 idle connections from 9 addresses;
// kernel TCP memory after 64 peers that do not read were dropped; the growth
// of 5,000 connections that each sent a cut header and 16 KB; and whether a
// 65th address may announce after 64 announced all they may.
//
// Every connection comes from its own range of 127.x.y.z source addresses so
// that the per-address limits of the service are not what is measured.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "reference_listener.h"
#include "server_process.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// 127.<net>.x.y, `perAddress` connections per source address.
sockaddr_in source(int net, int index, int perAddress) {
    const int host = index / perAddress;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl((127u << 24) | (unsigned(net) << 16) | unsigned(host / 250 << 8) |
                              unsigned(host % 250 + 1));
    return a;
}

int openFrom(sockaddr_in from, unsigned short port, bool blocking) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | (blocking ? 0 : SOCK_NONBLOCK), 0);
    const int yes = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&from), sizeof from) != 0) {
        std::perror("bind");
        std::exit(1);
    }
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0 && errno != EINPROGRESS) {
        ::close(fd);
        return -1;
    }
    return fd;
}

std::string groupName(int g) {
    return "grupo " + std::to_string(g);
}
std::string groupAddress(int g) {
    return "127.2.0." + std::to_string(g / 8 + 1);  // 8 groups per address
}

// Every group from its own connection, kept open.
std::vector<int> announce(unsigned short port, int groups) {
    std::vector<int> fds;
    for (int g = 0; g < groups; ++g) {
        const int fd = openFrom(source(2, g, 8), port, true);
        const std::string request = "j#gatv:rabuscal|" + groupName(g);
        char reply[256];
        if (fd < 0 || ::write(fd, request.data(), request.size()) < 0 ||
            ::read(fd, reply, sizeof reply) <= 0) {
            std::fprintf(stderr, "announcing group %d failed\n", g);
            std::exit(1);
        }
        fds.push_back(fd);
    }
    return fds;
}

struct Burst {
    double connected = 0;  // every connect() done, client side
    double accepted = 0;   // every connection accepted by the server
    int failed = 0;
};

// `count` connections opened at once; they stay open, idle.
Burst openIdle(const rabuscal::bench::ServerProcess& server, int count, long filesBefore,
               std::vector<int>& fds) {
    Burst burst;
    const int epollFd = ::epoll_create1(0);
    const auto start = Clock::now();
    for (int i = 0; i < count; ++i) {
        const int fd = openFrom(source(1, i, 200), server.port(), false);
        if (fd < 0) {
            ++burst.failed;
            continue;
        }
        epoll_event ev{};
        ev.events = EPOLLOUT;
        ev.data.fd = fd;
        ::epoll_ctl(epollFd, EPOLL_CTL_ADD, fd, &ev);
        fds.push_back(fd);
    }
    int pending = count - burst.failed;
    epoll_event events[512];
    while (pending > 0 && secondsSince(start) < 120) {
        const int n = ::epoll_wait(epollFd, events, 512, 1000);
        for (int i = 0; i < n; ++i) {
            int error = 0;
            socklen_t length = sizeof error;
            ::getsockopt(events[i].data.fd, SOL_SOCKET, SO_ERROR, &error, &length);
            if (error) ++burst.failed;
            ::epoll_ctl(epollFd, EPOLL_CTL_DEL, events[i].data.fd, nullptr);
            --pending;
        }
    }
    burst.connected = secondsSince(start);
    while (server.openFiles() < filesBefore + count - burst.failed && secondsSince(start) < 120)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    burst.accepted = secondsSince(start);
    ::close(epollFd);
    return burst;
}

struct Lists {
    double perSecond = 0, p50 = 0, p99 = 0;
    int wrong = 0;
    long burstBytes = 0;  // what the bursting connections were sent

    // The rate and the quantiles of lists answered in `elapsed` seconds.
    void take(std::vector<double>& latencies, double elapsed) {
        std::sort(latencies.begin(), latencies.end());
        if (latencies.empty()) return;
        perSecond = static_cast<double>(latencies.size()) / elapsed;
        p50 = latencies[latencies.size() / 2];
        p99 = latencies[latencies.size() * 99 / 100];
    }
};

// `total` lists, each on a fresh connection, `inFlight` at a time.
Lists askLists(unsigned short port, int total, int inFlight, const std::string& expected) {
    struct Asking {
        Clock::time_point start;
        std::string got;
        bool sent = false;
    };
    const int epollFd = ::epoll_create1(0);
    std::unordered_map<int, Asking> asking;
    std::vector<double> latencies;
    int launched = 0;
    Lists result;
    auto launch = [&] {
        // 4,000 source addresses in turn, so no address nears its request rate.
        const int fd = openFrom(source(3, launched % 4000, 1), port, false);
        ++launched;
        if (fd < 0) {
            ++result.wrong;
            return;
        }
        asking[fd] = {Clock::now(), {}, false};
        epoll_event ev{};
        ev.events = EPOLLOUT;
        ev.data.fd = fd;
        ::epoll_ctl(epollFd, EPOLL_CTL_ADD, fd, &ev);
    };
    const auto start = Clock::now();
    for (int i = 0; i < inFlight && launched < total; ++i) launch();
    epoll_event events[256];
    char buffer[65536];
    static const std::string request = "j#gjgs:rabuscal";
    while (!asking.empty() && secondsSince(start) < 300) {
        const int n = ::epoll_wait(epollFd, events, 256, 1000);
        for (int i = 0; i < n; ++i) {
            const int fd = events[i].data.fd;
            Asking& a = asking[fd];
            bool done = false;
            if (!a.sent) {
                a.sent = ::write(fd, request.data(), request.size()) > 0;
                epoll_event ev{};
                ev.events = EPOLLIN;
                ev.data.fd = fd;
                ::epoll_ctl(epollFd, EPOLL_CTL_MOD, fd, &ev);
                done = !a.sent;
            } else {
                const ssize_t got = ::read(fd, buffer, sizeof buffer);
                if (got > 0) a.got.append(buffer, static_cast<std::size_t>(got));
                done = got <= 0 || a.got.size() >= expected.size();
            }
            if (!done) continue;
            if (a.got == expected)
                latencies.push_back(secondsSince(a.start) * 1000);
            else
                ++result.wrong;
            ::close(fd);
            asking.erase(fd);
            if (launched < total) launch();
        }
    }
    const double elapsed = secondsSince(start);
    ::close(epollFd);
    result.take(latencies, elapsed);
    return result;
}

struct Run {
    Burst burst;
    Lists lists;
    long rssKb = 0, peakKb = 0;
};

Run measure(std::vector<std::string> command, bool announces, int idle, int groups, int lists,
            int inFlight) {
    rabuscal::bench::ServerProcess server(std::move(command));
    std::string expected = "j#glsg:";
    for (int g = 0; g < groups; ++g) expected += groupName(g) + "|" + groupAddress(g) + "^";
    std::vector<int> fds;
    if (announces) fds = announce(server.port(), groups);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    Run run;
    run.burst = openIdle(server, idle, server.openFiles(), fds);
    run.lists = askLists(server.port(), lists, inFlight, expected);
    run.rssKb = server.statusKb("VmRSS:");
    run.peakKb = server.statusKb("VmHWM:");
    for (int fd : fds) ::close(fd);
    return run;
}

void print(const char* name, int idle, const Run& r) {
    std::printf(
        "%-20s idle %6d | burst: connected %6.2f s, accepted %6.2f s, failed %d | lists %8.0f/s "
        "p50 %6.2f ms p99 %7.2f ms wrong %d | RSS %6.1f MB peak %6.1f MB\n",
        name, idle, r.burst.connected, r.burst.accepted, r.burst.failed, r.lists.perSecond,
        r.lists.p50, r.lists.p99, r.lists.wrong, static_cast<double>(r.rssKb) / 1024,
        static_cast<double>(r.peakKb) / 1024);
    std::fflush(stdout);
}

}  // namespace

// One list on a fresh connection from `from`; its latency in ms, or -1.
double oneList(unsigned short port, sockaddr_in from, const std::string& expected,
               double patienceSeconds = 10) {
    const auto start = Clock::now();
    const int fd = openFrom(from, port, true);
    if (fd < 0) return -1;
    timeval timeout{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    static const std::string request = "j#gjgs:rabuscal";
    std::string got;
    char buffer[65536];
    if (::write(fd, request.data(), request.size()) > 0) {
        while (got.size() < expected.size() && secondsSince(start) < patienceSeconds) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n == 0) break;
            if (n > 0) got.append(buffer, static_cast<std::size_t>(n));
        }
    }
    ::close(fd);
    return got == expected ? secondsSince(start) * 1000 : -1;
}

// Four connections of one address send 16 KB bursts of list requests and read
// what comes back, while honest lists are asked one after another.
Lists listsDuringBursts(unsigned short port, const std::string& expected) {
    std::atomic<bool> stop{false};
    std::atomic<long> received{0};
    std::vector<std::thread> bursters;
    for (int b = 0; b < 4; ++b)
        bursters.emplace_back([&, b] {
            const int fd = openFrom(source(4, 0, 100), port, true);
            if (fd < 0) return;
            timeval timeout{0, 2000};
            ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
            std::string burst;
            while (burst.size() + 15 <= 16384) burst += "j#gjgs:rabuscal";
            char buffer[65536];
            while (!stop) {
                if (::send(fd, burst.data(), burst.size(), MSG_DONTWAIT) < 0 && errno != EAGAIN)
                    break;
                for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) received += n;
            }
            ::close(fd);
            (void)b;
        });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    std::vector<double> latencies;
    Lists result;
    const auto start = Clock::now();
    for (int i = 0; i < 400; ++i) {
        const double ms = oneList(port, source(5, i, 1), expected);
        if (ms < 0)
            ++result.wrong;
        else
            latencies.push_back(ms);
    }
    const double elapsed = secondsSince(start);
    stop = true;
    for (auto& t : bursters) t.join();
    result.burstBytes = received;
    result.take(latencies, elapsed);
    return result;
}

// A redis-server of the run's own on a free port; pid 0 when there is none.
struct Redis {
    pid_t pid = 0;
    int port = 0;
    Redis() {
        if (::access("/usr/bin/redis-server", X_OK) != 0) return;
        port = 20000 + ::getpid() % 20000;
        pid = ::fork();
        if (pid == 0) {
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, STDOUT_FILENO);
            const std::string p = std::to_string(port);
            ::execl("/usr/bin/redis-server", "redis-server", "--port", p.c_str(), "--bind",
                    "127.0.0.1", "--save", "", "--appendonly", "no", "--maxclients", "1000",
                    nullptr);
            std::_Exit(127);
        }
        for (int i = 0; i < 100; ++i) {
            sockaddr_in any{};
            any.sin_family = AF_INET;
            any.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            const int fd = openFrom(any, static_cast<unsigned short>(port), true);
            if (fd >= 0) {
                ::close(fd);
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
    ~Redis() {
        if (pid > 0) {
            ::kill(pid, SIGTERM);
            ::waitpid(pid, nullptr, 0);
        }
    }
    std::string url() const { return "redis://127.0.0.1:" + std::to_string(port); }
};

// Kernel TCP memory of the whole host, in MiB (/proc/net/sockstat, pages).
double kernelTcpMiB() {
    std::ifstream sockstat("/proc/net/sockstat");
    std::string word;
    while (sockstat >> word)
        if (word == "TCP:") break;
    while (sockstat >> word)
        if (word == "mem") {
            long pages = 0;
            sockstat >> pages;
            return static_cast<double>(pages) * 4096 / (1024 * 1024);
        }
    return 0;
}

std::string expectedList(int groups) {
    std::string expected = "j#glsg:";
    for (int g = 0; g < groups; ++g) expected += groupName(g) + "|" + groupAddress(g) + "^";
    return expected;
}

void hostileFigures(int groups) {
    const std::string expected = expectedList(groups);
    {
        // 2,100 idle connections from 9 addresses under a 2,048-descriptor limit.
        rabuscal::bench::ServerProcess server(
            {"/usr/bin/prlimit", "--nofile=2048:2048", RABUSCAL_DIRECTORY_EXE, "--port", "0"});
        std::vector<int> fds = announce(server.port(), groups);
        for (int i = 0; i < 2100; ++i) {
            const int fd = openFrom(source(6, i, 234), server.port(), false);
            if (fd >= 0) fds.push_back(fd);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        const double ms = oneList(server.port(), source(7, 0, 1), expected, 5);
        std::printf(
            "descriptor limit 2048, 2100 idle from 9 addresses: honest list %s%.1f ms; "
            "service holds %ld descriptors\n",
            ms < 0 ? "NOT ANSWERED " : "", ms, server.openFiles());
        for (int fd : fds) ::close(fd);
    }
    rabuscal::bench::ServerProcess server({RABUSCAL_DIRECTORY_EXE, "--port", "0"});
    std::vector<int> hosts = announce(server.port(), groups);
    {
        const double before = kernelTcpMiB();
        // 64 connections that send list requests and never read, each from an
        // address of its own so that the request rate does not spare the service
        // the queueing (one address reconnecting 64 times gets far less).
        std::vector<int> deaf;
        std::string flood;
        for (int i = 0; i < 1000; ++i) flood += "j#gjgs:rabuscal";
        for (int i = 0; i < 64; ++i) {
            const int small = 4096;
            const int c = openFrom(source(8, i, 1), server.port(), true);
            if (c < 0) continue;
            ::setsockopt(c, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
            ::send(c, flood.data(), flood.size(), MSG_DONTWAIT);
            deaf.push_back(c);
            std::this_thread::sleep_for(std::chrono::milliseconds(60));
        }
        std::this_thread::sleep_for(std::chrono::seconds(1));
        const double peak = kernelTcpMiB();
        // The attacker goes away without reading; what stays is the service's.
        for (int fd : deaf) {
            const linger reset{1, 0};
            ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
        }
        std::this_thread::sleep_for(std::chrono::seconds(15));  // the service's stall time-out
        const double dropped = kernelTcpMiB();
        for (int fd : deaf) ::close(fd);
        std::this_thread::sleep_for(std::chrono::seconds(10));
        std::printf(
            "64 peers that do not read: host TCP memory %.1f MiB before, %.1f MiB with "
            "them, %.1f MiB once the service reset them, %.1f MiB 10 s after they went\n",
            before, peak, dropped, kernelTcpMiB());
    }
    {
        const long before = server.statusKb("VmRSS:");
        std::vector<int> fds;
        std::string junk(16384, 'x');
        for (int i = 0; i < 5000; ++i) {
            const int fd = openFrom(source(9, i, 200), server.port(), true);
            if (fd < 0) continue;
            ::send(fd, "j#gat", 5, 0);  // a header cut short
            fds.push_back(fd);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        for (int fd : fds) ::send(fd, junk.data(), junk.size(), MSG_DONTWAIT);
        std::this_thread::sleep_for(std::chrono::seconds(2));
        const long after = server.statusKb("VmRSS:");
        std::printf(
            "5000 connections, a cut header then 16 KB each: service RSS %.1f -> %.1f MB "
            "(growth %.1f MB)\n",
            static_cast<double>(before) / 1024, static_cast<double>(after) / 1024,
            static_cast<double>(after - before) / 1024);
        for (int fd : fds) ::close(fd);
    }
    {
        // 64 addresses announce all they may (8 groups per connection); a 65th still may.
        std::vector<int> fds;
        int listed = 0;
        auto announceFrom = [&](int address, int group) {
            const int fd = openFrom(source(10, address, 1), server.port(), true);
            const std::string request =
                "j#gatv:outro|g" + std::to_string(address) + "-" + std::to_string(group);
            char reply[256] = {};
            timeval timeout{2, 0};
            ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
            const ssize_t n = fd < 0 ? -1
                                     : (::write(fd, request.data(), request.size()),
                                        ::read(fd, reply, sizeof reply - 1));
            fds.push_back(fd);
            return n > 0 && std::strstr(reply, "ativado") != nullptr;
        };
        for (int address = 0; address < 64; ++address)
            for (int group = 0; group < 12; ++group) listed += announceFrom(address, group);
        const bool room = announceFrom(64, 0);
        std::printf("64 addresses announcing all they may: %d groups listed; a 65th address %s\n",
                    listed, room ? "is listed too" : "IS REFUSED");
        for (int fd : fds) ::close(fd);
    }
    for (int fd : hosts) ::close(fd);
}

int main(int argc, char* argv[]) {
    std::signal(SIGPIPE, SIG_IGN);
    rabuscal::bench::raiseFileLimit();
    rlimit files{};
    ::getrlimit(RLIMIT_NOFILE, &files);
    const int lists = argc > 1 ? std::atoi(argv[1]) : 20000;
    const int inFlight = argc > 2 ? std::atoi(argv[2]) : 16;
    const std::vector<std::string> service = {RABUSCAL_DIRECTORY_EXE, "--port", "0"};
    const Redis redis;
    constexpr int kGroups = 200;
    std::printf(
        "bench_directory: %d groups, %d lists from fresh connections, %d in flight; "
        "open-file limit %ld; store %s\n",
        kGroups, lists, inFlight, static_cast<long>(files.rlim_cur),
        redis.pid > 0 ? redis.url().c_str() : "none (no redis-server)");
    for (const int idle : {1000, 15000}) {
        if (lists == 0) break;  // only the figures below
        const Run ours = measure(service, true, idle, kGroups, lists, inFlight);
        print("rabuscal-directory", idle, ours);
        Run stored;
        if (redis.pid > 0) {
            std::vector<std::string> withStore = service;
            withStore.insert(withStore.end(), {"--store", redis.url()});
            stored = measure(withStore, true, idle, kGroups, lists, inFlight);
            print("directory + store", idle, stored);
        }
        const Run reference = measure({DIRECTORY_REFERENCE_EXE, std::to_string(kGroups)}, false,
                                      idle, kGroups, lists, inFlight);
        print("epoll reference", idle, reference);
        const double base = reference.lists.perSecond > 0 ? reference.lists.perSecond : 1;
        std::printf("%-20s idle %6d | lists/s directory/reference %.2f, with store %.2f\n", "ratio",
                    idle, ours.lists.perSecond / base, stored.lists.perSecond / base);
        std::fflush(stdout);
    }
    const std::string expected = expectedList(kGroups);
    for (const bool reference : {false, true}) {
        rabuscal::bench::ServerProcess server(
            reference ? std::vector<std::string>{DIRECTORY_REFERENCE_EXE, std::to_string(kGroups)}
                      : service);
        std::vector<int> hosts;
        if (!reference) hosts = announce(server.port(), kGroups);
        const Lists during = listsDuringBursts(server.port(), expected);
        std::printf(
            "%-20s 4 connections bursting list requests | honest lists p50 %6.2f ms "
            "p99 %7.2f ms wrong %d | the bursting connections got %.0f lists\n",
            reference ? "epoll reference" : "rabuscal-directory", during.p50, during.p99,
            during.wrong,
            static_cast<double>(during.burstBytes) / static_cast<double>(expected.size()));
        std::fflush(stdout);
        for (int fd : hosts) ::close(fd);
    }
    hostileFigures(kGroups);
}
