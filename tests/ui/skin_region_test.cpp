// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/skin_region.h"

#include <gtest/gtest.h>

#include "assets/asset_names.h"
#include "ui/skin_pictures.h"

using namespace rabuscal;

namespace {

constexpr QRgb kMagenta = qRgb(255, 0, 255);
constexpr QRgb kPaper = qRgb(176, 168, 155);

QImage picture(int width, int height, QRgb fill) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(fill);
    return image;
}

}  // namespace

TEST(SkinRegion, PictureWithoutMagentaGivesItsRectangleAndAllMagentaNoWindowAtAll) {
    EXPECT_EQ(skinRegion(picture(691, 362, kPaper)), QRegion(0, 0, 691, 362));
    EXPECT_TRUE(skinRegion(picture(40, 30, kMagenta)).isEmpty());
    EXPECT_TRUE(skinRegion(QImage()).isEmpty());
}

TEST(SkinRegion, EveryRowIsCutIntoTheRunsThatAreNotExactlyMagenta) {
    QImage rowGone = picture(20, 5, kPaper);
    for (int x = 0; x < 20; ++x) rowGone.setPixel(x, 2, kMagenta);
    EXPECT_EQ(skinRegion(rowGone), QRegion(0, 0, 20, 2) + QRegion(0, 3, 20, 2));

    QImage lastPixel = picture(10, 3, kMagenta);
    lastPixel.setPixel(9, 1, kPaper);
    EXPECT_EQ(skinRegion(lastPixel), QRegion(9, 1, 1, 1));

    QImage alternating = picture(8, 1, kPaper);
    for (int x : {0, 3, 4, 7}) alternating.setPixel(x, 0, kMagenta);
    EXPECT_EQ(skinRegion(alternating), QRegion(1, 0, 2, 1) + QRegion(5, 0, 2, 1));

    QImage nearlyMagenta = picture(3, 1, kMagenta);
    nearlyMagenta.setPixel(1, 0, qRgb(254, 0, 255));
    EXPECT_EQ(skinRegion(nearlyMagenta), QRegion(1, 0, 1, 1));
}

TEST(SkinRegion, IndexedPictureIsShapedLikeItsTrueColourCopy) {
    QImage image = picture(16, 16, kPaper);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16 - y; ++x) image.setPixel(x, y, kMagenta);
    const QImage indexed = image.convertToFormat(QImage::Format_Indexed8, {kPaper, kMagenta});
    ASSERT_EQ(indexed.format(), QImage::Format_Indexed8);
    EXPECT_EQ(skinRegion(indexed), skinRegion(image));
    EXPECT_FALSE(skinRegion(image).contains(QPoint(0, 0)));
    EXPECT_TRUE(skinRegion(image).contains(QPoint(15, 15)));
}

// A window gets its own picture or none: a wrong name or size ends the program
// with the picture's name instead of showing a stand-in.
TEST(SkinPictures, AMissingPictureEndsTheProgramNamingIt) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EQ(loadPicture(assets::kButtonUp1, assets::kButtonSize).size(), assets::kButtonSize);
    EXPECT_DEATH(loadPicture(":/assets/skin_form9.bmp", assets::kButtonSize), "skin_form9.bmp");
    EXPECT_DEATH(loadPicture(assets::kWelcome, assets::kButtonSize), "welcome.bmp");
}
