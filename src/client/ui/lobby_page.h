// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QWidget>

#include "client/ui/groups_panel.h"
#include "ui/image_button.h"
#include "ui/lamp.h"

namespace rabuscal::client {
class GameClient;
class GameConnection;
}  // namespace rabuscal::client
namespace rabuscal {

class MainFrame;

// The page "Servidor" of the main window: connecting to a game server,
// joining under a nick, the directory's list of active groups and the
// version check.
class LobbyPage : public QWidget {
    Q_OBJECT
  public:
    LobbyPage(MainFrame& frame, QWidget* parent);

    // The game connection `Cli` and the client that `btCjg`, `btEnt` and
    // `Nick` drive; null leaves them without effect.
    void attach(rabuscal::client::GameConnection* cli, rabuscal::client::GameClient* client);
    // The game always connects to the game port (config::kGamePort); tests
    // point it at their own server.
    void setGamePort(quint16 port) { gamePort_ = port; }

    Lamp* Shp3;
    ImageButton* btCjg;
    QLabel* Lb3;
    QLabel* ServidorCaption;  // "Servidor:"
    QLineEdit* Servidor;
    QLabel* NickCaption;  // "Nick:"
    QLineEdit* Nick;
    ImageButton* btEnt;
    QLabel* Lb4;
    GroupsPanel* Groups;  // Shp2, btGrp, Label8 and Grupos
    ImageButton* btVrs;
    QLabel* Label27;

  private:
    void btCjgMouseDown();
    void btEntMouseDown();
    void NickChange();

    MainFrame& frame_;
    rabuscal::client::GameConnection* cli_ = nullptr;
    rabuscal::client::GameClient* client_ = nullptr;
    quint16 gamePort_;
};

}  // namespace rabuscal
