// SPDX-License-Identifier: GPL-3.0-or-later
#include "directory/net/directory_server.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <cstdio>
#include <fstream>

#include "directory/notices.h"
#include "protocol/commands.h"
#include "protocol/framing.h"

namespace rabuscal::directory {

namespace {

// Accepted per wake-up before other connections get their turn.
constexpr int kAcceptBurst = 256;
// How long the listener rests when descriptors run out.
constexpr auto kAcceptPause = std::chrono::milliseconds(500);
// Asked of listen(); the kernel grants at most net.core.somaxconn.
constexpr int kWantedBacklog = 65535;

// The errno behind a failed accept, or -1 for an error of another kind.
int acceptErrno(const asio::error_code& error) {
    return &error.category() == &asio::system_category() ? error.value() : -1;
}

bool outOfDescriptors(int code) {
    return code == EMFILE || code == ENFILE || code == ENOBUFS || code == ENOMEM;
}

}  // namespace

Peer peerOf(const asio::ip::address& address) {
    if (address.is_v4()) {
        const std::string text = address.to_string();
        return {text, true, text, {}};
    }
    const asio::ip::address_v6 v6 = address.to_v6();
    if (v6.is_v4_mapped()) {
        const std::string text = asio::ip::make_address_v4(asio::ip::v4_mapped, v6).to_string();
        return {text, true, text, {}};
    }
    // One household or site gets a /64: counting single addresses would let
    // it open as many connections as it likes.
    const auto bytes = v6.to_bytes();
    std::string key;
    for (int i = 0; i < 8; ++i) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02x", bytes[static_cast<std::size_t>(i)]);
        key += hex;
    }
    return {v6.to_string(), false, key + "::/64", {}};
}

namespace {

bool isPrivate(const asio::ip::address_v4& address) {
    const auto bytes = address.to_bytes();
    return bytes[0] == 127 || bytes[0] == 10 ||                     // loopback, 10/8
           (bytes[0] == 172 && (bytes[1] & 0xF0) == 16) ||          // 172.16/12
           (bytes[0] == 192 && bytes[1] == 168) ||                  // 192.168/16
           (bytes[0] == 169 && bytes[1] == 254) ||                  // link-local
           (bytes[0] == 100 && (bytes[1] & 0xC0) == 64);            // carrier NAT 100.64/10
}

bool isPrivate(const asio::ip::address& address) {
    if (address.is_v4()) return isPrivate(address.to_v4());
    const asio::ip::address_v6 v6 = address.to_v6();
    if (v6.is_v4_mapped()) return isPrivate(asio::ip::make_address_v4(asio::ip::v4_mapped, v6));
    const auto bytes = v6.to_bytes();
    return v6.is_loopback() || v6.is_link_local() || (bytes[0] & 0xFE) == 0xFC;  // fc00::/7
}

}  // namespace

std::string addressToList(const asio::ip::address& peer, const std::string& publicAddress) {
    if (!publicAddress.empty() && isPrivate(peer)) return publicAddress;
    return peerOf(peer).address;
}

int kernelBacklogCap() {
    std::ifstream file("/proc/sys/net/core/somaxconn");
    int cap = 0;
    if (file >> cap && cap > 0) return cap;
    return SOMAXCONN;
}

DirectoryServer::DirectoryServer(asio::io_context& io, GroupStore& store, AddressLimits limits,
                                 LogSink log)
    : io_(io),
      acceptor_(io),
      acceptPause_(io),
      limits_(limits),
      log_(log),
      rules_(*this, store, limits, std::move(log)),
      buffer_(std::make_unique<std::array<char, kReadChunkBytes>>()) {}

DirectoryServer::~DirectoryServer() {
    stop();
}

