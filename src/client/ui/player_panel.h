// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>
#include <QListWidget>
#include <QObject>

#include "ui/image_button.h"

namespace rabuscal::client {
class GameClient;
}

namespace rabuscal {

class MainFrame;

// The left part of the main window: version, instructions button, player
// list, points at stake and the drawer's controls. The controls are children
// of the main window itself, so that the background between them still drags
// the window; this object creates and names them.
class PlayerPanel : public QObject {
    Q_OBJECT
  public:
    PlayerPanel(MainFrame& frame, QWidget* window);

    // The game client whose round controls and board buttons the drawer's
    // controls drive; null leaves them without effect.
    void attach(rabuscal::client::GameClient* client) { client_ = client; }

    QLabel* Versao;
    ImageButton* btInst;
    QListWidget* Lista;
    QLabel* PontosCaption;  // "Pontos:"
    QLabel* Pontos;
    ImageButton* btTroc;
    ImageButton* btTerm;
    ImageButton* btDes;
    QLabel* lbDes;
    ImageButton* btFnd;
    QLabel* lbFnd;
    ImageButton* btCls;
    QLabel* lbCls;

  private:
    // Hover captions in the main window's `Explic`.
    void btInstMouseMove();
    void btTrocMouseMove();
    void btTermMouseMove();

    // The drawer's controls act on their press.
    void btDesMouseDown();
    void btTrocMouseDown();
    void btTermMouseDown();
    void btFndMouseDown();
    void btClsMouseDown();

    MainFrame& frame_;
    rabuscal::client::GameClient* client_ = nullptr;
};

}  // namespace rabuscal
