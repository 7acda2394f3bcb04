// SPDX-License-Identifier: GPL-3.0-or-later
// The referee of a server open to strangers: what honest copies already do,
// enforced by the server. A refused message is dropped and logged; its sender
// hears nothing.
#include <algorithm>

#include "protocol/payloads.h"
#include "server/game_server.h"
#include "server/texts.h"

namespace rabuscal::server {

using protocol::Command;

namespace {
// A player types guesses and chat lines: a few a second is plenty.
constexpr double kBurst = 6;
constexpr double kPerSecond = 3;
}  // namespace

// The burst is capped at the moment the player's bytes were there to be read,
// not when the server read them: lines typed while the server did not read
// earn their time, so a pause of the server never makes an honest player an
// offender (and a cheat gains nothing over the rate on average).
bool GameServer::RateLimit::take(std::chrono::steady_clock::time_point now,
                                 std::chrono::steady_clock::time_point since) {
    using Seconds = std::chrono::duration<double>;
    if (since == std::chrono::steady_clock::time_point{} || since > now) since = now;
    if (last == std::chrono::steady_clock::time_point{}) last = since;
    if (since > last) {
        tokens = std::min(kBurst, tokens + Seconds(since - last).count() * kPerSecond);
        last = since;
    }
    if (now > last) {
        tokens = std::min(kBurst + Seconds(now - since).count() * kPerSecond,
                          tokens + Seconds(now - last).count() * kPerSecond);
        last = now;
    }
    if (tokens < 1) return false;
    tokens -= 1;
    return true;
}

std::string_view nickProblem(std::string_view nick) {
    if (nick.empty()) return "empty nick";
    if (nick.find('|') != std::string_view::npos) return "'|' in nick";
    if (std::any_of(nick.begin(), nick.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; }))
        return "control byte in nick";
    if (nick.find(protocol::kSaid) != std::string_view::npos) return "chat heading in nick";
    if (nick.ends_with('$') || nick.ends_with("$-")) return "nick ends in $ or $-";
    return {};
}

std::string_view GameServer::refusal(Connection& from, Command command, std::string_view payload) {
    if (!from.player)
        return command == Command::Slc ? std::string_view{} : texts::refusals::kNotJoined;
    const bool isDrawer = !drawerNick_.empty() && from.player->nick == drawerNick_;
    switch (command) {
        case Command::Ini:
        case Command::Cls:
        case Command::Mdw:
        case Command::Mov:
        case Command::Mup:
        case Command::Blc:
            return isDrawer ? std::string_view{} : texts::refusals::kNotDrawer;
        case Command::Mdv:
            if (!isDrawer) return texts::refusals::kNotDrawer;
            // The drawer picks from the player list; a nick nobody has would
            // leave the game without a drawer.
            return isJoinedNick(payload) ? std::string_view{} : texts::refusals::kNoSuchPlayer;
        case Command::Pts: {
            if (!isDrawer) return texts::refusals::kNotDrawer;
            // The drawer only ever lowers the points; a stroke that ends after
            // a hit or a miss must not raise them again.
            std::int32_t points = 0;
            if (protocol::tryReadInt(payload, points) && points > pointsAtStake_)
                return texts::refusals::kRaisesPoints;
            if (points < 0) return texts::refusals::kPointsBelowZero;
            return {};
        }
        case Command::Tnt:
            if (isDrawer) return texts::refusals::kDrawerGuesses;
            if (!roundRunning()) return texts::refusals::kNoRound;
            return from.guesses.take(clock_(), from.waitingSince)
                       ? std::string_view{}
                       : texts::refusals::kTooManyGuesses;
        case Command::Msg:
            if (!payload.starts_with(from.player->nick) ||
                !payload.substr(from.player->nick.size()).starts_with(protocol::kSaid))
                return texts::refusals::kOtherName;
            if (!from.chat.take(clock_(), from.waitingSince))
                return texts::refusals::kTooManyChatLines;
            // The drawer would give the answer away.
            if (isDrawer && chatGuess(from, payload)) return texts::refusals::kChatHoldsPhrase;
            return {};
        default:
            return {};
    }
}

// The text of a chat line from a player in their own name, when it holds the
// phrase during a round (compared as guesses are): whoever types the answer
// into the chat has guessed it, and everybody else must not read it.
std::optional<std::string_view> GameServer::chatGuess(const Connection& from,
                                                      std::string_view line) const {
    if (!roundRunning() || phrase_.empty() || !from.player) return std::nullopt;
    const std::size_t heading = from.player->nick.size() + protocol::kSaid.size();
    if (line.size() < heading) return std::nullopt;
    const std::string_view text = line.substr(heading);
    if (protocol::upperAscii(text).find(phrase_) == std::string::npos) return std::nullopt;
    return text;
}

}  // namespace rabuscal::server
