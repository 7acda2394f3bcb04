// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A Transport that records what the rules send, and events that record what
// the operator is told: the game rules tested with no socket.

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "server/game_server.h"

namespace rabuscal::server::testing {

struct Sent {
    ConnectionId to;
    std::string bytes;
    friend bool operator==(const Sent&, const Sent&) = default;
    friend void PrintTo(const Sent& s, std::ostream* os) {
        *os << "#" << s.to << " \"" << s.bytes.substr(0, 200) << "\"";
    }
};

class FakeTransport : public Transport {
  public:
    void send(ConnectionId id, std::string_view bytes) override {
        sent.push_back({id, std::string(bytes)});
    }
    std::vector<Sent> take() { return std::exchange(sent, {}); }

    std::vector<Sent> sent;
};

struct RecordingEvents : ServerEvents {
    void connectionCountChanged(std::size_t n) override { counts.push_back(n); }
    void firstChunk() override { ++firstChunks; }
    void conversionError(ConnectionId id, std::string_view what) override {
        errors.emplace_back(id, std::string(what));
    }
    void connectionClosed(ConnectionId id, bool, std::string_view) override {
        closed.push_back(id);
    }
    void refused(ConnectionId id, std::string_view command, std::string_view) override {
        refusals.emplace_back(id, std::string(command));
    }

    std::vector<std::size_t> counts;
    int firstChunks = 0;
    std::vector<std::pair<ConnectionId, std::string>> errors;
    std::vector<ConnectionId> closed;
    std::vector<std::pair<ConnectionId, std::string>> refusals;
};

// A server with a few connections, and shorthands to talk to it.
class ServerFixture {
  public:
    explicit ServerFixture(GameServerOptions options = {})
        : server(DrawerNick, transport, &events, options) {}

    void accept(std::initializer_list<ConnectionId> ids) {
        for (ConnectionId id : ids) server.connectionAccepted(id);
    }
    // One chunk holding one whole message: "$-$" + command + ":" + payload
    // (one that ends like a cut separator is taken once the stream is quiet).
    void say(ConnectionId from, std::string_view command, std::string_view payload = {}) {
        feed(from, "$-$" + std::string(command) + ":" + std::string(payload));
    }
    // A chunk, after which the stream goes quiet: a last message held as
    // possibly unfinished is taken as whole.
    void feed(ConnectionId from, std::string_view chunk) {
        server.dataReceived(from, chunk);
        server.flushTail(from);
    }
    // Ana (connection 1) joins and draws; connections 2 and 3 open and
    // `nicks` join on them in turn. What was sent so far is dropped.
    void anaDrawsWith(std::initializer_list<std::string_view> nicks) {
        accept({1});
        say(1, "slc", "Ana");
        accept({2, 3});
        ConnectionId id = 2;
        for (std::string_view nick : nicks) say(id++, "slc", nick);
        transport.take();
    }
    // Each of `messages` in turn, to every one of `ids`.
    template <class... Messages>
    static std::vector<Sent> toAll(std::initializer_list<ConnectionId> ids,
                                   const Messages&... messages) {
        std::vector<Sent> out;
        for (const std::string& bytes : {std::string(messages)...})
            for (ConnectionId id : ids) out.push_back({id, bytes});
        return out;
    }
    static std::vector<Sent> cat(std::initializer_list<std::vector<Sent>> parts) {
        std::vector<Sent> out;
        for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
        return out;
    }
    // Gives `id` a total of `points` through a round it wins (drawer changes).
    void win(ConnectionId id, std::string_view points) {
        say(id, "ini", "w");
        say(id, "pts", points);
        say(id, "tnt", "w");
        transport.take();
    }

    std::string DrawerNick;
    FakeTransport transport;
    RecordingEvents events;
    GameServer server;
};

}  // namespace rabuscal::server::testing
