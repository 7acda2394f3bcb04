// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The directory on the network: standalone Asio (epoll) on one thread feeding
// the DirectoryService rules, so that its cost grows with activity, not with
// the number of open connections.
//
//  - the listener accepts in bursts from a backlog as deep as the kernel
//    allows; when descriptors run out it stops accepting for half a second
//    instead of spinning on a listener that stays readable;
//  - each remote address (an IPv4 address, an IPv6 /64) may hold
//    AddressLimits::connections open connections; one more gets a "sys" text
//    and is closed;
//  - an idle connection holds no buffer: each readable event reads at most
//    kReadChunkBytes into one shared buffer, and that is one chunk;
//  - replies are written at once; what the socket does not take waits, up to
//    kMaxUnsentBytes per connection and kMaxUnsentBytesTotal in all, beyond
//    which the connection is dropped;
//  - the address recorded for a connection is its peer address, IPv4-mapped
//    IPv6 written as dotted IPv4; with a public address set, a peer on
//    loopback or a private network has its groups listed under that address.

#include <array>
#include <asio.hpp>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

#include "directory/directory_service.h"

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

  private:
    struct Connection {
        explicit Connection(asio::ip::tcp::socket s) : socket(std::move(s)) {}
        asio::ip::tcp::socket socket;
        std::string limitKey;
        std::string unsent;  // replies the socket has not taken yet
        bool reading = false;
        bool writing = false;
        bool dropping = false;
    };

    void send(ConnectionId id, std::string_view bytes) override;
    void resume(ConnectionId id) override;

    void waitAcceptable();
    void acceptBurst();
    void admit(asio::ip::tcp::socket socket);
    void refuse(asio::ip::tcp::socket& socket, const std::string& shown, const std::string& why);
    void waitReadable(ConnectionId id, Connection& connection);
    void readChunk(ConnectionId id);
    void waitWritable(ConnectionId id, Connection& connection);
    void flush(ConnectionId id);
    // Drops after the event being handled, so the rules never see a close in
    // the middle of a request.
    void dropLater(ConnectionId id, Connection& connection, const std::string& why);
    void close(ConnectionId id);
    Connection* find(ConnectionId id);
    void log(const std::string& line);

    asio::io_context& io_;
    asio::ip::tcp::acceptor acceptor_;
    asio::steady_timer acceptPause_;
    AddressLimits limits_;
    LogSink log_;
    DirectoryService rules_;
    std::unordered_map<ConnectionId, std::unique_ptr<Connection>> connections_;
    std::unordered_map<std::string, std::size_t> connectionsPerAddress_;
    std::size_t unsentTotal_ = 0;
    ConnectionId nextId_ = 1;
    int backlog_ = 0;
    std::string publicAddress_;
    std::unique_ptr<std::array<char, kReadChunkBytes>> buffer_;
};

// Who a peer is for the rules: dotted IPv4 for IPv4 and IPv4-mapped peers;
// IPv6 text otherwise, counted per /64.
Peer peerOf(const asio::ip::address& address);

// The address to list a peer's groups under: `publicAddress` (dotted IPv4)
// when the peer is on loopback or a private network - a server on the
// directory's own host, or behind the same NAT, which players elsewhere could
// not reach at its own address - and the peer's own address otherwise, or
// when `publicAddress` is empty.
std::string addressToList(const asio::ip::address& peer, const std::string& publicAddress);

// net.core.somaxconn, the cap the kernel puts on any listen backlog.
int kernelBacklogCap();

}  // namespace rabuscal::directory
