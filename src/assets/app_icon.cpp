// SPDX-License-Identifier: GPL-3.0-or-later
#include "assets/app_icon.h"

#include <QPainterPathStroker>
#include <QTransform>
#include <algorithm>
#include <cmath>

#include "assets/sketch_canvas.h"
#include "assets/sketch_details.h"
#include "assets/sketch_palette.h"
#include "assets/sketches.h"

namespace rabuscal::assets {
namespace {

constexpr qreal kBox = 256;      // the icon is designed in a 256 x 256 box
constexpr int kSupersample = 4;  // drawn larger, then reduced: smooth edges

// The pencil lying across the page's corner, as drawingPencil() draws it,
// for the outline: it sticks out of the page.
QPainterPath pencilShape(QPointF tail, QPointF tip, qreal thickness) {
    const qreal length = std::hypot(tip.x() - tail.x(), tip.y() - tail.y());
    const qreal h = thickness / 2, cone = thickness * 2.2;
    QPainterPath shape;
    shape.addRoundedRect(QRectF(0, -h, length - cone, thickness), 2.5, 2.5);
    shape.addPolygon(QPolygonF{{length - cone - 1, -h}, {length, 0}, {length - cone - 1, h}});
    QTransform place;
    place.translate(tail.x(), tail.y());
    place.rotate(std::atan2(tip.y() - tail.y(), tip.x() - tail.x()) * 180 / M_PI);
    return place.map(shape).simplified();
}

QPainterPath questionMark() {
    QPainterPath p;
    p.moveTo(30, 34);
    p.cubicTo(30, 8, 70, 8, 70, 32);
    p.cubicTo(70, 50, 50, 52, 50, 70);
    p.lineTo(50, 76);
    p.addEllipse(QPointF(50, 92), 3, 3);
    return p;
}

}  // namespace

QImage drawAppIcon(int size) {
    // Small icons get heavier lines, so the sketch still reads at 48 px.
    const qreal weight = size >= 128 ? 1.0 : size >= 64 ? 1.5 : 2.0;
    const int big = size * kSupersample;
    SketchCanvas c(big, big, 13);
    QPainter& p = c.painter();
    // The canvas keeps its outline in pixels, so the design is scaled here
    // rather than through the painter.
    const qreal k = big / kBox;

    // The page, turned a little, with a deckled bottom edge.
    QTransform turn;
    turn.scale(k, k);
    turn.translate(128, 136);
    turn.rotate(-4);
    turn.translate(-128, -136);
    const QRectF sheet(34, 48, 188, 188);
    const QPainterPath page = turn.map(tornRect(sheet, 0, 2, 5, 0, c.random(), 12));
    c.addOutline(page);

    const QPointF pencilTail = QPointF(236, 240) * k, pencilTip = QPointF(142, 146) * k;
    const qreal pencilThickness = 24 * k;
    c.addOutline(pencilShape(pencilTail, pencilTip, pencilThickness));

    p.fillPath(page, kLightField);
    // The page's edge, inside the outline so that no magenta shows through.
    p.save();
    p.setClipPath(page);
    p.strokePath(page, QPen(kEdge, 5 * weight * k, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.restore();

    // The spiral binding along the top: fewer, thicker rings when small.
    const int rings = size >= 128 ? 7 : 5;
    const qreal step = 150.0 / (rings - 1);
    for (int i = 0; i < rings; ++i) {
        const QPointF hole = turn.map(QPointF(50 + i * step + 4, 64));
        bindingRing(c, hole, hole.y() - 34 * k, 12 * k, 6 * weight * k);
    }

    drawSketch(c, houseSketch(), turn.mapRect(QRectF(50, 88, 100, 100)), kGraphite,
               4.5 * weight * k);
    drawSketch(c, questionMark(), turn.mapRect(QRectF(148, 80, 56, 70)), kGraphite, 6 * weight * k);

    drawingPencil(c, pencilTail, pencilTip, pencilThickness);

    // Outside the outline the picture is magenta: that becomes transparent
    // before the picture is reduced, so its edge blends into nothing.
    QImage art = c.finish().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < art.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(art.scanLine(y));
        for (int x = 0; x < art.width(); ++x)
            if ((line[x] & 0xffffff) == (kTransparent.rgb() & 0xffffff)) line[x] = 0;
    }
    return art.convertToFormat(QImage::Format_ARGB32_Premultiplied)
        .scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_ARGB32);
}

}  // namespace rabuscal::assets
