// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/look.h"

#include <QLabel>
#include <QLineEdit>

namespace rabuscal {

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

QLabel* look::caption(QWidget* parent, const QString& name, const QString& text, QRect place,
                      Qt::Alignment alignment, int pixelSize) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(place);
    label->setFont(arial(pixelSize, true));
    label->setAlignment(alignment);
    QPalette colours = label->palette();
    colours.setColor(QPalette::WindowText, kCaptionBrown);
    label->setPalette(colours);
    return label;
}

QLineEdit* look::field(QWidget* parent, const QString& name, QRect place, const QFont& font) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(name);
    field->setGeometry(place);
    field->setFrame(false);
    field->setFont(font);
    QPalette colours = field->palette();
    colours.setColor(QPalette::Base, kLightField);
    colours.setColor(QPalette::Text, kNavy);
    field->setPalette(colours);
    return field;
}

}  // namespace rabuscal
