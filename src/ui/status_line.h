// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>

namespace rabuscal {

// One short text at a time; every write replaces the last, and nothing clears
// it by itself. Windows use it to report outcomes ("> Jogo conectado.").
// A text too long for the line is shown cut with "..." at its end, and whole
// in the line's tool tip; text() always holds it whole.
class StatusLine : public QLabel {
    Q_OBJECT
  public:
    StatusLine(const QString& name, QWidget* parent, QRect place, const QFont& font,
               const QColor& textColour, const QColor& background, const QString& initial);

    // The text as the line shows it.
    QString shownText() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace rabuscal
