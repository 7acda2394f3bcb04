#include "ui/look.h"

namespace look {

namespace {

QFont pixelFont(const QString& family, int pixelSize, bool bold) {
    QFont font(family);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

}  // namespace

QFont arial(int pixelSize, bool bold, bool underline) {
    QFont font = pixelFont(QStringLiteral("Liberation Sans"), pixelSize, bold);
    font.setUnderline(underline);
    return font;
}

QFont courierNew(int pixelSize, bool bold) {
    QFont font = pixelFont(QStringLiteral("Liberation Mono"), pixelSize, bold);
    font.setStyleHint(QFont::TypeWriter);
    return font;
}

}  // namespace look
