#pragma once

#include <QPixmap>

// The released and pressed pictures of an image button.
struct FaceSet {
    QPixmap released;
    QPixmap pressed;
};

// The two face sets, loaded once and shared by every button of every window
// (a QPixmap copy shares its pixels). Set 1 is green, set 2 beige. Needs a
// QGuiApplication.
const FaceSet& faceSet1();
const FaceSet& faceSet2();
