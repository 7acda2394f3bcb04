// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPixmap>
#include <QString>

namespace rabuscal {

// The released and pressed pictures of an image button.
struct FaceSet {
    QPixmap released;
    QPixmap pressed;
};

// The two plain face sets, loaded once and shared (a QPixmap copy shares its
// pixels). Set 1 is green, set 2 beige. Needs a QGuiApplication.
const FaceSet& faceSet1();
const FaceSet& faceSet2();

// The faces of the button of that object name: its own pair, drawn in its
// face set with a symbol of what it does, or `plain` (the set it is drawn in)
// for a button that has none. Loaded once per name.
FaceSet facesOf(const QString& button, const FaceSet& plain);

}  // namespace rabuscal
