// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The game server's rules over connection ids and bytes: joining with a unique
// nick, leaving, closed connections, relaying strokes and chat, the player
// list, rounds, guesses and points. No sockets here: a network layer reports
// accepts, chunks and closes, and sends what the rules hand to the Transport.
//
// Everything runs on one thread, one event to completion at a time.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "protocol/framing.h"
#include "protocol/payloads.h"
#include "server/kept_drawing.h"
#include "server/server_events.h"
#include "server/transport.h"

namespace rabuscal::server {

// One joined player: the record a connection gets when its nick is accepted.
struct Player {
    std::string nick;
    std::int32_t total = 0;
};

// Longer nicks are refused: a copy reads no more of a nick in a list entry.
inline constexpr std::size_t kMaxNickBytes = protocol::kEntryNickMax;
// A message that may go on in the next read is held up to this; no honest
// copy sends one this long (a stroke, a chat line, a phrase).
inline constexpr std::size_t kMaxHeldTail = 16 * 1024;
// The drawing kept for late joiners stops growing here (a quarter of an hour
// of Shift-tracing); a joiner then gets the drawing as it stood when it
// reached the cap, and the strokes drawn since it joined.
inline constexpr std::size_t kKeptDrawingCap = 16 * 1024 * 1024;
// What joins from one address may make the server send at once: a school's
// worth of joins (32 players) behind one address.
inline constexpr double kJoinCreditCap = 64 * 1024;

// Why the referee refuses a nick (empty when it may be used): an empty one,
// one that would forge a list entry ("|") or a chat heading (" falou: "),
// control bytes, or an end that would join the next message's separator.
std::string_view nickProblem(std::string_view nick);

struct GameServerOptions {
    // Enforce in the server what honest copies already do (who may draw, start,
    // hand over, guess and speak, and how often). Off for the built-in server,
    // which trusts its clients.
    bool referee = false;
    // Collect player lists until flushPlayerList(), which the network layer
    // calls once per pass of its event loop: a burst of joins and leaves then
    // costs one list per connection instead of one per join.
    bool batchPlayerLists = false;
    // Joins cost credit (see churn.cpp), so that one address cannot make the
    // server send much more than it sends itself.
    bool limitJoins = false;
};

using SteadyClock = std::function<std::chrono::steady_clock::time_point()>;

class GameServer {
  public:
    // `drawerNick` is the program-wide DrawerNick: the game client of the same
    // process writes it too, so the server only refers to it.
    GameServer(std::string& drawerNick, Transport& transport, ServerEvents* events = nullptr,
               GameServerOptions options = {});
    ~GameServer();
    GameServer(const GameServer&) = delete;
    GameServer& operator=(const GameServer&) = delete;

    // Socket-layer events.
    // `address` groups connections for the join limits (an address key);
    // empty: the connection counts alone.
    void connectionAccepted(ConnectionId id, std::string_view address = {});
    // `waitingSince`: when the chunk's first bytes were there to be read. A
    // chunk the network layer read late (it paused) was typed over that
    // whole time, and the rate limits count it so.
    void dataReceived(ConnectionId id, std::string_view chunk,
                      std::chrono::steady_clock::time_point waitingSince = {});
    // Whether the connection's reader holds the tail of a chunk that may go
    // on; flushTail() takes it as whole (the stream went quiet or ended).
    bool holdingTail(ConnectionId id) const;
    void flushTail(ConnectionId id);
    // The peer (or a failed send) closed the connection: a joined player
    // leaves as with "off", minus the answer; then the connection is dropped.
    void connectionClosed(ConnectionId id);
    // The listener was switched off: every connection is dropped at once, with
    // no close handling. DrawerNick, the phrase and the points survive.
    void stopAll();
    // Sends the player list held back since the last call (batchPlayerLists).
    void flushPlayerList();

    bool referee() const { return options_.referee; }
    void setReferee(bool on) { options_.referee = on; }
    void setLimitJoins(bool on) { options_.limitJoins = on; }
    // The join credit an address starts with and saves up to, in bytes.
    void setJoinCreditCap(double bytes) { joinCreditCap_ = bytes; }
    // Time for the referee's rate limits (tests pass their own).
    void setClock(SteadyClock clock) { clock_ = std::move(clock); }

    std::size_t connectionCount() const { return connections_.size(); }
    bool hasConnection(ConnectionId id) const { return byId_.contains(id); }
    // Whether the connection's nick was ever accepted (it may have left since).
    bool everJoined(ConnectionId id) const;

