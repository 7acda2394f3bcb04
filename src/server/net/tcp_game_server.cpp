// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/net/tcp_game_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "protocol/commands.h"
#include "protocol/framing.h"
#include "server/texts.h"

namespace rabuscal::server {

namespace {
using Clock = std::chrono::steady_clock;

// Many players may connect at the same moment (a whole class joining).
constexpr int kListenBacklog = 1024;
// One read per connection per pass: small enough that what a chunk makes the
// server send stays near the marks, large enough for a flood of strokes.
constexpr std::size_t kReadSize = 16 * 1024;
constexpr int kEventsPerPass = 256;
constexpr int kAcceptsPerPass = 64;
constexpr int kTurnsPerPass = 64;
constexpr std::chrono::milliseconds kPassTime{4};
constexpr ConnectionId kListenerTag = 0;
// Bytes of a message cut by a full read that wait for the rest of it.
constexpr std::size_t kMaxHeld = 16 * 1024;
// A queue that emptied gives its memory back above this.
constexpr std::size_t kKeptCapacity = 64 * 1024;

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
// What a peer sent and nobody will read: gone before the close, so that the
// peer gets an orderly end (and the notice before it) instead of a reset.
void discardUnread(int fd) {
    char sink[4096];
    for (int i = 0; i < 16 && ::recv(fd, sink, sizeof sink, MSG_DONTWAIT) > 0; ++i) {
    }
}

// A connection refused at accept reads why before its end.
void refuseWithNotice(int fd, std::string_view text) {
    std::string notice;
    protocol::composeInto(notice, protocol::Command::Sys, text);
    [[maybe_unused]] const ssize_t sent = ::send(fd, notice.data(), notice.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    discardUnread(fd);
    ::close(fd);
}
}  // namespace

struct TcpGameServer::Peer {
    int fd = -1;
    ConnectionId id = 0;
    std::string address;
    daemon::AddressKey key;
    Clock::time_point acceptedAt{};
    std::string held;  // the start of a message cut by a full read
    std::string out;   // bytes from `head` on wait for the socket
    std::size_t head = 0;
    bool readable = false;           // on the readable_ list
    bool writable = true;            // false from a short write until the kernel has room again
    bool hungUp = false;             // the peer closed its side: nothing more is queued for it
    bool closing = false;            // on the closing_ list
    bool dirty = false;              // on the dirty_ list
    Clock::time_point aboveSince{};  // above the high-water mark since; zero when not

