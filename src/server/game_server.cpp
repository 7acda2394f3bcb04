// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/game_server.h"

#include <algorithm>

#include "protocol/commands.h"
#include "protocol/framing.h"
#include "protocol/payloads.h"
#include "server/texts.h"

namespace rabuscal::server {

using protocol::Command;

GameServer::GameServer(std::string& drawerNick, Transport& transport, ServerEvents* events,
                       GameServerOptions options)
    : drawerNick_(drawerNick),
      transport_(transport),
      events_(events ? events : &noEvents_),
      options_(options),
      clock_([] { return std::chrono::steady_clock::now(); }),
      joinCreditCap_(kJoinCreditCap) {}

GameServer::~GameServer() = default;

GameServer::Connection* GameServer::find(ConnectionId id) {
    const auto it = byId_.find(id);
    return it == byId_.end() ? nullptr : it->second;
}

const Player* GameServer::player(ConnectionId id) const {
    const auto it = byId_.find(id);
    if (it == byId_.end() || !it->second->player) return nullptr;
    return &*it->second->player;
}

bool GameServer::everJoined(ConnectionId id) const {
    const auto it = byId_.find(id);
    return it != byId_.end() && it->second->everJoined;
}

void GameServer::connectionAccepted(ConnectionId id, std::string_view address) {
    if (byId_.contains(id)) return;
    auto connection = std::make_unique<Connection>();
    connection->id = id;
    connection->address.assign(address);
    if (options_.limitJoins) ++creditOf(*connection).connections;
    byId_.emplace(id, connection.get());
    connections_.push_back(std::move(connection));
    events_->connectionAccepted(id);
    events_->connectionCountChanged(connections_.size());
}

void GameServer::dataReceived(ConnectionId id, std::string_view chunk,
                              std::chrono::steady_clock::time_point waitingSince) {
    Connection* from = find(id);
    if (!from || from->closing) return;
    if (!chunkSeen_) {
        chunkSeen_ = true;
        events_->firstChunk();
    }
    if (options_.limitJoins) earnCredit(*from, chunk.size());
    from->waitingSince = waitingSince;
    from->reader.feed(chunk, [this, from](std::string_view command, std::string_view payload) {
        return dispatch(*from, command, payload);
    });
}

bool GameServer::holdingTail(ConnectionId id) const {
    const auto it = byId_.find(id);
    return it != byId_.end() && it->second->reader.holding();
}

void GameServer::flushTail(ConnectionId id) {
    Connection* from = find(id);
    if (!from || from->closing || !from->reader.holding()) return;
    from->reader.flush([this, from](std::string_view command, std::string_view payload) {
        return dispatch(*from, command, payload);
    });
}

void GameServer::connectionClosed(ConnectionId id) {
    Connection* closing = find(id);
    if (!closing || closing->closing) return;
    // Whatever the broadcasts below address to the closing connection is lost.
    closing->closing = true;
    const bool wasJoined = closing->player.has_value();
    const std::string nick = wasJoined ? closing->player->nick : std::string{};
    if (wasJoined) dropPlayer(*closing);
    releaseCredit(*closing);

    std::erase_if(connections_, [id](const auto& c) { return c->id == id; });
    byId_.erase(id);
    events_->connectionClosed(id, wasJoined, nick);
    events_->connectionCountChanged(connections_.size());
}

void GameServer::stopAll() {
    endDrawing();  // nobody is left to see it
    connections_.clear();
    byId_.clear();
    chunkSeen_ = false;
    listPending_ = false;
    joinCredits_.clear();
}

bool GameServer::dispatch(Connection& from, std::string_view command, std::string_view payload) {
    const auto known = protocol::commandFromName(command);
    if (!known) return true;
    if (options_.referee) {
        if (const std::string_view why = refusal(from, *known, payload); !why.empty()) {
            events_->refused(from.id, command, why);
            return true;
        }
    }
    switch (*known) {
        case Command::Slc:
            join(from, payload);
            break;
        case Command::Off:
            leave(from);
            break;
        case Command::Ini:
            startRound(from, payload);
            break;
        case Command::Mdv:
            setDrawer(payload);
            break;
        case Command::Tnt:
            judgeGuess(from, payload);
            break;
        case Command::Pts:
            return setPoints(from, payload);
        case Command::Msg:
            if (const auto guess = options_.referee ? chatGuess(from, payload) : std::nullopt) {
                judgeGuess(from, *guess, true);
                break;
            }
            relay(*known, payload);
            break;
        case Command::Mdw:
        case Command::Mov:
        case Command::Mup:
        case Command::Cls:
        case Command::Blc:
            relay(*known, payload);
            break;
        case Command::Onj:
        case Command::Sys:
        case Command::Lst:
        case Command::Avs:
            break;  // server-to-client notices: nothing to do when a client sends them
    }
    return true;
}

void GameServer::join(Connection& from, std::string_view nick) {
    if (from.player) return;  // already joined: no answer
    if (nick.size() > kMaxNickBytes) {
        events_->refused(from.id, protocol::commandName(Command::Slc),
                         texts::refusals::kNickTooLong);
        sendTo(from, message(Command::Sys, texts::kNickTooLong));
        return;
    }
    if (options_.referee) {
        if (const std::string_view why = nickProblem(nick); !why.empty()) {
            events_->refused(from.id, protocol::commandName(Command::Slc), why);
            sendTo(from, message(Command::Sys, texts::kNickNotAllowed));
            return;
        }
    }
    if (options_.limitJoins && !isJoinedNick(nick) && !mayJoin(from, nick)) {
        events_->refused(from.id, protocol::commandName(Command::Slc),
                         texts::refusals::kTooManyJoins);
        sendTo(from, message(Command::Sys, texts::kTooManyJoins));
        return;
    }

    if (connections_.size() == 1) {
        // The only connection: its player becomes the drawer.
        from.player = Player{std::string(nick), 0};
        from.everJoined = true;
        events_->playerJoined(from.id, nick);
        sendTo(from, message(Command::Onj, {}));
        drawerNick_.assign(nick);
        events_->drawerChanged(drawerNick_);
        sendTo(from, message(Command::Mdv, nick));
        sendPlayerList();
        return;
    }

    for (const auto& c : connections_) {
        if (c->player && c->player->nick == nick) {
            events_->nickRefused(from.id, nick);
            sendTo(from, message(Command::Sys, texts::kNickTaken));
            return;
        }
    }
    // The referee hands the drawing to a joiner when nobody has it (players
    // who connected before anyone joined, or a drawer who is gone).
    const bool drawerWanted = options_.referee && !isJoinedNick(drawerNick_);
    from.player = Player{std::string(nick), 0};
    from.everJoined = true;
    events_->playerJoined(from.id, nick);
    sendTo(from, message(Command::Onj, {}));
    if (drawerWanted) {
        drawerNick_.assign(nick);
        events_->drawerChanged(drawerNick_);
        broadcast(message(Command::Mdv, nick));
    }
    catchUp(from, drawerWanted);
    sendPlayerList();
}

// A player who joins during a round gets what the others already have: the
// drawer, the points at stake and the board as drawn so far.
void GameServer::catchUp(const Connection& joiner, bool drawerSent) {
    if (!drawerNick_.empty() && !drawerSent) sendTo(joiner, message(Command::Mdv, drawerNick_));
    if (pointsAtStake_ > 0) sendTo(joiner, message(Command::Pts, std::to_string(pointsAtStake_)));
    if (!drawing_.empty() && !joiner.closing) transport_.sendKept(joiner.id, drawing_.snapshot());
}

void GameServer::leave(Connection& from) {
    sendTo(from, message(Command::Off, {}));
    if (!from.player) return;
    events_->playerLeft(from.id, from.player->nick);
    dropPlayer(from);
}

// A joined player goes away (by "off" or by closing): if the drawer role goes
// with them, the best player takes it and the round is over.
void GameServer::dropPlayer(Connection& from) {
    if (from.player->nick == drawerNick_) drawerNick_.clear();
    from.player.reset();
    if (drawerNick_.empty()) {
        drawerNick_ = chooseNextDrawer();
        events_->drawerChanged(drawerNick_);
        broadcast(message(Command::Mdv, drawerNick_));
        pointsAtStake_ = 0;
        broadcast(message(Command::Pts, "0"));
        endDrawing();
    } else if (!std::ranges::any_of(connections_,
                                    [](const auto& c) { return c->player.has_value(); })) {
        endDrawing();  // the players who saw it are gone
    }
    sendPlayerList();
}

void GameServer::relay(Command command, std::string_view payload) {
    broadcast(message(command, payload));
    keepDrawing(command, out_);
}

// Keeps what a late joiner needs to draw the board: everything since the last
// "cls", up to a cap.
void GameServer::keepDrawing(Command command, std::string_view bytes) {
    switch (command) {
        case Command::Cls:
            drawing_.clear();
            drawing_.append(bytes);
            break;
        case Command::Mdw:
        case Command::Mov:
        case Command::Blc:
            drawing_.append(bytes);
            break;
        default:
            break;  // "mup" draws nothing; chat is not part of the board
    }
}

// The round is over (a hit, "pts:0", the drawer left) or nobody is left: the
// next joiner starts from a blank board. Joiners still receiving it keep
// their copy.
void GameServer::endDrawing() {
    if (!drawing_.empty()) drawing_.clear();
}

bool GameServer::isJoinedNick(std::string_view nick) const {
    for (const auto& c : connections_)
        if (c->player && c->player->nick == nick) return true;
    return false;
}

void GameServer::sendPlayerList() {
    if (options_.batchPlayerLists) {
        listPending_ = true;
        return;
    }
    listPending_ = true;
    flushPlayerList();
}

void GameServer::flushPlayerList() {
    if (!listPending_) return;
    listPending_ = false;
    protocol::composeInto(out_, Command::Lst);
    for (const auto& c : connections_) {
        if (!c->player) continue;
        const Player& p = *c->player;
        out_.append(protocol::pointsField(p.total, p.nick == drawerNick_))
            .append(1, ' ')
            .append(p.nick)
            .append(1, '|');
    }
    broadcast(out_);
}

// The highest total wins whatever its sign (a "pts" may make the points at
// stake negative, and a hit then lowers a total below 0); ties go to the
// earliest connection.
std::string GameServer::chooseNextDrawer() const {
    const Player* best = nullptr;
    for (const auto& c : connections_) {
        if (c->player && (!best || c->player->total > best->total)) best = &*c->player;
    }
    return best ? best->nick : std::string{};
}

std::string_view GameServer::message(Command command, std::string_view payloadHead,
                                     std::string_view payloadTail) {
    protocol::composeInto(out_, command, payloadHead, payloadTail);
    // A payload ending in "$" or "$-" would run into the next message's
    // separator and spoil it on every copy: a blank keeps the separator whole.
    if (!payloadHead.empty() || !payloadTail.empty())
        if (out_.ends_with('$') || out_.ends_with("$-")) out_.push_back(' ');
    return out_;
}

void GameServer::sendTo(const Connection& to, std::string_view bytes) {
    if (!to.closing) transport_.send(to.id, bytes);
}

void GameServer::broadcast(std::string_view bytes) {
    for (const auto& c : connections_) sendTo(*c, bytes);
}

}  // namespace rabuscal::server
