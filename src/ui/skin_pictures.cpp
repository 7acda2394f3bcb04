// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/skin_pictures.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPolygon>

#include "ui/look.h"
#include "ui/skin_region.h"

namespace rabuscal {

namespace {

QImage loadExact(const QString& resource, QSize size) {
    QImage picture(resource);
    if (picture.size() != size) return {};
    return picture;
}

QImage plainSkin(QSize size) {
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(look::kWindowColour);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromRgb(kSkinTransparent));
    const int w = size.width(), h = size.height(), c = 12;
    painter.drawPolygon(QPolygon({{0, 0}, {c, 0}, {0, c}}));
    painter.drawPolygon(QPolygon({{w, 0}, {w - c, 0}, {w, c}}));
    painter.drawPolygon(QPolygon({{0, h}, {c, h}, {0, h - c}}));
    painter.drawPolygon(QPolygon({{w, h}, {w - c, h}, {w, h - c}}));
    return picture;
}

}  // namespace

QImage loadSkinPicture(const QString& resource, QSize size) {
    QImage picture = loadExact(resource, size);
    return picture.isNull() ? plainSkin(size) : picture;
}

QImage loadPlainPicture(const QString& resource, QSize size, const QColor& fallbackColour) {
    QImage picture = loadExact(resource, size);
    if (!picture.isNull()) return picture;
    picture = QImage(size, QImage::Format_RGB32);
    picture.fill(fallbackColour);
    return picture;
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
