#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QWidget>

#include "client/groups_panel.h"
#include "ui/image_button.h"
#include "ui/lamp.h"

class MainFrame;

// The page "Servidor" of the main window: connecting to a game server,
// joining under a nick, the directory's list of active groups and the
// version check.
class LobbyPage : public QWidget {
    Q_OBJECT
  public:
    LobbyPage(MainFrame& frame, QWidget* parent);

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
    MainFrame& frame_;
};
