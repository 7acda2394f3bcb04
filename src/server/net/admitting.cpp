// SPDX-License-Identifier: GPL-3.0-or-later
// The game server's listener and who it lets in: accepting in bursts, the
// policy both servers share (daemon/net_policy) with the game's own notices,
// and the connections that never joined.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "daemon/net_policy/accepting.h"
#include "protocol/commands.h"
#include "protocol/framing.h"
#include "server/net/tcp_peer.h"
#include "server/texts.h"

namespace rabuscal::server {

namespace {
// Many players may connect at the same moment (a whole class joining).
constexpr int kListenBacklog = 1024;
constexpr int kAcceptsPerPass = 64;

std::string addressText(const sockaddr_storage& address) {
    char text[INET6_ADDRSTRLEN] = {};
    if (address.ss_family == AF_INET) {
        const auto& v4 = reinterpret_cast<const sockaddr_in&>(address);
        ::inet_ntop(AF_INET, &v4.sin_addr, text, sizeof text);
    } else if (address.ss_family == AF_INET6) {
        const auto& v6 = reinterpret_cast<const sockaddr_in6&>(address);
        if (IN6_IS_ADDR_V4MAPPED(&v6.sin6_addr))
            ::inet_ntop(AF_INET, &v6.sin6_addr.s6_addr[12], text, sizeof text);
        else
            ::inet_ntop(AF_INET6, &v6.sin6_addr, text, sizeof text);
    }
    return text;
}

// Every local address, IPv6 and IPv4 on one socket where the system has IPv6.
int openListener(quint16 port, QString& error) {
    for (const int family : {AF_INET6, AF_INET}) {
        const int fd = ::socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) continue;
        const int yes = 1, no = 0;
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        sockaddr_storage address{};
        socklen_t length;
        if (family == AF_INET6) {
            ::setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &no, sizeof no);
            auto& v6 = reinterpret_cast<sockaddr_in6&>(address);
            v6.sin6_family = AF_INET6;
            v6.sin6_addr = in6addr_any;
            v6.sin6_port = htons(port);
            length = sizeof v6;
        } else {
            auto& v4 = reinterpret_cast<sockaddr_in&>(address);
            v4.sin_family = AF_INET;
            v4.sin_addr.s_addr = htonl(INADDR_ANY);
            v4.sin_port = htons(port);
            length = sizeof v4;
        }
        if (::bind(fd, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
            ::listen(fd, kListenBacklog) == 0)
            return fd;
        const int failure = errno;
        ::close(fd);
        error = QStringLiteral("listen: ") + QString::fromLocal8Bit(std::strerror(failure));
        if (failure != EAFNOSUPPORT && failure != EADDRNOTAVAIL) break;
    }
    return -1;
}

std::string sysNotice(std::string_view text) {
    std::string notice;
    protocol::composeInto(notice, protocol::Command::Sys, text);
    return notice;
}

// Why admission refused a connection, for the log.
std::string_view reasonFor(daemon::Verdict verdict) {
    switch (verdict) {
        case daemon::Verdict::AddressFull:
            return texts::refusals::kTooManyFromAddress;
        case daemon::Verdict::PrefixFull:
            return texts::refusals::kTooManyFromPrefix;
        case daemon::Verdict::TooOften:
            return texts::refusals::kConnectingTooOften;
        case daemon::Verdict::Full:
        case daemon::Verdict::Admitted:
            break;
    }
    return texts::refusals::kTooManyConnections;
}
}  // namespace

std::optional<QString> TcpGameServer::start(quint16 port) {
    if (isListening()) return std::nullopt;
    QString error;
    const int fd = openListener(port, error);
    if (fd < 0) return error;
    sockaddr_storage bound{};
    socklen_t length = sizeof bound;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &length);
    port_ = ntohs(bound.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6&>(bound).sin6_port
                                              : reinterpret_cast<sockaddr_in&>(bound).sin_port);
    epoll_event event{};
    event.events = EPOLLIN | EPOLLET;
    event.data.u64 = kListenerTag;
    ::epoll_ctl(epoll_, EPOLL_CTL_ADD, fd, &event);
    listenFd_ = fd;
    listenerReady_ = true;  // edge-triggered: look once in case someone was quick
    stallTimer_.start();
    schedulePass();
    return std::nullopt;
}

