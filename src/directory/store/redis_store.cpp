// SPDX-License-Identifier: GPL-3.0-or-later
#include "directory/store/redis_store.h"

#include <charconv>

namespace rabuscal::directory {

namespace {

// Reads of lists queued for the store at most; further ones wait here, in
// order, until the queue is shorter (each connection has at most one).
constexpr std::size_t kMaxQueuedLists = 256;

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
                   Outcome outcome = Outcome::Added;
                   if (answer == RedisLink::Answer::NameTaken) outcome = Outcome::NameTaken;
                   if (answer == RedisLink::Answer::GameFull) outcome = Outcome::GameFull;
                   // Out of reach, or it refused the write (out of memory): a
                   // group the other instances would not list is not announced.
                   if (answer == RedisLink::Answer::Unavailable) outcome = Outcome::StoreFailed;
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
    // Out of reach, only this instance's groups are known; the log says so.
    if (!link_->reachable()) {
        done(own_.list(gameId));
        return;
    }
    if (link_->queued() >= kMaxQueuedLists) {
        parked_.push_back({std::string(gameId), std::move(done)});
        return;
    }
    ask(std::string(gameId), std::move(done));
}

void RedisStore::ask(std::string gameId, ListDone done) {
    link_->list(gameId, [this, game = gameId, done = std::move(done)](
                            std::optional<std::vector<protocol::Group>> groups) {
        done(groups ? std::move(*groups) : own_.list(game));
        while (!parked_.empty() && link_->queued() < kMaxQueuedLists) {
            Parked next = std::move(parked_.front());
            parked_.pop_front();
            ask(std::move(next.gameId), std::move(next.done));
        }
    });
}

std::optional<RedisSettings> parseStoreAddress(std::string_view text) {
    constexpr std::string_view scheme = "redis://";
    if (!text.starts_with(scheme)) return std::nullopt;
    text.remove_prefix(scheme.size());
    if (text.ends_with('/')) text.remove_suffix(1);
    RedisSettings settings;
    // redis://[[USER]:PASSWORD@]HOST:PORT
    if (const std::size_t at = text.rfind('@'); at != std::string_view::npos) {
        const std::string_view who = text.substr(0, at);
        const std::size_t colon = who.find(':');
        if (colon == std::string_view::npos || colon + 1 == who.size()) return std::nullopt;
        settings.user = std::string(who.substr(0, colon));
        settings.password = std::string(who.substr(colon + 1));
        text.remove_prefix(at + 1);
    }
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
