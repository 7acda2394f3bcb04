// SPDX-License-Identifier: GPL-3.0-or-later
#include "assets/asset_names.h"

namespace rabuscal::assets {

const std::array<const char*, 9>& allPictures() {
    static const std::array<const char*, 9> pictures{kSkinForm1, kSkinForm2,   kSkinForm3,
                                                     kSkinFWeb,  kButtonUp1,   kButtonDown1,
                                                     kButtonUp2, kButtonDown2, kWelcome};
    return pictures;
}

QString buttonFaceFile(QStringView button, bool pressed) {
    return button.toString() + (pressed ? QStringLiteral("_dw.bmp") : QStringLiteral("_up.bmp"));
}

QString buttonFacePath(QStringView button, bool pressed) {
    return QStringLiteral(":/assets/buttons/") + buttonFaceFile(button, pressed);
}

}  // namespace rabuscal::assets
