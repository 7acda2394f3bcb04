// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace rabuscal {

// A picture read from a Windows bitmap, or why it could not be read.
struct LoadedPicture {
    QImage picture;
    QString error;
    bool ok() const { return error.isEmpty(); }
};

inline const QString kInvalidBitmapText = QStringLiteral("Bitmap image is not valid");

// No template is usefully larger than this (the board, assets/board_size.h,
// is far smaller); a bigger picture is refused before anything is decoded.
inline constexpr int kMaxBitmapSide = 4096;
// The largest file such a picture makes (32 bits a pixel, headers, palette).
inline constexpr qint64 kMaxBitmapFileBytes =
    qint64(kMaxBitmapSide) * kMaxBitmapSide * 4 + 64 * 1024;

// "Bitmap image is too large (W x H; at most 4096 x 4096)".
QString tooLargeBitmapText(qint64 width, qint64 height);

// Reads a BMP file, and only a BMP file. Other formats, truncated files,
// headers that promise more pixels than the file holds and run-length data
// that cannot fill the picture are refused with "Bitmap image is not valid"
// instead of giving a half-drawn picture; pictures wider or higher than
// kMaxBitmapSide, and larger files, are refused as too large.
LoadedPicture loadBitmapFile(const QString& path);
LoadedPicture decodeBitmap(const QByteArray& bytes);

}  // namespace rabuscal
