// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The directory on the network: standalone Asio (epoll) on one thread feeding
// the DirectoryService rules, so that its cost grows with activity, not with
// the number of open connections.
//
//  - the listener accepts in bursts from a backlog as deep as the kernel
//    allows; when descriptors run out it stops accepting for a moment
//    (daemon::kAcceptPause) instead of spinning on a listener that stays
//    readable;
//  - who is let in follows the policy the game server follows too
//    (daemon/net_policy): the connections stay below a capacity that leaves
//    descriptors for the store, the log and the listener; when it is reached,
//    the connection that holds no group and has been idle longest is reset to
//    make room, and with none to reset the newcomer is reset;
//  - a connection that makes no request for the idle time-out is closed,
//    unless it holds a group;
//  - each remote address (an IPv4 address, an IPv6 /64) may hold
//    AddressLimits::connections open connections, an IPv6 /48 `wideFactor`
//    times as many; one more reads a "sys" text before its end;
//  - an idle connection holds no buffer: each readable event reads at most
//    kReadChunkBytes into one shared buffer, and that is one chunk;
//  - a connection is read from only while the rules take input and its
//    unsent replies are below kUnsentReadMark; waiting requests are answered
//    a few per turn of the loop;
//  - replies are written at once; what the socket does not take waits, up to
//    kMaxUnsentBytes per connection and kMaxUnsentBytesTotal in all, beyond
//    which the connection is reset, as it is when it stays above
//    kUnsentReadMark taking nothing for 15 s (a graceful close would leave
//    the kernel holding its send buffer for minutes);
//  - a tail held back by the reader is taken as whole after
//    protocol::kQuietFlushMs of quiet, or when the stream ends;
//  - the address recorded for a connection is its peer address, IPv4-mapped
//    IPv6 written as dotted IPv4; with a public address set, a peer on
//    loopback or a private network has its groups listed under that address.

#include <array>
#include <asio.hpp>
#include <chrono>
#include <cstdint>
#include <deque>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "daemon/net_policy/admission.h"
#include "directory/directory_service.h"
#include "directory/net/addresses.h"

namespace rabuscal::directory {

class DirectoryServer : private Transport {
  public:
    DirectoryServer(asio::io_context& io, GroupStore& store, AddressLimits limits = {},
                    LogSink log = {});
    ~DirectoryServer() override;

    // Listens on `address`:`port` (port 0: any free port). "::" takes IPv4
    // peers too. On failure returns the socket layer's error text.
    std::optional<std::string> listen(const std::string& address, std::uint16_t port);
    // The port actually bound; 0 while not listening.
    std::uint16_t port() const;
    // The accept backlog granted: what was asked, capped by net.core.somaxconn.
    int backlog() const { return backlog_; }
    // Closes the listener and every connection (their groups go with them).
    void stop();
    // The address players reach this host at (dotted IPv4; empty: none), for
    // groups announced from loopback or a private network.
    void setPublicAddress(std::string address) { publicAddress_ = std::move(address); }

    const DirectoryService& rules() const { return rules_; }
    DirectoryService& rules() { return rules_; }

    // Open connections at most (default: what the open-file limit leaves
    // after kReservedDescriptors and the descriptors open now).
    void setCapacity(std::size_t connections);
    std::size_t capacity() const { return capacity_; }
    void setIdleTimeout(std::chrono::milliseconds timeout) { idleTimeout_ = timeout; }

  private:
    using Clock = std::chrono::steady_clock;
    struct Connection {
        explicit Connection(asio::ip::tcp::socket s) : socket(std::move(s)) {}
        asio::ip::tcp::socket socket;
        daemon::AddressKey key;  // what admission counts it by
        std::string unsent;      // replies the socket has not taken yet
        bool reading = false;
        bool writing = false;
        bool dropping = false;
        bool proceeding = false;  // a turn for waiting requests is posted
        bool evictable = true;    // holds no group: in idle_
        std::list<ConnectionId>::iterator idleAt;
        Clock::time_point lastActive;
        Clock::time_point lastRead;
    };

    void send(ConnectionId id, std::string_view bytes) override;
    void resume(ConnectionId id) override;
    void active(ConnectionId id) override;
    void holdsGroups(ConnectionId id, bool holds) override;

    // Reads again, or gives waiting requests their turn, or waits for the
    // replies to drain, whichever the connection needs.
    void carryOn(ConnectionId id);
    // Resets the connection idle longest that holds no group; false if none.
    bool evictIdlest(const char* why);
    void everySecond();
    void watchQuiet(ConnectionId id, Connection& connection);
    // Keeps stalled_ up to date after the unsent replies changed.
    void noteUnsent(ConnectionId id, const Connection& connection, bool progress);
    void quietTurn();

    void waitAcceptable();
    void acceptBurst();
    void admit(asio::ip::tcp::socket socket);
    // Ends a connection admission refused: one over its address's share is
    // told so, one the full server has no room for is reset.
    void refuse(asio::ip::tcp::socket& socket, const Peer& peer, daemon::Verdict verdict);
    void waitReadable(ConnectionId id, Connection& connection);
    void readChunk(ConnectionId id);
    void waitWritable(ConnectionId id, Connection& connection);
    void flush(ConnectionId id);
    // Drops after the event being handled, so the rules never see a close in
    // the middle of a request.
    void dropLater(ConnectionId id, Connection& connection, const std::string& why);
    // `reset`: SO_LINGER 0, so that nothing the peer did not read stays queued.
    void close(ConnectionId id, bool reset = false);
    Connection* find(ConnectionId id);
    void log(const std::string& line);

    asio::io_context& io_;
    asio::ip::tcp::acceptor acceptor_;
    asio::steady_timer acceptPause_;
    asio::steady_timer housekeeping_;
    asio::steady_timer quietTimer_;
    AddressLimits limits_;
    LogSink log_;
    DirectoryService rules_;
    std::unordered_map<ConnectionId, std::unique_ptr<Connection>> connections_;
    daemon::Admission admission_;
    // Above kUnsentReadMark, since the socket last took something.
    std::unordered_map<ConnectionId, Clock::time_point> stalled_;
    std::list<ConnectionId> idle_;  // holding no group, longest idle first
    // Connections whose reader may hold a tail or a buffer, by time of read.
    std::deque<std::pair<ConnectionId, Clock::time_point>> quietWatch_;
    bool quietArmed_ = false;
    std::size_t capacity_;
    std::chrono::milliseconds idleTimeout_ = kDefaultIdleTimeout;
    std::size_t unsentTotal_ = 0;
    ConnectionId nextId_ = 1;
    int backlog_ = 0;
    std::string publicAddress_;
    std::unique_ptr<std::array<char, kReadChunkBytes>> buffer_;
};

// Connections the open-file limit leaves room for, beyond the descriptors
// open now and kReservedDescriptors.
std::size_t connectionsWithinFileLimit();

// net.core.somaxconn, the cap the kernel puts on any listen backlog.
int kernelBacklogCap();

}  // namespace rabuscal::directory
