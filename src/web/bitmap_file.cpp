#include "web/bitmap_file.h"

#include <QFile>
#include <cstdint>
#include <cstdlib>

namespace {

// Largest bitmap file read; bigger ones are refused rather than loaded.
constexpr qint64 kMaxBitmapFile = 256 * 1024 * 1024;

std::uint32_t le32(const QByteArray& b, qsizetype at) {
    return std::uint32_t(std::uint8_t(b[at])) | std::uint32_t(std::uint8_t(b[at + 1])) << 8 |
           std::uint32_t(std::uint8_t(b[at + 2])) << 16 |
           std::uint32_t(std::uint8_t(b[at + 3])) << 24;
}

std::uint16_t le16(const QByteArray& b, qsizetype at) {
    return std::uint16_t(std::uint8_t(b[at]) | std::uint8_t(b[at + 1]) << 8);
}

// Whether the file holds every byte its headers promise. The BMP reader
// would otherwise hand back a picture whose missing rows are left blank.
//   file header, 14 bytes: "BM", file size, 2 reserved words, pixel offset
//   info header: its size (12 for the old OS/2 layout, 40 or more after),
//   width, height (negative = top-down), planes, bits per pixel,
//   compression (0 plain, 1 RLE8, 2 RLE4, 3 bit fields), image size, ...
bool holdsAllPixels(const QByteArray& b) {
    constexpr qsizetype kFileHeader = 14;
    if (b.size() < kFileHeader + 12 || b[0] != 'B' || b[1] != 'M') return false;
    const qint64 pixelOffset = le32(b, 10);
    const std::uint32_t infoSize = le32(b, kFileHeader);
    qint64 width = 0, height = 0;
    int bitsPerPixel = 0;
    std::uint32_t compression = 0;
    qint64 imageSize = 0;
    if (infoSize == 12) {
        width = le16(b, kFileHeader + 4);
        height = le16(b, kFileHeader + 6);
        bitsPerPixel = le16(b, kFileHeader + 10);
    } else if (infoSize >= 40 && b.size() >= kFileHeader + 40) {
        width = std::int32_t(le32(b, kFileHeader + 4));
        height = std::abs(qint64(std::int32_t(le32(b, kFileHeader + 8))));
        bitsPerPixel = le16(b, kFileHeader + 14);
        compression = le32(b, kFileHeader + 16);
        imageSize = le32(b, kFileHeader + 20);
    } else {
        return false;
    }
    if (width <= 0 || height <= 0 || pixelOffset < kFileHeader + infoSize || pixelOffset > b.size())
        return false;
    switch (compression) {
        case 0:
        case 3: {
            if (bitsPerPixel != 1 && bitsPerPixel != 4 && bitsPerPixel != 8 && bitsPerPixel != 16 &&
                bitsPerPixel != 24 && bitsPerPixel != 32)
                return false;
            const qint64 rowBytes = (width * bitsPerPixel + 31) / 32 * 4;
            return rowBytes * height <= b.size() - pixelOffset;
        }
        case 1:
        case 2:
            // Run-length pictures have no fixed size; the header's own
            // figure is the best check there is.
            return imageSize <= b.size() - pixelOffset;
        default:
            return false;
    }
}

}  // namespace

LoadedPicture decodeBitmap(const QByteArray& bytes) {
    LoadedPicture loaded;
    if (holdsAllPixels(bytes) && loaded.picture.loadFromData(bytes, "BMP") &&
        !loaded.picture.isNull())
        return loaded;
    loaded.picture = QImage();
    loaded.error = kInvalidBitmapText;
    return loaded;
}

LoadedPicture loadBitmapFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        LoadedPicture failed;
        failed.error = QStringLiteral("Cannot open file \"%1\". %2").arg(path, file.errorString());
        return failed;
    }
    if (file.size() > kMaxBitmapFile) {
        LoadedPicture failed;
        failed.error = kInvalidBitmapText;
        return failed;
    }
    return decodeBitmap(file.readAll());
}
