#include "ui/button_faces.h"

#include "ui/skin_pictures.h"

namespace {

FaceSet loadFaceSet(const char* released, const char* pressed, const QColor& colour) {
    return {QPixmap::fromImage(loadPlainPicture(released, skin::kButton, colour)),
            QPixmap::fromImage(loadPlainPicture(pressed, skin::kButton, colour.darker(130)))};
}

}  // namespace

const FaceSet& faceSet1() {
    static const FaceSet faces =
        loadFaceSet(":/assets/btup1.bmp", ":/assets/btdw1.bmp", QColor(96, 168, 88));
    return faces;
}

const FaceSet& faceSet2() {
    static const FaceSet faces =
        loadFaceSet(":/assets/btup2.bmp", ":/assets/btdw2.bmp", QColor(222, 206, 170));
    return faces;
}
