// SPDX-License-Identifier: GPL-3.0-or-later
#include "directory/store/redis_store.h"

#include <charconv>

namespace rabuscal::directory {

namespace {

// Lists wait for the store only while its queue is short; beyond that the
// instance answers from its own groups rather than let lobbies wait.
constexpr std::size_t kMaxQueuedLists = 4096;

}  // namespace

RedisStore::RedisStore(RedisSettings settings, RedisLink::Post post, RedisLink::Log log)
    : link_(std::make_unique<RedisLink>(
          std::move(settings), std::move(post), std::move(log),
          [this](std::string gameId, std::string name, ConnectionId owner) {
              if (own_.remove(gameId, name, owner) == GroupRegistry::RemoveOutcome::Removed &&
                  lost_)
                  lost_(owner, std::move(gameId), std::move(name));
          })) {}

void RedisStore::add(std::string_view gameId, std::string_view name, std::string_view address,
                     ConnectionId owner, AddDone done) {
    // Reserved here first: a name this instance already lists needs no store.
    const GroupRegistry::AddOutcome local = own_.add(gameId, name, address, owner);
    if (local != GroupRegistry::AddOutcome::Added) {
        done(local);
        return;
    }
    link_->add(std::string(gameId), std::string(name), std::string(address), owner,
               [this, game = std::string(gameId), group = std::string(name), owner,
                done = std::move(done)](RedisLink::Answer answer) {
                   using Outcome = GroupRegistry::AddOutcome;
                   Outcome outcome = Outcome::Added;  // also when unreachable: kept locally
                   if (answer == RedisLink::Answer::NameTaken) outcome = Outcome::NameTaken;
                   if (answer == RedisLink::Answer::GameFull) outcome = Outcome::GameFull;
                   if (outcome != Outcome::Added) own_.remove(game, group, owner);
                   done(outcome);
               });
}

void RedisStore::remove(std::string_view gameId, std::string_view name, ConnectionId owner,
                        RemoveDone done) {
    const GroupRegistry::RemoveOutcome local = own_.remove(gameId, name, owner);
    if (local == GroupRegistry::RemoveOutcome::Removed)
        link_->remove(std::string(gameId), std::string(name));
    if (local != GroupRegistry::RemoveOutcome::NotListed) {
        done(local);
        return;
    }
    // Not ours: another instance may list it.
    link_->exists(
        std::string(gameId), std::string(name), [done = std::move(done)](RedisLink::Answer answer) {
            done(answer == RedisLink::Answer::Exists ? GroupRegistry::RemoveOutcome::OwnedByOther
                                                     : GroupRegistry::RemoveOutcome::NotListed);
        });
}

std::size_t RedisStore::removeAllOf(ConnectionId owner) {
    link_->removeAllOf(owner);
    return own_.removeAllOf(owner);
}

void RedisStore::list(std::string_view gameId, ListDone done) {
    if (!link_->reachable() || link_->queued() > kMaxQueuedLists) {
        done(own_.list(gameId));
        return;
    }
    link_->list(std::string(gameId), [this, game = std::string(gameId), done = std::move(done)](
                                         std::optional<std::vector<protocol::Group>> groups) {
        done(groups ? std::move(*groups) : own_.list(game));
    });
}

std::optional<RedisSettings> parseStoreAddress(std::string_view text) {
    constexpr std::string_view scheme = "redis://";
    if (!text.starts_with(scheme)) return std::nullopt;
    text.remove_prefix(scheme.size());
    if (text.ends_with('/')) text.remove_suffix(1);
    RedisSettings settings;
    const std::size_t colon = text.rfind(':');
    std::string_view host = text.substr(0, colon);
    if (colon != std::string_view::npos) {
        const std::string_view port = text.substr(colon + 1);
        const auto [end, error] =
            std::from_chars(port.data(), port.data() + port.size(), settings.port);
        if (error != std::errc() || end != port.data() + port.size() || settings.port <= 0 ||
            settings.port > 65535)
            return std::nullopt;
    }
    if (host.empty() || host.find_first_of("/@") != std::string_view::npos) return std::nullopt;
    settings.host = std::string(host);
    return settings;
}

}  // namespace rabuscal::directory
