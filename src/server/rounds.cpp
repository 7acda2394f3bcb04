// SPDX-License-Identifier: GPL-3.0-or-later
// Rounds and scoring: the server's side of "ini", "mdv", "tnt" and "pts".
#include <algorithm>

#include "protocol/payloads.h"
#include "server/game_server.h"
#include "server/saturating.h"
#include "server/texts.h"

namespace rabuscal::server {

using protocol::Command;

namespace {
constexpr std::int32_t kPointsAtRoundStart = 100;
constexpr std::int32_t kMissPenalty = 10;
}  // namespace

void GameServer::startRound(Connection& from, std::string_view phrase) {
    phrase_ = protocol::upperAscii(phrase);
    pointsAtStake_ = kPointsAtRoundStart;
    events_->roundStarted(from.id, phrase_);
    broadcast(message(Command::Cls, {}));
    keepDrawing(Command::Cls, out_);
    broadcast(message(Command::Pts, std::to_string(kPointsAtRoundStart)));
    broadcast(message(Command::Sys, texts::kRoundStarted));
}

// Any nick is taken, joined or not: the clients decide who may hand over.
void GameServer::setDrawer(std::string_view nick) {
    drawerNick_.assign(nick);
    events_->drawerChanged(drawerNick_);
    broadcast(message(Command::Mdv, nick));
    sendPlayerList();
}

void GameServer::judgeGuess(Connection& from, std::string_view guess) {
    judgeGuess(from, guess, protocol::upperAscii(guess) == phrase_);
}

void GameServer::judgeGuess(Connection& from, std::string_view guess, bool hit) {
    if (!from.player) return;
    Player& guesser = *from.player;
    // The verdict: nick + ' tentou "' + guess + '" e... ' + the outcome.
    std::string verdict;
    verdict.reserve(guesser.nick.size() + guess.size() + texts::kTried.size() + texts::kAnd.size());
    verdict.append(guesser.nick).append(texts::kTried).append(guess).append(texts::kAnd);

    if (!hit) {
        pointsAtStake_ = std::max(0, saturatingAdd(pointsAtStake_, -kMissPenalty));
        broadcast(message(Command::Avs, verdict, texts::kMissed));
        broadcast(message(Command::Pts, std::to_string(pointsAtStake_)));
        return;
    }
    const std::int32_t won = pointsAtStake_;
    guesser.total = saturatingAdd(guesser.total, won);
    pointsAtStake_ = 0;
    events_->guessHit(guesser.nick, won, guesser.total);
    broadcast(message(Command::Avs, verdict, texts::kHit));
    broadcast(message(Command::Pts, "0"));
    endDrawing();
    drawerNick_ = chooseNextDrawer();
    events_->drawerChanged(drawerNick_);
    broadcast(message(Command::Mdv, drawerNick_));
    sendPlayerList();
}

// The drawer's client reports the points it has left; any value is taken.
bool GameServer::setPoints(Connection& from, std::string_view payload) {
    std::int32_t points = 0;
    if (!protocol::tryReadInt(payload, points)) {
        events_->conversionError(from.id, protocol::BadNumber(payload).what());
        return false;
    }
    pointsAtStake_ = points;
    broadcast(message(Command::Pts, payload));
    if (points <= 0) endDrawing();  // the drawer ended the round
    return true;
}

}  // namespace rabuscal::server
