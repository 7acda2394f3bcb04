// SPDX-License-Identifier: GPL-3.0-or-later
#include "assets/sketch_canvas.h"
#include "assets/sketch_details.h"
#include "assets/sketch_palette.h"
#include "assets/skins.h"
#include "assets/window_layout.h"

namespace rabuscal::assets {

// The server window is an index card torn from the sketchbook, held by a paper
// clip: the server's state on top, the group announcement below a red rule.
QImage drawServerWindowSkin() {
    const QSize size = kServerWindow.size;
    SketchCanvas c(size.width(), size.height(), 3);
    QPainter& p = c.painter();
    c.addOutline(tornRect(QRectF(0.5, 4, 375, 118.5), 0, 0, 0, 3, c.random(), 6));
    c.fillSheet(kWindow);

    // the red rule of an index card, then the pale blue lines below it
    c.pencilLine({8, 56}, {368, 56}, QColor(168, 84, 74), 1.2, 0.3);
    c.pencilLine({8, 93.5}, {368, 93.5}, QColor(132, 144, 160), 0.8, 0.3);

    p.setPen(Qt::NoPen);
    p.setBrush(kCardboardDark);
    p.drawEllipse(QRectF(13.5, 17.5, 13, 13));  // socket of the lamp Shp1
    c.insetField(form3::Ips.place, kLightField, 0, false);
    c.insetField(form3::Lb29.place, kLightField, 0, false);
    c.insetField(form3::Jogo.place, kLightField, 1);
    c.insetField(form3::Stk.place, kWindow, 1);
    for (const Button& b : kServerWindow.buttons) c.buttonSlot(b.place());

    // the paper clip, sticking out above the card
    QPainterPath clip(QPointF(172, 30));
    clip.lineTo(172, 4);
    clip.arcTo(QRectF(172, -1, 14, 10), 180, -180);
    clip.lineTo(186, 34);
    clip.arcTo(QRectF(168, 28, 18, 12), 0, -180);
    clip.lineTo(168, 10);
    QPainterPathStroker stroker;
    stroker.setWidth(3.4);
    stroker.setCapStyle(Qt::RoundCap);
    c.addOutline(stroker.createStroke(clip));
    p.strokePath(clip, QPen(kSpiralDark, 2.4, Qt::SolidLine, Qt::RoundCap));
    p.strokePath(clip.translated(-0.5, -0.5), QPen(kSpiralLight, 0.8, Qt::SolidLine, Qt::RoundCap));

    c.drawSheetEdge();
    return c.finish();
}

}  // namespace rabuscal::assets
