// SPDX-License-Identifier: GPL-3.0-or-later
#include "directory/directory_service.h"

#include <cstdio>
#include <optional>

#include "directory/group_name.h"
#include "directory/notices.h"
#include "protocol/commands.h"

namespace rabuscal::directory {

namespace dir = protocol::directory;
using AddOutcome = GroupRegistry::AddOutcome;
using RemoveOutcome = GroupRegistry::RemoveOutcome;

namespace {

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

std::string printable(std::string_view bytes, std::size_t maxBytes) {
    std::string out;
    for (char c : bytes.substr(0, maxBytes)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7f && c != '\\') {
            out += c;
        } else {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
            out += escaped;
        }
    }
    if (bytes.size() > maxBytes) out += "...";
    return out;
}

DirectoryService::DirectoryService(Transport& transport, GroupStore& store, AddressLimits limits,
                                   LogSink log)
    : transport_(transport),
      store_(store),
      limits_(limits),
      log_(std::move(log)),
      self_(std::make_shared<DirectoryService*>(this)) {
    store_.onLost([this](ConnectionId owner, std::string gameId, std::string name) {
        Connection* from = find(owner);
        if (!from) return;
        addedGroup(*from, -1);
        this->log(owner, from->peer,
                  "lost " + printable(gameId) + "|" + printable(name) + " to another instance -> " +
                      notify(owner, notices::ownedByOther(name)));
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

void DirectoryService::connectionOpened(ConnectionId id, Peer peer) {
    auto connection = std::make_unique<Connection>();
    connection->peer = std::move(peer);
    connections_[id] = std::move(connection);
}

void DirectoryService::dataReceived(ConnectionId id, std::string_view chunk) {
    Connection* from = find(id);
    if (!from) return;
    from->reader.feed(chunk, [&](std::string_view command, std::string_view payload) {
        from->waiting.push_back({std::string(command), std::string(payload)});
        return true;
    });
    handleWaiting(id, *from);
}

bool DirectoryService::takesInput(ConnectionId id) const {
    const auto found = connections_.find(id);
    return found != connections_.end() && !found->second->inStore;
}

void DirectoryService::connectionClosed(ConnectionId id) {
    const auto found = connections_.find(id);
    if (found == connections_.end()) return;
    Connection& from = *found->second;
    const std::size_t dropped = store_.removeAllOf(id);
    addedGroup(from, -static_cast<long>(from.groupCount));
    if (dropped > 0) log(id, from.peer, "closed, " + std::to_string(dropped) + " group(s) dropped");
    connections_.erase(found);
}

void DirectoryService::handleWaiting(ConnectionId id, Connection& from) {
    from.handling = true;
    while (!from.inStore && !from.waiting.empty()) {
        const protocol::Message request = std::move(from.waiting.front());
        from.waiting.pop_front();
        if (handle(id, from, request)) log(id, from.peer, describe(request) + " -> ignored");
    }
    from.handling = false;
}

bool DirectoryService::handle(ConnectionId id, Connection& from, const protocol::Message& request) {
    if (request.command == dir::kList) {
        if (!isValidGameId(request.payload)) return true;
        list(id, request.payload);
        return false;
    }
    if (request.command != dir::kActivate && request.command != dir::kDeactivate) return true;
    const auto group = splitGroupRequest(request.payload);
    if (!group || !isValidGameId(group->gameId)) return true;
    if (const NameProblem problem = checkGroupName(group->name); problem != NameProblem::None) {
        log(id, from.peer, describe(request) + " -> " + notify(id, refusalFor(problem)));
        return false;
    }
    if (request.command == dir::kActivate) {
        if (const std::string refused = activate(id, from, group->gameId, group->name);
            !refused.empty())
            log(id, from.peer, describe(request) + " -> " + refused);
    } else {
        deactivate(id, group->gameId, group->name);
    }
    return false;
}

void DirectoryService::list(ConnectionId id, std::string_view gameId) {
    const std::string request = "jgs " + printable(gameId);
    connections_[id]->inStore = true;
    std::weak_ptr<DirectoryService*> self = self_;
    store_.list(gameId, [self, id, request](std::vector<protocol::Group> groups) {
        const auto service = self.lock();
        if (!service || !*service || !(*service)->find(id)) return;
        (*service)->reply(id, dir::kGroups, protocol::writeGroupList(groups));
        (*service)->storeDone(id, request, std::to_string(groups.size()) + " group(s) listed");
    });
}

std::string DirectoryService::activate(ConnectionId id, Connection& from, std::string_view gameId,
                                       std::string_view name) {
    std::string refusal;
    if (!from.peer.isIPv4 && from.peer.listedAs.empty()) {
        refusal = notices::kNeedsIPv4;
    } else if (from.groupCount >= kMaxGroupsPerConnection) {
        refusal = notices::kTooManyGroups;
    } else if (groupsPerAddress_[from.peer.limitKey] >= limits_.groups) {
        refusal = notices::tooManyGroupsFromAddress(limits_.groups);
    }
    if (!refusal.empty()) return notify(id, refusal);
    // Counted at once, so that requests still in the store count too.
    addedGroup(from, +1);
    from.inStore = true;
    const std::string groupName(name);
    store_.add(gameId, name, from.peer.listedAs.empty() ? from.peer.address : from.peer.listedAs, id,
               storeAnswer<AddOutcome>(
                   id, "atv " + printable(gameId) + "|" + printable(name),
                   [groupName](DirectoryService& rules, Connection& from, AddOutcome outcome) {
                       if (outcome != AddOutcome::Added) rules.addedGroup(from, -1);
                       switch (outcome) {
                           case AddOutcome::Added:
                               return notices::activated(groupName);
                           case AddOutcome::NameTaken:
                               return notices::nameTaken(groupName);
                           case AddOutcome::GameFull:
                               break;
                       }
                       return std::string(notices::kGameFull);
                   }));
    return {};
}

void DirectoryService::deactivate(ConnectionId id, std::string_view gameId, std::string_view name) {
    connections_[id]->inStore = true;
    const std::string groupName(name);
    store_.remove(gameId, name, id,
                  storeAnswer<RemoveOutcome>(id, "dtv " + printable(gameId) + "|" + printable(name),
                                             [groupName](DirectoryService& rules, Connection& from,
                                                         RemoveOutcome outcome) {
                                                 switch (outcome) {
                                                     case RemoveOutcome::Removed:
                                                         rules.addedGroup(from, -1);
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
    log(id, from->peer, request + " -> " + outcome);
    from->inStore = false;
    if (from->handling) return;  // the store answered at once; the loop goes on
    handleWaiting(id, *from);
    if (!from->inStore) transport_.resume(id);
}

void DirectoryService::addedGroup(Connection& from, long change) {
    from.groupCount = static_cast<std::size_t>(static_cast<long>(from.groupCount) + change);
    auto count = groupsPerAddress_.find(from.peer.limitKey);
    if (count == groupsPerAddress_.end()) {
        if (change <= 0) return;
        count = groupsPerAddress_.emplace(from.peer.limitKey, 0).first;
    }
    count->second = static_cast<std::size_t>(static_cast<long>(count->second) + change);
    if (count->second == 0) groupsPerAddress_.erase(count);
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

}  // namespace rabuscal::directory
