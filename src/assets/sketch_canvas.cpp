// SPDX-License-Identifier: GPL-3.0-or-later
#include "assets/sketch_canvas.h"

#include <cmath>

#include "assets/indexed_bitmap.h"
#include "assets/sketch_palette.h"

namespace rabuscal::assets {

SketchCanvas::SketchCanvas(int width, int height, unsigned seed)
    : art_(width, height, QImage::Format_RGB32), random_(seed) {
    // Outside the outline the drawing shows the edge colour, so that the
    // antialiased rim of every shape blends towards the edge, never to magenta.
    art_.fill(kEdge);
    painter_.begin(&art_);
    painter_.setRenderHint(QPainter::Antialiasing);
}

void SketchCanvas::addOutline(const QPainterPath& shape) {
    outline_ = outline_.united(shape).simplified();
}

void SketchCanvas::fillSheet(const QColor& colour) {
    painter_.fillPath(outline_, colour);
}

void SketchCanvas::drawSheetEdge() {
    painter_.save();
    painter_.setClipPath(outline_);
    painter_.setBrush(Qt::NoBrush);
    // Only the inner half of the stroke survives the clip.
    painter_.setPen(QPen(kEdge, 4.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter_.drawPath(outline_);
    painter_.restore();
}

QPainterPath SketchCanvas::wobbly(const QPainterPath& path, qreal wobble) {
    std::normal_distribution<qreal> jitter(0.0, wobble);
    QPainterPath out;
    const qreal length = path.length();
    if (length <= 0) return path;
    // small circles need enough points to stay round
    const int steps = std::max(16, int(length / 5));
    for (int i = 0; i <= steps; ++i) {
        const qreal t = path.percentAtLength(length * i / steps);
        const QPointF p = path.pointAtPercent(t) + QPointF(jitter(random_), jitter(random_)) * 0.5;
        if (i == 0)
            out.moveTo(p);
        else
            out.lineTo(p);
    }
    return out;
}

void SketchCanvas::pencilPath(const QPainterPath& path, const QColor& colour, qreal width,
                              qreal wobble) {
    // Each subpath is stroked on its own so that a shape of several strokes
    // keeps its gaps.
    for (const QPolygonF& part : path.toSubpathPolygons()) {
        QPainterPath one;
        one.addPolygon(part);
        QColor first = colour;
        first.setAlphaF(0.85);
        painter_.strokePath(wobbly(one, wobble),
                            QPen(first, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        QColor second = colour;
        second.setAlphaF(0.35);
        painter_.strokePath(wobbly(one, wobble * 1.4),
                            QPen(second, width * 0.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    }
}

void SketchCanvas::pencilLine(QPointF from, QPointF to, const QColor& colour, qreal width,
                              qreal wobble) {
    // Sketchers overshoot the ends a little.
    const QPointF d = to - from;
    const qreal len = std::hypot(d.x(), d.y());
    const QPointF overshoot = len > 0 ? d / len * 1.5 : QPointF();
    QPainterPath path(from - overshoot);
    path.lineTo(to + overshoot);
    pencilPath(path, colour, width, wobble);
}

void SketchCanvas::pencilRect(const QRectF& rect, const QColor& colour, qreal width) {
    pencilLine(rect.topLeft(), rect.topRight(), colour, width);
    pencilLine(rect.topRight(), rect.bottomRight(), colour, width);
    pencilLine(rect.bottomRight(), rect.bottomLeft(), colour, width);
    pencilLine(rect.bottomLeft(), rect.topLeft(), colour, width);
}

void SketchCanvas::insetField(const QRect& control, const QColor& fill, int margin,
                              bool pencilFrame) {
    const QRect r = control.adjusted(-margin, -margin, margin, margin);
    painter_.save();
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.fillRect(r, fill);
    painter_.setPen(kCardboardDark);
    painter_.drawLine(r.left() - 1, r.top() - 1, r.right() + 1, r.top() - 1);
    painter_.drawLine(r.left() - 1, r.top() - 1, r.left() - 1, r.bottom() + 1);
    painter_.setPen(kCardboardLight);
    painter_.drawLine(r.left(), r.bottom() + 1, r.right() + 1, r.bottom() + 1);
    painter_.drawLine(r.right() + 1, r.top(), r.right() + 1, r.bottom() + 1);
    painter_.restore();
    if (pencilFrame) pencilRect(QRectF(r).adjusted(-2.5, -2.5, 2.5, 2.5), kGraphiteSoft, 0.9);
}

void SketchCanvas::buttonSlot(const QRect& place) {
    // The button covers its place; around it shows a soft shadow down and to
    // the right, as if the button lay on the sheet.
    const QRectF button(place);
    painter_.save();
    painter_.setPen(Qt::NoPen);
    painter_.setBrush(QColor(0, 0, 0, 28));
    painter_.drawRoundedRect(button.translated(2, 2).adjusted(-0.5, -0.5, 0.5, 0.5), 4, 4);
    painter_.setBrush(QColor(0, 0, 0, 34));
    painter_.drawRoundedRect(button.translated(1, 1), 4, 4);
    painter_.setBrush(kCardboardDark);
    painter_.drawRoundedRect(button, 4, 4);
    painter_.restore();
}

QImage SketchCanvas::finish() {
    painter_.end();
    QImage opaque(art_.size(), QImage::Format_RGB32);
    opaque.fill(Qt::black);
    QPainter mask(&opaque);
    mask.setRenderHint(QPainter::Antialiasing, false);
    mask.fillPath(outline_, Qt::white);
    mask.end();
    return toIndexed8(art_, opaque);
}

QPainterPath tornRect(const QRectF& rect, qreal top, qreal right, qreal bottom, qreal left,
                      std::mt19937& random, qreal radius) {
    std::uniform_real_distribution<qreal> unit(0.0, 1.0);
    QPainterPath path;
    // Walks one edge from a to b, pushing the points inwards by up to `depth`.
    auto edge = [&](QPointF a, QPointF b, QPointF inward, qreal depth, bool first) {
        const qreal len = std::hypot(b.x() - a.x(), b.y() - a.y());
        const int steps = depth > 0 ? std::max(1, int(len / 7)) : 1;
        for (int i = first ? 0 : 1; i <= steps; ++i) {
            const qreal t = qreal(i) / steps;
            const bool end = i == 0 || i == steps;
            const QPointF p = a + (b - a) * t + inward * (end ? 0.0 : depth * unit(random));
            if (first && i == 0)
                path.moveTo(p);
            else
                path.lineTo(p);
        }
    };
    const qreal r = radius;
    const QRectF q = rect;
    edge(q.topLeft() + QPointF(r, 0), q.topRight() - QPointF(r, 0), {0, 1}, top, true);
    if (r > 0) path.quadTo(q.topRight(), q.topRight() + QPointF(0, r));
    edge(q.topRight() + QPointF(0, r), q.bottomRight() - QPointF(0, r), {-1, 0}, right, false);
    if (r > 0) path.quadTo(q.bottomRight(), q.bottomRight() - QPointF(r, 0));
    edge(q.bottomRight() - QPointF(r, 0), q.bottomLeft() + QPointF(r, 0), {0, -1}, bottom, false);
    if (r > 0) path.quadTo(q.bottomLeft(), q.bottomLeft() - QPointF(0, r));
    edge(q.bottomLeft() - QPointF(0, r), q.topLeft() + QPointF(0, r), {1, 0}, left, false);
    if (r > 0) path.quadTo(q.topLeft(), q.topLeft() + QPointF(r, 0));
    path.closeSubpath();
    return path;
}

}  // namespace rabuscal::assets
