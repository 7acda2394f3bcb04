// Draws the game's pictures: the four window skins, the button faces and the
// board's welcome picture, as 256-colour bitmaps.
//
//   rabuscal-draw-assets OUTPUT_DIR [--preview PNG_DIR]
//
// --preview also writes each picture, read back from its bitmap, as a PNG.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <cstdio>
#include <functional>
#include <utility>
#include <vector>

#include "assets/indexed_bitmap.h"
#include "assets/skins.h"

using namespace rabuscal::assets;

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

    const std::vector<std::pair<const char*, std::function<QImage()>>> pictures{
        {"skin_form1.bmp", drawMainWindowSkin},
        {"skin_form2.bmp", drawChatWindowSkin},
        {"skin_form3.bmp", drawServerWindowSkin},
        {"skin_fweb.bmp", drawBrowserWindowSkin},
        {"btup1.bmp", [] { return drawButtonFace(1, false); }},
        {"btdw1.bmp", [] { return drawButtonFace(1, true); }},
        {"btup2.bmp", [] { return drawButtonFace(2, false); }},
        {"btdw2.bmp", [] { return drawButtonFace(2, true); }},
        {"welcome.bmp", drawWelcomePicture},
    };
    for (const auto& [name, draw] : pictures) {
        const QString path = out.filePath(name);
        if (!saveBitmap(draw(), path)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        if (!preview.isEmpty()) {
            QString png = QDir(preview).filePath(name);
            png.replace(".bmp", ".png");
            QImage(path).save(png, "PNG");
        }
    }
    return 0;
}
