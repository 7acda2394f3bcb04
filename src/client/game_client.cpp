// SPDX-License-Identifier: GPL-3.0-or-later
#include "client/game_client.h"

#include "client/player_order.h"
#include "client/texts.h"
#include "protocol/payloads.h"

namespace rabuscal::client {

using protocol::Command;

GameClient::GameClient(std::string& drawerNick, ClientView& view, GameLink& link)
    : session_(drawerNick, view, link) {}

void GameClient::CliConnecting() {
    session_.setStatus(texts::kConnecting);
}

void GameClient::CliConnect() {
    // A new connection starts a new stream: nothing of the last one carries over.
    reader_ = protocol::ChunkReader(protocol::kGameSeparator);
    session_.setStatus(texts::kConnected);
}

void GameClient::CliDisconnect() {
    // The stream ended: what is held was its last message.
    CliQuiet();
    session_.setStatus(texts::kDisconnected);
}

void GameClient::CliError() {
    session_.setStatus(texts::kConnectionFailed);
    // Only a failed attempt turns the lamp maroon; an established connection
    // that fails keeps its colour until the disconnect.
    if (!session_.link.active()) session_.setLamp(Lamp::Maroon);
}

void GameClient::CliRead(std::string_view chunk) {
    session_.beginPass();
    session_.setLamp(Lamp::Lime);
    reader_.feed(chunk, dispatcher());
    endPass();
}

void GameClient::CliQuiet() {
    if (!reader_.holding()) return;
    session_.beginPass();
    reader_.flush(dispatcher());
    endPass();
}

protocol::MessageSink GameClient::dispatcher() {
    return [this](std::string_view command, std::string_view payload) {
        try {
            dispatch(command, payload);
            return true;
        } catch (const protocol::BadNumber& bad) {
            // The rest of the chunk is dropped; the connection stays open.
            if (session_.reportError) session_.reportError(bad.what());
            return false;
        }
    };
}

void GameClient::endPass() {
    if (pendingList_) session_.setPlayerList(playerListLines(*std::exchange(pendingList_, {})));
    board_.flushChanges();
    session_.endPass();
    if (!chatBatch_.empty()) session_.view.addChatEntries(chatBatch_.take());
}

void GameClient::dispatch(std::string_view command, std::string_view payload) {
    const std::optional<Command> known = protocol::commandFromName(command);
    if (!known) return;
    switch (*known) {
        case Command::Sys:
            return session_.setStatus(payload);
        case Command::Onj:
            session_.setJoined(true);
            return session_.setJoinCaption(texts::kLeaveGame);
        default:
            break;
    }
    if (!session_.joined) return;
    switch (*known) {
        case Command::Off:
            session_.setJoined(false);
            session_.setJoinCaption(texts::kJoinGame);
            session_.setPoints(texts::kNoPoints);
            return pendingList_.emplace(), void();
        case Command::Mdv:
            return announceDrawer(payload);
        case Command::Lst:
            // Rebuilt once per pass, from the last list of the pass.
            return pendingList_.emplace(payload), void();
        case Command::Mdw:
            return board_.replayMdw(payload);
        case Command::Mov:
            return board_.replayMov(payload);
        case Command::Pts:
            return session_.setPoints(payload);
        case Command::Cls:
            return board_.replayCls();
        case Command::Blc:
            return board_.replayBlc(payload);
        case Command::Msg:
            return chatBatch_.add(chatLog_.speechEntry(payload));
        case Command::Avs:
            return chatBatch_.add(chatLog_.noticeEntry(payload));
        default:
            return;  // "mup" and what only clients send
    }
}

void GameClient::sendTyped(Command command, std::string_view typed) {
    session_.send(command, protocol::defuseSeparator(std::string(typed)));
}

void GameClient::announceDrawer(std::string_view nick) {
    session_.drawerNick.assign(nick);
    // A joined copy always has a nick, so an empty "mdv" (nobody draws) hides
    // the drawer controls everywhere.
    const bool mine = session_.nick == nick;
    if (mine) {
        session_.setStatus(texts::kYouAreDrawer);
    } else {
        std::string text(texts::kOtherIsDrawerHead);
        text.append(nick).append(texts::kOtherIsDrawerTail);
        session_.setStatus(text);
    }
    session_.setDrawerControls(mine);
}

}  // namespace rabuscal::client
