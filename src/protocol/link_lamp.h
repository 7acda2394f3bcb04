// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The colours of a connection lamp: `Shp3` for the game connection and `Shp2`
// for the directory's. Both links light their lamp the same way, so the
// clients share one enum; the windows turn it into a colour.

namespace rabuscal::protocol {

enum class LinkLamp {
    Maroon,  // (128, 0, 0): at start, after a disconnect, after a failed attempt
    Red,     // (255, 0, 0): from the press until the first chunk arrives
    Lime,    // (0, 255, 0): on every chunk received
};

}  // namespace rabuscal::protocol
