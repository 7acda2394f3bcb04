// SPDX-License-Identifier: GPL-3.0-or-later
#include "client/ui/game_session.h"

#include "client/ui/board_view.h"
#include "client/ui/chat_window.h"
#include "client/ui/lobby_page.h"
#include "client/ui/phrase_page.h"
#include "client/ui/player_panel.h"
#include "ui/error_report.h"
#include "wire_text/text_codec.h"

namespace rabuscal::client {

GameSession::GameSession(std::string& drawerNick, MainFrame& frame, PlayerPanel& panel,
                         BoardView& board, LobbyPage& lobby, PhrasePage& phrase)
    : view_(frame, panel, board, lobby),
      client_(drawerNick, view_, cli_),
      panel_(panel),
      board_(board),
      lobby_(lobby),
      phrase_(phrase) {
    cli_.attach(client_);
    client_.setErrorReporter([](std::string_view text) { reportError(fromWire(text)); });
    client_.board().setUp(board.welcomePicture());
    board_.attach(&client_.board());
    panel_.attach(&client_);
    phrase_.attach(&client_.roundControls());
    lobby_.attach(&cli_, &client_);
}

GameSession::~GameSession() {
    if (TForm2* chat = view_.chatWindow()) chat->attach(nullptr);
    lobby_.attach(nullptr, nullptr);
    phrase_.attach(nullptr);
    panel_.attach(nullptr);
    board_.attach(nullptr);
}

void GameSession::attachChatWindow(TForm2& chat) {
    view_.setChatWindow(&chat);
    chat.attach(&client_.chatInput());
}

}  // namespace rabuscal::client
