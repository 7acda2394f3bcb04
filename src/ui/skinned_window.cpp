// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/skinned_window.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QWindow>

#include "ui/skin_pictures.h"
#include "ui/skin_region.h"
#include "ui/window_placement.h"

namespace rabuscal {

SkinnedWindow::SkinnedWindow(const QImage& skin, const QString& name, const QString& caption)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      Imp(new QLabel(this)) {
    setObjectName(name);
    setWindowTitle(caption);
    Imp->setObjectName(QStringLiteral("Imp"));
    Imp->setPixmap(crispPixmap(skin));
    Imp->setGeometry(0, 0, skin.width(), skin.height());
    Imp->setCursor(Qt::DragCopyCursor);
    addDragSurface(Imp);
}

void SkinnedWindow::ApplySkinRegion() {
    const QPixmap shown = Imp->pixmap();
    const QImage picture = shown.toImage().scaled(shown.deviceIndependentSize().toSize());
    resize(picture.width(), picture.height());
    setMask(skinRegion(picture));
}

void SkinnedWindow::addDragSurface(QWidget* surface) {
    surface->installEventFilter(this);
    // Moves without a pressed button matter too: they clear hover captions.
    surface->setMouseTracking(true);
}

bool SkinnedWindow::eventFilter(QObject* watched, QEvent* event) {
    auto* sender = qobject_cast<QWidget*>(watched);
    if (sender == nullptr) return false;
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            const QPoint at = mouse->position().toPoint();
            ImpMouseDown(sender, mouse->button(), mouse->modifiers(), at.x(), at.y());
            return true;
        }
        case QEvent::MouseMove: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            const QPoint at = mouse->position().toPoint();
            ImpMouseMove(sender, mouse->modifiers(), at.x(), at.y());
            return true;
        }
        case QEvent::MouseButtonRelease: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            const QPoint at = mouse->position().toPoint();
            ImpMouseUp(sender, mouse->button(), mouse->modifiers(), at.x(), at.y());
            return true;
        }
        default:
            return false;
    }
}

// Where the platform moves windows itself (Wayland, most X11 window
// managers), the press hands the drag over to it; move() does nothing on
// Wayland. Elsewhere the window follows the pointer in ImpMouseMove.
void SkinnedWindow::ImpMouseDown(QWidget*, Qt::MouseButton button, Qt::KeyboardModifiers, int x,
                                 int y) {
    DragX = x;
    DragY = y;
    QWindow* handle = windowHandle();
    Dragging = !(button == Qt::LeftButton && handle != nullptr && handle->startSystemMove());
}

// The window follows the pointer, so the pointer returns to the same place on
// the pressed control and DragX, DragY stay valid for the whole drag.
void SkinnedWindow::ImpMouseMove(QWidget*, Qt::KeyboardModifiers, int x, int y) {
    if (!Dragging) return;
    QPoint position = pos();
    if (x != DragX) position.rx() += x - DragX;
    if (y != DragY) position.ry() += y - DragY;
    move(position);
}

void SkinnedWindow::ImpMouseUp(QWidget*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
    Dragging = false;
}

void SkinnedWindow::opensBeside(const QWidget* anchor, const QWidget* keepClear) {
    anchor_ = anchor;
    keepClear_ = keepClear;
}

QPoint SkinnedWindow::firstPlace() const {
    const bool besideAnchor = anchor_ && anchor_->isVisible();
    const QScreen* screen = besideAnchor ? anchor_->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) return pos();
    const QRect area = screen->availableGeometry();
    if (!besideAnchor) return centredIn(size(), area);
    const QRect anchor = anchor_->frameGeometry();
    const QRect keepClear = keepClear_ && keepClear_->isVisible()
                                ? QRect(keepClear_->mapToGlobal(QPoint()), keepClear_->size())
                                : anchor;
    return besideOrLeastCovering(size(), area, anchor, keepClear);
}

void SkinnedWindow::showEvent(QShowEvent* event) {
    if (!shownBefore_) {
        shownBefore_ = true;
        move(firstPlace());
    }
    QWidget::showEvent(event);
}

}  // namespace rabuscal
