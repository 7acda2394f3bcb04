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
#include "server/net/output_queue.h"
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
    [[maybe_unused]] const ssize_t sent =
        ::send(fd, notice.data(), notice.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
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
    OutputQueue out;
    bool readable = false;           // on the readable_ list
    bool writable = true;            // false from a short write until the kernel has room again
    bool hungUp = false;             // the peer closed its side: nothing more is queued for it
    bool closing = false;            // on the closing_ list
    bool dirty = false;              // on the dirty_ list
    bool holding = false;            // on the holding_ list
    bool catchingUp = false;         // on the catchingUp_ list
    bool bulk = false;               // its last read filled the buffer: it sends in bulk
    bool reset = false;              // dropped for not reading: reset, not closed
    Clock::time_point aboveSince{};  // above the high-water mark since; zero when not

    Clock::time_point readableSince{};  // unread bytes have waited since
    Clock::time_point lastRead{};
    Clock::time_point lastProgress{};  // the last write while catching up

    std::size_t queued() const { return out.queued(); }
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
    quietTimer_.setSingleShot(true);
    connect(&quietTimer_, &QTimer::timeout, this, &TcpGameServer::flushQuiet);
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
    holding_.clear();
    catchingUp_.clear();
    quietTimer_.stop();
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

std::size_t TcpGameServer::catchUpLeft(ConnectionId id) const {
    const Peer* peer = find(id);
    return peer ? peer->out.catchUpLeft() : 0;
}

TcpGameServer::Peer* TcpGameServer::find(ConnectionId id) const {
    const auto it = peers_.find(id);
    return it == peers_.end() ? nullptr : it->second.get();
}

void TcpGameServer::schedulePass() {
    if (!inPass_ && !passTimer_.isActive()) passTimer_.start();
}

// The high-water mark, lowered when many connections share the budget: all of
// them at the mark fill half of it, so whenever a flood waits for half the
// budget, some connection is above its mark, on its way to being closed or
// drained.
std::size_t TcpGameServer::mark() const {
    return std::min(limits_.highWaterMark, limits_.totalBudget / (2 * (peers_.size() + 1)));
}

// One slow connection costs only itself. A connection that sends in bulk (its
// reads fill the buffer: a flood, never a hand on a mouse) waits while any
// queue is above the mark or the queues of all together pass half the budget;
// everybody waits only when the budget is nearly spent. So a flood goes at the
// pace of the readers the server keeps, while chat and honest drawing go on.
bool TcpGameServer::readingPaused(const Peer& peer) const {
    const std::size_t budget = limits_.totalBudget;
    if (totalQueued_ >= budget - budget / 8) return true;
    return peer.bulk && (aboveMark_ > 0 || totalQueued_ >= budget / 2);
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
    const bool moreToRead = std::ranges::any_of(readable_, [this](ConnectionId id) {
        const Peer* peer = find(id);
        return peer && !readingPaused(*peer);
    });
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
            peer->readableSince = Clock::now();
            readable_.push_back(peer->id);
        }
        if (what & EPOLLOUT) {
            peer->writable = true;
            if (!peer->out.empty()) writeOut(*peer);
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
        if (readingPaused(*peer)) {
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

// A chunk is everything the peer had sent when it is read. A message that the
// read (or the network) cut waits in the rules' reader for its rest, or for
// the stream to go quiet or end.
void TcpGameServer::SrvClientRead(Peer& peer) {
    const ssize_t got = ::recv(peer.fd, readBuffer_.data(), kReadSize, 0);
    const std::string_view chunk(readBuffer_.data(),
                                 static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
    if (got > 0 && static_cast<std::size_t>(got) == kReadSize) {
        // The socket may hold more: still readable.
    } else if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
        peer.readable = errno == EINTR;  // else drained: the next arrival is a new edge
    } else if (got <= 0) {
        peer.readable = false;
        peer.hungUp = true;
    } else {
        peer.readable = false;  // a short read took everything there was
    }
    peer.bulk = got > 0 && static_cast<std::size_t>(got) == kReadSize;
    peer.lastRead = Clock::now();
    if (!chunk.empty()) {
        emit chunkArrived();
        rules_.dataReceived(peer.id, chunk, peer.readableSince);
        flushDirty();
        noteHolding(peer);
    }
    if (peer.hungUp && !peer.readable) markClosing(peer, {});
}

// One timer for every connection whose reader holds a tail that may go on: a
// connection quiet for kQuietFlushMs has its tail taken as whole. One with
// unread bytes is not quiet (the server did not read it yet): its tail waits.
void TcpGameServer::noteHolding(Peer& peer) {
    if (peer.holding || peer.closing || !rules_.holdingTail(peer.id)) return;
    peer.holding = true;
    holding_.push_back(peer.id);
    if (!quietTimer_.isActive()) quietTimer_.start(protocol::kQuietFlushMs);
}

void TcpGameServer::flushQuiet() {
    const Clock::time_point now = Clock::now();
    const Clock::duration quiet = std::chrono::milliseconds(protocol::kQuietFlushMs);
    Clock::duration wait = quiet;
    std::vector<ConnectionId> round;
    round.swap(holding_);
    for (const ConnectionId id : round) {
        Peer* peer = find(id);
        if (!peer || peer->closing) continue;
        if (!rules_.holdingTail(id)) {
            peer->holding = false;
        } else if (peer->readable || now - peer->lastRead < quiet) {
            holding_.push_back(id);
            if (!peer->readable) wait = std::min(wait, quiet - (now - peer->lastRead));
        } else {
            peer->holding = false;
            rules_.flushTail(id);
        }
    }
    if (!holding_.empty())
        quietTimer_.start(std::max<int>(
            1, static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(wait).count())));
    closePending();
    rules_.flushPlayerList();
    flushDirty();
    closePending();
}

// Drawings that ended live on only for the joiners still receiving them. Past
// the budget, the catch-ups of the oldest stop after the message they are
// sending: those joiners stay, with the board as far as it got.
void TcpGameServer::shedEndedDrawings() {
    const KeptDrawing& drawing = rules_.drawing();
    while (drawing.memory() - drawing.ownMemory() > limits_.drawingBudget) {
        Peer* oldest = nullptr;
        for (const ConnectionId id : catchingUp_) {
            Peer* p = find(id);
            if (p && p->out.catchingUp() && p->out.catchUpGeneration() != drawing.generation() &&
                (!oldest || p->out.catchUpGeneration() < oldest->out.catchUpGeneration()))
                oldest = p;
        }
        if (!oldest) return;
        totalQueued_ += oldest->out.cutCatchUp(protocol::kGameSeparator);
        caughtUp(*oldest);
        queuedFor(*oldest);
    }
}

void TcpGameServer::send(ConnectionId id, std::string_view bytes) {
    Peer* peer = find(id);
    if (!peer || peer->hungUp || peer->closing) return;
    peer->out.append(bytes);
    totalQueued_ += bytes.size();
    queuedFor(*peer);
}

void TcpGameServer::sendKept(ConnectionId id, const SharedBytes& drawing) {
    Peer* peer = find(id);
    if (!peer || peer->hungUp || peer->closing) return;
    totalQueued_ += peer->out.appendCatchUp(drawing);
    if (peer->out.catchingUp() && !peer->catchingUp) {
        peer->catchingUp = true;
        peer->lastProgress = Clock::now();
        catchingUp_.push_back(id);
    }
    queuedFor(*peer);
}

// The marks and caps, once bytes were queued for `peer`.
void TcpGameServer::queuedFor(Peer& peer) {
    if (!peer.dirty) {
        peer.dirty = true;
        dirty_.push_back(&peer);
    }
    const std::size_t queued = peer.queued();
    // Behind a catch-up the live bytes cannot move yet: only the cap counts.
    if (queued > mark() && !peer.aboveMark() && !peer.catchingUp) {
        peer.aboveSince = Clock::now();
        ++aboveMark_;
    }
    if (queued > limits_.connectionCap) {
        dropNonReader(peer, texts::refusals::kQueueOverCap);
    } else if (totalQueued_ > limits_.totalBudget && peer.aboveMark()) {
        dropNonReader(peer, "the server's queues are full");
    }
}

// The joiner has the drawing (or its catch-up was cut): its live queue counts
// against the mark from now on.
void TcpGameServer::caughtUp(Peer& peer) {
    if (!peer.catchingUp || peer.out.catchingUp()) return;
    peer.catchingUp = false;
    std::erase(catchingUp_, peer.id);
    if (peer.queued() > mark() && !peer.aboveMark()) {
        peer.aboveSince = Clock::now();
        ++aboveMark_;
    }
}

// Once per chunk, not per message, every connection that got something is
// offered its queue, even one whose socket was full a moment ago: the kernel
// announces room only once much of it is free, and waiting for that would hold
// strokes back.
void TcpGameServer::flushDirty() {
    shedEndedDrawings();  // a drawing may have ended with what was just handled
    // writeOut may mark peers for closing but never removes one: the list stays valid.
    for (Peer* peer : dirty_) {
        peer->dirty = false;
        if (!peer->closing) writeOut(*peer);
    }
    dirty_.clear();
}

void TcpGameServer::writeOut(Peer& peer) {
    const OutputQueue::Written written = peer.out.writeTo(peer.fd);
    totalQueued_ -= written.live;
    if (written.failed) {
        peer.hungUp = true;
        markClosing(peer, {});
        return;
    }
    if (written.full) peer.writable = false;  // the kernel took what it had room for
    if (peer.catchingUp) {
        if (written.live + written.kept > 0) peer.lastProgress = Clock::now();
        caughtUp(peer);
    }
    if (peer.aboveMark() && peer.queued() <= mark() / 2) leaveMark(peer);
}

void TcpGameServer::leaveMark(Peer& peer) {
    peer.aboveSince = {};
    if (--aboveMark_ == 0 && !readable_.empty()) schedulePass();
}

// A peer that does not read is reset rather than closed: a graceful close
// would leave the kernel holding its unsent megabytes for minutes.
void TcpGameServer::dropNonReader(Peer& peer, std::string_view why) {
    peer.reset = true;
    markClosing(peer, why);
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
    // The stream ended: a tail its reader held was the whole of its last message.
    if (peer.hungUp) rules_.flushTail(id);
    std::erase(dirty_, &peer);
    forget(peer);
    if (peer.reset) {
        const linger abort{1, 0};
        ::setsockopt(peer.fd, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    }
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
    if (peer.catchingUp) std::erase(catchingUp_, peer.id);
    peer.catchingUp = false;
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
            dropNonReader(*peer, texts::refusals::kStoppedReading);
    // A late joiner may read its catch-up slowly, but not stop.
    for (const ConnectionId id : catchingUp_)
        if (Peer* peer = find(id); peer && now - peer->lastProgress > limits_.stallTimeout)
            dropNonReader(*peer, texts::refusals::kStoppedReading);
    if (!closing_.empty() && !inPass_) {
        closePending();
        rules_.flushPlayerList();
        flushDirty();
        closePending();
    }
    if (moreWork()) schedulePass();
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
    std::string notice;
    protocol::composeInto(notice, protocol::Command::Sys, text);
    send(peer.id, notice);
    writeOut(peer);
    discardUnread(peer.fd);
    markClosing(peer, why);
}

}  // namespace rabuscal::server
