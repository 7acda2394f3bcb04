// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the groups live: in this process (MemoryStore), or in a store shared
// by several directory instances (store/redis_store.h). Calls are made on the
// event loop's thread and complete there, at once or later. The rules hand a
// connection's requests over one at a time, so its replies keep their order.

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "directory/group_registry.h"
#include "protocol/payloads.h"

namespace rabuscal::directory {

class GroupStore {
  public:
    using AddDone = std::function<void(GroupRegistry::AddOutcome)>;
    using RemoveDone = std::function<void(GroupRegistry::RemoveOutcome)>;
    using ListDone = std::function<void(std::vector<protocol::Group>)>;
    // A group this instance listed went to another instance (a shared store
    // that was out of reach meanwhile); it is no longer listed for `owner`.
    using Lost = std::function<void(ConnectionId owner, std::string gameId, std::string name)>;

    virtual ~GroupStore() = default;

    virtual void add(std::string_view gameId, std::string_view name, std::string_view address,
                     ConnectionId owner, AddDone done) = 0;
    virtual void remove(std::string_view gameId, std::string_view name, ConnectionId owner,
                        RemoveDone done) = 0;
    // Drops every group `owner` announced through this instance; returns how many.
    virtual std::size_t removeAllOf(ConnectionId owner) = 0;
    // The records of one "lsg", oldest announcement first.
    virtual void list(std::string_view gameId, ListDone done) = 0;

    // The groups announced through this instance.
    virtual const GroupRegistry& own() const = 0;
    // How long a list may be served again without asking: as long as nothing
    // changes here when this instance is the only one; shortly when other
    // instances change it too.
    virtual std::chrono::milliseconds listFreshness() const {
        return std::chrono::milliseconds::max();
    }

    void onLost(Lost lost) { lost_ = std::move(lost); }

  protected:
    Lost lost_;
};

// The groups of one instance, in its memory: every call completes at once.
class MemoryStore final : public GroupStore {
  public:
    void add(std::string_view gameId, std::string_view name, std::string_view address,
             ConnectionId owner, AddDone done) override {
        done(groups_.add(gameId, name, address, owner));
    }
    void remove(std::string_view gameId, std::string_view name, ConnectionId owner,
                RemoveDone done) override {
        done(groups_.remove(gameId, name, owner));
    }
    std::size_t removeAllOf(ConnectionId owner) override { return groups_.removeAllOf(owner); }
    void list(std::string_view gameId, ListDone done) override { done(groups_.list(gameId)); }
    const GroupRegistry& own() const override { return groups_; }

  private:
    GroupRegistry groups_;
};

}  // namespace rabuscal::directory
