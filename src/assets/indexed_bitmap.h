// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QString>

namespace rabuscal::assets {

// Reduces a 32-bit picture to 256 colours. The most frequent colours are kept
// exactly (so flat fields keep the window colours), rare antialiasing shades map
// to their nearest neighbour. Pixels where `opaque` is black (or every pixel, if
// `opaque` is null) become exact magenta; no other palette entry comes near it.
QImage toIndexed8(const QImage& art, const QImage& opaque = QImage());

// Writes an 8-bit indexed Windows bitmap; returns false when the file cannot be written.
bool saveBitmap(const QImage& indexed, const QString& path);

}  // namespace rabuscal::assets
