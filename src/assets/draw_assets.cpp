// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the game's pictures: the four window skins, the plain button faces,
// each image button's own faces (under buttons/) and the board's welcome
// picture, as 256-colour bitmaps, and the game's icon at the sizes of the
// desktop's icon theme (icons/rabuscal-N.png, with transparency).
//
//   rabuscal-draw-assets OUTPUT_DIR [--preview PNG_DIR]
//
// --preview also writes each picture, read back from its bitmap, as a PNG,
// and buttons-sheet.png: every button's faces, released and pressed, at their
// own size and four times larger, to judge the symbols at a glance.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>
#include <functional>
#include <utility>
#include <vector>

#include "assets/app_icon.h"
#include "assets/asset_names.h"
#include "assets/indexed_bitmap.h"
#include "assets/skins.h"

using namespace rabuscal::assets;

namespace {

void writeButtonSheet(const QDir& pictures, const QString& png) {
    constexpr int kRow = 24, kZoom = 4;
    QImage sheet(2 * 46 + 2 * 46 * kZoom, int(kImageButtons.size()) * kRow * kZoom,
                 QImage::Format_RGB32);
    sheet.fill(QColor(176, 168, 155));
    QPainter p(&sheet);
    for (std::size_t i = 0; i < kImageButtons.size(); ++i) {
        for (const bool pressed : {false, true}) {
            const QImage face(pictures.filePath(
                "buttons/" +
                buttonFaceFile(QString::fromLatin1(kImageButtons[i].button), pressed)));
            const int top = int(i) * kRow * kZoom;
            p.drawImage(QPoint(pressed ? 46 : 2, top + 2), face);
            p.drawImage(QRect(2 * 46 + (pressed ? 46 * kZoom : 0), top, 42 * kZoom, 20 * kZoom),
                        face);
        }
    }
    p.end();
    sheet.save(png, "PNG");
}

}  // namespace

int main(int argc, char** argv) {
    // Fonts need a GUI application; no window is ever shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2 && !(args.size() == 4 && args[2] == "--preview")) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR [--preview PNG_DIR]\n", argv[0]);
        return 2;
    }
    const QDir out(args[1]);
    const QString preview = args.size() == 4 ? args[3] : QString();
    if (!QDir().mkpath(out.path()) || (!preview.isEmpty() && !QDir().mkpath(preview))) {
        std::fprintf(stderr, "cannot create the output folders\n");
        return 1;
    }

    std::vector<std::pair<QString, std::function<QImage()>>> pictures{
        {pictureFile(kSkinForm1), drawMainWindowSkin},
        {pictureFile(kSkinForm2), drawChatWindowSkin},
        {pictureFile(kSkinForm3), drawServerWindowSkin},
        {pictureFile(kSkinFWeb), drawBrowserWindowSkin},
        {pictureFile(kButtonUp1), [] { return drawButtonFace(1, false); }},
        {pictureFile(kButtonDown1), [] { return drawButtonFace(1, true); }},
        {pictureFile(kButtonUp2), [] { return drawButtonFace(2, false); }},
        {pictureFile(kButtonDown2), [] { return drawButtonFace(2, true); }},
        {pictureFile(kWelcome), drawWelcomePicture},
    };
    if (!QDir().mkpath(out.filePath("buttons"))) {
        std::fprintf(stderr, "cannot create the output folders\n");
        return 1;
    }
    for (const ImageButtonFaces& b : kImageButtons)
        for (const bool pressed : {false, true})
            pictures.emplace_back(
                "buttons/" + buttonFaceFile(QString::fromLatin1(b.button), pressed),
                [b, pressed] { return drawButtonFace(b.set, pressed, b.button); });
    for (const auto& [name, draw] : pictures) {
        const QString path = out.filePath(name);
        if (!saveBitmap(draw(), path)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        if (!preview.isEmpty()) {
            QString png = QDir(preview).filePath(QString(name).replace('/', '-'));
            png.replace(".bmp", ".png");
            QImage(path).save(png, "PNG");
        }
    }
    if (!QDir().mkpath(out.filePath("icons"))) {
        std::fprintf(stderr, "cannot create the output folders\n");
        return 1;
    }
    for (const int size : kAppIconSizes) {
        const QString path = out.filePath(QString("icons/rabuscal-%1.png").arg(size));
        if (!drawAppIcon(size).save(path, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    if (!preview.isEmpty()) writeButtonSheet(out, QDir(preview).filePath("buttons-sheet.png"));
    return 0;
}
