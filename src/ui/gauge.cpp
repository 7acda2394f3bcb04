// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/gauge.h"

#include <QPainter>
#include <algorithm>

namespace rabuscal {

Gauge::Gauge(const QString& name, QWidget* parent, QRect place, const QColor& filled,
             const QColor& empty)
    : QWidget(parent), filled_(filled), empty_(empty) {
    setObjectName(name);
    setGeometry(place);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void Gauge::setMaximum(qint64 maximum) {
    maximum_ = std::max<qint64>(0, maximum);
    setPosition(position_);
    update();
}

void Gauge::setPosition(qint64 position) {
    const qint64 clamped = std::clamp<qint64>(position, 0, maximum_);
    if (clamped == position_) return;
    position_ = clamped;
    update();
}

void Gauge::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), empty_);
    if (maximum_ <= 0) return;
    const auto filledWidth = static_cast<int>(width() * position_ / maximum_);
    painter.fillRect(QRect(0, 0, filledWidth, height()), filled_);
}

}  // namespace rabuscal