std::optional<std::string> DirectoryServer::listen(const std::string& address, std::uint16_t port) {
    asio::error_code error;
    const asio::ip::address host = asio::ip::make_address(address, error);
    if (error) return "invalid address '" + address + "'";
    const asio::ip::tcp::endpoint endpoint(host, port);
    acceptor_.open(endpoint.protocol(), error);
    if (!error) acceptor_.set_option(asio::socket_base::reuse_address(true), error);
    if (!error && host.is_v6()) acceptor_.set_option(asio::ip::v6_only(false), error);
    if (!error) acceptor_.bind(endpoint, error);
    if (!error) acceptor_.listen(kWantedBacklog, error);
    if (!error) acceptor_.non_blocking(true, error);
    if (error) {
        acceptor_.close();
        // A host without IPv6 still serves IPv4.
        if (host.is_v6() && host.to_v6().is_unspecified()) return listen("0.0.0.0", port);
        return error.message();
    }
    backlog_ = std::min(kWantedBacklog, kernelBacklogCap());
    waitAcceptable();
    return std::nullopt;
}

std::uint16_t DirectoryServer::port() const {
    asio::error_code error;
    const auto endpoint = acceptor_.local_endpoint(error);
    return error ? 0 : endpoint.port();
}

void DirectoryServer::stop() {
    asio::error_code ignored;
    acceptor_.close(ignored);
    acceptPause_.cancel();
    while (!connections_.empty()) close(connections_.begin()->first);
}

void DirectoryServer::waitAcceptable() {
    acceptor_.async_wait(asio::socket_base::wait_read, [this](const asio::error_code& error) {
        if (!error) acceptBurst();
    });
}

void DirectoryServer::acceptBurst() {
    for (int i = 0; i < kAcceptBurst; ++i) {
        asio::ip::tcp::socket socket(io_);
        asio::error_code error;
        acceptor_.accept(socket, error);
        const int code = error ? acceptErrno(error) : 0;
        if (code == EAGAIN || code == EWOULDBLOCK) break;
        if (outOfDescriptors(code)) {
            log("accept failed: " + std::string(std::strerror(code)) + "; " +
                std::to_string(connections_.size()) +
                " open; accepting again in 500 ms");
            acceptPause_.expires_after(kAcceptPause);
            acceptPause_.async_wait([this](const asio::error_code& e) {
                if (!e) waitAcceptable();
            });
            return;
        }
        if (!acceptor_.is_open()) return;
        if (!error) admit(std::move(socket));
    }
    // More may wait: let the other connections have their turn first.
    asio::post(io_, [this] {
        if (acceptor_.is_open()) waitAcceptable();
    });
}

void DirectoryServer::admit(asio::ip::tcp::socket socket) {
    asio::error_code error;
    const auto remote = socket.remote_endpoint(error);
    if (error) return;  // already gone
    Peer peer = peerOf(remote.address());
    if (std::string listed = addressToList(remote.address(), publicAddress_);
        listed != peer.address)
        peer.listedAs = std::move(listed);
    std::size_t& count = connectionsPerAddress_[peer.limitKey];
    if (count >= limits_.connections) {
        refuse(socket, peer.address,
               std::to_string(limits_.connections) + " connections open from " + peer.limitKey);
        return;
    }
    ++count;
    socket.non_blocking(true, error);
    const ConnectionId id = nextId_++;
    auto connection = std::make_unique<Connection>(std::move(socket));
    connection->limitKey = peer.limitKey;
    Connection& added = *connection;
    connections_.emplace(id, std::move(connection));
    rules_.connectionOpened(id, std::move(peer));
    waitReadable(id, added);
}

void DirectoryServer::refuse(asio::ip::tcp::socket& socket, const std::string& shown,
                             const std::string& why) {
    const std::string text =
        protocol::composeWith(protocol::kDirectorySeparator, protocol::directory::kStatus,
                              notices::tooManyConnectionsFromAddress(limits_.connections));
    asio::error_code ignored;
    socket.non_blocking(true, ignored);
    socket.write_some(asio::buffer(text), ignored);
    socket.shutdown(asio::socket_base::shutdown_both, ignored);
    socket.close(ignored);
    log("refused a connection from " + printable(shown) + ": " + why);
}

