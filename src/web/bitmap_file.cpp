// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/bitmap_file.h"

#include <QFile>
#include <cstdint>
#include <cstdlib>

namespace rabuscal {

namespace {

std::uint32_t le32(const QByteArray& b, qsizetype at) {
    return std::uint32_t(std::uint8_t(b[at])) | std::uint32_t(std::uint8_t(b[at + 1])) << 8 |
           std::uint32_t(std::uint8_t(b[at + 2])) << 16 |
           std::uint32_t(std::uint8_t(b[at + 3])) << 24;
}

std::uint16_t le16(const QByteArray& b, qsizetype at) {
    return std::uint16_t(std::uint8_t(b[at]) | std::uint8_t(b[at + 1]) << 8);
}

// How many pixels run-length data codes, counting up to `wanted`. Line ends,
// jumps and the end mark code none: a picture they leave unfilled would be
// a large picture made of almost no data.
//   pair (n > 0, c): n pixels of colour c
//   pair (0, 0) end of line, (0, 1) end of picture, (0, 2) jump by two bytes
//   pair (0, n > 2): n pixels follow, one byte (RLE8) or half a byte (RLE4)
//   each, padded to an even count of bytes
qint64 runLengthPixels(const QByteArray& b, qint64 from, bool fourBits, qint64 wanted) {
    qint64 coded = 0;
    qint64 at = from;
    while (at + 1 < b.size() && coded < wanted) {
        const int count = std::uint8_t(b[at]), code = std::uint8_t(b[at + 1]);
        at += 2;
        if (count > 0) {
            coded += count;
        } else if (code == 1) {
            break;
        } else if (code == 2) {
            at += 2;
        } else if (code > 2) {
            coded += code;
            const qint64 bytes = fourBits ? (code + 1) / 2 : code;
            at += (bytes + 1) / 2 * 2;
        }
    }
    return coded;
}

enum class Verdict { Whole, NotValid, TooLarge };

// Whether the file is a picture of a useful size and holds every byte its
// headers promise. The BMP reader would otherwise allocate what the header
// asks for, or hand back a picture whose missing rows are left blank.
//   file header, 14 bytes: "BM", file size, 2 reserved words, pixel offset
//   info header: its size (12 for the old OS/2 layout, 40 or more after),
//   width, height (negative = top-down), planes, bits per pixel,
//   compression (0 plain, 1 RLE8, 2 RLE4, 3 bit fields), image size, ...
Verdict check(const QByteArray& b, qint64& width, qint64& height) {
    constexpr qsizetype kFileHeader = 14;
    if (b.size() < kFileHeader + 12 || b[0] != 'B' || b[1] != 'M') return Verdict::NotValid;
    const qint64 pixelOffset = le32(b, 10);
    const std::uint32_t infoSize = le32(b, kFileHeader);
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
        return Verdict::NotValid;
    }
    if (width <= 0 || height <= 0) return Verdict::NotValid;
    if (width > kMaxBitmapSide || height > kMaxBitmapSide) return Verdict::TooLarge;
    if (pixelOffset < kFileHeader + infoSize || pixelOffset > b.size()) return Verdict::NotValid;
    switch (compression) {
        case 0:
        case 3: {
            if (bitsPerPixel != 1 && bitsPerPixel != 4 && bitsPerPixel != 8 && bitsPerPixel != 16 &&
                bitsPerPixel != 24 && bitsPerPixel != 32)
                return Verdict::NotValid;
            const qint64 rowBytes = (width * bitsPerPixel + 31) / 32 * 4;
            return rowBytes * height <= b.size() - pixelOffset ? Verdict::Whole : Verdict::NotValid;
        }
        case 1:
        case 2: {
            if (imageSize > b.size() - pixelOffset) return Verdict::NotValid;
            const qint64 pixels = width * height;
            return runLengthPixels(b, pixelOffset, compression == 2, pixels) >= pixels
                       ? Verdict::Whole
                       : Verdict::NotValid;
        }
        default:
            return Verdict::NotValid;
    }
}

}  // namespace

QString tooLargeBitmapText(qint64 width, qint64 height) {
    return QStringLiteral("Bitmap image is too large (%1 x %2; at most %3 x %3)")
        .arg(width)
        .arg(height)
        .arg(kMaxBitmapSide);
}

LoadedPicture decodeBitmap(const QByteArray& bytes) {
    LoadedPicture loaded;
    qint64 width = 0, height = 0;
    switch (check(bytes, width, height)) {
        case Verdict::TooLarge:
            loaded.error = tooLargeBitmapText(width, height);
            return loaded;
        case Verdict::NotValid:
            loaded.error = kInvalidBitmapText;
            return loaded;
        case Verdict::Whole:
            break;
    }
    if (loaded.picture.loadFromData(bytes, "BMP") && !loaded.picture.isNull()) return loaded;
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
    // Too long for any picture of a useful size: not even read.
    if (file.size() > kMaxBitmapFileBytes) {
        LoadedPicture failed;
        failed.error = QStringLiteral("Bitmap image is too large (%1 bytes)").arg(file.size());
        return failed;
    }
    return decodeBitmap(file.readAll());
}

}  // namespace rabuscal
