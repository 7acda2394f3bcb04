// SPDX-License-Identifier: GPL-3.0-or-later
#include "client/canvas.h"

#include <algorithm>
#include <limits>

namespace rabuscal::client {

namespace {

constexpr QRgb kInk = 0xFF000000u;    // black
constexpr QRgb kPaper = 0xFFFFFFFFu;  // white

QRgb fromValue(std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    return qRgb(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
}

std::int32_t toValue(QRgb pixel) {
    return qBlue(pixel) << 16 | qGreen(pixel) << 8 | qRed(pixel);
}

}  // namespace

QImage toBoardFormat(const QImage& picture) {
    return picture.format() == QImage::Format_RGB32 ? picture
                                                    : picture.convertToFormat(QImage::Format_RGB32);
}

Canvas::Canvas(int width, int height) : image_(width, height, QImage::Format_RGB32) {
    image_.fill(kPaper);
}

void Canvas::moveTo(std::int32_t x, std::int32_t y) {
    penX_ = x;
    penY_ = y;
}

void Canvas::stamp(std::int64_t x, std::int64_t y, QRgb* bits, std::int64_t& left,
                   std::int64_t& top, std::int64_t& right, std::int64_t& bottom) {
    const std::int64_t w = image_.width(), h = image_.height();
    if (x < -1 || x > w || y < -1 || y > h) return;
    if (x >= 1 && x < w - 1 && y >= 1 && y < h - 1) {
        QRgb* centre = bits + y * w + x;
        centre[0] = centre[-1] = centre[1] = centre[-w] = centre[w] = kInk;
    } else {
        // The round 3-pixel dot: the centre and its four neighbours.
        static constexpr int kDot[5][2] = {{0, 0}, {-1, 0}, {1, 0}, {0, -1}, {0, 1}};
        for (const auto& d : kDot) {
            const std::int64_t px = x + d[0], py = y + d[1];
            if (px >= 0 && px < w && py >= 0 && py < h) bits[py * w + px] = kInk;
        }
    }
    left = std::min(left, x - 1);
    right = std::max(right, x + 1);
    top = std::min(top, y - 1);
    bottom = std::max(bottom, y + 1);
}

QRect Canvas::lineTo(std::int32_t x, std::int32_t y) {
    const std::int64_t x0 = penX_, y0 = penY_, x1 = x, y1 = y;
    penX_ = x;
    penY_ = y;

    const std::int64_t dx = x1 - x0, dy = y1 - y0;
    const bool xMajor = (dx < 0 ? -dx : dx) >= (dy < 0 ? -dy : dy);
    // Walk along the major axis; the minor axis follows the midpoint rule.
    const std::int64_t dMajor = xMajor ? dx : dy, dMinor = xMajor ? dy : dx;
    const std::int64_t major = dMajor < 0 ? -dMajor : dMajor;
    const std::int64_t minor = dMinor < 0 ? -dMinor : dMinor;
    const int stepMajor = dMajor < 0 ? -1 : 1, stepMinor = dMinor < 0 ? -1 : 1;
    const std::int64_t startMajor = xMajor ? x0 : y0, startMinor = xMajor ? y0 : x0;
    const std::int64_t extent = xMajor ? image_.width() : image_.height();

    // Only the steps whose major coordinate is within the pen's reach of the
    // bitmap, [-1, extent], can leave ink.
    std::int64_t first, last;
    if (stepMajor > 0) {
        first = std::max<std::int64_t>(0, -1 - startMajor);
        last = std::min(major, extent - startMajor);
    } else {
        first = std::max<std::int64_t>(0, startMajor - extent);
        last = std::min(major, startMajor + 1);
    }
    if (first > last) return {};

    // Minor offset at step i: floor((2 i minor + major) / (2 major)), carried
    // from step to step as quotient and remainder.
    const std::int64_t twiceMajor = major == 0 ? 1 : 2 * major;
    const __int128 numerator = static_cast<__int128>(2 * first) * minor + major;
    std::int64_t offset = static_cast<std::int64_t>(numerator / twiceMajor);
    std::int64_t remainder = static_cast<std::int64_t>(numerator % twiceMajor);

    QRgb* bits = reinterpret_cast<QRgb*>(image_.bits());
    std::int64_t left = std::numeric_limits<std::int64_t>::max(), top = left;
    std::int64_t right = std::numeric_limits<std::int64_t>::min(), bottom = right;
    for (std::int64_t i = first; i <= last; ++i) {
        const std::int64_t a = startMajor + stepMajor * i;
        const std::int64_t b = startMinor + stepMinor * offset;
        if (xMajor)
            stamp(a, b, bits, left, top, right, bottom);
        else
            stamp(b, a, bits, left, top, right, bottom);
        remainder += 2 * minor;
        if (remainder >= twiceMajor) {
            remainder -= twiceMajor;
            ++offset;
        }
    }
    if (left > right) return {};
    // Stamps only land within one pixel of the bitmap, so these fit an int.
    const QRect touched(QPoint(static_cast<int>(left), static_cast<int>(top)),
                        QPoint(static_cast<int>(right), static_cast<int>(bottom)));
    return touched & image_.rect();
}

std::int32_t Canvas::pixel(std::int64_t x, std::int64_t y) const {
    if (x < 0 || y < 0 || x >= image_.width() || y >= image_.height()) return kOutsideValue;
    const auto* line = reinterpret_cast<const QRgb*>(image_.constScanLine(static_cast<int>(y)));
    return toValue(line[x]);
}

QRect Canvas::setPixel(std::int64_t x, std::int64_t y, std::int32_t colour) {
    if (x < 0 || y < 0 || x >= image_.width() || y >= image_.height()) return {};
    auto* line = reinterpret_cast<QRgb*>(image_.scanLine(static_cast<int>(y)));
    line[x] = fromValue(colour);
    return QRect(static_cast<int>(x), static_cast<int>(y), 1, 1);
}

QRect Canvas::fillWhite() {
    image_.fill(kPaper);
    return image_.rect();
}

QRect Canvas::copyFrom(const QImage& picture) {
    image_.fill(kPaper);
    const QImage source = toBoardFormat(picture);
    const int w = std::min(width(), source.width()), h = std::min(height(), source.height());
    for (int row = 0; row < h; ++row)
        std::copy_n(reinterpret_cast<const QRgb*>(source.constScanLine(row)), w,
                    reinterpret_cast<QRgb*>(image_.scanLine(row)));
    return image_.rect();
}

QRect Canvas::andWith(const QImage& picture) {
    const QImage source = toBoardFormat(picture);
    const int w = std::min(width(), source.width()), h = std::min(height(), source.height());
    for (int row = 0; row < h; ++row) {
        const auto* from = reinterpret_cast<const QRgb*>(source.constScanLine(row));
        auto* to = reinterpret_cast<QRgb*>(image_.scanLine(row));
        for (int col = 0; col < w; ++col) to[col] &= from[col] | 0xFF000000u;
    }
    return QRect(0, 0, w, h);
}

}  // namespace rabuscal::client
