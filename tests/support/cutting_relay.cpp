// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/cutting_relay.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <linux/sockios.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <random>
#include <string_view>
#include <vector>

namespace rabuscal::support {

namespace {

using Clock = std::chrono::steady_clock;

// Bytes the relay lets wait in a socket's send queue before it holds back the
// next piece: below it a piece is always taken whole, so no piece is cut
// again by a full buffer.
constexpr int kQueuedBeforeWaiting = 32 * 1024;
constexpr std::size_t kReadingWhileBelow = 1 << 20;

void prepare(int fd) {
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    const int sendBuffer = 200 * 1024;
    ::setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &sendBuffer, sizeof sendBuffer);
}

struct Direction {
    int from = -1;
    int to = -1;
    std::string queue;
    std::size_t sent = 0;  // bytes of `queue` already forwarded
    Clock::time_point due{};
    bool fromClosed = false;
    bool shutDown = false;
    std::string_view pending() const { return std::string_view(queue).substr(sent); }
};

struct Link {
    Direction up, down;
    bool dead = false;
    ~Link() {
        ::close(up.from);
        ::close(up.to);
    }
};

}  // namespace

struct CuttingRelay::Loop {
    int listener = -1;
    quint16 upstream = 0;
    Options options;
    std::mt19937 random;
    std::vector<std::unique_ptr<Link>> links;

    std::size_t pieceSize(std::string_view pending) {
        std::size_t n = std::uniform_int_distribution<std::size_t>(1, options.maxPiece)(random);
        n = std::min(n, pending.size());
        const std::string_view separator = options.separator;
        if (!separator.empty() && pending.starts_with(separator)) {
            // A piece that starts a message and ends inside it is a full
            // segment: a short message travels whole, a longer one is cut
            // after more than `shortMessage` bytes.
            const std::size_t next = pending.find(separator, separator.size());
            const std::size_t end = next == std::string_view::npos ? pending.size() : next;
            if (n < end) n = std::max(n, std::min(end, options.shortMessage + 1));
        }
        return n;
    }

    void accept() {
        const int client = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) return;
        const int server = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(upstream);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(server, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            ::close(server);
            ::close(client);
            return;
        }
        prepare(client);
        prepare(server);
        auto link = std::make_unique<Link>();
        link->up.from = link->down.to = client;
        link->up.to = link->down.from = server;
        links.push_back(std::move(link));
    }

    // Returns false when the link broke.
    bool receive(Direction& d) {
        char buffer[64 * 1024];
        const ssize_t n = ::recv(d.from, buffer, sizeof buffer, 0);
        if (n > 0) d.queue.append(buffer, static_cast<std::size_t>(n));
        if (n == 0) d.fromClosed = true;
        return n >= 0 || errno == EAGAIN || errno == EINTR;
    }

    // Returns the number of pieces sent (0 or 1), or -1 when the link broke.
    int forward(Direction& d, Clock::time_point now) {
        if (d.pending().empty() || now < d.due) return 0;
        int queued = 0;
        if (::ioctl(d.to, SIOCOUTQ, &queued) == 0 && queued > kQueuedBeforeWaiting) return 0;
        const std::size_t n = pieceSize(d.pending());
        const ssize_t sent = ::send(d.to, d.pending().data(), n, MSG_NOSIGNAL);
        if (sent < 0) return errno == EAGAIN || errno == EINTR ? 0 : -1;
        d.sent += static_cast<std::size_t>(sent);
        if (d.sent > (1u << 16) && d.sent * 2 > d.queue.size()) {
            d.queue.erase(0, d.sent);
            d.sent = 0;
        }
        const int gap = std::uniform_int_distribution<int>(0, options.maxGapMs)(random);
        d.due = now + std::chrono::milliseconds(gap);
        return 1;
    }
};

CuttingRelay::CuttingRelay(quint16 upstreamPort, Options options)
    : loop_(std::make_unique<Loop>()) {
    loop_->upstream = upstreamPort;
    loop_->random.seed(options.seed);
    loop_->options = std::move(options);
    loop_->listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(loop_->listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(loop_->listener, 64);
    socklen_t length = sizeof address;
    ::getsockname(loop_->listener, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);

    thread_ = std::thread([this] {
        Loop& loop = *loop_;
        while (!stop_.load()) {
            const Clock::time_point now = Clock::now();
            std::vector<pollfd> fds{{loop.listener, POLLIN, 0}};
            std::vector<Direction*> directions;
            int timeout = 20;
            for (auto& link : loop.links) {
                for (Direction* d : {&link->up, &link->down}) {
                    short events = 0;
                    if (!d->fromClosed && d->pending().size() < kReadingWhileBelow)
                        events |= POLLIN;
                    if (!d->pending().empty()) {
                        const auto wait =
                            std::chrono::duration_cast<std::chrono::milliseconds>(d->due - now);
                        timeout = d->due <= now ? 0 : std::min(timeout, int(wait.count()) + 1);
                    }
                    fds.push_back({d->fromClosed ? -1 : d->from, events, 0});
                    directions.push_back(d);
                }
            }
            ::poll(fds.data(), fds.size(), timeout);
            if (fds[0].revents & POLLIN) loop.accept();
            const Clock::time_point after = Clock::now();
            for (std::size_t i = 0; i < directions.size(); ++i) {
                Direction& d = *directions[i];
                Link& link = *loop.links[i / 2];
                if (fds[i + 1].revents & (POLLIN | POLLHUP | POLLERR))
                    link.dead |= !loop.receive(d);
                const int sent = loop.forward(d, after);
                if (sent < 0)
                    link.dead = true;
                else
                    pieces_ += static_cast<std::size_t>(sent);
                if (d.fromClosed && d.pending().empty() && !d.shutDown) {
                    ::shutdown(d.to, SHUT_WR);
                    d.shutDown = true;
                }
            }
            std::erase_if(loop.links, [](const std::unique_ptr<Link>& link) {
                return link->dead || (link->up.shutDown && link->down.shutDown);
            });
        }
    });
}

CuttingRelay::~CuttingRelay() {
    stop_ = true;
    thread_.join();
    ::close(loop_->listener);
}

}  // namespace rabuscal::support
