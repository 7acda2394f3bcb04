// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "client/game_client.h"
#include "client/net/game_connection.h"
#include "client/ui/main_window_view.h"

namespace rabuscal {

class BoardView;
class LobbyPage;
class MainFrame;
class PhrasePage;
class PlayerPanel;
class TForm2;

}  // namespace rabuscal

namespace rabuscal::client {

// The main window's game: the connection `Cli`, the game client over it, and
// the binding of both to the window's parts. Creating it sets the board up
// with the welcome picture and hands each part the piece of the client its
// controls drive; destroying it takes them back and closes `Cli` without a
// word.
//
// The web side plugs in through the board: client().board().setWebPageOpener()
// for the instructions page at the first press, setGalleryPicture() for the
// drawer's template.
class GameSession {
  public:
    // `drawerNick` is the program-wide DrawerNick, shared with the game server
    // of the same process.
    GameSession(std::string& drawerNick, MainFrame& frame, PlayerPanel& panel, BoardView& board,
                LobbyPage& lobby, PhrasePage& phrase);
    ~GameSession();
    GameSession(const GameSession&) = delete;
    GameSession& operator=(const GameSession&) = delete;

    // The chat window shows this game's chat and sends its lines and guesses.
    void attachChatWindow(TForm2& chat);

    // `Cli`, the connection to the game server.
    GameConnection& Cli() { return cli_; }
    GameClient& client() { return client_; }

  private:
    MainWindowView view_;
    GameConnection cli_;
    GameClient client_;
    PlayerPanel& panel_;
    BoardView& board_;
    LobbyPage& lobby_;
    PhrasePage& phrase_;
};

}  // namespace rabuscal::client
