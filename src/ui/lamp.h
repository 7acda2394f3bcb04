// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QWidget>

namespace rabuscal {

// A small status lamp of one colour: a circle (connection lamps) or a
// rectangle (the browser's download lamp).
class Lamp : public QWidget {
    Q_OBJECT
  public:
    enum class Shape { Circle, Rectangle };

    Lamp(Shape shape, const QString& name, QWidget* parent, QRect place,
         const QColor& colour = kMaroon);

    QColor colour() const { return colour_; }
    void setColour(const QColor& colour);

    static inline const QColor kMaroon{128, 0, 0};
    static inline const QColor kRed{255, 0, 0};
    static inline const QColor kLime{0, 255, 0};

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    Shape shape_;
    QColor colour_;
};

}  // namespace rabuscal
