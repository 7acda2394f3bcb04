// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QString>

#include "assets/window_layout.h"

namespace rabuscal {

// The pictures compiled into the program (assets/asset_names.h). The game
// refuses to start when one is missing or of the wrong size
// (checkPicturesAtStart), so a window always gets its own; a picture
// that is still missing here ends the program with its name rather than
// show a window without its size or outline.
QImage loadSkinPicture(const assets::SkinLayout& window);
QImage loadPicture(const char* picture, QSize size);

// Checks every picture of the game. When some are missing, says which on
// standard error and in a message box, and returns false: the program then
// ends with a non-zero status instead of showing windows without their
// pictures. Needs a QApplication.
bool checkPicturesAtStart();

// The picture as a pixmap for the screen's whole-number scale factor, its
// pixels repeated rather than smoothed (labels smooth pixmaps they scale).
// Its deviceIndependentSize() is the picture's size.
QPixmap crispPixmap(const QImage& picture);

}  // namespace rabuscal
