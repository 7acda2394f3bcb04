// SPDX-License-Identifier: GPL-3.0-or-later
#include "assets/sketch_canvas.h"
#include "assets/sketch_details.h"
#include "assets/sketch_palette.h"
#include "assets/skins.h"
#include "assets/window_layout.h"

namespace rabuscal::assets {

// The browser window is a clipboard: the page held on a paper field, the clip
// sticking out of the top, the navigation buttons along the bottom rail.
QImage drawBrowserWindowSkin() {
    const QSize size = kBrowserWindow.size;
    SketchCanvas c(size.width(), size.height(), 4);
    QPainter& p = c.painter();
    c.addOutline(tornRect(QRectF(0.5, 5, 569.5, 315.5), 0, 0, 0, 0, c.random(), 14));

    // the clip's plate, added before filling so its outline merges with the board
    const QRectF plate(215, 0.5, 140, 12);
    QPainterPath platePath;
    platePath.addRoundedRect(plate, 5, 5);
    c.addOutline(platePath);
    c.fillSheet(kWindow);

    c.insetField(fweb::Panel1.place, kLightField, 1);
    for (const Button& b : kBrowserWindow.buttons) c.buttonSlot(b.place());
    c.insetField(fweb::Led.place, QColor(80, 40, 30), 1);
    c.insetField(fweb::G1.place, QColor(80, 40, 30), 1);
    c.pencilLine({66, 314}, {140, 313}, kCardboardDark, 0.8);  // under "PEXO online"

    QLinearGradient metal(0, 0, 0, 12);
    metal.setColorAt(0, kSpiralLight);
    metal.setColorAt(1, kSpiralDark);
    p.setPen(QPen(kSpiralDark, 1.0));
    p.setBrush(metal);
    p.drawPath(platePath);
    p.setBrush(QColor(60, 55, 50));
    p.drawEllipse(QPointF(285, 5.5), 6, 2.5);  // the hole to hang the board by
    p.setBrush(kSpiralLight);
    p.drawEllipse(QPointF(224, 6), 2.2, 2.2);  // rivets
    p.drawEllipse(QPointF(346, 6), 2.2, 2.2);
    drawingPencil(c, {150, 306}, {202, 304}, 7);

    c.drawSheetEdge();
    return c.finish();
}

}  // namespace rabuscal::assets
