// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/button_faces.h"

#include <QHash>

#include "assets/asset_names.h"
#include "ui/skin_pictures.h"

namespace rabuscal {

namespace {

FaceSet loadFaceSet(const char* released, const char* pressed, const QColor& colour) {
    return {crispPixmap(loadPlainPicture(released, skin::kButton, colour)),
            crispPixmap(loadPlainPicture(pressed, skin::kButton, colour.darker(130)))};
}

QPixmap ownFace(const QString& button, bool pressed) {
    const QImage picture(rabuscal::assets::buttonFacePath(button, pressed));
    return picture.size() == skin::kButton ? crispPixmap(picture) : QPixmap();
}

}  // namespace

const FaceSet& faceSet1() {
    static const FaceSet faces = loadFaceSet(rabuscal::assets::kButtonUp1,
                                             rabuscal::assets::kButtonDown1, QColor(96, 168, 88));
    return faces;
}

const FaceSet& faceSet2() {
    static const FaceSet faces = loadFaceSet(rabuscal::assets::kButtonUp2,
                                             rabuscal::assets::kButtonDown2, QColor(222, 206, 170));
    return faces;
}

FaceSet facesOf(const QString& button, const FaceSet& plain) {
    static QHash<QString, FaceSet> loaded;
    auto found = loaded.find(button);
    if (found == loaded.end()) {
        FaceSet own{ownFace(button, false), ownFace(button, true)};
        found = loaded.insert(button, own);
    }
    const FaceSet& own = *found;
    if (own.released.isNull() || own.pressed.isNull()) return plain;
    return own;
}

}  // namespace rabuscal
