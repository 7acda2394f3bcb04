// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>

// The colours of the sketchbook theme shared by every window skin, the button
// faces and the welcome picture. The window colour and the light field colour
// must stay exact: labels and fields paint the same colours over the skins.
namespace rabuscal::assets {

inline const QColor kWindow{176, 168, 155};      // grey-beige cardboard of the sketchbook
inline const QColor kLightField{239, 228, 213};  // paper fields behind chat, lists, browser
inline const QColor kTransparent{255, 0, 255};   // cut out of the window outline
inline const QColor kGraphite{62, 58, 54};       // pencil lines
inline const QColor kGraphiteSoft{118, 111, 102};
inline const QColor kCardboardDark{146, 138, 126};   // recesses and shadows
inline const QColor kCardboardLight{204, 197, 185};  // highlights on the cardboard
inline const QColor kEdge{84, 78, 71};               // the outer edge of each sheet
inline const QColor kSpiralDark{72, 74, 80};
inline const QColor kSpiralLight{196, 198, 204};
inline const QColor kTape{226, 214, 181};

}  // namespace rabuscal::assets
