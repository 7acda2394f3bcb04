// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QWidget>

namespace rabuscal::client {
class Board;
}

namespace rabuscal {

class MainFrame;

// The board's picture control `Tela`: shows the board's bitmap unscaled, one
// board pixel per screen pixel, and hands the pointer to the board logic in
// board coordinates. It paints straight from the board's own bitmap, so a
// stroke costs a repaint of the rectangle it touched and never a copy.
class BoardPicture : public QWidget {
    Q_OBJECT
  public:
    BoardPicture(const QImage& welcome, QWidget* parent);

    // From now on the pointer goes to `board` and the picture is its `Tela`;
    // null goes back to showing the welcome picture and ignoring the pointer.
    void attach(rabuscal::client::Board* board);

  protected:
    void paintEvent(QPaintEvent* event) override;
    // A double click arrives as a second press. A press takes the mouse
    // until the release (the window system's implicit grab), so moves and the
    // release outside the board still arrive here, with positions outside
    // the board's pixels.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    const QImage& shown() const;

    QImage welcome_;  // shares its pixels with the page's welcome picture
    rabuscal::client::Board* board_ = nullptr;
};

// The page "Default" of the main window: the drawing board `Tela`, filling
// the page, showing the welcome picture until the first game.
class BoardView : public QWidget {
    Q_OBJECT
  public:
    BoardView(MainFrame& frame, QWidget* parent);

    // The picture the board starts with.
    const QImage& welcomePicture() const { return welcome_; }

    void attach(rabuscal::client::Board* board) { Tela->attach(board); }
    // Pointer shape over the board: an arrow, or the drag shape while the
    // drawer holds Shift.
    void showDragCursor(bool drag);

    BoardPicture* Tela;

  private:
    QImage welcome_;
    MainFrame& frame_;
};

}  // namespace rabuscal
