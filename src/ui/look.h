// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

class QLabel;
class QLineEdit;
class QWidget;

namespace rabuscal {

// Fonts and colours shared by the windows. The windows were laid out for
// Arial and Courier New; Liberation Sans and Liberation Mono have the same
// metrics, so texts fit the places drawn for them on the skins.
namespace look {

inline const QColor kWindowColour{176, 168, 155};  // the skins' grey-beige
inline const QColor kLightField{239, 228, 213};    // edit fields and lists
inline const QColor kMaroon{128, 0, 0};
inline const QColor kRed{255, 0, 0};
inline const QColor kLime{0, 255, 0};
inline const QColor kNavy{0, 0, 128};
// Dark enough to read on the grey-beige cardboard as well as on the paper.
inline const QColor kCaptionBrown{58, 48, 36};

QFont arial(int pixelSize, bool bold = false, bool underline = false);
QFont courierNew(int pixelSize, bool bold = false);

// A caption beside a control: bold Arial in the captions' brown.
QLabel* caption(QWidget* parent, const QString& name, const QString& text, QRect place,
                Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter, int pixelSize = 11);
// A one-line edit field without a frame: navy text on the fields' light beige.
QLineEdit* field(QWidget* parent, const QString& name, QRect place, const QFont& font);

}  // namespace look

}  // namespace rabuscal
