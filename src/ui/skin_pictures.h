#pragma once

#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QString>

// The pictures compiled into the program under ":/assets/". A picture that is
// missing or of the wrong size is replaced by a plain one of the expected size
// (window colour, magenta corners for skins) so that a window always gets its
// size and an outline.
QImage loadSkinPicture(const QString& resource, QSize size);
QImage loadPlainPicture(const QString& resource, QSize size, const QColor& fallbackColour);

namespace skin {
inline constexpr QSize kForm1{691, 362};
inline constexpr QSize kForm2{474, 268};
inline constexpr QSize kForm3{376, 122};
inline constexpr QSize kFWeb{570, 320};
inline constexpr QSize kButton{42, 20};
inline constexpr QSize kWelcome{450, 264};
}  // namespace skin
