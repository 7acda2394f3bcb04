#pragma once

#include <QLabel>
#include <QListWidget>
#include <QObject>

#include "ui/image_button.h"

class MainFrame;

// The left part of the main window: version, instructions button, player
// list, points at stake and the drawer's controls. The controls are children
// of the main window itself, so that the background between them still drags
// the window; this object creates and names them.
class PlayerPanel : public QObject {
    Q_OBJECT
  public:
    PlayerPanel(MainFrame& frame, QWidget* window);

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

    MainFrame& frame_;
};
