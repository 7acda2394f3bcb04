// SPDX-License-Identifier: GPL-3.0-or-later
#include "client/chat_input.h"

#include <string>

#include "client/texts.h"
#include "protocol/framing.h"
#include "protocol/payloads.h"

namespace rabuscal::client {

using protocol::Command;

namespace {
// A payload ending in "$" or "$-" would join the next message's separator.
std::string keepNextWhole(std::string text) {
    if (text.ends_with('$') || text.ends_with("$-")) text.push_back(' ');
    return text;
}
}  // namespace

bool ChatInput::btTentarMouseDown(std::string_view frase) {
    if (!session_.roundRunning()) {
        session_.setStatus(texts::kNoRound);
        return false;
    }
    if (session_.isDrawer()) {
        session_.setStatus(texts::kDrawerCannotGuess);
        return false;
    }
    if (!session_.link.active()) return false;
    session_.send(Command::Tnt, keepNextWhole(protocol::defuseSeparator(std::string(frase))));
    return true;
}

void ChatInput::FraseKeyDown(int key, std::string_view frase) {
    if (key != kEnterKey || !session_.link.active() || !session_.joined) return;
    // " falou: " begins and ends with a blank: no separator forms at the seams.
    std::string line = protocol::defuseSeparator(session_.nick);
    line.append(protocol::kSaid).append(protocol::defuseSeparator(std::string(frase)));
    session_.send(Command::Msg, keepNextWhole(std::move(line)));
}

}  // namespace rabuscal::client