    // State, for the operator and for tests.
    const std::string& drawerNick() const { return drawerNick_; }
    const std::string& phrase() const { return phrase_; }
    std::int32_t pointsAtStake() const { return pointsAtStake_; }
    // As the copies see it: points are at stake from "ini" until a hit, the
    // drawer ending the round ("pts:0"), misses using them up or the drawer
    // leaving.
    bool roundRunning() const { return pointsAtStake_ > 0; }
    const Player* player(ConnectionId id) const;
    // The nick of the joined player with the highest total, the earliest
    // connection on a tie; empty when nobody has joined.
    std::string chooseNextDrawer() const;
    // The drawing of the round so far, as a late joiner receives it.
    std::string keptDrawing() const { return drawing_.str(); }
    const KeptDrawing& drawing() const { return drawing_; }

  private:
    // A few messages a second, with a small burst.
    struct RateLimit {
        double tokens = 6;
        std::chrono::steady_clock::time_point last{};
        // `since`: when what is taken now was there to be read (see dataReceived).
        bool take(std::chrono::steady_clock::time_point now,
                  std::chrono::steady_clock::time_point since);
    };
    // What an address may still make the server send on account of its joins.
    struct JoinCredit {
        double bytes = 0;
        std::chrono::steady_clock::time_point last{};
        std::size_t connections = 0;
    };
    struct Connection {
        ConnectionId id;
        std::string address;
        double joinTokens = 0;
        std::chrono::steady_clock::time_point lastJoin{};
        std::optional<Player> player;
        bool everJoined = false;
        protocol::ChunkReader reader{protocol::kGameSeparator, kMaxHeldTail};
        bool closing = false;
        RateLimit guesses, chat;
        std::chrono::steady_clock::time_point waitingSince{};  // of the chunk being handled
    };

    // One message of a chunk; false abandons the rest of the chunk.
    bool dispatch(Connection& from, std::string_view command, std::string_view payload);
    // Why the referee refuses a message; empty when it may pass.
    std::string_view refusal(Connection& from, protocol::Command command, std::string_view payload);

    // Connections and players.
    void join(Connection& from, std::string_view nick);
    void catchUp(const Connection& joiner, bool drawerSent);
    void leave(Connection& from);
    void dropPlayer(Connection& from);
    void relay(protocol::Command command, std::string_view payload);
    void keepDrawing(protocol::Command command, std::string_view bytes);
    void endDrawing();
    void sendPlayerList();
    bool isJoinedNick(std::string_view nick) const;

    // Rounds and scoring.
    void startRound(Connection& from, std::string_view phrase);
    void setDrawer(std::string_view nick);
    void judgeGuess(Connection& from, std::string_view guess);
    void judgeGuess(Connection& from, std::string_view guess, bool hit);
    std::optional<std::string_view> chatGuess(const Connection& from, std::string_view line) const;
    bool setPoints(Connection& from, std::string_view payload);

    // Sending. The message is built in a buffer reused across messages.
    std::string_view message(protocol::Command command, std::string_view payloadHead,
                             std::string_view payloadTail = {});
    void sendTo(const Connection& to, std::string_view bytes);
    void broadcast(std::string_view bytes);

    Connection* find(ConnectionId id);

    // Join limits (churn.cpp).
    JoinCredit& creditOf(const Connection& c);
    JoinCredit& refilled(JoinCredit& credit);
    bool mayJoin(Connection& from, std::string_view nick);
    void earnCredit(const Connection& from, std::size_t bytesReceived);
    void releaseCredit(const Connection& c);
    std::size_t playerListBytes() const;

    std::string& drawerNick_;
    Transport& transport_;
    ServerEvents* events_;
    ServerEvents noEvents_;
    GameServerOptions options_;
    SteadyClock clock_;

    std::vector<std::unique_ptr<Connection>> connections_;  // in order of acceptance
    std::unordered_map<ConnectionId, Connection*> byId_;
    bool chunkSeen_ = false;

    std::string phrase_;
    std::int32_t pointsAtStake_ = 0;
    KeptDrawing drawing_{kKeptDrawingCap};
    bool listPending_ = false;
    std::unordered_map<std::string, JoinCredit> joinCredits_;  // by address
    double joinCreditCap_;

    std::string out_;  // the message being sent
};

}  // namespace rabuscal::server
