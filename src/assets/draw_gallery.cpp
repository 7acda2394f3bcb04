// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the template drawings that the web site shares in the gallery: simple
// pencil lines in black on white, with the list files that name them.
//
//   rabuscal-draw-gallery SITE_DIR
//
// writes SITE_DIR/rabuscal/<name>.bmp and lista.txt (the public list) and
// SITE_DIR/club/rabuscal/<name>.bmp and lista.txt (the members' list).
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPainterPath>
#include <cstdio>
#include <functional>
#include <vector>

#include "assets/board_size.h"
#include "assets/indexed_bitmap.h"
#include "assets/sketch_canvas.h"
#include "assets/sketches.h"

using namespace rabuscal::assets;

namespace {

struct TemplateDrawing {
    const char* name;   // as listed, without ".bmp"; plain ASCII so it travels in any encoding
    int width, height;  // the board's size, two thirds of it or the preview's
    std::function<QPainterPath()> sketch;
};

const std::vector<TemplateDrawing> kPublicDrawings{
    {"casa", kBoardWidth, kBoardHeight, houseSketch},
    {"gato", kBoardWidth, kBoardHeight, catSketch},
    {"barco", kBoardWidth * 2 / 3, kBoardHeight * 2 / 3, boatSketch},
    {"peixe", kBoardWidth, kBoardHeight, fishSketch},
    {"carro", kPreviewWidth, kPreviewHeight, carSketch},
    {"guitarra", kBoardWidth * 2 / 3, kBoardHeight * 2 / 3, guitarSketch},
    {"casa de praia", kBoardWidth, kBoardHeight, beachHouseSketch},
};

const std::vector<TemplateDrawing> kClubDrawings{
    {"flor", kBoardWidth * 2 / 3, kBoardHeight * 2 / 3, flowerSketch},
    {"bicicleta", kBoardWidth, kBoardHeight, bicycleSketch},
    {"guarda-chuva", kPreviewWidth, kPreviewHeight, umbrellaSketch},
    {"pinheiro", kBoardWidth, kBoardHeight, treeSketch},
};

QImage drawTemplate(const TemplateDrawing& drawing, unsigned seed) {
    SketchCanvas c(drawing.width, drawing.height, seed);
    QPainterPath page;
    page.addRect(0, 0, drawing.width, drawing.height);
    c.addOutline(page);
    c.fillSheet(Qt::white);
    const qreal scale = drawing.width / double(kBoardWidth);
    const qreal margin = 14 * scale;
    drawSketch(
        c, drawing.sketch(),
        QRectF(0, 0, drawing.width, drawing.height).adjusted(margin, margin, -margin, -margin),
        Qt::black, std::max(1.4, 2.6 * scale));
    return c.finish();
}

// Writes the drawings into `folder` and names them in its lista.txt, one name
// a line, each line ending in CR LF.
bool writeGallery(const QString& folder, const std::vector<TemplateDrawing>& drawings,
                  unsigned seed) {
    if (!QDir().mkpath(folder)) return false;
    QByteArray list;
    for (const TemplateDrawing& drawing : drawings) {
        const QString path = QDir(folder).filePath(QString(drawing.name) + ".bmp");
        if (!saveBitmap(drawTemplate(drawing, seed++), path)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return false;
        }
        list += QByteArray(drawing.name) + "\r\n";
    }
    QFile file(QDir(folder).filePath("lista.txt"));
    return file.open(QIODevice::WriteOnly) && file.write(list) == list.size();
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (app.arguments().size() != 2) {
        std::fprintf(stderr, "usage: %s SITE_DIR\n", argv[0]);
        return 2;
    }
    const QDir site(app.arguments()[1]);
    if (!writeGallery(site.filePath("rabuscal"), kPublicDrawings, 100) ||
        !writeGallery(site.filePath("club/rabuscal"), kClubDrawings, 200)) {
        std::fprintf(stderr, "cannot write the gallery\n");
        return 1;
    }
    return 0;
}
