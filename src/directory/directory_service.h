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
// A connection's requests are handled one at a time and a few per turn of the
// event loop: while the store works on one, or while more wait for the next
// turn, the network side reads no more from that connection (takesInput() is
// false); Transport::resume() says when to go on.
//
// Each address (Peer::limitKey) has a request rate; requests beyond it get
// no reply. Refusals are logged at most once per kind and address a minute.

#include <chrono>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "daemon/refusal_log.h"
#include "directory/group_store.h"
#include "directory/limits.h"
#include "protocol/framing.h"

namespace rabuscal::directory {

// How the rules talk back to the network side. No call may call back into
// the DirectoryService.
class Transport {
  public:
    virtual ~Transport() = default;
    virtual void send(ConnectionId id, std::string_view bytes) = 0;
    // The connection's waiting requests are done, or more wait for the next
    // turn (DirectoryService::proceed()): go on with it.
    virtual void resume(ConnectionId) {}
    // The connection made a well-formed request: it is not idle.
    virtual void active(ConnectionId) {}
    // The connection now holds a group, or no longer holds any.
    virtual void holdsGroups(ConnectionId, bool) {}
};

using LogSink = std::function<void(const std::string& line)>;

// Warning: the store and the service's capacity; Info: also refusals (folded
// per address and minute) and groups lost; Debug: also every request.
enum class LogLevel { Warning, Info, Debug };

// Who is at the other end of a connection.
struct Peer {
    std::string address;   // dotted IPv4 (IPv4-mapped IPv6 included) or IPv6 text
    bool isIPv4 = true;    // only dotted IPv4 addresses go into "lsg"
    std::string limitKey;  // what per-address limits count: the IPv4 address or IPv6 /64
    std::string wideKey;   // the IPv6 /48 around it; empty for IPv4
    // The dotted IPv4 address its groups are listed under when not its own
    // (a public address for a peer on loopback or a private network).
    std::string listedAs;
};

class DirectoryService {
  public:
    using Clock = std::chrono::steady_clock;

    DirectoryService(Transport& transport, GroupStore& store, AddressLimits limits = {},
                     LogSink log = {});
    ~DirectoryService();

    void setLogLevel(LogLevel level) { level_ = level; }
    LogLevel logLevel() const { return level_; }
    void setRequestRate(RequestRate rate) { rate_ = rate; }
    // Time for the request rates and the refusal log (tests pass their own).
    void setClock(std::function<Clock::time_point()> clock) { clock_ = std::move(clock); }

    void connectionOpened(ConnectionId id, Peer peer);
    // One chunk of received bytes; unknown ids are ignored. Answers at most
    // kRequestsPerTurn requests; the rest wait for proceed().
    void dataReceived(ConnectionId id, std::string_view chunk);
    // The next few waiting requests, in a later turn of the loop.
    void proceed(ConnectionId id);
    // True while requests wait for proceed().
    bool hasWaiting(ConnectionId id) const;
    // False while a request of this connection waits for the store or requests
    // wait for proceed().
    bool takesInput(ConnectionId id) const;
    // Whether quiet() has anything to do: a tail held back, or a read buffer.
    bool wantsQuiet(ConnectionId id) const;
    // The connection's stream has been quiet for protocol::kQuietFlushMs or
    // has ended: a held tail is taken as a whole request, and the reader's
    // buffer is let go.
    void quiet(ConnectionId id);
    // The connection's groups disappear with it.
    void connectionClosed(ConnectionId id);

    // A refusal of the network side, logged like the rules' own.
    void refused(std::string_view kind, std::string_view address, std::string_view detail);
    // Writes the refusal counts of the minutes that are over; call it now and then.
    void sweepLog();

    bool holdsGroups(ConnectionId id) const;
    std::size_t connectionCount() const { return connections_.size(); }
    const GroupStore& store() const { return store_; }

  private:
    struct Connection {
        Peer peer;
        protocol::ChunkReader reader{protocol::kDirectorySeparator, kMaxHeldRequestBytes};
        std::deque<protocol::Message> waiting;  // requests not yet handled
        bool inStore = false;                   // a request waits for the store
        bool handling = false;                  // handleWaiting() is on the stack
        bool readerUsed = false;                // the reader may hold a buffer
        std::size_t groupCount = 0;
    };
    // What one address (and one IPv6 /48) holds, and its request rate.
    struct AddressState {
        std::size_t connections = 0;
        std::size_t groups = 0;
        double tokens = 0;
        Clock::time_point refilled{};
    };
    // One game's "lsg", built once and sent to every asker until it changes.
    struct GameList {
        std::shared_ptr<const std::string> reply;
        Clock::time_point builtAt{};
        std::uint64_t epoch = 0;           // bumped by every change of the game
        std::vector<ConnectionId> askers;  // waiting for the store's answer
    };

    void take(ConnectionId id, Connection& from, std::string_view command,
              std::string_view payload);
    void handleWaiting(ConnectionId id, Connection& from);
    // Returns false when the request went to the store and its reply comes later.
    bool handle(ConnectionId id, Connection& from, const protocol::Message& request);
    bool withinRate(Connection& from);
    void list(ConnectionId id, Connection& from, const std::string& gameId);
    void listed(const std::string& gameId, std::uint64_t epoch,
                const std::vector<protocol::Group>& groups);
    // The game's list changed: its reply is built again at the next ask.
    void changed(std::string_view gameId);
    // Returns true when the entry may go.
    static bool forgotten(GameList& entry);
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
    void addedGroup(ConnectionId id, Connection& from, long change);
    AddressState& stateOf(const std::string& key);
    void forget(const std::string& key);

    void reply(ConnectionId id, std::string_view command, std::string_view payload);
    // Sends a "sys" reply and returns its text for the log.
    std::string notify(ConnectionId id, std::string_view text);
    void log(ConnectionId id, const Peer& from, std::string_view what);
    void refuse(const Peer& from, std::string_view kind, std::string_view detail);
    Connection* find(ConnectionId id);

    Transport& transport_;
    GroupStore& store_;
    AddressLimits limits_;
    RequestRate rate_;
    LogSink log_;
    LogLevel level_ = LogLevel::Info;
    std::function<Clock::time_point()> clock_ = [] { return Clock::now(); };
    daemon::RefusalLog refusals_;
    std::unordered_map<ConnectionId, std::unique_ptr<Connection>> connections_;
    std::unordered_map<std::string, AddressState> addresses_;
    std::unordered_map<std::string, GameList> lists_;
    // Store callbacks that outlive the service find it gone.
    std::shared_ptr<DirectoryService*> self_;
};

}  // namespace rabuscal::directory
