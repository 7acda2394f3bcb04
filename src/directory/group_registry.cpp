// SPDX-License-Identifier: GPL-3.0-or-later
#include "directory/group_registry.h"

#include <algorithm>

#include "directory/group_name.h"
#include "directory/limits.h"

namespace rabuscal::directory {

GroupRegistry::AddOutcome GroupRegistry::add(std::string_view gameId, std::string_view name,
                                             std::string_view address, ConnectionId owner) {
    auto game = games_.find(gameId);
    if (game == games_.end()) game = games_.emplace(std::string(gameId), Entries{}).first;
    Entries& groups = game->second;
    std::string key = sameNameKey(name);
    const bool taken =
        std::any_of(groups.begin(), groups.end(), [&](const Entry& e) { return e.key == key; });
    if (taken) return AddOutcome::NameTaken;
    if (groups.size() >= kMaxGroupsPerGame) return AddOutcome::GameFull;
    groups.push_back({std::move(key), std::string(name), std::string(address), owner});
    return AddOutcome::Added;
}

GroupRegistry::RemoveOutcome GroupRegistry::remove(std::string_view gameId, std::string_view name,
                                                   ConnectionId owner) {
    const auto game = games_.find(gameId);
    if (game == games_.end()) return RemoveOutcome::NotListed;
    Entries& groups = game->second;
    const std::string key = sameNameKey(name);
    const auto at =
        std::find_if(groups.begin(), groups.end(), [&](const Entry& e) { return e.key == key; });
    if (at == groups.end()) return RemoveOutcome::NotListed;
    // Nobody withdraws a game somebody else is running.
    if (at->owner != owner) return RemoveOutcome::OwnedByOther;
    groups.erase(at);
    if (groups.empty()) games_.erase(game);
    return RemoveOutcome::Removed;
}

std::size_t GroupRegistry::removeAllOf(ConnectionId owner) {
    std::size_t removed = 0;
    for (auto game = games_.begin(); game != games_.end();) {
        removed += std::erase_if(game->second, [&](const Entry& e) { return e.owner == owner; });
        game = game->second.empty() ? games_.erase(game) : std::next(game);
    }
    return removed;
}

std::vector<protocol::Group> GroupRegistry::list(std::string_view gameId) const {
    std::vector<protocol::Group> out;
    if (const auto game = games_.find(gameId); game != games_.end())
        for (const Entry& e : game->second) out.push_back({e.name, e.address});
    return out;
}

std::size_t GroupRegistry::size() const {
    std::size_t total = 0;
    for (const auto& [id, groups] : games_) total += groups.size();
    return total;
}

}  // namespace rabuscal::directory
