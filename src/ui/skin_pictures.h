// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QString>

#include "assets/window_layout.h"

namespace rabuscal {

// The pictures compiled into the program under ":/assets/". A picture that is
// missing or of the wrong size is replaced by a plain one of the expected size
// (window colour, magenta corners for skins) so that a window always gets its
// size and an outline.
QImage loadSkinPicture(const QString& resource, QSize size);
QImage loadPlainPicture(const QString& resource, QSize size, const QColor& fallbackColour);

// The picture as a pixmap for the screen's whole-number scale factor, its
// pixels repeated rather than smoothed (labels smooth pixmaps they scale).
// Its deviceIndependentSize() is the picture's size.
QPixmap crispPixmap(const QImage& picture);

namespace skin {
inline constexpr QSize kForm1 = rabuscal::assets::form1::kSize;
inline constexpr QSize kForm2 = rabuscal::assets::form2::kSize;
inline constexpr QSize kForm3 = rabuscal::assets::form3::kSize;
inline constexpr QSize kFWeb = rabuscal::assets::fweb::kSize;
inline constexpr QSize kButton = rabuscal::assets::kButtonSize;
inline constexpr QSize kWelcome{450, 264};
}  // namespace skin

}  // namespace rabuscal
