// SPDX-License-Identifier: GPL-3.0-or-later
#include "assets/sketch_canvas.h"
#include "assets/sketch_details.h"
#include "assets/sketch_palette.h"
#include "assets/skins.h"
#include "assets/window_layout.h"

namespace rabuscal::assets {

// The chat window is a spiral notepad: the conversation on a paper field, the
// entry line on the cardboard below it, the coils sticking out of the top.
QImage drawChatWindowSkin() {
    const QSize size = kChatWindow.size;
    SketchCanvas c(size.width(), size.height(), 2);
    c.addOutline(tornRect(QRectF(1, 6, 472.5, 262.5), 0, 1.5, 2, 1.5, c.random(), 8));
    c.fillSheet(kWindow);

    c.insetField(form2::Chat.place, kLightField, 1);
    c.insetField(form2::Frase.place, kWindow, 1);
    c.buttonSlot(form2::btTentar.place());
    c.pencilLine({418, 257}, {466, 256}, kCardboardDark, 0.8);  // under "Tentar..."

    for (qreal x = 20; x < 456; x += 18) bindingRing(c, {x, 8.5}, 2.0, 6, 2.4);
    c.drawSheetEdge();
    return c.finish();
}

}  // namespace rabuscal::assets
