// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/image_button.h"

#include <QMouseEvent>

namespace rabuscal {

ImageButton::ImageButton(const FaceSet& faces, const QString& name, QWidget* parent, int left,
                         int top)
    : QLabel(parent), faces_(facesOf(name, faces)) {
    setObjectName(name);
    setGeometry(QRect(QPoint(left, top), faces_.released.deviceIndependentSize().toSize()));
    setCursor(Qt::DragMoveCursor);
    // Moves without a pressed button are needed for the hover captions.
    setMouseTracking(true);
    showFace(false);
}

ImageButton::ImageButton(const FaceSet& faces, const rabuscal::assets::Button& button,
                         QWidget* parent)
    : ImageButton(faces, QString::fromLatin1(button.name), parent, button.at.x(), button.at.y()) {}

void ImageButton::showFace(bool pressed) {
    pressed_ = pressed;
    setPixmap(pressed ? faces_.pressed : faces_.released);
    // Draw the new face now: some press actions block the window for a while.
    repaint();
}

// A double click arrives as press, release, double click, release; QWidget
// turns the double click into a second press, so it counts as two presses.
void ImageButton::mousePressEvent(QMouseEvent* event) {
    showFace(true);
    emit MouseDown(event->button(), event->modifiers(), event->position().toPoint());
}

void ImageButton::mouseMoveEvent(QMouseEvent* event) {
    emit MouseMove(event->modifiers(), event->position().toPoint());
}

void ImageButton::mouseReleaseEvent(QMouseEvent* event) {
    showFace(false);
    emit MouseUp(event->button(), event->modifiers(), event->position().toPoint());
}

}  // namespace rabuscal
