// SPDX-License-Identifier: GPL-3.0-or-later
#include "assets/sketch_details.h"

#include <QLinearGradient>
#include <QPainterPathStroker>
#include <QPolygonF>
#include <cmath>

#include "assets/sketch_palette.h"

namespace rabuscal::assets {

void spiralCoil(SketchCanvas& canvas, QPointF hole, QPointF tip, qreal thickness) {
    QPainter& p = canvas.painter();
    // The punched hole first, so the wire lies over it.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 55, 50));
    p.drawEllipse(hole, 2.6, 2.6);

    const QPointF along = tip - hole;
    const QPointF side(-along.y() * 0.18, along.x() * 0.18);
    QPainterPath wire(hole);
    wire.quadTo(hole + along * 0.5 + side, tip);

    QPainterPathStroker stroker;
    stroker.setWidth(thickness + 1.0);
    stroker.setCapStyle(Qt::RoundCap);
    canvas.addOutline(stroker.createStroke(wire));

    p.strokePath(wire, QPen(kSpiralDark, thickness, Qt::SolidLine, Qt::RoundCap));
    p.strokePath(wire.translated(-0.6, -0.6),
                 QPen(kSpiralLight, thickness * 0.35, Qt::SolidLine, Qt::RoundCap));
}

void bindingRing(SketchCanvas& canvas, QPointF hole, qreal top, qreal width, qreal thickness) {
    QPainter& p = canvas.painter();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 55, 50));
    p.drawEllipse(hole, 2.2, 2.2);
    QPainterPath wire(hole);
    wire.cubicTo(QPointF(hole.x() - 1, top - 2), QPointF(hole.x() + width, top - 2),
                 QPointF(hole.x() + width, hole.y() - 3));
    QPainterPathStroker stroker;
    stroker.setWidth(thickness + 1.0);
    stroker.setCapStyle(Qt::RoundCap);
    canvas.addOutline(stroker.createStroke(wire));
    p.strokePath(wire, QPen(kSpiralDark, thickness, Qt::SolidLine, Qt::RoundCap));
    p.strokePath(wire.translated(-0.5, -0.4),
                 QPen(kSpiralLight, thickness * 0.35, Qt::SolidLine, Qt::RoundCap));
}

void drawingPencil(SketchCanvas& canvas, QPointF tail, QPointF tip, qreal thickness) {
    QPainter& p = canvas.painter();
    const qreal length = std::hypot(tip.x() - tail.x(), tip.y() - tail.y());
    const qreal angle = std::atan2(tip.y() - tail.y(), tip.x() - tail.x()) * 180 / M_PI;
    const qreal h = thickness / 2;
    const qreal cone = thickness * 2.2;
    const qreal eraser = thickness * 1.1;
    const qreal ferrule = thickness * 0.8;
    p.save();
    p.translate(tail);
    p.rotate(angle);
    // shadow on the paper
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 40));
    p.drawRoundedRect(QRectF(2, -h + 3, length - 2, thickness), 3, 3);
    // eraser, ferrule, body, wood and lead
    p.setBrush(QColor(222, 128, 118));
    p.drawRoundedRect(QRectF(0, -h, eraser + 2, thickness), 2.5, 2.5);
    p.setBrush(QColor(170, 172, 176));
    p.drawRect(QRectF(eraser, -h, ferrule, thickness));
    QLinearGradient body(0, -h, 0, h);
    body.setColorAt(0, QColor(246, 206, 92));
    body.setColorAt(0.5, QColor(232, 180, 52));
    body.setColorAt(1, QColor(190, 138, 30));
    p.setBrush(body);
    const qreal bodyStart = eraser + ferrule;
    const qreal bodyEnd = length - cone;
    p.drawRect(QRectF(bodyStart, -h, bodyEnd - bodyStart, thickness));
    p.setBrush(QColor(226, 196, 152));
    p.drawPolygon(QPolygonF{{bodyEnd, -h}, {length, 0}, {bodyEnd, h}});
    p.setBrush(kGraphite);
    p.drawPolygon(QPolygonF{
        {length - cone * 0.35, -h * 0.35}, {length, 0}, {length - cone * 0.35, h * 0.35}});
    p.setPen(QPen(QColor(150, 108, 24), 0.8));
    p.drawLine(QPointF(bodyStart, -h * 0.3), QPointF(bodyEnd, -h * 0.3));
    p.drawLine(QPointF(bodyStart, h * 0.35), QPointF(bodyEnd, h * 0.35));
    p.setPen(QPen(QColor(120, 122, 126), 0.8));
    for (qreal x = eraser + 2; x < bodyStart; x += 2.5)
        p.drawLine(QPointF(x, -h + 1), QPointF(x, h - 1));
    p.restore();
}

void maskingTape(SketchCanvas& canvas, const QRectF& strip) {
    QPainter& p = canvas.painter();
    std::uniform_real_distribution<qreal> ragged(-1.8, 1.8);
    QPolygonF shape;
    shape << strip.topLeft() + QPointF(2, 0) << strip.topRight();
    for (qreal y = strip.top() + 3; y < strip.bottom(); y += 3)
        shape << QPointF(strip.right() + ragged(canvas.random()), y);
    shape << strip.bottomRight() << strip.bottomLeft();
    for (qreal y = strip.bottom() - 3; y > strip.top(); y -= 3)
        shape << QPointF(strip.left() + ragged(canvas.random()), y);
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 30));
    p.drawPolygon(shape.translated(1.5, 2));
    QColor tape = kTape;
    tape.setAlpha(235);
    p.setBrush(tape);
    p.drawPolygon(shape);
    p.setPen(QPen(QColor(196, 184, 150), 0.8));
    p.setBrush(Qt::NoBrush);
    p.drawPolygon(shape);
    // crinkles
    std::uniform_real_distribution<qreal> along(strip.left() + 8, strip.right() - 8);
    p.setPen(QPen(QColor(240, 232, 206), 1.0));
    for (int i = 0; i < 7; ++i) {
        const qreal x = along(canvas.random());
        p.drawLine(QPointF(x, strip.top() + 2), QPointF(x + 3, strip.bottom() - 2));
    }
    p.restore();
}

void hatching(SketchCanvas& canvas, const QRectF& area, qreal spacing) {
    QPainter& p = canvas.painter();
    p.save();
    p.setClipRect(area);
    for (qreal x = area.left() - area.height(); x < area.right(); x += spacing)
        canvas.pencilLine(QPointF(x, area.bottom()), QPointF(x + area.height(), area.top()),
                          kCardboardDark, 0.9, 0.4);
    p.restore();
}

}  // namespace rabuscal::assets
