// A small X client for the smoke test: clicks a screen position through the
// XTest extension, as a player's mouse would, and saves part of the screen
// as a PNG picture.
//
//   rabuscal-x-tool click X Y
//   rabuscal-x-tool shot FILE X Y WIDTH HEIGHT
// Qt before Xlib: Xlib's macros (Status, CursorShape) break Qt's headers.
#include <QImage>
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xutil.h>
// clang-format on
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

// XTest is loaded at run time so that only its shared library, which the X
// utilities bring along, is needed, not its headers.
using FakeMotion = int (*)(Display*, int, int, int, unsigned long);
using FakeButton = int (*)(Display*, unsigned int, Bool, unsigned long);

int click(Display* display, int x, int y) {
    void* xtest = dlopen("libXtst.so.6", RTLD_NOW);
    if (xtest == nullptr) {
        std::fprintf(stderr, "no XTest library: %s\n", dlerror());
        return 2;
    }
    auto fakeMotion = reinterpret_cast<FakeMotion>(dlsym(xtest, "XTestFakeMotionEvent"));
    auto fakeButton = reinterpret_cast<FakeButton>(dlsym(xtest, "XTestFakeButtonEvent"));
    if (fakeMotion == nullptr || fakeButton == nullptr) return 2;
    fakeMotion(display, -1, x, y, 0);
    XSync(display, False);
    fakeButton(display, 1, True, 50);
    fakeButton(display, 1, False, 50);
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
        result = click(display, std::atoi(argv[2]), std::atoi(argv[3]));
    else if (argc == 7 && std::strcmp(argv[1], "shot") == 0)
        result = shot(display, argv[2], std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]),
                      std::atoi(argv[6]));
    else
        std::fprintf(stderr, "usage: %s click X Y | shot FILE X Y WIDTH HEIGHT\n", argv[0]);
    XCloseDisplay(display);
    return result;
}
