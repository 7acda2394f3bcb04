#pragma once
// The directory's rules, over connection ids and bytes: no sockets, no Qt.
//
// Requests, each behind the separator "j#g" (nothing ends a message):
//   "jgs:" game            -> one "lsg:" with the game's groups, "name|address^" each
//   "atv:" game "|" name   -> the group is listed with the announcer's address; "sys:" text
//   "dtv:" game "|" name   -> the announcer's group is no longer listed; "sys:" text
// A group lives as long as the connection that announced it. Anything else,
// and any request with a bad game id, gets no reply.

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "directory/group_registry.h"
#include "protocol/framing.h"

namespace rabuscal::directory {

// How the rules hand a reply to one connection. Must not call back into the
// DirectoryService.
class Transport {
  public:
    virtual ~Transport() = default;
    virtual void send(ConnectionId id, std::string_view bytes) = 0;
};

// One line per handled request or closed connection, printable ASCII.
using LogSink = std::function<void(const std::string& line)>;

class DirectoryService {
  public:
    explicit DirectoryService(Transport& transport, LogSink log = {});

    // `address` is what goes into "lsg" for the groups this connection announces.
    void connectionOpened(ConnectionId id, std::string address);
    // One chunk of received bytes; unknown ids are ignored.
    void dataReceived(ConnectionId id, std::string_view chunk);
    // The connection's groups disappear with it.
    void connectionClosed(ConnectionId id);

    std::size_t connectionCount() const { return connections_.size(); }
    const GroupRegistry& groups() const { return groups_; }

  private:
    struct Connection {
        std::string address;
        protocol::ChunkReader reader{protocol::kDirectorySeparator};
        std::size_t groupCount = 0;
    };

    void handle(ConnectionId id, Connection& from, std::string_view command,
                std::string_view payload);
    // Each returns what the log line says about the outcome.
    std::string list(ConnectionId id, std::string_view gameId);
    std::string activate(ConnectionId id, Connection& from, std::string_view gameId,
                         std::string_view name);
    std::string deactivate(ConnectionId id, Connection& from, std::string_view gameId,
                           std::string_view name);
    void reply(ConnectionId id, std::string_view command, std::string_view payload);
    // Sends a "sys" reply and returns its text for the log.
    std::string notify(ConnectionId id, std::string_view text);
    void log(ConnectionId id, const Connection& from, std::string_view what);

    Transport& transport_;
    LogSink log_;
    GroupRegistry groups_;
    std::unordered_map<ConnectionId, std::unique_ptr<Connection>> connections_;
};

// Non-printable bytes as \xNN, long text cut: safe to print in a log line.
std::string printable(std::string_view bytes, std::size_t maxBytes = 80);

}  // namespace rabuscal::directory
