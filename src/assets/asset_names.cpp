// SPDX-License-Identifier: GPL-3.0-or-later
#include "assets/asset_names.h"

#include <QImageReader>
#include <string_view>

#include "assets/window_layout.h"

namespace rabuscal::assets {

namespace {
constexpr bool inPictureFolder(std::string_view picture) {
    return picture.starts_with(kPictureFolder);
}
}  // namespace

// pictureFile() and buttonFacePath() rely on every name lying in the folder.
static_assert(inPictureFolder(kSkinForm1) && inPictureFolder(kSkinForm2) &&
              inPictureFolder(kSkinForm3) && inPictureFolder(kSkinFWeb) &&
              inPictureFolder(kButtonUp1) && inPictureFolder(kButtonDown1) &&
              inPictureFolder(kButtonUp2) && inPictureFolder(kButtonDown2) &&
              inPictureFolder(kWelcome));

QString pictureFile(const char* picture) {
    return QString::fromLatin1(picture).mid(int(sizeof kPictureFolder) - 1);
}

std::vector<Picture> allPictures() {
    std::vector<Picture> pictures;
    for (const SkinLayout* skin : kAllSkins) pictures.push_back({skin->picture, skin->size});
    for (const char* face : {kButtonUp1, kButtonDown1, kButtonUp2, kButtonDown2})
        pictures.push_back({face, kButtonSize});
    for (const ImageButtonFaces& button : kImageButtons)
        for (const bool pressed : {false, true})
            pictures.push_back(
                {buttonFacePath(QString::fromLatin1(button.button), pressed), kButtonSize});
    pictures.push_back({kWelcome, kBoardSize});
    return pictures;
}

QStringList missingPictures(const std::vector<Picture>& pictures) {
    QStringList missing;
    for (const Picture& picture : pictures) {
        QImageReader reader(picture.path);
        const QSize size = reader.size();
        if (!reader.canRead() || !size.isValid())
            missing << QStringLiteral("%1 is missing").arg(picture.path);
        else if (size != picture.size)
            missing << QStringLiteral("%1 is %2 x %3 instead of %4 x %5")
                           .arg(picture.path)
                           .arg(size.width())
                           .arg(size.height())
                           .arg(picture.size.width())
                           .arg(picture.size.height());
    }
    return missing;
}

QString buttonFaceFile(QStringView button, bool pressed) {
    return button.toString() + (pressed ? QStringLiteral("_dw.bmp") : QStringLiteral("_up.bmp"));
}

QString buttonFacePath(QStringView button, bool pressed) {
    return QLatin1String(kPictureFolder) + QStringLiteral("buttons/") +
           buttonFaceFile(button, pressed);
}

}  // namespace rabuscal::assets
