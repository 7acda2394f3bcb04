// SPDX-License-Identifier: GPL-3.0-or-later
#include <QLinearGradient>

#include "assets/sketch_canvas.h"
#include "assets/sketch_palette.h"
#include "assets/skins.h"
#include "assets/window_layout.h"

namespace rabuscal::assets {
namespace {

struct FaceColours {
    QColor light, dark, border, shine, ink;
};

// Set 1 is the green of the main window's own buttons, set 2 the beige of the
// buttons inside pages and the other windows.
FaceColours coloursOf(int set) {
    if (set == 1)
        return {{146, 206, 172}, {78, 146, 112}, {40, 88, 62}, {204, 238, 216}, {16, 52, 34}};
    return {{242, 232, 210}, {198, 180, 150}, {112, 94, 72}, {252, 248, 238}, {66, 50, 36}};
}

}  // namespace

QImage drawButtonFace(int set, bool pressed, std::string_view button) {
    const FaceColours colours = coloursOf(set);
    unsigned seed = 40 + set * 2 + (pressed ? 1 : 0);
    for (const char ch : button) seed = seed * 31 + static_cast<unsigned char>(ch);
    SketchCanvas c(kButtonSize.width(), kButtonSize.height(), seed);
    QPainter& p = c.painter();
    QPainterPath all;
    all.addRect(QRect(QPoint(), kButtonSize));
    c.addOutline(all);
    // The corners show the window colour, so the face looks rounded on the cardboard.
    c.fillSheet(kWindow);

    const QRectF face(0.5, 0.5, 41, 19);
    QLinearGradient fill(0, 0, 0, 20);
    fill.setColorAt(0, pressed ? colours.dark.darker(112) : colours.light);
    fill.setColorAt(1, pressed ? colours.light.darker(112) : colours.dark);
    p.setPen(QPen(colours.border, 1.0));
    p.setBrush(fill);
    p.drawRoundedRect(face, 4, 4);

    const qreal shift = pressed ? 1.0 : 0.0;
    if (pressed) {
        // pushed in: a shadow along the top and left inner edges
        p.setPen(QPen(colours.border.lighter(130), 1.5));
        p.drawLine(QPointF(3, 2), QPointF(39, 2));
        p.drawLine(QPointF(2, 3), QPointF(2, 17));
    } else {
        p.setPen(QPen(colours.shine, 1.0));
        p.drawLine(QPointF(4, 2), QPointF(38, 2));
        p.setPen(QPen(colours.dark.darker(115), 1.0));
        p.drawLine(QPointF(4, 18), QPointF(38, 18));
    }
    // The button's symbol, pushed in with the face; a plain face keeps the
    // pencilled frame that is the sketchbook's signature.
    p.save();
    p.translate(shift, shift);
    const QColor wash = pressed ? colours.light : colours.shine;
    if (!drawButtonSymbol(c, button, colours.ink, wash)) {
        QColor pencil = colours.border;
        pencil.setAlpha(150);
        c.pencilRect(QRectF(6, 5.5, 30, 9), pencil, 0.8);
    }
    p.restore();
    return c.finish();
}

}  // namespace rabuscal::assets
