// SPDX-License-Identifier: GPL-3.0-or-later
// A small X client for the smoke test: clicks a screen position and types
// text through the XTest extension, as a player's mouse and keyboard would,
// and saves part of the screen as a PNG picture.
//
//   rabuscal-x-tool click X Y
//   rabuscal-x-tool dclick X Y
//   rabuscal-x-tool type TEXT        (Latin-1 letters, digits and blanks)
//   rabuscal-x-tool key NAME         (one key by its X name: Return, Tab...)
//   rabuscal-x-tool drag X1 Y1 X2 Y2 [X Y]...   (held left button along the points)
//   rabuscal-x-tool shot FILE X Y WIDTH HEIGHT
// Qt before Xlib: Xlib's macros (Status, CursorShape) break Qt's headers.
#include <QImage>
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/XKBlib.h>
#include <X11/keysym.h>
// clang-format on
#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// XTest is loaded at run time so that only its shared library, which the X
// utilities bring along, is needed, not its headers.
using FakeMotion = int (*)(Display*, int, int, int, unsigned long);
using FakeButton = int (*)(Display*, unsigned int, Bool, unsigned long);
using FakeKey = int (*)(Display*, unsigned int, Bool, unsigned long);

void* xtestSymbol(const char* name) {
    static void* xtest = dlopen("libXtst.so.6", RTLD_NOW);
    if (xtest == nullptr) {
        std::fprintf(stderr, "no XTest library: %s\n", dlerror());
        return nullptr;
    }
    return dlsym(xtest, name);
}

int click(Display* display, int x, int y, int times) {
    auto fakeMotion = reinterpret_cast<FakeMotion>(xtestSymbol("XTestFakeMotionEvent"));
    auto fakeButton = reinterpret_cast<FakeButton>(xtestSymbol("XTestFakeButtonEvent"));
    if (fakeMotion == nullptr || fakeButton == nullptr) return 2;
    fakeMotion(display, -1, x, y, 0);
    XSync(display, False);
    for (int i = 0; i < times; ++i) {
        fakeButton(display, 1, True, 50);
        fakeButton(display, 1, False, 50);
    }
    XSync(display, False);
    return 0;
}

// Presses the left button at the first point, moves through the others in
// small steps, as a hand does, and releases it at the last.
int drag(Display* display, const int* xy, int points) {
    auto fakeMotion = reinterpret_cast<FakeMotion>(xtestSymbol("XTestFakeMotionEvent"));
    auto fakeButton = reinterpret_cast<FakeButton>(xtestSymbol("XTestFakeButtonEvent"));
    if (fakeMotion == nullptr || fakeButton == nullptr) return 2;
    fakeMotion(display, -1, xy[0], xy[1], 0);
    fakeButton(display, 1, True, 20);
    for (int i = 1; i < points; ++i) {
        const int x0 = xy[2 * i - 2], y0 = xy[2 * i - 1], x1 = xy[2 * i], y1 = xy[2 * i + 1];
        const int steps = std::max(1, std::max(std::abs(x1 - x0), std::abs(y1 - y0)) / 4);
        for (int s = 1; s <= steps; ++s)
            fakeMotion(display, -1, x0 + (x1 - x0) * s / steps, y0 + (y1 - y0) * s / steps, 8);
    }
    fakeButton(display, 1, False, 20);
    XSync(display, False);
    return 0;
}

// Types each character by its key, with Shift where the keyboard map puts
// the character on the shifted level.
int type(Display* display, const char* text) {
    auto fakeKey = reinterpret_cast<FakeKey>(xtestSymbol("XTestFakeKeyEvent"));
    if (fakeKey == nullptr) return 2;
    const KeyCode shift = XKeysymToKeycode(display, XK_Shift_L);
    for (const char* c = text; *c != '\0'; ++c) {
        const KeySym symbol = static_cast<unsigned char>(*c) == ' '
                                  ? XK_space
                                  : static_cast<KeySym>(static_cast<unsigned char>(*c));
        const KeyCode key = XKeysymToKeycode(display, symbol);
        if (key == 0) return 2;
        const bool shifted = XkbKeycodeToKeysym(display, key, 0, 0) != symbol;
        if (shifted) fakeKey(display, shift, True, 20);
        fakeKey(display, key, True, 20);
        fakeKey(display, key, False, 20);
        if (shifted) fakeKey(display, shift, False, 20);
    }
    XSync(display, False);
    return 0;
}

int key(Display* display, const char* name) {
    auto fakeKey = reinterpret_cast<FakeKey>(xtestSymbol("XTestFakeKeyEvent"));
    if (fakeKey == nullptr) return 2;
    const KeyCode code = XKeysymToKeycode(display, XStringToKeysym(name));
    if (code == 0) return 2;
    fakeKey(display, code, True, 20);
    fakeKey(display, code, False, 20);
    XSync(display, False);
    return 0;
}

int shot(Display* display, const char* file, int x, int y, int width, int height) {
    XImage* pixels =
        XGetImage(display, DefaultRootWindow(display), x, y, width, height, AllPlanes, ZPixmap);
    if (pixels == nullptr) return 2;
    QImage picture(width, height, QImage::Format_RGB32);
    for (int row = 0; row < height; ++row)
        for (int column = 0; column < width; ++column) {
            const unsigned long pixel = XGetPixel(pixels, column, row);
            picture.setPixel(column, row,
                             qRgb((pixel & pixels->red_mask) >> 16,
                                  (pixel & pixels->green_mask) >> 8, pixel & pixels->blue_mask));
        }
    XDestroyImage(pixels);
    return picture.save(file, "PNG") ? 0 : 2;
}

}  // namespace

int main(int argc, char** argv) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "cannot open the X display\n");
        return 2;
    }
    int result = 1;
    if (argc == 4 && std::strcmp(argv[1], "click") == 0)
        result = click(display, std::atoi(argv[2]), std::atoi(argv[3]), 1);
    else if (argc == 4 && std::strcmp(argv[1], "dclick") == 0)
        result = click(display, std::atoi(argv[2]), std::atoi(argv[3]), 2);
    else if (argc == 3 && std::strcmp(argv[1], "type") == 0)
        result = type(display, argv[2]);
    else if (argc >= 6 && argc % 2 == 0 && std::strcmp(argv[1], "drag") == 0) {
        std::vector<int> xy;
        for (int i = 2; i < argc; ++i) xy.push_back(std::atoi(argv[i]));
        result = drag(display, xy.data(), int(xy.size() / 2));
    } else if (argc == 3 && std::strcmp(argv[1], "key") == 0)
        result = key(display, argv[2]);
    else if (argc == 7 && std::strcmp(argv[1], "shot") == 0)
        result = shot(display, argv[2], std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]),
                      std::atoi(argv[6]));
    else
        std::fprintf(stderr,
                     "usage: %s click X Y | dclick X Y | type TEXT | key NAME | shot FILE X Y "
                     "WIDTH HEIGHT\n",
                     argv[0]);
    XCloseDisplay(display);
    return result;
}
