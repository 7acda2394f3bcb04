// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QString>
#include <functional>
#include <optional>
#include <string>

#include "rabuscal_config.h"
#include "server/net/tcp_game_server.h"
#include "server/server_events.h"
#include "ui/image_button.h"
#include "ui/lamp.h"
#include "ui/skinned_window.h"
#include "ui/status_line.h"

namespace rabuscal::directory {
class DirectoryConnection;
}

namespace rabuscal {

// What the server window reaches in the main window.
struct ServerWindowLinks {
    // Whether the game connection `Cli` is up: the server is not switched
    // while this copy plays.
    std::function<bool()> gameConnected;
    // The lobby's `Servidor`: a player who hosts joins the own server.
    std::function<void(const QString&)> setServerAddress;
    // The program's directory client (`Cli2`), which carries the group
    // announcements and brings the directory's "sys" answers here.
    rabuscal::directory::DirectoryConnection* directory = nullptr;
};

// The server window "Servidor de jogo": switches the built-in game server
// `Srv` on and off, shows the address other players type and the number of
// connections, and announces the server to the directory as a named group or
// withdraws it; switching the server off withdraws the group too. Hiding the
// window keeps the server running.
class TForm3 : public SkinnedWindow, private rabuscal::server::ServerEvents {
    Q_OBJECT
  public:
    // `drawerNick` is the program-wide DrawerNick, shared with the game client
    // of the same copy. The game always listens on the game port; tests pick a
    // free port.
    explicit TForm3(std::string& drawerNick, quint16 gamePort = rabuscal::config::kGamePort);
    ~TForm3() override;

    void link(ServerWindowLinks links);

    // The machine's IPv4 address: the last one its host name resolves to,
    // empty when the name does not resolve.
    static QString LocalAddress();

    Lamp* Shp1;
    ImageButton* btLig;
    QLabel* Lb1;
    QLabel* Label3;
    QLabel* Ips;
    QLabel* Label28;
    QLabel* Lb29;
    QLabel* Label5;
    QLineEdit* Jogo;
    ImageButton* btAtv;
    QLabel* Lb7;
    StatusLine* Stk;
    ImageButton* btFechar;

    rabuscal::server::TcpGameServer Srv;

  private:
    void FormCreate();
    void FormDestroy();
    void btLigMouseDown();
    void btAtvMouseDown();
    void btFecharMouseUp();

    void switchOn();
    void switchOff();
    void withdrawGroup();
    void directoryGone();

    // ServerEvents
    void connectionCountChanged(std::size_t count) override;
    void firstChunk() override;
    void conversionError(rabuscal::server::ConnectionId, std::string_view what) override;

    quint16 gamePort_;
    ServerWindowLinks links_;
    QPointer<rabuscal::directory::DirectoryConnection> directory_;
    // The group as announced, Windows-1252 bytes; none while `Lb7` shows "Ativar".
    std::optional<std::string> announcedGroup_;
};

}  // namespace rabuscal
