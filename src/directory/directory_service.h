// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The directory's rules, over connection ids and bytes: no sockets, no Qt.
//
// Requests, each behind the separator "j#g" (nothing ends a message):
//   "jgs:" game            -> one "lsg:" with the game's groups, "name|address^" each
//   "atv:" game "|" name   -> the group is listed with the announcer's address; "sys:" text
//   "dtv:" game "|" name   -> the announcer's group is no longer listed; "sys:" text
// A group lives as long as the connection that announced it. Anything else,
// and any request with a bad game id, gets no reply.
//
// A connection's requests are handled one at a time: while the store works on
// one, the rest wait, and the network side reads no more from that connection
// (takesInput() is false) until Transport::resume() says so.

#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "directory/group_store.h"
#include "directory/limits.h"
#include "protocol/framing.h"

namespace rabuscal::directory {

// How the rules talk back to the network side. Neither call may call back
// into the DirectoryService.
class Transport {
  public:
    virtual ~Transport() = default;
    virtual void send(ConnectionId id, std::string_view bytes) = 0;
    // The connection's waiting requests are done: read from it again.
    virtual void resume(ConnectionId) {}
};

// One line per handled request or closed connection, printable ASCII.
using LogSink = std::function<void(const std::string& line)>;

// Who is at the other end of a connection.
struct Peer {
    std::string address;   // dotted IPv4 (IPv4-mapped IPv6 included) or IPv6 text
    bool isIPv4 = true;    // only dotted IPv4 addresses go into "lsg"
    std::string limitKey;  // what per-address limits count: the IPv4 address or IPv6 /64
    // The dotted IPv4 address its groups are listed under when not its own
    // (a public address for a peer on loopback or a private network).
    std::string listedAs;
};

class DirectoryService {
  public:
    DirectoryService(Transport& transport, GroupStore& store, AddressLimits limits = {},
                     LogSink log = {});
    ~DirectoryService();

    void connectionOpened(ConnectionId id, Peer peer);
    // One chunk of received bytes; unknown ids are ignored.
    void dataReceived(ConnectionId id, std::string_view chunk);
    // False while a request of this connection waits for the store.
    bool takesInput(ConnectionId id) const;
    // The connection's groups disappear with it.
    void connectionClosed(ConnectionId id);

    std::size_t connectionCount() const { return connections_.size(); }
    const GroupStore& store() const { return store_; }

  private:
    struct Connection {
        Peer peer;
        protocol::ChunkReader reader{protocol::kDirectorySeparator};
        std::deque<protocol::Message> waiting;  // requests behind the one in the store
        bool inStore = false;                   // a request waits for the store
        bool handling = false;                  // handleWaiting() is on the stack
        std::size_t groupCount = 0;
    };

    void handleWaiting(ConnectionId id, Connection& from);
    // Returns false when the request went to the store and its reply comes later.
    bool handle(ConnectionId id, Connection& from, const protocol::Message& request);
    void list(ConnectionId id, std::string_view gameId);
    // Returns the refusal sent at once, or nothing when the store has the request.
    std::string activate(ConnectionId id, Connection& from, std::string_view gameId,
                         std::string_view name);
    void deactivate(ConnectionId id, std::string_view gameId, std::string_view name);
    // The store's answer to a connection's request, as a callback that does
    // nothing once the service or the connection is gone; `text` gives the
    // notice for an outcome. Then the connection's waiting requests go on.
    template <class Outcome, class Text>
    std::function<void(Outcome)> storeAnswer(ConnectionId id, std::string request, Text text);
    void storeDone(ConnectionId id, const std::string& request, const std::string& outcome);
    void addedGroup(Connection& from, long change);

    void reply(ConnectionId id, std::string_view command, std::string_view payload);
    // Sends a "sys" reply and returns its text for the log.
    std::string notify(ConnectionId id, std::string_view text);
    void log(ConnectionId id, const Peer& from, std::string_view what);
    Connection* find(ConnectionId id);

    Transport& transport_;
    GroupStore& store_;
    AddressLimits limits_;
    LogSink log_;
    std::unordered_map<ConnectionId, std::unique_ptr<Connection>> connections_;
    std::unordered_map<std::string, std::size_t> groupsPerAddress_;
    // Store callbacks that outlive the service find it gone.
    std::shared_ptr<DirectoryService*> self_;
};

// Non-printable bytes as \xNN, long text cut: safe to print in a log line.
std::string printable(std::string_view bytes, std::size_t maxBytes = 80);

}  // namespace rabuscal::directory
