// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>

#include "client/ui/chat_window.h"
#include "client/client_view.h"

namespace rabuscal {

class BoardView;
class LobbyPage;
class MainFrame;
class PlayerPanel;

}  // namespace rabuscal

namespace rabuscal::client {

// The game client's outcomes on the windows: the status line, the player
// panel, the lobby's join controls and lamp, the board and the chat. Texts
// arrive as Windows-1252 bytes and are converted here, at the widgets.
class MainWindowView : public ClientView {
  public:
    MainWindowView(MainFrame& frame, PlayerPanel& panel, BoardView& board, LobbyPage& lobby);

    // The chat window is created after the main window and destroyed before
    // it; entries that arrive while there is none are dropped.
    void setChatWindow(TForm2* chat) { chat_ = chat; }
    TForm2* chatWindow() const { return chat_; }

    void showStatus(std::string_view text) override;
    void showJoined(bool joined) override;
    void showJoinCaption(std::string_view caption) override;
    void showPoints(std::string_view points) override;
    void showPlayerList(const std::vector<std::string>& lines) override;
    void showDrawerControls(bool visible) override;
    void showLamp(Lamp lamp) override;
    void showPage(Page page) override;
    void showBackgroundCaption(std::string_view caption) override;
    void setBoardCursor(BoardCursor cursor) override;
    void boardChanged(const QRect& area) override;
    void addChatEntries(const std::vector<ChatEntry>& entries) override;

  private:
    MainFrame& frame_;
    PlayerPanel& panel_;
    BoardView& board_;
    LobbyPage& lobby_;
    QPointer<TForm2> chat_;
};

}  // namespace rabuscal::client
