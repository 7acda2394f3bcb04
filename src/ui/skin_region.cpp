// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/skin_region.h"

namespace rabuscal {

namespace {

bool isOpaque(QRgb pixel) {
    return (pixel & 0x00FFFFFFu) != (kSkinTransparent & 0x00FFFFFFu);
}

}  // namespace

QRegion skinRegion(const QImage& picture) {
    // A 32-bit working copy lets each row be read as plain pixel values,
    // whatever the depth of the picture file (skins are 256-colour bitmaps).
    const QImage pixels = picture.convertToFormat(QImage::Format_RGB32);
    QRegion window;
    for (int y = 0; y < pixels.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        QRegion rowRegion;
        int x = 0;
        while (x < pixels.width()) {
            const bool opaque = isOpaque(row[x]);
            int end = x + 1;
            while (end < pixels.width() && isOpaque(row[end]) == opaque) ++end;
            if (opaque) rowRegion += QRect(x, y, end - x, 1);
            x = end;
        }
        window += rowRegion;
    }
    return window;
}

}  // namespace rabuscal
