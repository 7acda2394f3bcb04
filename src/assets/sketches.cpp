// SPDX-License-Identifier: GPL-3.0-or-later
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

QPainterPath treeSketch() {
    QPainterPath p;  // a pine, three tiers
    polyline(p, {{50, 4},
                 {30, 32},
                 {40, 32},
                 {22, 56},
                 {36, 56},
                 {14, 82},
                 {86, 82},
                 {64, 56},
                 {78, 56},
                 {60, 32},
                 {70, 32},
                 {50, 4}});
    polyline(p, {{44, 82}, {44, 96}, {56, 96}, {56, 82}});
    polyline(p, {{30, 70}, {38, 66}});  // a few needles
    polyline(p, {{60, 46}, {66, 44}});
    polyline(p, {{4, 96}, {96, 96}});
    return p;
}

QPainterPath boatSketch() {
    QPainterPath p;
    polyline(p, {{8, 62}, {92, 62}, {80, 78}, {20, 78}, {8, 62}});  // hull
    polyline(p, {{50, 62}, {50, 8}});                               // mast
    polyline(p, {{50, 12}, {84, 56}, {50, 56}});                    // sail
    polyline(p, {{48, 18}, {22, 56}, {48, 56}});                    // jib
    polyline(p, {{50, 8}, {60, 11}, {50, 14}});                     // flag
    ellipse(p, 30, 70, 2.5, 2.5);                                   // portholes
    ellipse(p, 50, 70, 2.5, 2.5);
    ellipse(p, 70, 70, 2.5, 2.5);
    for (qreal y : {86.0, 94.0}) {  // waves
        p.moveTo(2, y);
        for (qreal x = 2; x < 98; x += 12) p.quadTo(x + 6, y - 5, x + 12, y);
    }
    return p;
}

QPainterPath fishSketch() {
    QPainterPath p;
    p.moveTo(14, 50);  // body
    p.cubicTo(30, 22, 64, 22, 76, 50);
    p.cubicTo(64, 78, 30, 78, 14, 50);
    polyline(p, {{76, 50}, {94, 34}, {90, 50}, {94, 66}, {76, 50}});  // tail
    ellipse(p, 27, 46, 3.5, 3.5);                                     // eye
    p.moveTo(38, 36);                                                 // gill
    p.quadTo(44, 50, 38, 64);
    polyline(p, {{44, 30}, {54, 20}, {62, 33}});  // fins
    polyline(p, {{48, 66}, {54, 76}, {60, 66}});
    for (qreal x : {55.0, 62.0, 50.0}) p.moveTo(x, 45), p.quadTo(x + 4, 50, x, 55);  // scales
    ellipse(p, 8, 30, 3, 3);                                                         // bubbles
    ellipse(p, 4, 20, 2, 2);
    ellipse(p, 9, 12, 1.5, 1.5);
    return p;
}

QPainterPath carSketch() {
    QPainterPath p;
    polyline(p, {{16, 70},
                 {6, 70},
                 {6, 56},
                 {20, 52},
                 {32, 36},
                 {68, 36},
                 {82, 52},
                 {94, 56},
                 {94, 70},
                 {84, 70}});
    polyline(p, {{38, 70}, {62, 70}});
    p.moveTo(16, 70);  // wheel arches
    p.arcTo(QRectF(16, 59, 22, 22), 180, -180);
    p.moveTo(62, 70);
    p.arcTo(QRectF(62, 59, 22, 22), 180, -180);
    ellipse(p, 27, 70, 9, 9);  // wheels
    ellipse(p, 73, 70, 9, 9);
    ellipse(p, 27, 70, 3, 3);
    ellipse(p, 73, 70, 3, 3);
    polyline(p, {{35, 40}, {48, 40}, {48, 52}, {26, 52}, {35, 40}});  // windows
    polyline(p, {{52, 40}, {66, 40}, {76, 52}, {52, 52}, {52, 40}});
    polyline(p, {{48, 56}, {54, 56}});  // door handle
    polyline(p, {{88, 58}, {94, 58}});  // lamp
    polyline(p, {{2, 80}, {98, 80}});   // road
    return p;
}

QPainterPath guitarSketch() {
    QPainterPath body;
    body.addEllipse(QPointF(50, 74), 22, 19);
    QPainterPath upper;
    upper.addEllipse(QPointF(50, 48), 16, 14);
    QPainterPath p = body.united(upper);
    ellipse(p, 50, 60, 6, 6);                                            // sound hole
    p.addRect(QRectF(46, 4, 8, 30));                                     // neck
    polyline(p, {{45, 4}, {44, -6}, {56, -6}, {55, 4}});                 // head
    p.addRect(QRectF(42, 78, 16, 4));                                    // bridge
    for (qreal x : {47.5, 50.0, 52.5}) polyline(p, {{x, -4}, {x, 80}});  // strings
    for (qreal y : {12.0, 20.0, 27.0}) polyline(p, {{46, y}, {54, y}});  // frets
    QTransform lean;  // lying on its side fits the wide board
    lean.translate(50, 50);
    lean.rotate(62);
    lean.translate(-50, -50);
    return lean.map(p);
}

