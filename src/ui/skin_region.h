// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QImage>
#include <QRegion>

namespace rabuscal {

// The colour that skin pictures use for "not part of the window".
inline constexpr QRgb kSkinTransparent = qRgb(255, 0, 255);

// The outline of a skin picture: every pixel that is not exactly magenta,
// built row by row from one rectangle per opaque run so that the region grows
// with the number of runs, not with the number of pixels.
QRegion skinRegion(const QImage& picture);

}  // namespace rabuscal
