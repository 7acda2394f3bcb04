// SPDX-License-Identifier: GPL-3.0-or-later
#include "directory/net/directory_server.h"

#include <dirent.h>
#include <sys/resource.h>
#include <sys/socket.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "daemon/net_policy/accepting.h"
#include "daemon/net_policy/address_key.h"
#include "directory/notices.h"
#include "protocol/commands.h"
#include "protocol/framing.h"

namespace rabuscal::directory {

namespace {

// Accepted per wake-up before other connections get their turn.
constexpr int kAcceptBurst = 256;
// How long a connection may keep replies above the read mark without taking
// any: a lobby on a slow line takes a full list well within it.
constexpr auto kStallTimeout = std::chrono::seconds(15);
// Asked of listen(); the kernel grants at most net.core.somaxconn.
constexpr int kWantedBacklog = 65535;

// The errno behind a failed accept, or -1 for an error of another kind.
int acceptErrno(const asio::error_code& error) {
    return &error.category() == &asio::system_category() ? error.value() : -1;
}

// The key admission counts `peer` by (IPv4 has no wider key of its own).
daemon::AddressKey keyOf(const Peer& peer) {
    return {peer.limitKey, peer.wideKey.empty() ? peer.limitKey : peer.wideKey};
}

}  // namespace

std::size_t connectionsWithinFileLimit() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return 1 << 20;
    long open = 0;
    if (DIR* dir = ::opendir("/proc/self/fd")) {
        while (const dirent* entry = ::readdir(dir))
            if (entry->d_name[0] != '.') ++open;
        ::closedir(dir);
    }
    const long room = static_cast<long>(limit.rlim_cur) - open - kReservedDescriptors;
    return static_cast<std::size_t>(std::max(room, 1L));
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
      housekeeping_(io),
      quietTimer_(io),
      limits_(limits),
      log_(log),
      rules_(*this, store, limits, std::move(log)),
      buffer_(std::make_unique<std::array<char, kReadChunkBytes>>()) {
    setCapacity(connectionsWithinFileLimit());
}

void DirectoryServer::setCapacity(std::size_t connections) {
    capacity_ = connections;
    admission_.setLimits({.maxConnections = connections,
                          .maxPerAddress = limits_.connections,
                          .maxPerPrefix = limits_.connections * limits_.wideFactor});
}

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
    everySecond();
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
    housekeeping_.cancel();
    quietTimer_.cancel();
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
        const auto failure = error ? daemon::acceptFailure(code) : daemon::AcceptFailure::Other;
        if (failure == daemon::AcceptFailure::Drained) break;
        if (failure == daemon::AcceptFailure::OutOfDescriptors) {
            // Something else took descriptors (the store, the log): make room.
            for (int freed = 0; freed < 16 && evictIdlest("out of descriptors"); ++freed) {
            }
            log("accept failed: " + std::string(std::strerror(code)) + "; " +
                std::to_string(connections_.size()) + " open; accepting again in " +
                std::to_string(daemon::kAcceptPause.count()) + " ms");
            acceptPause_.expires_after(daemon::kAcceptPause);
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
    daemon::AddressKey key = keyOf(peer);
    const daemon::Verdict verdict = admission_.admit(key, connections_.size(), Clock::now(),
                                                     [this] { return evictIdlest("full"); });
    if (verdict != daemon::Verdict::Admitted) {
        refuse(socket, peer, verdict);
        return;
    }
    socket.non_blocking(true, error);
    socket.set_option(asio::socket_base::send_buffer_size(kSocketSendBuffer), error);
    const ConnectionId id = nextId_++;
    auto connection = std::make_unique<Connection>(std::move(socket));
    connection->key = std::move(key);
    connection->lastActive = Clock::now();
    connection->idleAt = idle_.insert(idle_.end(), id);
    Connection& added = *connection;
    connections_.emplace(id, std::move(connection));
    rules_.connectionOpened(id, std::move(peer));
    waitReadable(id, added);
}

bool DirectoryServer::evictIdlest(const char* why) {
    if (idle_.empty()) return false;
    const ConnectionId id = idle_.front();
    idle_.pop_front();
    Connection* connection = find(id);
    if (!connection) return true;
    connection->evictable = false;  // already out of idle_
    rules_.refused("evicted", connection->key.peer,
                   std::string("idle connection reset to make room (") + why + ", " +
                       std::to_string(connections_.size()) + " open)");
    close(id, true);
    return true;
}

void DirectoryServer::refuse(asio::ip::tcp::socket& socket, const Peer& peer,
                             daemon::Verdict verdict) {
    const bool full = verdict == daemon::Verdict::Full;
    asio::error_code ignored;
    daemon::endRefused(
        socket.release(ignored),
        full ? std::string()
             : protocol::composeWith(protocol::kDirectorySeparator, protocol::directory::kStatus,
                                     notices::tooManyConnectionsFromAddress(limits_.connections)));
    if (full) {
        rules_.refused("full", peer.limitKey, "every connection holds a group");
    } else {
        rules_.refused("connections", peer.limitKey,
                       std::to_string(limits_.connections) + " connections open from the address");
    }
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
        rules_.quiet(id);  // the stream ended: what it held back is whole
        close(id);
        return;
    }
    rules_.dataReceived(id, std::string_view(buffer_->data(), got));
    if (rules_.wantsQuiet(id)) watchQuiet(id, *connection);
    carryOn(id);
}