QPainterPath flowerSketch() {
    QPainterPath p;
    for (int i = 0; i < 8; ++i) {  // petals around the centre
        QPainterPath petal;
        petal.addEllipse(QPointF(50, 14), 6, 10);
        QTransform t;
        t.translate(50, 32);
        t.rotate(i * 45);
        t.translate(-50, -32);
        p.addPath(t.map(petal));
    }
    ellipse(p, 50, 32, 8, 8);
    p.moveTo(50, 46);  // stem
    p.cubicTo(46, 60, 54, 72, 50, 88);
    p.moveTo(50, 68);  // leaves
    p.quadTo(30, 58, 26, 66);
    p.quadTo(38, 74, 50, 68);
    p.moveTo(51, 76);
    p.quadTo(70, 66, 74, 74);
    p.quadTo(62, 82, 51, 76);
    polyline(p, {{36, 88}, {64, 88}, {60, 99}, {40, 99}, {36, 88}});  // pot
    return p;
}

QPainterPath beachHouseSketch() {
    QPainterPath p;
    polyline(p, {{6, 42}, {30, 24}, {54, 42}});                          // roof
    polyline(p, {{10, 40}, {10, 64}, {50, 64}, {50, 40}});               // walls
    polyline(p, {{24, 64}, {24, 50}, {34, 50}, {34, 64}});               // door
    p.addRect(QRectF(38, 46, 8, 7));                                     // window
    for (qreal x : {12.0, 30.0, 48.0}) polyline(p, {{x, 64}, {x, 80}});  // stilts
    polyline(p, {{34, 64}, {40, 80}});                                   // steps
    p.moveTo(76, 82);                                                    // palm trunk
    p.cubicTo(80, 66, 70, 50, 74, 36);
    p.moveTo(80, 82);
    p.cubicTo(84, 66, 74, 50, 78, 36);
    for (const QPointF tip :
         {QPointF(56, 42), QPointF(62, 28), QPointF(90, 28), QPointF(98, 44), QPointF(76, 22)}) {
        p.moveTo(76, 36);  // fronds
        p.quadTo((76 + tip.x()) / 2, std::min(tip.y(), 36.0) - 10, tip.x(), tip.y());
    }
    ellipse(p, 92, 10, 6, 6);  // sun
    polyline(p, {{0, 80}, {100, 80}});
    p.moveTo(0, 90);  // sea
    for (qreal x = 0; x < 100; x += 10) p.quadTo(x + 5, 85, x + 10, 90);
    return p;
}

QPainterPath bicycleSketch() {
    QPainterPath p;
    ellipse(p, 22, 64, 18, 18);  // wheels
    ellipse(p, 78, 64, 18, 18);
    ellipse(p, 22, 64, 2, 2);
    ellipse(p, 78, 64, 2, 2);
    const QPointF rear(22, 64), crank(46, 64), seat(40, 36), head(68, 36), front(78, 64);
    polyline(p, {rear, crank, seat, rear});
    polyline(p, {seat, head, crank});
    polyline(p, {head, front});
    polyline(p, {seat, {40, 32}});  // seat post and saddle
    polyline(p, {{34, 32}, {46, 32}});
    polyline(p, {{66, 28}, {70, 36}});  // handlebar
    polyline(p, {{62, 26}, {72, 28}});
    ellipse(p, 46, 64, 4, 4);                     // chain ring
    polyline(p, {{46, 64}, {50, 72}, {54, 72}});  // pedal
    return p;
}

QPainterPath umbrellaSketch() {
    QPainterPath p;
    p.moveTo(10, 46);  // canopy
    p.cubicTo(14, 10, 86, 10, 90, 46);
    for (qreal x = 90; x > 10; x -= 20) p.quadTo(x - 10, 38, x - 20, 46);
    for (qreal x : {30.0, 50.0, 70.0}) {  // ribs
        p.moveTo(50, 17);
        p.quadTo(x + (x - 50) * 0.3, 28, x, 46);
    }
    p.moveTo(50, 12);  // tip and shaft
    p.lineTo(50, 84);
    p.arcTo(QRectF(50, 78, 12, 12), 180, 180);  // handle hook
    for (const QPointF d : {QPointF(16, 60), QPointF(30, 72), QPointF(78, 62), QPointF(88, 78),
                            QPointF(22, 88), QPointF(70, 90)})
        polyline(p, {d, d + QPointF(-2, 6)});  // rain
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
