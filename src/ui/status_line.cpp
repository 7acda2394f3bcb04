#include "ui/status_line.h"

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
