// SPDX-License-Identifier: GPL-3.0-or-later
#include "directory/client/directory_client.h"

#include "protocol/commands.h"
#include "protocol/payloads.h"

namespace rabuscal::directory {

namespace dir = protocol::directory;

namespace {

constexpr std::string_view kReplyPrefix = ">>> ";
constexpr std::string_view kConnecting = "Acessando servidor principal...";
constexpr std::string_view kDisconnected = "Desconectado.";
constexpr std::string_view kFailed = "Falha no acesso ao servidor.";

std::string replyText(std::string_view payload) {
    return std::string(kReplyPrefix).append(payload);
}

std::string groupRequest(std::string_view command, std::string_view groupName) {
    std::string payload(dir::kGameId);
    payload.append(1, '|').append(groupName);
    return protocol::composeWith(protocol::kDirectorySeparator, command, payload);
}

}  // namespace

DirectoryClient::DirectoryClient(DirectoryLink& link, DirectoryView& view)
    : link_(link), view_(view), reader_(protocol::kDirectorySeparator) {}

std::string DirectoryClient::listRequest() {
    return protocol::composeWith(protocol::kDirectorySeparator, dir::kList, dir::kGameId);
}

std::string DirectoryClient::activateRequest(std::string_view groupName) {
    return groupRequest(dir::kActivate, groupName);
}

std::string DirectoryClient::deactivateRequest(std::string_view groupName) {
    return groupRequest(dir::kDeactivate, groupName);
}

void DirectoryClient::sendRequest(const std::string& message) {
    pending_ = message;
    if (link_.active()) {
        link_.send(pending_);
        return;
    }
    // Nothing has arrived on a link that is not connected yet.
    reader_ = protocol::ChunkReader(protocol::kDirectorySeparator);
    link_.open();
}

void DirectoryClient::askGroups() {
    view_.showMainStatus({});
    setLamp(Lamp::Red);
    sendRequest(listRequest());
}

void DirectoryClient::activateGroup(std::string_view groupName) {
    sendRequest(activateRequest(groupName));
}

void DirectoryClient::deactivateGroup(std::string_view groupName) {
    sendRequest(deactivateRequest(groupName));
    clearGroups();
    if (link_.active()) link_.send(listRequest());
}

std::string DirectoryClient::addressAt(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= groupAddresses_.size()) return {};
    return groupAddresses_[static_cast<std::size_t>(index)];
}

void DirectoryClient::connecting() {
    setLamp(Lamp::Red);
    view_.showMainStatus(kConnecting);
}

void DirectoryClient::connected() {
    if (pending_.empty()) return;
    link_.send(pending_);
    pending_.clear();  // sent or not, it is not sent twice
}

void DirectoryClient::disconnected() {
    quiet();  // the stream ended: what is held was its last reply
    setLamp(Lamp::Maroon);
    view_.showMainStatus(kDisconnected);
    view_.reportLost();
}

void DirectoryClient::failed() {
    view_.showMainStatus(kFailed);
    if (!link_.active()) setLamp(Lamp::Maroon);
    view_.reportFailure();
}

void DirectoryClient::received(std::string_view bytes) {
    if (bytes.empty()) return;
    setLamp(Lamp::Lime);
    reader_.feed(bytes, [this](std::string_view command, std::string_view payload) {
        DirectoryReply(command, payload);
        return true;
    });
}

void DirectoryClient::quiet() {
    reader_.flush([this](std::string_view command, std::string_view payload) {
        DirectoryReply(command, payload);
        return true;
    });
}

void DirectoryClient::DirectoryReply(std::string_view command, std::string_view payload) {
    if (command == dir::kStatus)
        view_.showServerStatus(replyText(payload));
    else if (command == dir::kMessage)
        view_.showMainStatus(replyText(payload));
    else if (command == dir::kGroups)
        replaceGroups(payload);
}

void DirectoryClient::replaceGroups(std::string_view payload) {
    // A last record without its "|" or "^" (only a cut reply has one) is left out.
    groupNames_.clear();
    groupAddresses_.clear();
    for (protocol::Group& group : protocol::readGroupList(payload)) {
        groupNames_.push_back(std::move(group.name));
        groupAddresses_.push_back(std::move(group.address));
    }
    view_.showGroups();
}

void DirectoryClient::clearGroups() {
    // Names and addresses go together, so an index always means one group.
    groupNames_.clear();
    groupAddresses_.clear();
    view_.showGroups();
}

void DirectoryClient::setLamp(Lamp colour) {
    if (lamp_ == colour) return;
    lamp_ = colour;
    view_.showLamp(colour);
}

}  // namespace rabuscal::directory
