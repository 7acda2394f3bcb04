// SPDX-License-Identifier: GPL-3.0-or-later
// bench_directory: rabuscal-directory holding N idle connections and G groups,
// then list requests from fresh connections, against a minimal single-threaded
// epoll service (directory_reference) measured the same way in the same run.
//
// Usage: bench_directory [LISTS=20000] [IN_FLIGHT=16] [redis://HOST:PORT]
// With a store address the service keeps its groups there (--store).
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
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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
    return "127.2.0." + std::to_string(g / 16 + 1);  // 16 groups per address
}

// Every group from its own connection, kept open.
std::vector<int> announce(unsigned short port, int groups) {
    std::vector<int> fds;
    for (int g = 0; g < groups; ++g) {
        const int fd = openFrom(source(2, g, 16), port, true);
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
        // 64 source addresses in turn, so no address nears its limit.
        const int fd = openFrom(source(3, launched % 64, 1), port, false);
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
    std::sort(latencies.begin(), latencies.end());
    if (!latencies.empty()) {
        result.perSecond = static_cast<double>(latencies.size()) / elapsed;
        result.p50 = latencies[latencies.size() / 2];
        result.p99 = latencies[latencies.size() * 99 / 100];
    }
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

int main(int argc, char* argv[]) {
    std::signal(SIGPIPE, SIG_IGN);
    rabuscal::bench::raiseFileLimit();
    rlimit files{};
    ::getrlimit(RLIMIT_NOFILE, &files);
    const int lists = argc > 1 ? std::atoi(argv[1]) : 20000;
    const int inFlight = argc > 2 ? std::atoi(argv[2]) : 16;
    std::vector<std::string> service = {RABUSCAL_DIRECTORY_EXE, "--port", "0"};
    if (argc > 3) service.insert(service.end(), {"--store", argv[3]});
    constexpr int kGroups = 200;
    std::printf(
        "bench_directory: %d groups, %d lists from fresh connections, %d in flight; "
        "open-file limit %ld; groups %s\n",
        kGroups, lists, inFlight, static_cast<long>(files.rlim_cur),
        argc > 3 ? argv[3] : "in memory");
    for (const int idle : {1000, 15000}) {
        const Run ours = measure(service, true, idle, kGroups, lists, inFlight);
        print(argc > 3 ? "directory + store" : "rabuscal-directory", idle, ours);
        const Run reference = measure({DIRECTORY_REFERENCE_EXE, std::to_string(kGroups)}, false,
                                      idle, kGroups, lists, inFlight);
        print("epoll reference", idle, reference);
        std::printf(
            "%-20s idle %6d | lists/s directory/reference %.2f\n", "ratio", idle,
            reference.lists.perSecond > 0 ? ours.lists.perSecond / reference.lists.perSecond : 0.0);
    }
}
