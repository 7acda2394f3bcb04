// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/skin_pictures.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <cstdio>

#include "assets/asset_names.h"

namespace rabuscal {

QImage loadPicture(const char* picture, QSize size) {
    QImage image(QString::fromLatin1(picture));
    if (image.size() != size)
        qFatal("the picture %s is missing or not %d x %d", picture, size.width(), size.height());
    return image;
}

QImage loadSkinPicture(const assets::SkinLayout& window) {
    return loadPicture(window.picture, window.size);
}

bool checkPicturesAtStart() {
    const QStringList missing = assets::missingPictures(assets::allPictures());
    if (missing.isEmpty()) return true;
    const QString text =
        QStringLiteral("%1 cannot start: some of its pictures are missing or damaged.\n%2")
            .arg(QCoreApplication::applicationName(), missing.join(u'\n'));
    std::fprintf(stderr, "%s\n", qPrintable(text));
    QMessageBox::critical(nullptr, QCoreApplication::applicationName(), text);
    return false;
}

QPixmap crispPixmap(const QImage& picture) {
    const qreal ratio = qGuiApp != nullptr ? qGuiApp->devicePixelRatio() : 1.0;
    if (ratio <= 1.0 || ratio != qRound(ratio)) return QPixmap::fromImage(picture);
    QPixmap pixmap = QPixmap::fromImage(
        picture.scaled(picture.size() * ratio, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}
}  // namespace rabuscal
