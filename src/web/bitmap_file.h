#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// A picture read from a Windows bitmap, or why it could not be read.
struct LoadedPicture {
    QImage picture;
    QString error;
    bool ok() const { return error.isEmpty(); }
};

inline const QString kInvalidBitmapText = QStringLiteral("Bitmap image is not valid");

// Reads a BMP file, and only a BMP file: other formats, truncated files and
// headers that promise more pixels than the file holds are refused with
// "Bitmap image is not valid" instead of giving a half-drawn picture.
LoadedPicture loadBitmapFile(const QString& path);
LoadedPicture decodeBitmap(const QByteArray& bytes);
