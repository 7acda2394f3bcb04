// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The game server on the network: non-blocking sockets on one epoll set,
// watched by the Qt event loop through one notifier, feeding the GameServer
// rules. One thread; the cost of a pass is the active sockets, not the open ones.
// What happens is told once, through ServerEvents: the rules tell accepts,
// closes and the count; this layer refusals, drops and accept pauses.
//
//  - Flow control that costs only the slow connection: its own queue grows
//    while the others go on. It is closed at connectionCap, or after
//    stallTimeout above the high-water mark (a copy that missed strokes would
//    show a wrong board unawares). A connection that sends in bulk (a flood)
//    is not read while any queue is above the mark or all of them pass half
//    of totalBudget; everybody waits only when totalBudget is nearly spent
//    (TCP then slows the senders).
//  - A late joiner's catch-up (the drawing so far, shared with the rules) goes
//    out as its socket takes it, ahead of the live messages that follow it and
//    outside the marks; a joiner is closed only when its catch-up makes no
//    progress for stallTimeout. Drawings that ended live on for the joiners
//    still receiving them, within drawingBudget.
//  - Memory: a queue past connectionCap, or one above the mark while all queues
//    together pass totalBudget, closes its connection at once.
//  - A message that a read may have cut waits in the connection's reader; the
//    server takes it as whole once the connection has been quiet for
//    kQuietFlushMs (one timer for all, a cost per holding connection only) or
//    when its stream ends.
//  - Limits on connections in all, per remote address (IPv6: per /64) and per
//    IPv6 /48, and on how often an address connects: the policy the directory
//    follows too (daemon/net_policy). A refused connection reads a "sys" text
//    and is closed at once. Out of file descriptors, accepting pauses for a
//    moment.
//  - Slots are for players: a connection that has not joined within the join
//    deadline is closed, and when the server is full one that never joined
//    (from the address holding the most) makes room for the newcomer.
//  - Closes (peer gone, write failed, stalled) are handled between messages,
//    never inside one, each exactly once; a peer that hung up is sent nothing.

#include <QObject>
#include <QString>
#include <QTimer>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "daemon/net_policy/accepting.h"
#include "daemon/net_policy/address_key.h"
#include "daemon/net_policy/admission.h"
#include "server/game_server.h"

class QSocketNotifier;

namespace rabuscal::server {

struct NetLimits {
    // Connections in all (256: a party, or a school behind one address), per
    // address (32), per IPv6 /48 and how often an address may connect.
    daemon::AdmissionLimits admission;
    std::size_t highWaterMark = 1024 * 1024;  // at most totalBudget / connections
    std::size_t connectionCap = 4 * 1024 * 1024;
    std::size_t totalBudget = 32 * 1024 * 1024;
    // Drawings that ended while joiners still receive them; past it, the
    // oldest catch-ups stop after the message they are sending.
    std::size_t drawingBudget = 16 * 1024 * 1024;
    std::chrono::milliseconds stallTimeout{5000};
    std::chrono::milliseconds acceptPause = daemon::kAcceptPause;
    // For a server open to strangers; the built-in server leaves them off, as
    // it leaves `admission`'s connection rate off.
    std::chrono::milliseconds joinDeadline{0};  // from connect to an accepted "slc"; 0: none
    bool evictNeverJoined = false;              // when full, instead of refusing the newcomer
};

class TcpGameServer : public QObject, private Transport {
  public:
    // `drawerNick` is the program-wide DrawerNick (see GameServer). The rules,
    // with their phrase and points at stake, live as long as this object; only
    // the listener goes on and off.
    explicit TcpGameServer(std::string& drawerNick, ServerEvents* events = nullptr,
                           QObject* parent = nullptr);
    ~TcpGameServer() override;

    void setLimits(const NetLimits& limits);

    // Listens on `port` of every local address (0: any free port). On failure
    // returns the socket layer's error text and changes nothing. Starting a
    // server that already listens does nothing.
    std::optional<QString> start(quint16 port);
    // Closes the listener and every connection at once, with no close
    // handling: nothing is sent and the player records are dropped.
    void stop();
    bool isListening() const { return listenFd_ >= 0; }
    // The port actually bound (useful after start(0)); 0 while off.
    quint16 port() const { return port_; }
    std::size_t connectionCount() const { return rules_.connectionCount(); }

    GameServer& rules() { return rules_; }
    const GameServer& rules() const { return rules_; }
    // Bytes waiting to go out on all connections.
    std::size_t totalQueued() const { return totalQueued_; }
    // The remote address of a connection, as text ("" for an unknown one).
    std::string addressOf(ConnectionId id) const;
    // Bytes of a late joiner's catch-up that have not gone out yet.
    std::size_t catchUpLeft(ConnectionId id) const;

  private:
    struct Peer;

    void send(ConnectionId id, std::string_view bytes) override;
    void sendKept(ConnectionId id, const SharedBytes& drawing) override;

    void pass();
    bool runTurn();  // true while work is left
    bool moreWork() const;
    void schedulePass();
    bool readingPaused(const Peer& peer) const;
    void queuedFor(Peer& peer);
    void caughtUp(Peer& peer);
    void shedEndedDrawings();
    void noteHolding(Peer& peer);
    void flushQuiet();
    std::size_t mark() const;
    void acceptPending();
    void pauseAccepting();
    // The three handlers of a client connection: accepted, readable, closed.
    void SrvClientConnect(int fd, std::string address, daemon::AddressKey key);
    // Admission (daemon/net_policy holds the counting).
    bool evictOneNeverJoined();
    void closeWithNotice(Peer& peer, std::string_view text, std::string_view why);
    void checkJoinDeadlines(std::chrono::steady_clock::time_point now);
    void SrvClientRead(Peer& peer);
    void SrvClientDisconnect(Peer& peer);
    void writeOut(Peer& peer);
    void flushDirty();
    void markClosing(Peer& peer, std::string_view why);
    void dropNonReader(Peer& peer, std::string_view why);
    void closePending();
    void finishHandling();
    void checkStalled();
    void leaveMark(Peer& peer);
    void forget(Peer& peer);
    Peer* find(ConnectionId id) const;

    GameServer rules_;
    ServerEvents* events_;
    ServerEvents noEvents_;
    NetLimits limits_;

    int epoll_ = -1;
    int listenFd_ = -1;
    quint16 port_ = 0;
    std::unique_ptr<QSocketNotifier> notifier_;
    QTimer passTimer_;   // another pass soon: work is left that no event will announce
    QTimer stallTimer_;  // looks for connections that stopped reading
    QTimer acceptTimer_;
    QTimer quietTimer_;  // flushes the tails held by connections gone quiet
    bool listenerReady_ = false;
    bool acceptPaused_ = false;
    bool inPass_ = false;

    std::unordered_map<ConnectionId, std::unique_ptr<Peer>> peers_;
    daemon::Admission admission_;
    std::vector<ConnectionId> readable_;  // edge seen, not read dry yet
    std::vector<Peer*> dirty_;            // queued bytes not yet offered to the socket
    std::vector<ConnectionId> closing_;
    std::vector<ConnectionId> holding_;     // readers holding a tail
    std::vector<ConnectionId> catchingUp_;  // late joiners receiving the drawing
    std::size_t totalQueued_ = 0;
    std::size_t aboveMark_ = 0;
    ConnectionId nextId_ = 1;
    std::string readBuffer_;
};

}  // namespace rabuscal::server