void TcpGameServer::acceptPending() {
    // Slots are for players: when full, one that never joined may make room.
    daemon::Admission::MakeRoom makeRoom;
    if (limits_.evictNeverJoined) makeRoom = [this] { return evictOneNeverJoined(); };
    for (int attempts = 0; listenerReady_ && !acceptPaused_ && isListening(); ++attempts) {
        if (attempts == kAcceptsPerPass) return;  // the rest next pass
        sockaddr_storage address{};
        socklen_t length = sizeof address;
        const int fd = ::accept4(listenFd_, reinterpret_cast<sockaddr*>(&address), &length,
                                 SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            const daemon::AcceptFailure failure = daemon::acceptFailure(errno);
            if (failure == daemon::AcceptFailure::Drained) {
                listenerReady_ = false;
            } else if (failure == daemon::AcceptFailure::OutOfDescriptors) {
                pauseAccepting();
            }
            continue;  // ECONNABORTED, EINTR, ...: the next one
        }
        std::string from = addressText(address);
        const auto key = daemon::addressKey(reinterpret_cast<const sockaddr*>(&address));
        const daemon::Verdict verdict =
            key ? admission_.admit(*key, peers_.size(), Clock::now(), makeRoom)
                : daemon::Verdict::Full;
        if (verdict != daemon::Verdict::Admitted) {
            // A refused connection reads why before its end.
            daemon::endRefused(fd,
                               sysNotice(verdict == daemon::Verdict::Full ? texts::kServerFull
                                                                          : texts::kAddressFull));
            events_->connectionRefused(from, reasonFor(verdict));
            continue;
        }
        SrvClientConnect(fd, std::move(from), *key);
    }
}

// A connection taken within the limits: to the epoll set and to the rules.
void TcpGameServer::SrvClientConnect(int fd, std::string address, daemon::AddressKey key) {
    const int yes = 1;  // strokes are small and should be on the other boards at once
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    const ConnectionId id = nextId_++;
    epoll_event event{};
    event.events = EPOLLIN | EPOLLOUT | EPOLLRDHUP | EPOLLET;
    event.data.u64 = id;
    ::epoll_ctl(epoll_, EPOLL_CTL_ADD, fd, &event);
    auto peer = std::make_unique<Peer>();
    peer->fd = fd;
    peer->id = id;
    peer->address = std::move(address);
    peer->key = std::move(key);
    peer->acceptedAt = Clock::now();
    const std::string& joinGroup = peer->key.wide;
    peers_.emplace(id, std::move(peer));
    rules_.connectionAccepted(id, joinGroup);
}

// Out of file descriptors: a readable listener whose accept fails would spin.
void TcpGameServer::pauseAccepting() {
    acceptPaused_ = true;
    events_->acceptPaused(true);
    acceptTimer_.start(limits_.acceptPause);
}

// The server is full: a connection that never joined goes, from the address
// holding the most connections (the oldest of them), so that squatters make
// room before anyone who came to play. False when every connection joined.
bool TcpGameServer::evictOneNeverJoined() {
    Peer* chosen = nullptr;
    std::size_t chosenCount = 0;
    for (auto& [id, peer] : peers_) {
        if (peer->closing || rules_.everJoined(id)) continue;
        const std::size_t count = admission_.countOf(peer->key);
        if (!chosen || count > chosenCount ||
            (count == chosenCount && peer->acceptedAt < chosen->acceptedAt))
            chosen = peer.get(), chosenCount = count;
    }
    if (!chosen) return false;
    closeWithNotice(*chosen, texts::kServerFull, texts::refusals::kEvicted);
    closePending();
    return true;
}

void TcpGameServer::checkJoinDeadlines(Clock::time_point now) {
    if (limits_.joinDeadline.count() <= 0) return;
    for (auto& [id, peer] : peers_)
        // While reading it waits for the queues, its "slc" may be there unread.
        if (!peer->closing && now - peer->acceptedAt > limits_.joinDeadline &&
            !rules_.everJoined(id) && !(peer->readable && readingPaused(*peer)))
            closeWithNotice(*peer, texts::kJoinTimeOut, texts::refusals::kJoinTimeOut);
}

// The notice goes straight to the socket (a fresh connection has room for it)
// and the connection is closed with the next close handling.
void TcpGameServer::closeWithNotice(Peer& peer, std::string_view text, std::string_view why) {
    if (peer.closing) return;
    send(peer.id, sysNotice(text));
    writeOut(peer);
    daemon::discardUnread(peer.fd);
    markClosing(peer, why);
}

}  // namespace rabuscal::server
