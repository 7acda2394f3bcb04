#include "assets/sketches.h"

#include <QTransform>
#include <algorithm>
#include <cmath>

namespace rabuscal::assets {
namespace {

void ellipse(QPainterPath& p, qreal cx, qreal cy, qreal rx, qreal ry) {
    p.addEllipse(QPointF(cx, cy), rx, ry);
}

void polyline(QPainterPath& p, std::initializer_list<QPointF> points) {
    auto it = points.begin();
    p.moveTo(*it);
    for (++it; it != points.end(); ++it) p.lineTo(*it);
}

}  // namespace

QPainterPath houseSketch() {
    QPainterPath p;
    polyline(p, {{14, 46}, {50, 14}, {86, 46}});            // roof
    polyline(p, {{22, 40}, {22, 92}, {78, 92}, {78, 40}});  // walls
    polyline(p, {{42, 92}, {42, 66}, {58, 66}, {58, 92}});  // door
    p.addRect(QRectF(28, 50, 12, 11));                      // windows
    p.addRect(QRectF(61, 50, 12, 11));
    polyline(p, {{34, 50}, {34, 61}});
    polyline(p, {{67, 50}, {67, 61}});
    polyline(p, {{64, 28}, {64, 16}, {72, 16}, {72, 35}});  // chimney
    polyline(p, {{68, 12}, {66, 7}, {70, 3}, {67, -2}});    // smoke
    polyline(p, {{4, 92}, {96, 92}});                       // ground
    return p;
}

QPainterPath catSketch() {
    QPainterPath p;
    ellipse(p, 50, 70, 24, 22);                   // body
    ellipse(p, 50, 34, 17, 15);                   // head
    polyline(p, {{36, 27}, {35, 12}, {45, 21}});  // ears
    polyline(p, {{55, 21}, {65, 12}, {64, 27}});
    ellipse(p, 44, 32, 2, 2.5);  // eyes
    ellipse(p, 56, 32, 2, 2.5);
    polyline(p, {{48.5, 38}, {50, 40}, {51.5, 38}});  // nose
    polyline(p, {{30, 36}, {44, 39}});                // whiskers
    polyline(p, {{30, 42}, {44, 41}});
    polyline(p, {{70, 36}, {56, 39}});
    polyline(p, {{70, 42}, {56, 41}});
    p.moveTo(73, 80);  // tail
    p.cubicTo(92, 84, 96, 62, 86, 52);
    polyline(p, {{42, 90}, {42, 84}});  // paws
    polyline(p, {{58, 90}, {58, 84}});
    return p;
}

QPainterPath sunSketch() {
    QPainterPath p;
    ellipse(p, 50, 50, 20, 20);
    for (int i = 0; i < 12; ++i) {
        const qreal a = i * M_PI / 6;
        const qreal inner = 26, outer = i % 2 ? 38 : 44;
        polyline(p, {{50 + inner * std::cos(a), 50 + inner * std::sin(a)},
                     {50 + outer * std::cos(a), 50 + outer * std::sin(a)}});
    }
    ellipse(p, 43, 46, 1.5, 2);  // a smile
    ellipse(p, 57, 46, 1.5, 2);
    p.moveTo(41, 55);
    p.quadTo(50, 63, 59, 55);
    return p;
}

void drawSketch(SketchCanvas& canvas, const QPainterPath& sketch, const QRectF& box,
                const QColor& ink, qreal width) {
    const QRectF bounds = sketch.boundingRect();
    const qreal scale = std::min(box.width() / bounds.width(), box.height() / bounds.height());
    QTransform t;
    t.translate(box.center().x(), box.center().y());
    t.scale(scale, scale);
    t.translate(-bounds.center().x(), -bounds.center().y());
    canvas.pencilPath(t.map(sketch), ink, width, 0.5);
}

}  // namespace rabuscal::assets
