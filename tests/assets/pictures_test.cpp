// SPDX-License-Identifier: GPL-3.0-or-later
// Checks the pictures as the program gets them: compiled in through the
// rabuscal_assets library and read back from :/assets/.
#include <gtest/gtest.h>

#include <QImage>
#include <QString>
#include <cstdlib>
#include <vector>

#include "assets/asset_names.h"
#include "assets/window_layout.h"

using namespace rabuscal::assets;

namespace {

const QRgb kMagenta = qRgb(255, 0, 255);

QImage load(const QString& path) {
    QImage image(path);
    EXPECT_FALSE(image.isNull()) << qPrintable(path) << " is not among the compiled-in pictures";
    return image;
}

int distanceToMagenta(QRgb c) {
    const int dr = qRed(c) - 255, dg = qGreen(c), db = qBlue(c) - 255;
    return dr * dr + dg * dg + db * db;
}

// The rectangle's pixels that the window would cut out.
int transparentPixelsIn(const QImage& skin, const QRect& r) {
    int count = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (!skin.valid(x, y) || skin.pixel(x, y) == kMagenta) ++count;
    return count;
}

bool nearlySame(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
               std::abs(qBlue(a) - qBlue(b)) <
           40;
}

}  // namespace

// Every name the program loads a picture by finds a 256-colour bitmap of its
// size; a wrong name or size is reported by name, so the game refuses to
// start instead of showing something else.
TEST(Pictures, EveryDeclaredPictureIsCompiledInAndAMissingOneIsNamed) {
    EXPECT_EQ(missingPictures(allPictures()), QStringList());
    for (const Picture& picture : allPictures()) {
        const QImage image = load(picture.path);
        EXPECT_EQ(image.size(), picture.size) << qPrintable(picture.path);
        EXPECT_EQ(image.format(), QImage::Format_Indexed8) << qPrintable(picture.path);
    }
    EXPECT_EQ(missingPictures({{":/assets/skin_form9.bmp", form1::kSize},
                               {kWelcome, kButtonSize},
                               {kSkinForm1, form1::kSize}}),
              QStringList({":/assets/skin_form9.bmp is missing",
                           ":/assets/welcome.bmp is 450 x 264 instead of 42 x 20"}));
}

TEST(Pictures, EachSkinHasItsWindowSizeAndAnOutlineCutInMagenta) {
    for (const SkinLayout* layout : kAllSkins) {
        const QImage skin = load(layout->picture);
        EXPECT_EQ(skin.size(), layout->size) << layout->picture;
        EXPECT_EQ(skin.pixel(0, 0), kMagenta) << layout->picture << ": corner is not cut out";
        EXPECT_LT(transparentPixelsIn(skin, skin.rect()), skin.width() * skin.height() / 4)
            << layout->picture << ": the outline leaves too little of the window";
    }
}

TEST(Pictures, NoControlOfAnyWindowFallsOutsideTheOutline) {
    for (const SkinLayout* layout : kAllSkins) {
        const QImage skin = load(layout->picture);
        const auto check = [&](const char* name, QRect place) {
            EXPECT_EQ(transparentPixelsIn(skin, place), 0)
                << layout->picture << " cuts into " << name;
        };
        for (const Control& control : layout->controls) check(control.name, control.place);
        for (const Button& button : layout->buttons) check(button.name, button.place());
        for (const Area& area : layout->areas) {
            for (const Control& control : area.controls)
                check(control.name, control.place.translated(area.origin));
            for (const Button& button : area.buttons)
                check(button.name, button.place().translated(area.origin));
        }
    }
}

TEST(Pictures, NoOpaquePixelIsNearlyMagentaSoNoPinkFringeShows) {
    for (const Picture& picture : allPictures()) {
        const QImage image = load(picture.path);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QRgb c = image.pixel(x, y);
                if (c != kMagenta) {
                    ASSERT_GT(distanceToMagenta(c), 60 * 60)
                        << qPrintable(picture.path) << " at " << x << "," << y;
                }
            }
    }
}

// Faces are full 42 x 20 rectangles and pressing changes them. A button's own
// face differs from the plain face of its set only inside its border: the
// symbol leaves the edge as it was.
TEST(Pictures, EveryButtonHasItsOwnFacesWithASymbolInside) {
    const char* plainPaths[2][2] = {{kButtonUp1, kButtonDown1}, {kButtonUp2, kButtonDown2}};
    for (const auto& [up, down] : plainPaths) {
        const QImage released = load(up), pressed = load(down);
        EXPECT_EQ(released.size(), kButtonSize) << up;
        EXPECT_EQ(pressed.size(), kButtonSize) << down;
        EXPECT_EQ(transparentPixelsIn(released, released.rect()), 0) << up;
        EXPECT_EQ(transparentPixelsIn(pressed, pressed.rect()), 0) << down;
        EXPECT_NE(released.convertToFormat(QImage::Format_RGB32),
                  pressed.convertToFormat(QImage::Format_RGB32))
            << up;
    }
    std::vector<QImage> seen;
    for (const ImageButtonFaces& button : kImageButtons) {
        const QString name = QString::fromLatin1(button.button);
        QImage faces[2];
        for (const bool pressed : {false, true}) {
            const QImage face =
                load(buttonFacePath(name, pressed)).convertToFormat(QImage::Format_RGB32);
            const QImage plain =
                load(plainPaths[button.set - 1][pressed]).convertToFormat(QImage::Format_RGB32);
            ASSERT_EQ(face.size(), kButtonSize) << button.button;
            EXPECT_EQ(transparentPixelsIn(face, face.rect()), 0) << button.button;
            int inside = 0, edge = 0;
            for (int y = 0; y < 20; ++y)
                for (int x = 0; x < 42; ++x) {
                    // Each picture has its own 256 colours: shades may shift a little.
                    if (nearlySame(face.pixel(x, y), plain.pixel(x, y))) continue;
                    const bool onEdge = x < 2 || x > 39 || y < 2 || y > 17;
                    ++(onEdge ? edge : inside);
                }
            EXPECT_GT(inside, 40) << button.button << ": no symbol to be seen";
            EXPECT_LT(edge, 8) << button.button << ": the symbol spills over the face's edge";
            faces[pressed] = face;
        }
        EXPECT_NE(faces[0], faces[1]) << button.button << ": pressing shows no change";
        for (const QImage& other : seen)
            EXPECT_NE(faces[0], other) << button.button << " looks like another button";
        seen.push_back(faces[0]);
    }
}

TEST(Pictures, WelcomePictureFillsTheBoard) {
    const QImage welcome = load(kWelcome);
    EXPECT_EQ(welcome.size(), kBoardSize);
    EXPECT_EQ(transparentPixelsIn(welcome, welcome.rect()), 0);
}
