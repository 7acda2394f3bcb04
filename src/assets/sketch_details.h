// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointF>
#include <QRectF>

#include "assets/sketch_canvas.h"

// Small drawings shared by several skins.
namespace rabuscal::assets {

// One coil of a spiral binding crossing an edge: `hole` is where the wire goes
// through the sheet, `tip` the far end of the loop. The loop is added to the
// outline, so coils that stick out of the sheet shape the window.
void spiralCoil(SketchCanvas& canvas, QPointF hole, QPointF tip, qreal thickness = 3.2);

// A ring of the binding seen from the front, looping over the top edge of a
// sheet: it leaves the hole at `hole`, rises to `top` and drops behind the sheet.
void bindingRing(SketchCanvas& canvas, QPointF hole, qreal top, qreal width = 6,
                 qreal thickness = 2.4);

// A yellow drawing pencil lying along a line, point at `tip`.
void drawingPencil(SketchCanvas& canvas, QPointF tail, QPointF tip, qreal thickness = 9);

// A strip of masking tape with ragged ends.
void maskingTape(SketchCanvas& canvas, const QRectF& strip);

// Lines of soft hatching inside a rectangle, as a sketcher shades a corner.
void hatching(SketchCanvas& canvas, const QRectF& area, qreal spacing = 5);

}  // namespace rabuscal::assets
