#pragma once

#include <QLabel>
#include <QWidget>

class MainFrame;

// The page "Default" of the main window: the drawing board `Tela`, filling
// the page, showing the welcome picture until the first game.
class BoardView : public QWidget {
    Q_OBJECT
  public:
    BoardView(MainFrame& frame, QWidget* parent);

    QLabel* Tela;

  private:
    MainFrame& frame_;
};
