#pragma once

#include <QLabel>

// One short text at a time; every write replaces the last, and nothing clears
// it by itself. Windows use it to report outcomes ("> Jogo conectado.").
class StatusLine : public QLabel {
    Q_OBJECT
  public:
    StatusLine(const QString& name, QWidget* parent, QRect place, const QFont& font,
               const QColor& textColour, const QColor& background, const QString& initial);
};
