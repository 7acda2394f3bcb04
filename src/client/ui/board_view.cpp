// SPDX-License-Identifier: GPL-3.0-or-later
#include "client/ui/board_view.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include "client/board.h"
#include "ui/skin_pictures.h"

namespace rabuscal {

using rabuscal::client::Board;

BoardPicture::BoardPicture(const QImage& welcome, QWidget* parent)
    : QWidget(parent), welcome_(welcome) {
    setObjectName(QStringLiteral("Tela"));
    setGeometry(0, 0, Board::kWidth, Board::kHeight);
    // Every pixel is painted from the bitmap: no background fill first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Hover moves set the pointer shape too.
    setMouseTracking(true);
    setCursor(Qt::ArrowCursor);
}

void BoardPicture::attach(Board* board) {
    board_ = board;
    update();
}

const QImage& BoardPicture::shown() const {
    return board_ ? board_->tela().image() : welcome_;
}

void BoardPicture::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect area = event->rect();
    painter.drawImage(area.topLeft(), shown(), area);
}

namespace {

bool shiftHeld(const QMouseEvent* event) {
    return event->modifiers().testFlag(Qt::ShiftModifier);
}

// Board coordinates: the picture sits unscaled at the control's corner.
QPoint boardPoint(const QMouseEvent* event) {
    return event->position().toPoint();
}

}  // namespace

void BoardPicture::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (!board_) return;
    const QPoint p = boardPoint(event);
    board_->TelaMouseDown(shiftHeld(event), p.x(), p.y());
}

void BoardPicture::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    if (!board_) return;
    const QPoint p = boardPoint(event);
    board_->TelaMouseMove(shiftHeld(event), p.x(), p.y());
}

void BoardPicture::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (!board_) return;
    const QPoint p = boardPoint(event);
    board_->TelaMouseUp(shiftHeld(event), p.x(), p.y());
}

BoardView::BoardView(MainFrame& frame, QWidget* parent)
    : QWidget(parent), welcome_(loadPicture(assets::kWelcome, assets::kBoardSize)), frame_(frame) {
    setObjectName(QStringLiteral("Default"));
    Tela = new BoardPicture(welcome_, this);
}

void BoardView::showDragCursor(bool drag) {
    Tela->setCursor(drag ? Qt::DragMoveCursor : Qt::ArrowCursor);
}

}  // namespace rabuscal
