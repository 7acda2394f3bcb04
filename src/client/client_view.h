// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the client logic shows. The main window and the chat window implement
// this; tests implement it with a recorder. Every text is Windows-1252 bytes
// (see texts.h); widgets convert it for display.

#include <QRect>
#include <string>
#include <string_view>
#include <vector>

#include "client/chat_entry.h"
#include "protocol/link_lamp.h"

namespace rabuscal::client {

// Colours of the game-connection lamp `Shp3`.
using Lamp = protocol::LinkLamp;

// Pages of the notebook `Abook` the client logic switches to.
enum class Page {
    Default,  // the board
    Desenho,  // the phrase page with `Secret`, `btOkp` and the gallery
};

enum class BoardCursor { Arrow, Drag };

class ClientView {
  public:
    virtual ~ClientView() = default;

    // Status line `Stk`: every write replaces the last.
    virtual void showStatus(std::string_view text) = 0;
    // Joined flag: `Nick` is disabled while joined.
    virtual void showJoined(bool joined) = 0;
    // Caption of `Lb4`.
    virtual void showJoinCaption(std::string_view caption) = 0;
    // `Pontos`, as received.
    virtual void showPoints(std::string_view points) = 0;
    // `Lista`: replaces every line; no line is selected afterwards.
    virtual void showPlayerList(const std::vector<std::string>& lines) = 0;
    // `btDes`/`lbDes`, `btFnd`/`lbFnd`, `btCls`/`lbCls`.
    virtual void showDrawerControls(bool visible) = 0;
    virtual void showLamp(Lamp lamp) = 0;
    virtual void showPage(Page page) = 0;
    // Caption of `lbFnd`.
    virtual void showBackgroundCaption(std::string_view caption) = 0;
    virtual void setBoardCursor(BoardCursor cursor) = 0;
    // The board's pixels changed inside `area` (board coordinates); repaint it
    // from Board::tela().image(). Called once per received chunk or action.
    virtual void boardChanged(const QRect& area) = 0;
    // The chat entries of one received chunk, in order, appended at the end
    // of `Chat` together (one repaint for all of them).
    virtual void addChatEntries(const std::vector<ChatEntry>& entries) = 0;
};

}  // namespace rabuscal::client
