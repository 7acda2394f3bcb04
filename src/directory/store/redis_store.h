// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Groups kept in Redis, shared by every directory instance that uses the same
// store: one list in order of announcement, each name held by one group
// across instances, the earliest announcement winning. This instance also
// keeps its own groups in memory, so that it goes on serving them (alone)
// while the store is out of reach, and announces them again when the store is
// back; an announcement the store does not take is refused.

#include <deque>
#include <memory>

#include "directory/group_store.h"
#include "directory/store/redis_link.h"

namespace rabuscal::directory {

class RedisStore final : public GroupStore {
  public:
    RedisStore(RedisSettings settings, RedisLink::Post post, RedisLink::Log log);
    // Connects to the store; until then requests wait.
    void start() { link_->start(); }

    void add(std::string_view gameId, std::string_view name, std::string_view address,
             ConnectionId owner, AddDone done) override;
    void remove(std::string_view gameId, std::string_view name, ConnectionId owner,
                RemoveDone done) override;
    std::size_t removeAllOf(ConnectionId owner) override;
    void list(std::string_view gameId, ListDone done) override;
    const GroupRegistry& own() const override { return own_; }
    // Other instances change the lists too: a list is read again after this.
    std::chrono::milliseconds listFreshness() const override {
        return std::chrono::milliseconds(250);
    }

  private:
    struct Parked {
        std::string gameId;
        ListDone done;
    };
    void ask(std::string gameId, ListDone done);

    GroupRegistry own_;
    std::deque<Parked> parked_;
    // Last, so that its thread stops before the rest goes.
    std::unique_ptr<RedisLink> link_;
};

// Reads "redis://HOST:PORT" (port 6379 if left out), with
// ":PASSWORD@" or "USER:PASSWORD@" before the host.
std::optional<RedisSettings> parseStoreAddress(std::string_view text);

}  // namespace rabuscal::directory
