// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/raw_socket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "support/application.h"

namespace rabuscal::support {

int rawConnect(quint16 port, const char* source, int receiveBuffer) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (receiveBuffer > 0)
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    if (source) {
        ::inet_pton(AF_INET, source, &address.sin_addr);
        if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            ::close(fd);
            return -1;
        }
    }
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool sendAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool closedByServer(int fd, int ms) {
    setReceiveTimeout(fd, ms);
    char scratch[1 << 16];
    for (;;) {
        const ssize_t n = ::recv(fd, scratch, sizeof scratch, 0);
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) return true;
        if (n < 0 && errno == EAGAIN) return false;
    }
}

void setReceiveTimeout(int fd, int ms) {
    timeval timeout{ms / 1000, (ms % 1000) * 1000};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
}

std::string receivedSoFar(int fd) {
    std::string got;
    char buffer[1 << 16];
    for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT)) > 0;)
        got.append(buffer, static_cast<std::size_t>(n));
    return got;
}

std::optional<std::string> readUntilClosed(int fd, int ms) {
    std::string got;
    bool closed = false;
    waitFor(
        [&] {
            char buffer[4096];
            for (;;) {
                const ssize_t n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
                if (n <= 0) return closed = n == 0 || (errno != EAGAIN && errno != EINTR);
                got.append(buffer, static_cast<std::size_t>(n));
            }
        },
        ms);
    if (!closed) return std::nullopt;
    return got;
}

}  // namespace rabuscal::support
