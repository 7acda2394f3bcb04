// SPDX-License-Identifier: GPL-3.0-or-later
// Join limits for a server open to strangers. Every join and every leave sends
// the player list to every connection, so a connection that joins and leaves
// in a loop would make the server send the list again and again. A join pays
// for both lists (its own and the leave's) out of its address's credit, which
// grows with what the address sends (ten bytes for each byte) and slowly with
// time; on top of that each connection may join only a few times a minute.
// An honest lobby stays far below both.
#include <algorithm>

#include "server/game_server.h"

namespace rabuscal::server {

namespace {
constexpr double kCreditPerByteReceived = 10;
constexpr double kCreditPerSecond = 64;
constexpr double kJoinBurst = 4;
constexpr double kJoinsPerSecond = 0.1;
// Credits of addresses with no connection left are kept (or a reconnect would
// start afresh) up to this many; then the ones already full again go.
constexpr std::size_t kKeptCredits = 4096;
}  // namespace

GameServer::JoinCredit& GameServer::creditOf(const Connection& c) {
    const std::string key = c.address.empty() ? "#" + std::to_string(c.id) : c.address;
    auto [it, fresh] = joinCredits_.try_emplace(key);
    if (fresh) {
        it->second.bytes = joinCreditCap_;
        it->second.last = clock_();
    }
    return it->second;
}

GameServer::JoinCredit& GameServer::refilled(JoinCredit& credit) {
    const auto now = clock_();
    const std::chrono::duration<double> passed = now - credit.last;
    credit.bytes =
        std::min(joinCreditCap_, credit.bytes + std::max(0.0, passed.count()) * kCreditPerSecond);
    credit.last = now;
    return credit;
}

void GameServer::earnCredit(const Connection& from, std::size_t bytesReceived) {
    JoinCredit& credit = refilled(creditOf(from));
    credit.bytes =
        std::min(joinCreditCap_, credit.bytes + kCreditPerByteReceived * double(bytesReceived));
}

bool GameServer::mayJoin(Connection& from, std::string_view nick) {
    const auto now = clock_();
    if (from.lastJoin == std::chrono::steady_clock::time_point{}) {
        from.joinTokens = kJoinBurst;
    } else {
        const std::chrono::duration<double> passed = now - from.lastJoin;
        from.joinTokens = std::min(kJoinBurst, from.joinTokens + passed.count() * kJoinsPerSecond);
    }
    from.lastJoin = now;
    if (from.joinTokens < 1) return false;
    // The list after this join, once now and once when the player leaves.
    const std::size_t entry = 4 + 1 + nick.size() + 1;
    const double cost = 2.0 * double(playerListBytes() + entry);
    JoinCredit& credit = refilled(creditOf(from));
    if (credit.bytes < cost) return false;
    credit.bytes -= cost;
    from.joinTokens -= 1;
    return true;
}

void GameServer::releaseCredit(const Connection& c) {
    const std::string key = c.address.empty() ? "#" + std::to_string(c.id) : c.address;
    const auto it = joinCredits_.find(key);
    if (it == joinCredits_.end()) return;
    if (it->second.connections > 0) --it->second.connections;
    if (it->second.connections == 0 && refilled(it->second).bytes >= joinCreditCap_) {
        joinCredits_.erase(it);
        return;
    }
    if (joinCredits_.size() <= kKeptCredits) return;
    const auto now = clock_();
    std::erase_if(joinCredits_, [now, cap = joinCreditCap_](const auto& entry) {
        const std::chrono::duration<double> idle = now - entry.second.last;
        return entry.second.connections == 0 &&
               entry.second.bytes + idle.count() * kCreditPerSecond >= cap;
    });
    // Still too many: the unused ones go, debts and all.
    if (joinCredits_.size() > kKeptCredits)
        std::erase_if(joinCredits_,
                      [](const auto& entry) { return entry.second.connections == 0; });
}

std::size_t GameServer::playerListBytes() const {
    std::size_t bytes = 7;  // "$-$lst:"
    for (const auto& c : connections_)
        if (c->player) bytes += 4 + 1 + c->player->nick.size() + 1;
    return bytes;
}

}  // namespace rabuscal::server
