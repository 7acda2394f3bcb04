// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/game_windows.h"

#include <unistd.h>

#include <QGuiApplication>
#include <QScreen>

#include "app/forms.h"
#include "app/main_window.h"
#include "assets/window_layout.h"
#include "client/ui/chat_window.h"
#include "client/ui/game_session.h"
#include "client/ui/groups_panel.h"
#include "client/ui/lobby_page.h"
#include "directory/client/directory_connection.h"
#include "server/ui/server_window.h"
#include "ui/window_placement.h"
#include "web/browser_window.h"

namespace rabuscal {

void restartAtAScaleThatFits(char** argv) {
    // Set for the new start, so that it never starts again itself.
    static constexpr char kRescaled[] = "RABUSCAL_RESCALED";
    if (qEnvironmentVariableIsSet(kRescaled)) return;
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const qreal ratio = screen->devicePixelRatio();
    const QSize device = (QSizeF(screen->availableGeometry().size()) * ratio).toSize();
    const int fits = wholeScaleThatFits(rabuscal::assets::form1::kSize, device);
    if (fits >= ratio) return;
    // The desktop's factor times ours makes the ratio; ours is the one to change.
    const QByteArray before = qgetenv("QT_SCALE_FACTOR");
    bool given = false;
    double ours = before.toDouble(&given);
    if (!given || ours <= 0) ours = 1;
    qputenv("QT_SCALE_FACTOR", QByteArray::number(ours * fits / ratio));
    qputenv(kRescaled, "1");
    ::execv("/proc/self/exe", argv);
    // Still here: the game goes on at the desktop's scale.
    if (before.isNull())
        qunsetenv("QT_SCALE_FACTOR");
    else
        qputenv("QT_SCALE_FACTOR", before);
    qunsetenv(kRescaled);
}

GameWindows::GameWindows()
    : directory_(std::make_unique<rabuscal::directory::DirectoryConnection>()) {
    form1_ = std::make_unique<TForm1>();
    Form1 = form1_.get();
    form2_ = std::make_unique<TForm2>();
    Form2 = form2_.get();
    form3_ = std::make_unique<TForm3>(DrawerNick);
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
