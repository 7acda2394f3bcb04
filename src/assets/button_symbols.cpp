// SPDX-License-Identifier: GPL-3.0-or-later
#include <QFont>
#include <QtMath>
#include <functional>
#include <map>
#include <string>

#include "assets/sketch_canvas.h"
#include "assets/skins.h"

// The small symbols on the button faces. Each is drawn in a 42 x 20 face,
// inside the rounded border (x 9..33, y 3..17), with pencil strokes thick
// enough to read at that size and a light fill where a shape needs a body.
namespace rabuscal::assets {
namespace {

struct Ink {
    SketchCanvas& c;
    QColor line;
    QColor fill;  // a pale wash for the bodies of shapes

    void stroke(const QPainterPath& path, qreal width = 1.5) {
        c.pencilPath(path, line, width, 0.18);
    }
    void line2(QPointF a, QPointF b, qreal width = 1.5) {
        QPainterPath path(a);
        path.lineTo(b);
        stroke(path, width);
    }
    void wash(const QPainterPath& path) { c.painter().fillPath(path, fill); }
    void solid(const QPainterPath& path) { c.painter().fillPath(path, line); }
    void dot(QPointF at, qreal radius) {
        QPainterPath path;
        path.addEllipse(at, radius, radius);
        solid(path);
    }
    // A line ending in an open arrow head.
    void arrow(QPointF from, QPointF to, qreal head = 3.5) {
        line2(from, to);
        const QPointF d = to - from;
        const qreal len = std::hypot(d.x(), d.y());
        const QPointF u = d / len, n(-u.y(), u.x());
        QPainterPath tip(to - u * head + n * head * 0.8);
        tip.lineTo(to);
        tip.lineTo(to - u * head - n * head * 0.8);
        stroke(tip);
    }
    void cross() {
        line2({16, 5}, {26, 15}, 1.9);
        line2({26, 5}, {16, 15}, 1.9);
    }
};

QPainterPath rect(qreal x, qreal y, qreal w, qreal h, qreal radius = 1.2) {
    QPainterPath path;
    path.addRoundedRect(QRectF(x, y, w, h), radius, radius);
    return path;
}

QPainterPath circle(QPointF centre, qreal radius) {
    QPainterPath path;
    path.addEllipse(centre, radius, radius);
    return path;
}

QPainterPath polyline(std::initializer_list<QPointF> points, bool closed = false) {
    QPainterPath path;
    bool first = true;
    for (const QPointF p : points) {
        if (first)
            path.moveTo(p);
        else
            path.lineTo(p);
        first = false;
    }
    if (closed) path.closeSubpath();
    return path;
}

using Symbol = std::function<void(Ink&)>;

const std::map<std::string, Symbol, std::less<>>& symbols() {
    static const std::map<std::string, Symbol, std::less<>> all{
        // a server: two stacked units with their lamps
        {"btServ",
         [](Ink& k) {
             for (qreal y : {3.5, 10.5}) {
                 k.wash(rect(13, y, 16, 6));
                 k.stroke(rect(13, y, 16, 6), 1.3);
                 k.dot({16.5, y + 3}, 1.2);
                 k.line2({20, y + 3}, {26, y + 3}, 1.1);
             }
         }},
        // connections: three linked players
        {"btConec",
         [](Ink& k) {
             k.stroke(polyline({{14, 14}, {21, 5.5}, {28, 14}, {14, 14}}), 1.3);
             for (QPointF p : {QPointF(14, 14), QPointF(21, 5.5), QPointF(28, 14)}) {
                 k.wash(circle(p, 2.6));
                 k.stroke(circle(p, 2.6), 1.3);
             }
         }},
        {"btMin",
         [](Ink& k) {
             k.line2({15, 14.5}, {27, 14.5}, 2.4);
         }},
        {"btFim", [](Ink& k) { k.cross(); }},
        // instructions: a question mark
        {"btInst",
         [](Ink& k) {
             QPainterPath hook(QPointF(17.5, 7));
             hook.cubicTo({17.5, 3}, {24.5, 3}, {24.5, 7});
             hook.cubicTo({24.5, 9.5}, {21, 9.5}, {21, 12.5});
             k.stroke(hook, 1.9);
             k.dot({21, 15.8}, 1.3);
         }},
        // a new drawer: the role changes hands
        {"btTroc",
         [](Ink& k) {
             k.arrow({13, 7}, {29, 7}, 3);
             k.arrow({29, 13.5}, {13, 13.5}, 3);
         }},
        // the end of the round: a chequered flag
        {"btTerm",
         [](Ink& k) {
             k.line2({14.5, 3.5}, {14.5, 16}, 1.5);
             k.wash(rect(15, 4, 13, 7.5, 0));
             for (int row = 0; row < 3; ++row)
                 for (int col = 0; col < 5; ++col)
                     if ((row + col) % 2 == 0)
                         k.solid(rect(15 + col * 2.6, 4 + row * 2.5, 2.6, 2.5, 0));
             k.stroke(rect(15, 4, 13, 7.5, 0), 1.0);
         }},
        // the phrase: a pencil writing a line
        {"btDes",
         [](Ink& k) {
             const QPainterPath body =
                 polyline({{16, 12}, {26.5, 3.5}, {29.5, 6.5}, {19, 15}, {15, 16}}, true);
             k.wash(body);
             k.stroke(body, 1.2);
             k.line2({24.5, 5.3}, {27.5, 8.3}, 1.0);
             k.line2({11, 16.2}, {15, 16.2}, 1.1);
         }},
        // the background: a framed landscape
        {"btFnd",
         [](Ink& k) {
             k.wash(rect(12, 3.5, 18, 12.3));
             k.stroke(rect(12, 3.5, 18, 12.3), 1.3);
             k.stroke(polyline({{13, 14.8}, {18, 9}, {22, 13}, {25, 10.5}, {29, 14.8}}), 1.3);
             k.dot({25.5, 7}, 1.4);
         }},
        // clearing: an eraser and its crumbs
        {"btCls",
         [](Ink& k) {
             const QPainterPath eraser =
                 polyline({{12, 11.5}, {20.5, 4}, {27, 9.5}, {18.5, 16.2}}, true);
             k.wash(eraser);
             k.stroke(eraser, 1.3);
             k.line2({16.3, 7.8}, {22.7, 13.2}, 1.1);
             k.dot({28.5, 15.5}, 0.9);
             k.dot({31, 13.5}, 0.8);
         }},
        // back to the board: an easel with a drawing on it
        {"btJog",
         [](Ink& k) {
             k.wash(rect(13, 3, 16, 10));
             k.stroke(rect(13, 3, 16, 10), 1.3);
             QPainterPath scribble(QPointF(15.5, 10));
             scribble.cubicTo({18, 4}, {20, 12}, {22, 7});
             scribble.cubicTo({23.5, 4}, {25.5, 9}, {26.5, 6});
             k.stroke(scribble, 1.1);
             k.line2({16, 13}, {14.5, 16.3}, 1.3);
             k.line2({26, 13}, {27.5, 16.3}, 1.3);
         }},
        // the chat: a speech bubble
        {"btPan",
         [](Ink& k) {
             QPainterPath bubble = rect(12, 3, 18, 10.5, 3);
             bubble = bubble.united(polyline({{15, 12}, {14, 16.3}, {20, 12.5}}, true));
             k.wash(bubble);
             k.stroke(bubble, 1.3);
             for (qreal x : {17.0, 21.0, 25.0}) k.dot({x, 8.2}, 1.0);
         }},
        // connecting to the server: a plug and its cable
        {"btCjg",
         [](Ink& k) {
             QPainterPath cable(QPointF(10, 14));
             cable.cubicTo({13, 14}, {13, 10}, {17, 10});
             k.stroke(cable, 1.3);
             k.wash(rect(17, 5.5, 7, 9));
             k.stroke(rect(17, 5.5, 7, 9), 1.3);
             k.line2({24, 8}, {30, 8}, 1.5);
             k.line2({24, 12}, {30, 12}, 1.5);
         }},
        // joining the game: an arrow into the door
        {"btEnt",
         [](Ink& k) {
             k.stroke(polyline({{22, 4}, {29.5, 4}, {29.5, 15.5}, {22, 15.5}}), 1.5);
             k.arrow({11, 10}, {24, 10}, 3.5);
         }},
        // the active groups: three players side by side
        {"btGrp",
         [](Ink& k) {
             for (qreal x : {14.0, 28.0, 21.0}) {
                 const qreal top = x == 21.0 ? 3.5 : 5;
                 QPainterPath shoulders(QPointF(x - 4, 15.8));
                 shoulders.cubicTo({x - 4, top + 6}, {x + 4, top + 6}, {x + 4, 15.8});
                 k.wash(shoulders);
                 k.wash(circle({x, top + 2.3}, 2.4));
                 k.stroke(shoulders, 1.2);
                 k.stroke(circle({x, top + 2.3}, 2.4), 1.2);
             }
         }},
        // checking the version: the arrows of a refresh
        {"btVrs",
         [](Ink& k) {
             QPainterPath arc;
             arc.arcMoveTo(QRectF(15, 4, 12, 12), 100);
             arc.arcTo(QRectF(15, 4, 12, 12), 100, 280);
             k.stroke(arc, 1.6);
             const QPointF end(21 + 6 * std::cos(qDegreesToRadians(20.0)),
                               10 - 6 * std::sin(qDegreesToRadians(20.0)));
             k.stroke(polyline({end + QPointF(-3.5, -1.5), end, end + QPointF(0.8, -3.6)}), 1.5);
         }},
        {"btOkp",
         [](Ink& k) {
             k.stroke(polyline({{14, 10}, {19, 15}, {28.5, 4.5}}), 2.2);
         }},
        // the club: a star
        {"btClub",
         [](Ink& k) {
             QPainterPath star;
             for (int i = 0; i < 10; ++i) {
                 const qreal r = i % 2 == 0 ? 7.2 : 3.0;
                 const qreal a = qDegreesToRadians(-90.0 + 36.0 * i);
                 const QPointF p(21 + r * std::cos(a), 10.6 + r * std::sin(a));
                 if (i == 0)
                     star.moveTo(p);
                 else
                     star.lineTo(p);
             }
             star.closeSubpath();
             k.wash(star);
             k.stroke(star, 1.2);
         }},
        // the community online: a globe
        {"btPexo",
         [](Ink& k) {
             k.wash(circle({21, 10}, 6.5));
             k.stroke(circle({21, 10}, 6.5), 1.3);
             QPainterPath meridian;
             meridian.addEllipse(QPointF(21, 10), 2.8, 6.5);
             k.stroke(meridian, 1.0);
             k.line2({14.5, 10}, {27.5, 10}, 1.0);
         }},
        // the local disk: a folder
        {"btHd",
         [](Ink& k) {
             const QPainterPath folder =
                 polyline({{12, 5}, {18, 5}, {20, 7}, {30, 7}, {30, 16}, {12, 16}}, true);
             k.wash(folder);
             k.stroke(folder, 1.3);
             k.line2({12, 9}, {30, 9}, 1.0);
         }},
        // a guess: a light bulb
        {"btTentar",
         [](Ink& k) {
             QPainterPath bulb;
             bulb.moveTo(18.5, 12.5);
             bulb.cubicTo({14, 9}, {16, 2.5}, {21, 2.5});
             bulb.cubicTo({26, 2.5}, {28, 9}, {23.5, 12.5});
             bulb.closeSubpath();
             k.wash(bulb);
             k.stroke(bulb, 1.3);
             k.line2({18.8, 14.3}, {23.2, 14.3}, 1.2);
             k.line2({19.5, 16.2}, {22.5, 16.2}, 1.2);
         }},
        // switching the server on: the power sign
        {"btLig",
         [](Ink& k) {
             QPainterPath ring;
             ring.arcMoveTo(QRectF(15, 4.5, 12, 12), 125);
             ring.arcTo(QRectF(15, 4.5, 12, 12), 125, 290);
             k.stroke(ring, 1.6);
             k.line2({21, 3}, {21, 10}, 1.7);
         }},
        // announcing the group: a mast sending waves
        {"btAtv",
         [](Ink& k) {
             k.dot({21, 8}, 1.6);
             k.line2({21, 9}, {21, 16}, 1.4);
             for (qreal r : {4.0, 7.0}) {
                 for (qreal start : {-40.0, 140.0}) {
                     QPainterPath wave;
                     wave.arcMoveTo(QRectF(21 - r, 8 - r, 2 * r, 2 * r), start);
                     wave.arcTo(QRectF(21 - r, 8 - r, 2 * r, 2 * r), start, 80);
                     k.stroke(wave, 1.2);
                 }
             }
         }},
        {"btFechar", [](Ink& k) { k.cross(); }},
        {"btAnt",
         [](Ink& k) {
             k.arrow({29, 10}, {13, 10}, 4.5);
         }},
        {"btProx",
         [](Ink& k) {
             k.arrow({13, 10}, {29, 10}, 4.5);
         }},
        {"btStop",
         [](Ink& k) {
             k.solid(rect(16, 5, 10, 10, 1.5));
             k.stroke(rect(16, 5, 10, 10, 1.5), 1.0);
         }},
    };
    return all;
}

}  // namespace

bool drawButtonSymbol(SketchCanvas& canvas, std::string_view button, const QColor& ink,
                      const QColor& wash) {
    const auto found = symbols().find(button);
    if (found == symbols().end()) return false;
    Ink k{canvas, ink, wash};
    found->second(k);
    return true;
}

}  // namespace rabuscal::assets
