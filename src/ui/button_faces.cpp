// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/button_faces.h"

#include <QHash>

#include "assets/asset_names.h"
#include "ui/skin_pictures.h"

namespace rabuscal {

namespace {

FaceSet loadFaceSet(const char* released, const char* pressed) {
    return {crispPixmap(loadPicture(released, assets::kButtonSize)),
            crispPixmap(loadPicture(pressed, assets::kButtonSize))};
}

QPixmap ownFace(const QString& button, bool pressed) {
    const QImage picture(assets::buttonFacePath(button, pressed));
    return picture.size() == assets::kButtonSize ? crispPixmap(picture) : QPixmap();
}

}  // namespace

const FaceSet& faceSet1() {
    static const FaceSet faces = loadFaceSet(assets::kButtonUp1, assets::kButtonDown1);
    return faces;
}

const FaceSet& faceSet2() {
    static const FaceSet faces = loadFaceSet(assets::kButtonUp2, assets::kButtonDown2);
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