    std::size_t queued() const { return out.size() - head; }
    bool aboveMark() const { return aboveSince != Clock::time_point{}; }
};

TcpGameServer::TcpGameServer(std::string& drawerNick, ServerEvents* events, QObject* parent)
    : QObject(parent),
      rules_(drawerNick, *this, events, GameServerOptions{.batchPlayerLists = true}),
      events_(events ? events : &noEvents_),
      epoll_(::epoll_create1(EPOLL_CLOEXEC)),
      readBuffer_(kReadSize, '\0') {
    setLimits(limits_);
    notifier_ = std::make_unique<QSocketNotifier>(epoll_, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &TcpGameServer::pass);
    passTimer_.setSingleShot(true);
    passTimer_.setInterval(0);
    connect(&passTimer_, &QTimer::timeout, this, &TcpGameServer::pass);
    stallTimer_.setInterval(250);
    connect(&stallTimer_, &QTimer::timeout, this, &TcpGameServer::checkStalled);
    acceptTimer_.setSingleShot(true);
    connect(&acceptTimer_, &QTimer::timeout, this, [this] {
        acceptPaused_ = false;
        listenerReady_ = true;  // the connections that waited meanwhile
        events_->acceptPaused(false);
        schedulePass();
    });
}

TcpGameServer::~TcpGameServer() {
    stop();
    notifier_.reset();
    ::close(epoll_);
}

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

void TcpGameServer::stop() {
    if (listenFd_ >= 0) ::close(listenFd_);
    listenFd_ = -1;
    port_ = 0;
    for (auto& [id, peer] : peers_) ::close(peer->fd);
    peers_.clear();
    admission_.clear();
    readable_.clear();
    dirty_.clear();
    closing_.clear();
    totalQueued_ = 0;
    aboveMark_ = 0;
    listenerReady_ = acceptPaused_ = false;
    acceptTimer_.stop();
    stallTimer_.stop();
    passTimer_.stop();
    rules_.stopAll();
}

void TcpGameServer::setLimits(const NetLimits& limits) {
    limits_ = limits;
    admission_.setLimits({limits.maxConnections, limits.maxPerAddress, limits.maxPerPrefix,
                          limits.connectsPerSecond});
    // More players behind one address than a school's 32: the lists they
    // cause as they join grow with the square of their number.
    const double behindOne = std::max(1.0, double(limits.maxPerAddress) / 32);
    rules_.setJoinCreditCap(kJoinCreditCap * behindOne * behindOne);
}

std::string TcpGameServer::addressOf(ConnectionId id) const {
    const Peer* peer = find(id);
    return peer ? peer->address : std::string{};
}

std::size_t TcpGameServer::queuedBytes(ConnectionId id) const {
    const Peer* peer = find(id);
    return peer ? peer->queued() : 0;
}

TcpGameServer::Peer* TcpGameServer::find(ConnectionId id) const {
    const auto it = peers_.find(id);
    return it == peers_.end() ? nullptr : it->second.get();
}

void TcpGameServer::schedulePass() {
    if (!inPass_ && !passTimer_.isActive()) passTimer_.start();
}

// The high-water mark, lowered when many connections share the budget: all of
// them above it would still fit.
std::size_t TcpGameServer::mark() const {
    return std::min(limits_.highWaterMark, limits_.totalBudget / (peers_.size() + 1));
}

bool TcpGameServer::readingPaused() const {
    return aboveMark_ > 0 || totalQueued_ > limits_.totalBudget;
}

// One turn of the loop: collect what the kernel reports, close what hung up,
// read one chunk from each readable connection, accept newcomers, then send
// the player list once for everything that happened.
void TcpGameServer::pass() {
    if (inPass_ || epoll_ < 0) return;
    inPass_ = true;
    // Several turns while work is left, within a few milliseconds: the other
    // events of the program (a signal, the directory) wait no longer than that.
    const Clock::time_point start = Clock::now();
    for (int turn = 0; turn < kTurnsPerPass && runTurn() && Clock::now() - start < kPassTime;
         ++turn) {
    }
    inPass_ = false;
    if (moreWork()) schedulePass();
}

bool TcpGameServer::moreWork() const {
    const bool moreToRead = !readable_.empty() && !readingPaused();
    return moreToRead || (listenerReady_ && !acceptPaused_ && isListening());
}

bool TcpGameServer::runTurn() {
    epoll_event events[kEventsPerPass];
    const int n = ::epoll_wait(epoll_, events, kEventsPerPass, 0);
    for (int i = 0; i < n; ++i) {
        if (events[i].data.u64 == kListenerTag) {
            listenerReady_ = true;
            continue;
        }
        Peer* peer = find(events[i].data.u64);
        if (!peer || peer->closing) continue;
        const std::uint32_t what = events[i].events;
        if (what & (EPOLLRDHUP | EPOLLHUP | EPOLLERR)) peer->hungUp = true;
        if ((what & (EPOLLIN | EPOLLRDHUP | EPOLLHUP | EPOLLERR)) && !peer->readable) {
            peer->readable = true;
            readable_.push_back(peer->id);
        }
        if (what & EPOLLOUT) {
            peer->writable = true;
            if (peer->queued() > 0) writeOut(*peer);
        }
    }
    closePending();

    // Reading, and the closes it brings, before accepting: a connection that
    // already hung up is gone before a newcomer is counted against the limits.
    std::vector<ConnectionId> round;
    round.swap(readable_);
    for (const ConnectionId id : round) {
        Peer* peer = find(id);
        if (!peer || peer->closing) continue;
        if (readingPaused()) {
            // Its last words would only deepen the queues: a peer that hung up
            // goes now, the others wait for the queues to drain.
            if (peer->hungUp) {
                markClosing(*peer, {});
            } else {
                readable_.push_back(id);
            }
            continue;
        }
        SrvClientRead(*peer);
        if (peer->readable) readable_.push_back(id);
        closePending();
    }
    acceptPending();
    rules_.flushPlayerList();
    flushDirty();
    closePending();
    return moreWork();
}

// A chunk is everything the peer had sent when it is read. A read that fills
// the buffer may have cut a message that goes on in the socket: the bytes from
// its last separator on wait for the next read instead of reaching the rules
// as a cut message.
void TcpGameServer::SrvClientRead(Peer& peer) {
    const std::size_t held = peer.held.size();
    readBuffer_.assign(peer.held);
    readBuffer_.resize(held + kReadSize);
    peer.held.clear();
    const ssize_t got = ::recv(peer.fd, readBuffer_.data() + held, kReadSize, 0);
    std::string_view chunk(readBuffer_.data(),
                           held + static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
    if (got > 0 && static_cast<std::size_t>(got) == kReadSize) {
        const std::size_t last = chunk.rfind(protocol::kGameSeparator);
        if (last != std::string_view::npos && last > 0 && chunk.size() - last <= kMaxHeld) {
            peer.held.assign(chunk.substr(last));
            chunk = chunk.substr(0, last);
        }
    } else if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
        peer.readable = errno == EINTR;  // else drained: the next arrival is a new edge
    } else if (got <= 0) {
        peer.readable = false;
        peer.hungUp = true;
    } else {
        peer.readable = false;  // a short read took everything there was
    }
    if (!chunk.empty()) {
        emit chunkArrived();
        rules_.dataReceived(peer.id, chunk);
        flushDirty();
    }
    if (peer.hungUp && !peer.readable) markClosing(peer, {});
}

void TcpGameServer::send(ConnectionId id, std::string_view bytes) {
    Peer* peer = find(id);
    if (!peer || peer->hungUp || peer->closing) return;
    peer->out.append(bytes);
    totalQueued_ += bytes.size();
    if (!peer->dirty) {
        peer->dirty = true;
        dirty_.push_back(peer);
    }
    const std::size_t queued = peer->queued();
    if (queued > mark() && !peer->aboveMark()) {
        peer->aboveSince = Clock::now();
        ++aboveMark_;
    }
    if (queued > limits_.connectionCap) {
        markClosing(*peer, texts::refusals::kQueueOverCap);
    } else if (totalQueued_ > limits_.totalBudget && peer->aboveMark()) {
        markClosing(*peer, "the server's queues are full");
    }
}

// Once per chunk, not per message, every connection that got something is
// offered its queue, even one whose socket was full a moment ago: the kernel
// announces room only once much of it is free, and waiting for that would hold
// strokes back.
void TcpGameServer::flushDirty() {
    // writeOut may mark peers for closing but never removes one: the list stays valid.
    for (Peer* peer : dirty_) {
        peer->dirty = false;
        if (!peer->closing) writeOut(*peer);
    }
    dirty_.clear();
}

void TcpGameServer::writeOut(Peer& peer) {
    while (peer.queued() > 0) {
        const ssize_t n = ::send(peer.fd, peer.out.data() + peer.head, peer.queued(), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            peer.writable = false;
            break;
        }
        if (n < 0) {
            peer.hungUp = true;
            markClosing(peer, {});
            return;
        }
        peer.head += static_cast<std::size_t>(n);
        totalQueued_ -= static_cast<std::size_t>(n);
        if (peer.queued() > 0) {
            peer.writable = false;  // the kernel took what it had room for
            break;
        }
    }
    if (peer.queued() == 0) {
        peer.out.clear();
        peer.head = 0;
        if (peer.out.capacity() > kKeptCapacity) std::string().swap(peer.out);
    } else if (peer.head > peer.queued()) {
        peer.out.erase(0, peer.head);
        peer.head = 0;
    }
    if (peer.aboveMark() && peer.queued() <= mark() / 2) leaveMark(peer);
}

void TcpGameServer::leaveMark(Peer& peer) {
    peer.aboveSince = {};
    if (--aboveMark_ == 0 && !readable_.empty()) schedulePass();
}

void TcpGameServer::markClosing(Peer& peer, std::string_view why) {
    if (peer.closing) return;
    peer.closing = true;
    if (!why.empty()) events_->connectionDropped(peer.id, why);
    closing_.push_back(peer.id);
}

// Close handling, one connection at a time and never inside a message: what
// it broadcasts may close further connections, which join the list.
void TcpGameServer::closePending() {
    while (!closing_.empty()) {
        const ConnectionId id = closing_.back();
        closing_.pop_back();
        if (Peer* peer = find(id)) SrvClientDisconnect(*peer);
    }
}

void TcpGameServer::SrvClientDisconnect(Peer& peer) {
    const ConnectionId id = peer.id;
    std::erase(dirty_, &peer);
    forget(peer);
    ::close(peer.fd);
    peers_.erase(id);  // `peer` is gone from here on
    rules_.connectionClosed(id);
    emit connectionCountChanged(static_cast<int>(rules_.connectionCount()));
    flushDirty();
}

// Takes a closing peer out of every count before its close handling runs.
void TcpGameServer::forget(Peer& peer) {
    totalQueued_ -= peer.queued();
    peer.out.clear();
    peer.head = 0;
    if (peer.aboveMark()) leaveMark(peer);
    admission_.release(peer.key);
}

void TcpGameServer::acceptPending() {
    for (int attempts = 0; listenerReady_ && !acceptPaused_ && isListening(); ++attempts) {
        if (attempts == kAcceptsPerPass) return;  // the rest next pass
        sockaddr_storage address{};
        socklen_t length = sizeof address;
        const int fd = ::accept4(listenFd_, reinterpret_cast<sockaddr*>(&address), &length,
                                 SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                listenerReady_ = false;
            } else if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
                pauseAccepting();
            }
            continue;  // ECONNABORTED, EINTR, ...: the next one
        }
        std::string from = addressText(address);
        const auto key = daemon::addressKey(reinterpret_cast<const sockaddr*>(&address));
        const bool full = peers_.size() >= limits_.maxConnections;
        std::string_view refusal =
            key ? admission_.admit(*key, peers_.size(), full && limits_.evictNeverJoined,
                                   Clock::now())
                : texts::refusals::kTooManyConnections;
        if (refusal.empty() && full && !evictOneNeverJoined()) {
            admission_.release(*key);
            refusal = texts::refusals::kTooManyConnections;
        }
        if (!refusal.empty()) {
            refuseWithNotice(fd, refusal == texts::refusals::kTooManyConnections
                                     ? texts::kServerFull
                                     : texts::kAddressFull);
            events_->connectionRefused(from, refusal);
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
    emit connectionCountChanged(static_cast<int>(rules_.connectionCount()));
}

// Out of file descriptors: a readable listener whose accept fails would spin.
void TcpGameServer::pauseAccepting() {
    acceptPaused_ = true;
    events_->acceptPaused(true);
    acceptTimer_.start(limits_.acceptPause);
}

void TcpGameServer::checkStalled() {
    const Clock::time_point now = Clock::now();
    checkJoinDeadlines(now);
    for (auto& [id, peer] : peers_)
        if (peer->aboveMark() && now - peer->aboveSince > limits_.stallTimeout)
            markClosing(*peer, texts::refusals::kStoppedReading);
    if (!closing_.empty() && !inPass_) {
        closePending();
        rules_.flushPlayerList();
        flushDirty();
        closePending();
    }
    if (!readable_.empty() && !readingPaused()) schedulePass();
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
    // While reading waits for the queues, a "slc" may be waiting unread.
    if (limits_.joinDeadline.count() <= 0 || readingPaused()) return;
    for (auto& [id, peer] : peers_)
        if (!peer->closing && now - peer->acceptedAt > limits_.joinDeadline &&
            !rules_.everJoined(id))
            closeWithNotice(*peer, texts::kJoinTimeOut, texts::refusals::kJoinTimeOut);
}

// The notice goes straight to the socket (a fresh connection has room for it)
// and the connection is closed with the next close handling.
void TcpGameServer::closeWithNotice(Peer& peer, std::string_view text, std::string_view why) {
    if (peer.closing) return;
    std::string notice;
    protocol::composeInto(notice, protocol::Command::Sys, text);
    send(peer.id, notice);
    writeOut(peer);
    discardUnread(peer.fd);
    markClosing(peer, why);
}

}  // namespace rabuscal::server