void DirectoryServer::carryOn(ConnectionId id) {
    Connection* connection = find(id);
    if (!connection || connection->dropping) return;
    // Its requests wait, unread or unanswered, until it reads its replies.
    if (connection->unsent.size() > kUnsentReadMark) return;
    if (rules_.hasWaiting(id)) {
        if (connection->proceeding) return;
        connection->proceeding = true;
        // After the other connections' events of this turn.
        asio::post(io_, [this, id] {
            Connection* waiting = find(id);
            if (!waiting) return;
            waiting->proceeding = false;
            if (waiting->dropping) return;
            rules_.proceed(id);
            carryOn(id);
        });
        return;
    }
    if (rules_.takesInput(id)) waitReadable(id, *connection);
}

void DirectoryServer::resume(ConnectionId id) {
    carryOn(id);
}

void DirectoryServer::active(ConnectionId id) {
    Connection* connection = find(id);
    if (!connection) return;
    connection->lastActive = Clock::now();
    if (connection->evictable) idle_.splice(idle_.end(), idle_, connection->idleAt);
}

void DirectoryServer::holdsGroups(ConnectionId id, bool holds) {
    Connection* connection = find(id);
    if (!connection || connection->evictable == !holds) return;
    connection->evictable = !holds;
    if (holds) {
        idle_.erase(connection->idleAt);
    } else {
        connection->lastActive = Clock::now();
        connection->idleAt = idle_.insert(idle_.end(), id);
    }
}

void DirectoryServer::everySecond() {
    rules_.sweepLog();
    const auto now = Clock::now();
    std::size_t closed = 0;
    while (!idle_.empty()) {
        Connection* connection = find(idle_.front());
        if (!connection) {
            idle_.pop_front();
            continue;
        }
        if (now - connection->lastActive < idleTimeout_) break;
        close(idle_.front(), !connection->unsent.empty());
        ++closed;
    }
    // Above the mark and taking nothing for a while: it does not read.
    std::vector<ConnectionId> stalled;
    for (const auto& [id, since] : stalled_)
        if (now - since >= kStallTimeout) stalled.push_back(id);
    for (const ConnectionId id : stalled) {
        if (Connection* connection = find(id))
            rules_.refused("unread", connection->key.peer, "reset: it does not read its replies");
        close(id, true);
    }
    if (closed > 0 && rules_.logLevel() >= LogLevel::Debug)
        log(std::to_string(closed) + " idle connection(s) closed");
    housekeeping_.expires_after(std::chrono::seconds(1));
    housekeeping_.async_wait([this](const asio::error_code& error) {
        if (!error) everySecond();
    });
}

