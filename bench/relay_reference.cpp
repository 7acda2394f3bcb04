// SPDX-License-Identifier: GPL-3.0-or-later
// The yardstick for the relay benchmark: a minimal single-threaded epoll relay.
// It cuts each chunk at "$-$" and hands every message to every connection,
// sender included, as the game server does with strokes, but knows nothing
// else of the game. Prints "listening on port N", like rabuscal-server.
//
// Usage: relay_reference [port]   (default 0: any free port)

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "reference_listener.h"

namespace {

constexpr std::string_view kSeparator = "$-$";

struct Client {
    int fd = -1;
    std::string out;  // bytes not yet taken by the socket
    bool wantsWrite = false;
};

int epollFd = -1;
std::unordered_map<int, Client> clients;
std::vector<int> order;  // connection order, for the broadcast

void setNonBlocking(int fd) {
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
}

void flush(Client& c) {
    while (!c.out.empty()) {
        const ssize_t n = ::write(c.fd, c.out.data(), c.out.size());
        if (n < 0) break;
        c.out.erase(0, static_cast<std::size_t>(n));
    }
    const bool wants = !c.out.empty();
    if (wants != c.wantsWrite) {
        epoll_event ev{};
        ev.events = EPOLLIN | (wants ? EPOLLOUT : 0u);
        ev.data.fd = c.fd;
        ::epoll_ctl(epollFd, EPOLL_CTL_MOD, c.fd, &ev);
        c.wantsWrite = wants;
    }
}

void drop(int fd) {
    ::epoll_ctl(epollFd, EPOLL_CTL_DEL, fd, nullptr);
    ::close(fd);
    clients.erase(fd);
    std::erase(order, fd);
}

void relayChunk(std::string_view chunk) {
    std::size_t at = 0;
    while (at < chunk.size()) {
        std::size_t next = chunk.find(kSeparator, at + kSeparator.size());
        if (next == std::string_view::npos) next = chunk.size();
        const std::string_view message = chunk.substr(at, next - at);
        for (int fd : order) clients[fd].out.append(message);
        at = next;
    }
    for (int fd : order) flush(clients[fd]);
}

}  // namespace

int main(int argc, char* argv[]) {
    std::signal(SIGPIPE, SIG_IGN);
    const int port = argc > 1 ? std::atoi(argv[1]) : 0;
    const auto listening = rabuscal::bench::listenAndAnnounce("relay_reference", port, 1024);
    const int listener = listening.listener;
    epollFd = listening.epollFd;
    const int yes = 1;

    std::string buffer(1 << 20, '\0');
    epoll_event events[256];
    for (;;) {
        const int n = ::epoll_wait(epollFd, events, 256, -1);
        if (n < 0 && errno != EINTR) return 1;
        for (int i = 0; i < n; ++i) {
            const int fd = events[i].data.fd;
            if (fd == listener) {
                for (int c; (c = ::accept(listener, nullptr, nullptr)) >= 0;) {
                    setNonBlocking(c);
                    ::setsockopt(c, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
                    epoll_event cev{};
                    cev.events = EPOLLIN;
                    cev.data.fd = c;
                    ::epoll_ctl(epollFd, EPOLL_CTL_ADD, c, &cev);
                    clients[c].fd = c;
                    order.push_back(c);
                }
                continue;
            }
            if (!clients.contains(fd)) continue;
            if (events[i].events & EPOLLOUT) flush(clients[fd]);
            if (events[i].events & (EPOLLIN | EPOLLHUP | EPOLLERR)) {
                const ssize_t got = ::read(fd, buffer.data(), buffer.size());
                if (got > 0) {
                    relayChunk(std::string_view(buffer.data(), static_cast<std::size_t>(got)));
                } else if (got == 0 || errno != EAGAIN) {
                    drop(fd);
                }
            }
        }
    }
}
