// SPDX-License-Identifier: GPL-3.0-or-later
#include <QFont>

#include "assets/board_size.h"
#include "assets/sketch_canvas.h"
#include "assets/sketch_details.h"
#include "assets/sketch_palette.h"
#include "assets/sketches.h"
#include "assets/skins.h"

namespace rabuscal::assets {

// The board shows this until the first round clears it: the game's name and
// three little sketches on cards taped to the grey-beige of the sketchbook.
QImage drawWelcomePicture() {
    SketchCanvas c(kBoardWidth, kBoardHeight, 7);
    QPainter& p = c.painter();
    c.addOutline([] {
        QPainterPath all;
        all.addRect(0, 0, kBoardWidth, kBoardHeight);
        return all;
    }());
    c.fillSheet(kWindow);

    QFont title("Liberation Sans", 1);
    title.setPixelSize(50);
    title.setBold(true);
    title.setItalic(true);
    p.setFont(title);
    const QRectF titleBox(0, 10, kBoardWidth, 62);
    p.setPen(kCardboardLight);
    p.drawText(titleBox.translated(2, 2), Qt::AlignCenter, "Rabuscal");
    p.setPen(kGraphite);
    p.drawText(titleBox, Qt::AlignCenter, "Rabuscal");
    QPainterPath squiggle(QPointF(128, 76));
    squiggle.cubicTo(QPointF(190, 68), QPointF(260, 84), QPointF(322, 72));
    c.pencilPath(squiggle, kGraphite, 1.6);

    const std::vector<QPainterPath> sketches{houseSketch(), catSketch(), sunSketch()};
    const qreal angles[] = {-3.0, 2.0, -1.5};
    for (int i = 0; i < 3; ++i) {
        const QRectF card(22 + i * 142, 98, 122, 140);
        p.save();
        p.translate(card.center());
        p.rotate(angles[i]);
        p.translate(-card.center());
        p.fillRect(card.translated(3, 4), QColor(0, 0, 0, 45));
        p.fillRect(card, kLightField);
        drawSketch(c, sketches[i], card.adjusted(16, 18, -16, -16), kGraphite, 1.6);
        maskingTape(c, QRectF(card.center().x() - 22, card.top() - 8, 44, 16));
        p.restore();
    }
    return c.finish();
}

}  // namespace rabuscal::assets
