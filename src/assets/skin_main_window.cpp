// SPDX-License-Identifier: GPL-3.0-or-later
#include <QFont>

#include "assets/sketch_canvas.h"
#include "assets/sketch_details.h"
#include "assets/sketch_palette.h"
#include "assets/skins.h"
#include "assets/window_layout.h"

namespace rabuscal::assets {
namespace {

// The main window is an open sketchbook: the grey-beige cover on the left with
// the player list and the drawer's buttons, the spiral binding, and the paper
// sheet on the right with the board, the top buttons on a strip of tape and
// the status line.
constexpr qreal kCoverRight = 222;
constexpr qreal kPageLeft = 214;

void drawCover(SketchCanvas& c) {
    QPainter& p = c.painter();
    // Title, with the version label just right of it.
    QFont title("Liberation Sans", 1);
    title.setPixelSize(27);
    title.setBold(true);
    title.setItalic(true);
    p.setFont(title);
    p.setPen(kGraphite);
    p.drawText(QPointF(34, 87), "Rabuscal");

    c.insetField(form1::Lista.place, kLightField);
    // "Pontos:" and a writing line under Pontos, which may run up to the list
    c.pencilLine({8, 181.5}, {66, 181.5}, kGraphiteSoft, 1.0);
    for (const Button& b : {form1::btInst, form1::btTroc, form1::btTerm}) c.buttonSlot(b.place());
    // The drawer's buttons (163,271 / 163,291 / 163,311) are hidden from the
    // other players, so they get no slot: an empty dark slot looks broken.
    // Only the writing lines for their captions are pencilled in.
    for (int y : {285, 305, 325})
        c.pencilLine({86, qreal(y)}, {156, qreal(y)}, kCardboardDark, 0.8);

    hatching(c, QRectF(8, 262, 60, 60), 6);
    drawingPencil(c, {26, 343}, {190, 339}, 9);
}

void drawPage(SketchCanvas& c, const QPainterPath& page) {
    QPainter& p = c.painter();
    // the paper sheet, a touch shaded where it meets the binding
    p.save();
    p.setClipPath(c.outline());
    p.fillPath(page.translated(-3, 2), QColor(0, 0, 0, 45));
    p.fillPath(page, kLightField);
    p.restore();

    maskingTape(c, QRectF(280, 17, 384, 38));
    for (const Button& b : {form1::btServ, form1::btConec, form1::btMin, form1::btFim})
        c.buttonSlot(b.place());

    // the board's frame: a drop shadow and a double pencil outline
    p.fillRect(QRect(231, 69, 452, 266), QColor(0, 0, 0, 40));
    c.pencilRect(QRectF(226.5, 64.5, 453, 267), kGraphite, 1.3);

    c.insetField(form1::Stk.place, kWindow);
    c.buttonSlot(form1::btJog.place());
    c.buttonSlot(form1::btPan.place());

    // a paper plane doodle in the corner above the board
    QPainterPath plane(QPointF(234, 50));
    plane.lineTo(268, 28);
    plane.lineTo(252, 54);
    plane.lineTo(249, 43);
    plane.lineTo(234, 50);
    plane.moveTo(249, 43);
    plane.lineTo(268, 28);
    c.pencilPath(plane, kGraphiteSoft, 1.1);
    QPainterPath trail(QPointF(232, 56));
    trail.cubicTo(QPointF(226, 60), QPointF(224, 48), QPointF(230, 42));
    c.pencilPath(trail, kCardboardDark, 0.9);
}

void drawBinding(SketchCanvas& c) {
    QPainter& p = c.painter();
    p.fillRect(QRectF(kPageLeft - 1, 48, 2, 306), QColor(0, 0, 0, 50));
    for (int y = 70; y <= 336; y += 14) spiralCoil(c, {209, qreal(y)}, {226, qreal(y) - 3}, 3.0);
}

}  // namespace

QImage drawMainWindowSkin() {
    const QSize size = kMainWindow.size;
    SketchCanvas c(size.width(), size.height(), 1);
    c.addOutline(tornRect(QRectF(2, 46, kCoverRight - 2, 309), 0, 0, 0, 2.5, c.random(), 16));
    const QPainterPath page =
        tornRect(QRectF(kPageLeft, 5, 476.5, 357), 3, 2, 0, 0, c.random(), 10);
    c.addOutline(page);
    c.fillSheet(kWindow);
    drawCover(c);
    drawPage(c, page);
    drawBinding(c);
    c.drawSheetEdge();
    return c.finish();
}

}  // namespace rabuscal::assets
