// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/status_line.h"

#include <QPainter>

namespace rabuscal {

StatusLine::StatusLine(const QString& name, QWidget* parent, QRect place, const QFont& font,
                       const QColor& textColour, const QColor& background, const QString& initial)
    : QLabel(initial, parent) {
    setObjectName(name);
    setGeometry(place);
    setFont(font);
    // Texts come from the network too: never let one be read as markup.
    setTextFormat(Qt::PlainText);
    setWordWrap(false);
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, textColour);
    colours.setColor(QPalette::Window, background);
    setPalette(colours);
    setAutoFillBackground(background.isValid());
}

QString StatusLine::shownText() const {
    // Only the first line of a text that holds line breaks fits the line.
    QString line = text();
    const qsizetype end = line.indexOf(QLatin1Char('\n'));
    if (end >= 0) line = line.left(end) + QStringLiteral("...");
    return fontMetrics().elidedText(line, Qt::ElideRight, contentsRect().width());
}

void StatusLine::paintEvent(QPaintEvent*) {
    const QString shown = shownText();
    // The whole text stays one hover away when it does not fit.
    const QString tip = shown == text() ? QString() : text();
    if (toolTip() != tip) setToolTip(tip);
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(contentsRect(), int(alignment()), shown);
}

}  // namespace rabuscal
