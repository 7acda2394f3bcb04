// SPDX-License-Identifier: GPL-3.0-or-later
#include "directory/directory_service.h"

#include <optional>

#include "daemon/log_line.h"
#include "directory/group_name.h"
#include "directory/notices.h"
#include "protocol/commands.h"

namespace rabuscal::directory {

namespace dir = protocol::directory;
using AddOutcome = GroupRegistry::AddOutcome;
using RemoveOutcome = GroupRegistry::RemoveOutcome;

namespace {

// Requests and names as the log shows them: every byte the line reads back
// to, a long one cut.
std::string printable(std::string_view bytes) {
    return daemon::printable(bytes, 80, daemon::Escaping::Bytes);
}

// "game|name": the game id is everything before the first "|".
struct GroupRequest {
    std::string_view gameId;
    std::string_view name;
};

std::optional<GroupRequest> splitGroupRequest(std::string_view payload) {
    const std::size_t bar = payload.find('|');
    if (bar == std::string_view::npos) return std::nullopt;
    return GroupRequest{payload.substr(0, bar), payload.substr(bar + 1)};
}

std::string_view refusalFor(NameProblem problem) {
    switch (problem) {
        case NameProblem::Empty:
            return notices::kEmptyName;
        case NameProblem::TooLong:
            return notices::kNameTooLong;
        case NameProblem::ForbiddenText:
        case NameProblem::None:
            break;
    }
    return notices::kForbiddenText;
}

std::string describe(const protocol::Message& request) {
    return printable(request.command) + " " + printable(request.payload);
}

}  // namespace

DirectoryService::DirectoryService(Transport& transport, GroupStore& store, AddressLimits limits,
                                   LogSink log)
    : transport_(transport),
      store_(store),
      limits_(limits),
      log_(std::move(log)),
      refusals_([this](const std::string& line) {
          if (log_ && level_ >= LogLevel::Info) log_(line);
      }),
      self_(std::make_shared<DirectoryService*>(this)) {
    store_.onLost([this](ConnectionId owner, std::string gameId, std::string name) {
        changed(gameId);
        Connection* from = find(owner);
        if (!from) return;
        addedGroup(owner, *from, -1);
        const std::string text = notify(owner, notices::ownedByOther(name));
        if (log_ && level_ >= LogLevel::Info)
            this->log(owner, from->peer,
                      "lost " + printable(gameId) + "|" + printable(name) +
                          " to an earlier announcement on another instance -> " + text);
    });
}

DirectoryService::~DirectoryService() {
    *self_ = nullptr;
    store_.onLost({});
}

DirectoryService::Connection* DirectoryService::find(ConnectionId id) {
    const auto found = connections_.find(id);
    return found == connections_.end() ? nullptr : found->second.get();
}

DirectoryService::AddressState& DirectoryService::stateOf(const std::string& key) {
    const auto [at, added] = addresses_.try_emplace(key);
    if (added) {
        at->second.tokens = rate_.burst;
        at->second.refilled = clock_();
    }
    return at->second;
}

void DirectoryService::forget(const std::string& key) {
    const auto at = addresses_.find(key);
    if (at != addresses_.end() && at->second.connections == 0 && at->second.groups == 0)
        addresses_.erase(at);
}

void DirectoryService::connectionOpened(ConnectionId id, Peer peer) {
    ++stateOf(peer.limitKey).connections;
    auto connection = std::make_unique<Connection>();
    connection->peer = std::move(peer);
    connections_[id] = std::move(connection);
}

void DirectoryService::take(ConnectionId id, Connection& from, std::string_view command,
                            std::string_view payload) {
    if (from.waiting.size() >= kMaxWaitingRequests) {
        refuse(from.peer, "burst",
               "more than " + std::to_string(kMaxWaitingRequests) +
                   " requests at once; the rest dropped");
        return;
    }
    (void)id;
    from.waiting.push_back({std::string(command), std::string(payload)});
}

void DirectoryService::dataReceived(ConnectionId id, std::string_view chunk) {
    Connection* from = find(id);
    if (!from) return;
    // The reader may keep a buffer of its own after any chunk.
    from->readerUsed = true;
    from->reader.feed(chunk, [&](std::string_view command, std::string_view payload) {
        take(id, *from, command, payload);
        return true;
    });
    handleWaiting(id, *from);
}

void DirectoryService::proceed(ConnectionId id) {
    if (Connection* from = find(id); from && !from->inStore) handleWaiting(id, *from);
}

bool DirectoryService::hasWaiting(ConnectionId id) const {
    const auto found = connections_.find(id);
    return found != connections_.end() && !found->second->inStore &&
           !found->second->waiting.empty();
}

bool DirectoryService::takesInput(ConnectionId id) const {
    const auto found = connections_.find(id);
    return found != connections_.end() && !found->second->inStore && found->second->waiting.empty();
}

bool DirectoryService::wantsQuiet(ConnectionId id) const {
    const auto found = connections_.find(id);
    return found != connections_.end() &&
           (found->second->reader.holding() || found->second->readerUsed);
}

void DirectoryService::quiet(ConnectionId id) {
    Connection* from = find(id);
    if (!from) return;
    from->reader.flush([&](std::string_view command, std::string_view payload) {
        take(id, *from, command, payload);
        return true;
    });
    if (!from->reader.holding()) {
        // Nothing is cut: a new reader holds no buffer, whatever came before.
        from->reader = protocol::ChunkReader(protocol::kDirectorySeparator, kMaxHeldRequestBytes);
        from->readerUsed = false;
    }
    if (!from->inStore) handleWaiting(id, *from);
}

bool DirectoryService::holdsGroups(ConnectionId id) const {
    const auto found = connections_.find(id);
    return found != connections_.end() && found->second->groupCount > 0;
}

void DirectoryService::connectionClosed(ConnectionId id) {
    const auto found = connections_.find(id);
    if (found == connections_.end()) return;
    Connection& from = *found->second;
    const std::size_t dropped = store_.removeAllOf(id);
    if (dropped > 0) {
        for (auto at = lists_.begin(); at != lists_.end();)
            at = forgotten(at->second) ? lists_.erase(at) : std::next(at);
    }
    addedGroup(id, from, -static_cast<long>(from.groupCount));
    if (dropped > 0 && level_ >= LogLevel::Debug)
        log(id, from.peer, "closed, " + std::to_string(dropped) + " group(s) dropped");
    const std::string key = from.peer.limitKey;
    --stateOf(key).connections;
    connections_.erase(found);
    forget(key);
}

void DirectoryService::handleWaiting(ConnectionId id, Connection& from) {
    from.handling = true;
    std::size_t handled = 0;
    while (!from.inStore && !from.waiting.empty() && handled < kRequestsPerTurn) {
        const protocol::Message request = std::move(from.waiting.front());
        from.waiting.pop_front();
        if (from.waiting.empty()) std::deque<protocol::Message>().swap(from.waiting);
        ++handled;
        if (!withinRate(from)) continue;
        if (handle(id, from, request)) {
            if (level_ >= LogLevel::Debug) log(id, from.peer, describe(request) + " -> ignored");
        } else {
            transport_.active(id);
        }
    }
    from.handling = false;
}

bool DirectoryService::withinRate(Connection& from) {
    AddressState& address = stateOf(from.peer.limitKey);
    const Clock::time_point now = clock_();
    const double seconds = std::chrono::duration<double>(now - address.refilled).count();
    address.tokens = std::min(rate_.burst, address.tokens + seconds * rate_.perSecond);
    address.refilled = now;
    if (address.tokens >= 1) {
        address.tokens -= 1;
        return true;
    }
    refuse(from.peer, "rate",
           "more than " + std::to_string(static_cast<int>(rate_.perSecond)) +
               " requests a second; dropped");
    return false;
}

bool DirectoryService::handle(ConnectionId id, Connection& from, const protocol::Message& request) {
    if (request.command == dir::kList) {
        if (!isValidGameId(request.payload)) return true;
        list(id, from, request.payload);
        return false;
    }
    if (request.command != dir::kActivate && request.command != dir::kDeactivate) return true;
    const auto group = splitGroupRequest(request.payload);
    if (!group || !isValidGameId(group->gameId)) return true;
    if (const NameProblem problem = checkGroupName(group->name); problem != NameProblem::None) {
        refuse(from.peer, "name", describe(request) + " -> " + notify(id, refusalFor(problem)));
        return false;
    }
    if (request.command == dir::kActivate) {
        if (const std::string refused = activate(id, from, group->gameId, group->name);
            !refused.empty())
            refuse(from.peer, "limit", describe(request) + " -> " + refused);
    } else {
        deactivate(id, group->gameId, group->name);
    }
    return false;
}

void DirectoryService::list(ConnectionId id, Connection& from, const std::string& gameId) {
    GameList& entry = lists_[gameId];
    const auto age =
        std::chrono::duration_cast<std::chrono::milliseconds>(clock_() - entry.builtAt);
    if (entry.reply && age < store_.listFreshness()) {
        transport_.send(id, *entry.reply);
        if (level_ >= LogLevel::Debug)
            log(id, from.peer, "jgs " + printable(gameId) + " -> cached");
        return;
    }
    from.inStore = true;
    entry.askers.push_back(id);
    if (entry.askers.size() > 1) return;  // the read under way answers this one too
    std::weak_ptr<DirectoryService*> self = self_;
    store_.list(gameId, [self, gameId, epoch = entry.epoch](std::vector<protocol::Group> groups) {
        const auto service = self.lock();
        if (service && *service) (*service)->listed(gameId, epoch, groups);
    });
}

void DirectoryService::listed(const std::string& gameId, std::uint64_t epoch,
                              const std::vector<protocol::Group>& groups) {
    const auto at = lists_.find(gameId);
    if (at == lists_.end()) return;
    auto reply = std::make_shared<const std::string>(protocol::composeWith(
        protocol::kDirectorySeparator, dir::kGroups, protocol::writeGroupList(groups)));
    std::vector<ConnectionId> askers;
    askers.swap(at->second.askers);
    // An empty list costs nothing to build again, and any game id may be asked for.
    if (at->second.epoch == epoch && !groups.empty()) {
        at->second.reply = reply;
        at->second.builtAt = clock_();
    } else if (!at->second.reply) {
        lists_.erase(at);
    }
    const std::string outcome = std::to_string(groups.size()) + " group(s) listed";
    for (const ConnectionId id : askers) {
        if (!find(id)) continue;
        transport_.send(id, *reply);
        storeDone(id, "jgs " + printable(gameId), outcome);
    }
}

bool DirectoryService::forgotten(GameList& entry) {
    entry.reply.reset();
    ++entry.epoch;  // a read under way answers its askers but is not kept
    return entry.askers.empty();
}

void DirectoryService::changed(std::string_view gameId) {
    if (const auto at = lists_.find(std::string(gameId));
        at != lists_.end() && forgotten(at->second))
        lists_.erase(at);
}

std::string DirectoryService::activate(ConnectionId id, Connection& from, std::string_view gameId,
                                       std::string_view name) {
    std::string refusal;
    if (!from.peer.isIPv4 && from.peer.listedAs.empty()) {
        refusal = notices::kNeedsIPv4;
    } else if (from.groupCount >= kMaxGroupsPerConnection) {
        refusal = notices::kTooManyGroups;
    } else if (stateOf(from.peer.limitKey).groups >= limits_.groups) {
        refusal = notices::tooManyGroupsFromAddress(limits_.groups);
    } else if (!from.peer.wideKey.empty() &&
               stateOf(from.peer.wideKey).groups >= limits_.groups * limits_.wideFactor) {
        refusal = notices::tooManyGroupsFromAddress(limits_.groups);
    }
    if (!refusal.empty()) return notify(id, refusal);
    // Counted at once, so that requests still in the store count too.
    addedGroup(id, from, +1);
    from.inStore = true;
    const std::string groupName(name);
    const std::string game(gameId);
    store_.add(
        gameId, name, from.peer.listedAs.empty() ? from.peer.address : from.peer.listedAs, id,
        storeAnswer<AddOutcome>(
            id, "atv " + printable(gameId) + "|" + printable(name),
            [groupName, game, id](DirectoryService& rules, Connection& from, AddOutcome outcome) {
                if (outcome != AddOutcome::Added) rules.addedGroup(id, from, -1);
                switch (outcome) {
                    case AddOutcome::Added:
                        rules.changed(game);
                        return notices::activated(groupName);
                    case AddOutcome::NameTaken:
                        rules.refuse(from.peer, "taken", printable(groupName));
                        return notices::nameTaken(groupName);
                    case AddOutcome::StoreFailed:
                        rules.refuse(from.peer, "store", printable(groupName));
                        return std::string(notices::kStoreFailed);
                    case AddOutcome::GameFull:
                        break;
                }
                rules.refuse(from.peer, "full", printable(game));
                return std::string(notices::kGameFull);
            }));
    return {};
}

void DirectoryService::deactivate(ConnectionId id, std::string_view gameId, std::string_view name) {
    connections_[id]->inStore = true;
    const std::string groupName(name);
    const std::string game(gameId);
    store_.remove(
        gameId, name, id,
        storeAnswer<RemoveOutcome>(id, "dtv " + printable(gameId) + "|" + printable(name),
                                   [groupName, game, id](DirectoryService& rules, Connection& from,
                                                         RemoveOutcome outcome) {
                                       switch (outcome) {
                                           case RemoveOutcome::Removed:
                                               rules.changed(game);
                                               rules.addedGroup(id, from, -1);
                                               return notices::deactivated(groupName);
                                           case RemoveOutcome::OwnedByOther:
                                               return notices::ownedByOther(groupName);
                                           case RemoveOutcome::NotListed:
                                               break;
                                       }
                                       return notices::notListed(groupName);
                                   }));
}

template <class Outcome, class Text>
std::function<void(Outcome)> DirectoryService::storeAnswer(ConnectionId id, std::string request,
                                                           Text text) {
    return [self = std::weak_ptr<DirectoryService*>(self_), id, request = std::move(request),
            text = std::move(text)](Outcome outcome) {
        const auto service = self.lock();
        if (!service || !*service) return;
        DirectoryService& rules = **service;
        Connection* from = rules.find(id);
        if (!from) return;
        rules.storeDone(id, request, rules.notify(id, text(rules, *from, outcome)));
    };
}

void DirectoryService::storeDone(ConnectionId id, const std::string& request,
                                 const std::string& outcome) {
    Connection* from = find(id);
    if (!from) return;
    if (level_ >= LogLevel::Debug) log(id, from->peer, request + " -> " + outcome);
    from->inStore = false;
    if (from->handling) return;  // the store answered at once; the loop goes on
    transport_.resume(id);
}

void DirectoryService::addedGroup(ConnectionId id, Connection& from, long change) {
    if (change == 0) return;
    const bool held = from.groupCount > 0;
    from.groupCount = static_cast<std::size_t>(static_cast<long>(from.groupCount) + change);
    for (const std::string* key : {&from.peer.limitKey, &from.peer.wideKey}) {
        if (key->empty()) continue;
        AddressState& address = stateOf(*key);
        address.groups = static_cast<std::size_t>(static_cast<long>(address.groups) + change);
        forget(*key);
    }
    if (held != (from.groupCount > 0)) transport_.holdsGroups(id, from.groupCount > 0);
}

void DirectoryService::reply(ConnectionId id, std::string_view command, std::string_view payload) {
    transport_.send(id, protocol::composeWith(protocol::kDirectorySeparator, command, payload));
}

std::string DirectoryService::notify(ConnectionId id, std::string_view text) {
    reply(id, dir::kStatus, text);
    return printable(text);
}

void DirectoryService::log(ConnectionId id, const Peer& from, std::string_view what) {
    if (!log_) return;
    std::string line = "#" + std::to_string(id) + " " + printable(from.address) + " ";
    line.append(what);
    log_(line);
}

void DirectoryService::refuse(const Peer& from, std::string_view kind, std::string_view detail) {
    refusals_.refused(kind, from.limitKey, detail, clock_());
}

void DirectoryService::refused(std::string_view kind, std::string_view address,
                               std::string_view detail) {
    refusals_.refused(kind, address, detail, clock_());
}

void DirectoryService::sweepLog() {
    refusals_.sweep(clock_());
}

}  // namespace rabuscal::directory
