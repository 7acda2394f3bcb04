// SPDX-License-Identifier: GPL-3.0-or-later
// The game server's pass over its sockets: what epoll reports, one read per
// readable connection, newcomers, then the closes, each between messages.
// The queues live in flow_control.cpp, the listener in admitting.cpp.
#include "server/net/tcp_game_server.h"

#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>

#include "protocol/framing.h"
#include "server/net/tcp_peer.h"

namespace rabuscal::server {

namespace {
// One read per connection per pass: small enough that what a chunk makes the
// server send stays near the marks, large enough for a flood of strokes.
constexpr std::size_t kReadSize = 16 * 1024;
constexpr int kEventsPerPass = 256;
constexpr int kTurnsPerPass = 64;
constexpr std::chrono::milliseconds kPassTime{4};
}  // namespace

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
    admission_.setLimits(limits.admission);
    // More players behind one address than a school's 32: the lists they
    // cause as they join grow with the square of their number.
    const double behindOne = std::max(1.0, double(limits.admission.maxPerAddress) / 32);
    rules_.setJoinCreditCap(kJoinCreditCap * behindOne * behindOne);
}

std::string TcpGameServer::addressOf(ConnectionId id) const {
    const Peer* peer = find(id);
    return peer ? peer->address : std::string{};
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
        if ((what & EPOLLOUT) && !peer->out.empty()) writeOut(*peer);
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
    finishHandling();
}

// After events outside a pass (a timer): the closes they brought, then the
// player list once and the queues, then the closes those bring.
void TcpGameServer::finishHandling() {
    closePending();
    rules_.flushPlayerList();
    flushDirty();
    closePending();
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

}  // namespace rabuscal::server
