// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QWidget>

#include "directory/client/directory_connection.h"
#include "ui/image_button.h"
#include "ui/lamp.h"

namespace rabuscal {

class MainFrame;

// The lobby's corner for the directory service: the lamp `Shp2` of the
// directory connection, the button `btGrp` that asks for the active groups,
// and the list `Grupos` of their names. Choosing a name puts the group's
// address into the lobby's `Servidor`; nothing connects by itself.
//
// The panel covers its own corner of the page only, so that presses on the
// other lobby controls still reach them; its empty parts pass presses on to
// the page, which drags the window.
class GroupsPanel : public QWidget {
    Q_OBJECT
  public:
    // `servidor` is the lobby's server address field.
    GroupsPanel(MainFrame& frame, QLineEdit& servidor, QWidget* page);

    // The program's one directory client (`Cli2`). Until one is attached,
    // `btGrp` does nothing.
    void attach(rabuscal::directory::DirectoryConnection& directory);

    Lamp* Shp2;
    ImageButton* btGrp;
    QLabel* Label8;
    QListWidget* Grupos;

  private:
    void btGrpMouseDown();
    void GruposClick();
    void showGroups();
    void showLamp(rabuscal::protocol::LinkLamp colour);

    MainFrame& frame_;
    QLineEdit& servidor_;
    QPointer<rabuscal::directory::DirectoryConnection> directory_;
};

}  // namespace rabuscal
