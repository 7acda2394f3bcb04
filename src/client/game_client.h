// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The player's side of the link to a game server: the connection events, the
// reader `CliRead` that cuts received text into game messages, and the
// dispatcher that applies each server message to the client's state, the
// board and the chat. It also owns the board, the round controls and the chat
// input, which send through the same link.
//
// The socket adapter (GameConnection) calls the Cli* handlers; the widgets
// call the board's, the round controls' and the chat input's handlers and
// show what arrives on their ClientView.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "client/board.h"
#include "client/chat_input.h"
#include "client/chat_log.h"
#include "client/client_session.h"
#include "client/round_controls.h"
#include "protocol/framing.h"

namespace rabuscal::client {

class GameClient {
  public:
    // `drawerNick` is the program-wide DrawerNick, shared with the game server
    // of the same process.
    GameClient(std::string& drawerNick, ClientView& view, GameLink& link);
    GameClient(const GameClient&) = delete;
    GameClient& operator=(const GameClient&) = delete;

    // Shows a conversion failure and the like (the ui's reportError).
    void setErrorReporter(std::function<void(std::string_view text)> report) {
        session_.reportError = std::move(report);
    }

    // Connection events of `Cli`.
    void CliConnecting();
    void CliConnect();
    void CliDisconnect();
    void CliError();
    // What the socket gave in one pass of the event loop, as one chunk. The
    // last message of a chunk may be held until the next chunk completes it.
    void CliRead(std::string_view chunk);
    // The stream has been quiet for protocol::kQuietFlushMs: a held message
    // is taken as whole. CliDisconnect does the same first.
    void CliQuiet();
    bool holding() const { return reader_.holding(); }

    // One server message. Throws protocol::BadNumber when a board message's
    // numbers do not read; CliRead then drops the rest of the chunk. Chat
    // entries are shown when CliRead has read the whole chunk.
    void dispatch(std::string_view command, std::string_view payload);

    // Sends a message whose payload the player typed (the lobby's "slc" and
    // "off" with the nick): a "$-$" in it is defused first.
    void sendTyped(protocol::Command command, std::string_view typed);

    // Widget side: the text of `Nick` whenever it changes.
    void setNick(std::string_view nick) { session_.nick.assign(nick); }
    // Lobby: the joined flag cleared by its own disconnect; the lamp turned
    // red by its connect press.
    void setJoined(bool joined) { session_.setJoined(joined); }
    void setLamp(Lamp lamp) { session_.setLamp(lamp); }
    void setJoinCaption(std::string_view caption) { session_.setJoinCaption(caption); }

    const ClientSession& session() const { return session_; }
    Board& board() { return board_; }
    const Board& board() const { return board_; }
    RoundControls& roundControls() { return roundControls_; }
    ChatInput& chatInput() { return chatInput_; }

  private:
    void announceDrawer(std::string_view nick);
    protocol::MessageSink dispatcher();
    // Shows what a pass of received messages changed.
    void endPass();

    ClientSession session_;
    Board board_{session_};
    RoundControls roundControls_{session_, board_};
    ChatInput chatInput_{session_};
    ChatLog chatLog_;
    ChatBatch chatBatch_;                     // the chat entries of the chunk being read
    std::optional<std::string> pendingList_;  // the last "lst" payload of the pass
    protocol::ChunkReader reader_{protocol::kGameSeparator};
};

}  // namespace rabuscal::client
