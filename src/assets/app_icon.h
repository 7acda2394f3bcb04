// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <array>

// The game's icon for desktop menus and launchers.
namespace rabuscal::assets {

// The sizes installed in the hicolor icon theme.
inline constexpr std::array<int, 4> kAppIconSizes{48, 64, 128, 256};

// A sketchbook page with a house sketched on it, a question mark and a
// yellow pencil, `size` x `size`, transparent around it.
QImage drawAppIcon(int size);

}  // namespace rabuscal::assets
