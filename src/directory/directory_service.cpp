#include "directory/directory_service.h"

#include <cstdio>
#include <optional>

#include "directory/group_name.h"
#include "directory/limits.h"
#include "directory/notices.h"
#include "protocol/commands.h"

namespace rabuscal::directory {

namespace dir = protocol::directory;

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

DirectoryService::DirectoryService(Transport& transport, LogSink log)
    : transport_(transport), log_(std::move(log)) {}

void DirectoryService::connectionOpened(ConnectionId id, std::string address) {
    auto connection = std::make_unique<Connection>();
    connection->address = std::move(address);
    connections_[id] = std::move(connection);
}

void DirectoryService::dataReceived(ConnectionId id, std::string_view chunk) {
    const auto found = connections_.find(id);
    if (found == connections_.end()) return;
    Connection& from = *found->second;
    from.reader.feed(chunk, [&](std::string_view command, std::string_view payload) {
        handle(id, from, command, payload);
        return true;
    });
}

void DirectoryService::connectionClosed(ConnectionId id) {
    const auto found = connections_.find(id);
    if (found == connections_.end()) return;
    const std::size_t dropped = groups_.removeAllOf(id);
    if (dropped > 0)
        log(id, *found->second, "closed, " + std::to_string(dropped) + " group(s) dropped");
    connections_.erase(found);
}

void DirectoryService::handle(ConnectionId id, Connection& from, std::string_view command,
                              std::string_view payload) {
    std::string outcome = "ignored";
    if (command == dir::kList) {
        outcome = list(id, payload);
    } else if (command == dir::kActivate || command == dir::kDeactivate) {
        if (const auto request = splitGroupRequest(payload);
            request && isValidGameId(request->gameId)) {
            outcome = command == dir::kActivate
                          ? activate(id, from, request->gameId, request->name)
                          : deactivate(id, from, request->gameId, request->name);
        }
    }
    log(id, from, printable(command) + " " + printable(payload) + " -> " + outcome);
}

std::string DirectoryService::list(ConnectionId id, std::string_view gameId) {
    if (!isValidGameId(gameId)) return "ignored";
    const std::vector<protocol::Group> groups = groups_.list(gameId);
    reply(id, dir::kGroups, protocol::writeGroupList(groups));
    return std::to_string(groups.size()) + " group(s) listed";
}

std::string DirectoryService::activate(ConnectionId id, Connection& from, std::string_view gameId,
                                       std::string_view name) {
    if (const NameProblem problem = checkGroupName(name); problem != NameProblem::None)
        return notify(id, refusalFor(problem));
    if (from.groupCount >= kMaxGroupsPerConnection) return notify(id, notices::kTooManyGroups);
    switch (groups_.add(gameId, name, from.address, id)) {
        case GroupRegistry::AddOutcome::Added:
            ++from.groupCount;
            return notify(id, notices::activated(name));
        case GroupRegistry::AddOutcome::NameTaken:
            return notify(id, notices::nameTaken(name));
        case GroupRegistry::AddOutcome::GameFull:
            break;
    }
    return notify(id, notices::kGameFull);
}

std::string DirectoryService::deactivate(ConnectionId id, Connection& from, std::string_view gameId,
                                         std::string_view name) {
    if (const NameProblem problem = checkGroupName(name); problem != NameProblem::None)
        return notify(id, refusalFor(problem));
    switch (groups_.remove(gameId, name, id)) {
        case GroupRegistry::RemoveOutcome::Removed:
            --from.groupCount;
            return notify(id, notices::deactivated(name));
        case GroupRegistry::RemoveOutcome::OwnedByOther:
            return notify(id, notices::ownedByOther(name));
        case GroupRegistry::RemoveOutcome::NotListed:
            break;
    }
    return notify(id, notices::notListed(name));
}

void DirectoryService::reply(ConnectionId id, std::string_view command, std::string_view payload) {
    transport_.send(id, protocol::composeWith(protocol::kDirectorySeparator, command, payload));
}

std::string DirectoryService::notify(ConnectionId id, std::string_view text) {
    reply(id, dir::kStatus, text);
    return printable(text);
}

void DirectoryService::log(ConnectionId id, const Connection& from, std::string_view what) {
    if (!log_) return;
    std::string line = "#" + std::to_string(id) + " " + printable(from.address) + " ";
    line.append(what);
    log_(line);
}

}  // namespace rabuscal::directory
