// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Bitmap files for the gallery's tests.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QImage>

namespace rabuscal::web_test {

inline QByteArray bmpBytes(QSize size, QRgb colour = qRgb(10, 200, 30),
                           QImage::Format format = QImage::Format_RGB888) {
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.convertToFormat(format).save(&buffer, "BMP");
    return bytes;
}

inline void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

}  // namespace rabuscal::web_test
