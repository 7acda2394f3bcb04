// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/lamp.h"

#include <QPainter>

namespace rabuscal {

Lamp::Lamp(Shape shape, const QString& name, QWidget* parent, QRect place, const QColor& colour)
    : QWidget(parent), shape_(shape), colour_(colour) {
    setObjectName(name);
    setGeometry(place);
    // A lamp only shows; the skin under it takes the mouse.
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void Lamp::setColour(const QColor& colour) {
    if (colour == colour_) return;
    colour_ = colour;
    update();
}

void Lamp::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour_);
    if (shape_ == Shape::Circle) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.drawEllipse(rect());
    } else {
        painter.drawRect(rect());
    }
}

}  // namespace rabuscal
