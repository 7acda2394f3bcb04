// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QImage>
#include <string_view>

// Each window's background picture, 256 colours with magenta outside its outline.
namespace rabuscal::assets {

class SketchCanvas;

QImage drawMainWindowSkin();     // skin_form1.bmp
QImage drawChatWindowSkin();     // skin_form2.bmp
QImage drawServerWindowSkin();   // skin_form3.bmp
QImage drawBrowserWindowSkin();  // skin_fweb.bmp

// Button faces, 42 x 20: set 1 green, set 2 beige; pressed looks pushed in.
// With the name of a button, the face carries that button's symbol.
QImage drawButtonFace(int set, bool pressed, std::string_view button = {});

// Draws a button's symbol on its face; false for a name without a symbol.
bool drawButtonSymbol(SketchCanvas& canvas, std::string_view button, const QColor& ink,
                      const QColor& wash);

// The board's first picture: the title and three sample sketches.
QImage drawWelcomePicture();

}  // namespace rabuscal::assets
