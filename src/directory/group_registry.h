// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The active groups of every game, in the order in which they were announced,
// each with the connection that announced it and the address it came from.

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/payloads.h"

namespace rabuscal::directory {

// Names one accepted connection for as long as it is open. Never reused.
using ConnectionId = std::uint64_t;

class GroupRegistry {
  public:
    // StoreFailed: a shared store could not keep the group (never from here).
    enum class AddOutcome { Added, NameTaken, GameFull, StoreFailed };
    enum class RemoveOutcome { Removed, NotListed, OwnedByOther };

    // Names are compared within one game by sameNameKey(); a group is listed
    // as its host typed it.
    AddOutcome add(std::string_view gameId, std::string_view name, std::string_view address,
                   ConnectionId owner);
    RemoveOutcome remove(std::string_view gameId, std::string_view name, ConnectionId owner);
    // Drops every group `owner` announced; returns how many.
    std::size_t removeAllOf(ConnectionId owner);

    // The records of one "lsg", oldest announcement first.
    std::vector<protocol::Group> list(std::string_view gameId) const;
    std::size_t size() const;

  private:
    struct Entry {
        std::string key;  // sameNameKey(name)
        std::string name;
        std::string address;
        ConnectionId owner;
    };
    using Entries = std::vector<Entry>;

    std::map<std::string, Entries, std::less<>> games_;
};

}  // namespace rabuscal::directory
