// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPainterPath>
#include <QRectF>
#include <QString>
#include <vector>

#include "assets/sketch_canvas.h"

// Simple line drawings, each a path in a 100 x 100 box, used on the welcome
// picture and as the gallery's template drawings.
namespace rabuscal::assets {

QPainterPath houseSketch();
QPainterPath catSketch();
QPainterPath sunSketch();
QPainterPath treeSketch();
QPainterPath boatSketch();
QPainterPath fishSketch();
QPainterPath carSketch();
QPainterPath guitarSketch();
QPainterPath flowerSketch();
QPainterPath beachHouseSketch();
QPainterPath bicycleSketch();
QPainterPath umbrellaSketch();

// Draws a sketch scaled into `box` (keeping its proportions, centred) as pencil lines.
void drawSketch(SketchCanvas& canvas, const QPainterPath& sketch, const QRectF& box,
                const QColor& ink, qreal width);

}  // namespace rabuscal::assets
