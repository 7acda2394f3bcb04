// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/game_windows.h"

#include "app/main_window.h"
#include "client/chat_window.h"
#include "client/game_session.h"
#include "client/groups_panel.h"
#include "client/lobby_page.h"
#include "directory/client/directory_connection.h"
#include "server/server_window.h"
#include "ui/forms.h"
#include "web/browser_window.h"

namespace rabuscal {

GameWindows::GameWindows()
    : directory_(std::make_unique<rabuscal::directory::DirectoryConnection>()) {
    form1_ = std::make_unique<TForm1>();
    Form1 = form1_.get();
    form2_ = std::make_unique<TForm2>();
    Form2 = form2_.get();
    form3_ = std::make_unique<TForm3>();
    Form3 = form3_.get();
    fweb_ = std::make_unique<TFWeb>();
    FWeb = fweb_.get();
    // The chat window is created after the main window: once both exist, the
    // game shows its chat there and sends the chat window's lines and guesses.
    Form1->Game->attachChatWindow(*Form2);
    // Guessers watch the board while they type.
    Form2->opensBeside(Form1, Form1->Abook);
    linkServerWindowToLobby();
}

GameWindows::~GameWindows() {
    fweb_.reset();
    FWeb = nullptr;
    form3_.reset();
    Form3 = nullptr;
    form2_.reset();
    Form2 = nullptr;
    form1_.reset();
    Form1 = nullptr;
}

// The server window refuses to switch while this copy plays, fills the
// lobby's server address when it switches, and announces its group through
// the directory connection the lobby lists the groups with.
void GameWindows::linkServerWindowToLobby() {
    Form1->Lobby->Groups->attach(*directory_);
    ServerWindowLinks links;
    links.gameConnected = [] { return Form1 && Form1->Game && Form1->Game->Cli().active(); };
    links.setServerAddress = [](const QString& address) {
        if (Form1) Form1->Lobby->Servidor->setText(address);
    };
    links.directory = directory_.get();
    Form3->link(std::move(links));
}

void GameWindows::showMainWindow() {
    Form1->show();
}

}  // namespace rabuscal
