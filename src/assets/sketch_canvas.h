// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRect>
#include <random>

namespace rabuscal::assets {

// A picture being drawn in the sketchbook style: a 32-bit drawing plus the
// outline of the sheet. Everything outside the outline ends up magenta; the
// outline itself is kept without antialiasing so that no pink fringe appears.
class SketchCanvas {
  public:
    SketchCanvas(int width, int height, unsigned seed);

    QPainter& painter() { return painter_; }
    std::mt19937& random() { return random_; }

    // Adds a shape to the opaque part of the window.
    void addOutline(const QPainterPath& shape);
    const QPainterPath& outline() const { return outline_; }

    // A flat colour over the whole sheet, with a darker edge along the outline.
    void fillSheet(const QColor& colour);
    void drawSheetEdge();

    // A pencil line that wobbles a little, drawn as two light passes.
    void pencilLine(QPointF from, QPointF to, const QColor& colour, qreal width = 1.2,
                    qreal wobble = 0.7);
    void pencilRect(const QRectF& rect, const QColor& colour, qreal width = 1.2);
    void pencilPath(const QPainterPath& path, const QColor& colour, qreal width = 1.2,
                    qreal wobble = 0.6);

    // A field inset into the cardboard: shadow on the top-left, light on the
    // bottom-right, filled with `fill`, where a control of that size sits.
    void insetField(const QRect& control, const QColor& fill, int margin = 2,
                    bool pencilFrame = true);
    // A shallow recess where an image button sits, at the button's place.
    void buttonSlot(const QRect& place);

    QImage finish();  // 8-bit indexed, magenta outside the outline

  private:
    QPainterPath wobbly(const QPainterPath& path, qreal wobble);

    QImage art_;
    QPainter painter_;
    QPainterPath outline_;
    std::mt19937 random_;
};

// A rectangle whose edges are torn or deckled: each edge is replaced by a
// jagged line with the given amplitude (0 keeps the edge straight).
QPainterPath tornRect(const QRectF& rect, qreal top, qreal right, qreal bottom, qreal left,
                      std::mt19937& random, qreal radius = 0);

}  // namespace rabuscal::assets
