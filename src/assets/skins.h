#pragma once

#include <QImage>

// Each window's background picture, 256 colours with magenta outside its outline.
namespace rabuscal::assets {

QImage drawMainWindowSkin();     // skin_form1.bmp
QImage drawChatWindowSkin();     // skin_form2.bmp
QImage drawServerWindowSkin();   // skin_form3.bmp
QImage drawBrowserWindowSkin();  // skin_fweb.bmp

// Button faces, 42 x 20: set 1 green, set 2 beige; pressed looks pushed in.
QImage drawButtonFace(int set, bool pressed);

// The board's first picture: the title and three sample sketches.
QImage drawWelcomePicture();

}  // namespace rabuscal::assets