void DirectoryServer::noteUnsent(ConnectionId id, const Connection& connection, bool progress) {
    if (connection.unsent.size() <= kUnsentReadMark) {
        stalled_.erase(id);
    } else if (progress) {
        stalled_[id] = Clock::now();
    } else {
        stalled_.try_emplace(id, Clock::now());
    }
}

void DirectoryServer::watchQuiet(ConnectionId id, Connection& connection) {
    connection.lastRead = Clock::now();
    quietWatch_.emplace_back(id, connection.lastRead);
    if (quietArmed_) return;
    quietArmed_ = true;
    quietTimer_.expires_after(std::chrono::milliseconds(protocol::kQuietFlushMs));
    quietTimer_.async_wait([this](const asio::error_code& error) {
        quietArmed_ = false;
        if (!error) quietTurn();
    });
}

void DirectoryServer::quietTurn() {
    const auto quietFor = std::chrono::milliseconds(protocol::kQuietFlushMs);
    const auto now = Clock::now();
    while (!quietWatch_.empty() && now - quietWatch_.front().second >= quietFor) {
        const auto [id, readAt] = quietWatch_.front();
        quietWatch_.pop_front();
        Connection* connection = find(id);
        // A later read put the connection at the back of the queue again.
        if (!connection || connection->lastRead != readAt || connection->dropping) continue;
        rules_.quiet(id);
        carryOn(id);
    }
    if (quietWatch_.empty()) {
        std::deque<std::pair<ConnectionId, Clock::time_point>>().swap(quietWatch_);
        return;
    }
    quietArmed_ = true;
    quietTimer_.expires_at(quietWatch_.front().second + quietFor);
    quietTimer_.async_wait([this](const asio::error_code& error) {
        quietArmed_ = false;
        if (!error) quietTurn();
    });
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
        dropLater(id, *connection, "reset: it does not read its replies");
        return;
    }
    connection->unsent.append(bytes);
    unsentTotal_ += bytes.size();
    noteUnsent(id, *connection, false);
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
    const bool wasAbove = connection->unsent.size() > kUnsentReadMark;
    connection->unsent.erase(0, sent);
    unsentTotal_ -= sent;
    noteUnsent(id, *connection, sent > 0);
    if (connection->unsent.empty()) {
        std::string().swap(connection->unsent);  // an idle connection holds no buffer
    } else {
        waitWritable(id, *connection);
    }
    if (wasAbove && connection->unsent.size() <= kUnsentReadMark) carryOn(id);
}

void DirectoryServer::dropLater(ConnectionId id, Connection& connection, const std::string& why) {
    if (connection.dropping) return;
    connection.dropping = true;
    if (!why.empty()) rules_.refused("unread", connection.key.peer, why);
    asio::post(io_, [this, id] { close(id, true); });
}

void DirectoryServer::close(ConnectionId id, bool reset) {
    const auto found = connections_.find(id);
    if (found == connections_.end()) return;
    std::unique_ptr<Connection> connection = std::move(found->second);
    connections_.erase(found);
    unsentTotal_ -= connection->unsent.size();
    if (connection->evictable) idle_.erase(connection->idleAt);
    stalled_.erase(id);
    admission_.release(connection->key);
    connection->evictable = false;  // holdsGroups() from the rules finds nothing to move
    rules_.connectionClosed(id);
    asio::error_code ignored;
    if (reset) connection->socket.set_option(asio::socket_base::linger(true, 0), ignored);
    connection->socket.close(ignored);
}

void DirectoryServer::log(const std::string& line) {
    if (log_) log_(line);
}

}  // namespace rabuscal::directory
