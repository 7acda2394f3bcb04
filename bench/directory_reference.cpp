// SPDX-License-Identifier: GPL-3.0-or-later
// The yardstick for the directory benchmark: a minimal single-threaded epoll
// service that answers every request with one canned "lsg" of G groups, as
// rabuscal-directory does with "jgs", and knows nothing else. Prints
// "listening on port N", like rabuscal-directory.
//
// Usage: directory_reference GROUPS

#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "reference_listener.h"

int main(int argc, char* argv[]) {
    std::signal(SIGPIPE, SIG_IGN);
    rabuscal::bench::raiseFileLimit();

    const int groups = argc > 1 ? std::atoi(argv[1]) : 0;
    std::string reply = "j#glsg:";
    // The names and addresses bench_directory announces to rabuscal-directory.
    for (int i = 0; i < groups; ++i)
        reply += "grupo " + std::to_string(i) + "|127.2.0." + std::to_string(i / 8 + 1) + "^";

    const auto [listener, epollFd] =
        rabuscal::bench::listenAndAnnounce("directory_reference", 0, 65535);

    char buffer[16 * 1024];
    epoll_event events[256];
    for (;;) {
        const int n = ::epoll_wait(epollFd, events, 256, -1);
        if (n < 0 && errno != EINTR) return 1;
        for (int i = 0; i < n; ++i) {
            const int fd = events[i].data.fd;
            if (fd == listener) {
                for (int c; (c = ::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK)) >= 0;) {
                    epoll_event cev{};
                    cev.events = EPOLLIN;
                    cev.data.fd = c;
                    ::epoll_ctl(epollFd, EPOLL_CTL_ADD, c, &cev);
                }
                continue;
            }
            const ssize_t got = ::read(fd, buffer, sizeof buffer);
            if (got > 0) {
                // Replies are small; a peer that does not take one whole is dropped.
                if (::write(fd, reply.data(), reply.size()) != static_cast<ssize_t>(reply.size()))
                    ::close(fd);
            } else if (got == 0 || errno != EAGAIN) {
                ::close(fd);
            }
        }
    }
}
