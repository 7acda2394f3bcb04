// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the benchmarks' reference servers share: a non-blocking listener on a
// port (0: any free one) announced as "listening on port N", as the real
// servers do, watched by a new epoll set.

#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/socket.h>

#include <cstdio>
#include <cstdlib>

namespace rabuscal::bench {

inline void raiseFileLimit() {
    rlimit files{};
    ::getrlimit(RLIMIT_NOFILE, &files);
    files.rlim_cur = files.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &files);
}

// A blocking listener on a free loopback port, for a fake server that one
// window connects to; -1 when none can be had. `address` gets its port.
inline int loopbackListener(sockaddr_in& address) {
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(listener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(listener, 1) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return -1;
    return listener;
}

struct ReferenceListener {
    int listener = -1;
    int epollFd = -1;
};

// Exits with a message when the port cannot be had.
inline ReferenceListener listenAndAnnounce(const char* name, int port, int backlog) {
    ReferenceListener r;
    r.listener = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    const int yes = 1;
    ::setsockopt(r.listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    if (::bind(r.listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(r.listener, backlog) != 0) {
        std::perror(name);
        std::exit(1);
    }
    socklen_t length = sizeof address;
    ::getsockname(r.listener, reinterpret_cast<sockaddr*>(&address), &length);
    std::printf("listening on port %u\n", unsigned{ntohs(address.sin_port)});
    std::fflush(stdout);

    r.epollFd = ::epoll_create1(0);
    epoll_event ev{};
    ev.events = EPOLLIN;
    ev.data.fd = r.listener;
    ::epoll_ctl(r.epollFd, EPOLL_CTL_ADD, r.listener, &ev);
    return r;
}

}  // namespace rabuscal::bench
