#include "ui/skin_region.h"

#include <gtest/gtest.h>

// The windows and widgets under test.
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

TEST(SkinRegion, PictureWithoutMagentaGivesExactlyItsRectangle) {
    EXPECT_EQ(skinRegion(picture(691, 362, kPaper)), QRegion(0, 0, 691, 362));
}

TEST(SkinRegion, AllMagentaPictureGivesNoWindowAtAll) {
    EXPECT_TRUE(skinRegion(picture(40, 30, kMagenta)).isEmpty());
    EXPECT_TRUE(skinRegion(QImage()).isEmpty());
}

TEST(SkinRegion, MagentaRowContributesNothing) {
    QImage image = picture(20, 5, kPaper);
    for (int x = 0; x < 20; ++x) image.setPixel(x, 2, kMagenta);
    const QRegion region = skinRegion(image);
    EXPECT_EQ(region, QRegion(0, 0, 20, 2) + QRegion(0, 3, 20, 2));
    EXPECT_FALSE(region.contains(QPoint(10, 2)));
}

TEST(SkinRegion, OnePixelRunAtRowEndBelongsToOutlineButNothingBeyondIt) {
    QImage image = picture(10, 3, kMagenta);
    image.setPixel(9, 1, kPaper);
    const QRegion region = skinRegion(image);
    EXPECT_EQ(region, QRegion(9, 1, 1, 1));
    EXPECT_FALSE(region.contains(QPoint(10, 1)));
}

TEST(SkinRegion, RunsAlternateAcrossTheRow) {
    QImage image = picture(8, 1, kPaper);
    for (int x : {0, 3, 4, 7}) image.setPixel(x, 0, kMagenta);
    EXPECT_EQ(skinRegion(image), QRegion(1, 0, 2, 1) + QRegion(5, 0, 2, 1));
}

TEST(SkinRegion, OnlyExactMagentaIsCutOut) {
    QImage image = picture(3, 1, kMagenta);
    image.setPixel(1, 0, qRgb(254, 0, 255));
    EXPECT_EQ(skinRegion(image), QRegion(1, 0, 1, 1));
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