DirectoryServer::Connection* DirectoryServer::find(ConnectionId id) {
    const auto found = connections_.find(id);
    return found == connections_.end() ? nullptr : found->second.get();
}

void DirectoryServer::waitReadable(ConnectionId id, Connection& connection) {
    if (connection.reading) return;
    connection.reading = true;
    connection.socket.async_wait(asio::socket_base::wait_read,
                                 [this, id](const asio::error_code& error) {
                                     if (!error) readChunk(id);
                                 });
}

void DirectoryServer::readChunk(ConnectionId id) {
    Connection* connection = find(id);
    if (!connection) return;
    connection->reading = false;
    if (connection->dropping) return;
    asio::error_code error;
    const std::size_t got = connection->socket.read_some(asio::buffer(*buffer_), error);
    if (error == asio::error::would_block || error == asio::error::try_again) {
        waitReadable(id, *connection);
        return;
    }
    if (error) {
        close(id);
        return;
    }
    rules_.dataReceived(id, std::string_view(buffer_->data(), got));
    if (!connection->dropping && rules_.takesInput(id)) waitReadable(id, *connection);
}

void DirectoryServer::resume(ConnectionId id) {
    if (Connection* connection = find(id); connection && !connection->dropping)
        waitReadable(id, *connection);
}

void DirectoryServer::send(ConnectionId id, std::string_view bytes) {
    Connection* connection = find(id);
    if (!connection || connection->dropping) return;
    if (connection->unsent.empty()) {
        asio::error_code error;
        const std::size_t sent = connection->socket.write_some(asio::buffer(bytes), error);
        if (error && error != asio::error::would_block && error != asio::error::try_again) {
            dropLater(id, *connection, "");
            return;
        }
        bytes.remove_prefix(sent);
        if (bytes.empty()) return;
    }
    if (connection->unsent.size() + bytes.size() > kMaxUnsentBytes ||
        unsentTotal_ + bytes.size() > kMaxUnsentBytesTotal) {
        dropLater(id, *connection, "dropped: it does not read its replies");
        return;
    }
    connection->unsent.append(bytes);
    unsentTotal_ += bytes.size();
    waitWritable(id, *connection);
}

void DirectoryServer::waitWritable(ConnectionId id, Connection& connection) {
    if (connection.writing) return;
    connection.writing = true;
    connection.socket.async_wait(asio::socket_base::wait_write,
                                 [this, id](const asio::error_code& error) {
                                     if (!error) flush(id);
                                 });
}

void DirectoryServer::flush(ConnectionId id) {
    Connection* connection = find(id);
    if (!connection) return;
    connection->writing = false;
    asio::error_code error;
    const std::size_t sent = connection->socket.write_some(asio::buffer(connection->unsent), error);
    if (error && error != asio::error::would_block && error != asio::error::try_again) {
        close(id);
        return;
    }
    connection->unsent.erase(0, sent);
    unsentTotal_ -= sent;
    if (connection->unsent.empty()) {
        std::string().swap(connection->unsent);  // an idle connection holds no buffer
    } else {
        waitWritable(id, *connection);
    }
}

void DirectoryServer::dropLater(ConnectionId id, Connection& connection, const std::string& why) {
    if (connection.dropping) return;
    connection.dropping = true;
    if (!why.empty()) log("#" + std::to_string(id) + " " + why);
    asio::post(io_, [this, id] { close(id); });
}

void DirectoryServer::close(ConnectionId id) {
    const auto found = connections_.find(id);
    if (found == connections_.end()) return;
    std::unique_ptr<Connection> connection = std::move(found->second);
    connections_.erase(found);
    unsentTotal_ -= connection->unsent.size();
    if (const auto count = connectionsPerAddress_.find(connection->limitKey);
        count != connectionsPerAddress_.end() && --count->second == 0)
        connectionsPerAddress_.erase(count);
    rules_.connectionClosed(id);
    asio::error_code ignored;
    connection->socket.close(ignored);
}

void DirectoryServer::log(const std::string& line) {
    if (log_) log_(line);
}

}  // namespace rabuscal::directory
