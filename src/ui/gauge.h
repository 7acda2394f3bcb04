// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QWidget>

namespace rabuscal {

// A progress bar without text: the filled part in one colour, the rest in
// another. The position is kept within 0..maximum whatever is reported, so a
// server that announces a wrong length cannot draw outside the bar.
class Gauge : public QWidget {
    Q_OBJECT
  public:
    Gauge(const QString& name, QWidget* parent, QRect place, const QColor& filled,
          const QColor& empty);

    qint64 maximum() const { return maximum_; }
    qint64 position() const { return position_; }
    void setMaximum(qint64 maximum);
    void setPosition(qint64 position);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QColor filled_;
    QColor empty_;
    qint64 maximum_ = 100;
    qint64 position_ = 0;
};

}  // namespace rabuscal
