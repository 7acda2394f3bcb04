// SPDX-License-Identifier: GPL-3.0-or-later
#include "daemon/net_policy/accepting.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace rabuscal::daemon {

AcceptFailure acceptFailure(int error) {
    if (error == EAGAIN || error == EWOULDBLOCK) return AcceptFailure::Drained;
    if (error == EMFILE || error == ENFILE || error == ENOBUFS || error == ENOMEM)
        return AcceptFailure::OutOfDescriptors;
    return AcceptFailure::Other;
}

void endRefused(int fd, std::string_view notice) {
    if (notice.empty()) {
        const linger abort{1, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    } else {
        [[maybe_unused]] const ssize_t sent =
            ::send(fd, notice.data(), notice.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        discardUnread(fd);
    }
    ::close(fd);
}

void discardUnread(int fd) {
    char sink[4096];
    for (int i = 0; i < 16 && ::recv(fd, sink, sizeof sink, MSG_DONTWAIT) > 0; ++i) {
    }
}

}  // namespace rabuscal::daemon
