// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A bitmap with the board's one pen: solid black, 3 pixels wide, round ends
// and joins, so that a line from a point to itself leaves a round dot 3 pixels
// across (the centre pixel and its four neighbours). The brush is white.
//
// Pixels live in a QImage (Format_RGB32: 8 bits of red, green and blue, the
// top byte unused). Lines are rasterised here, on the image's memory: a
// segment is the Bresenham (midpoint) path between its ends, and the pen's
// round stamp is laid on every pixel of that path. The same arithmetic runs
// on every copy, so every board comes out pixel-identical.
//
// Positions may lie far outside the bitmap (the pointer leaves the board while
// the button is held, and the wire carries any 32-bit number): drawing there
// is clipped, and a segment's cost is bounded by the bitmap's size, not by its
// length.
//
// Colour values are those of "blc" on the wire (protocol/payloads.h): blue *
// 65536 + green * 256 + red, and a position outside the bitmap reads as the
// off-board value.

#include <QImage>
#include <QRect>
#include <cstdint>

#include "protocol/payloads.h"

namespace rabuscal::client {

inline constexpr std::int32_t kWhiteValue = protocol::kWhite;
inline constexpr std::int32_t kBlackValue = 0;
inline constexpr std::int32_t kOutsideValue = protocol::kOffBoard;

class Canvas {
  public:
    // White, `width` x `height`.
    Canvas(int width, int height);

    int width() const { return image_.width(); }
    int height() const { return image_.height(); }
    QRect rect() const { return image_.rect(); }
    // Paint from this reference; a copy kept elsewhere would make every
    // drawing operation copy the whole bitmap.
    const QImage& image() const { return image_; }

    // The pen position, shared by every drawing operation.
    void moveTo(std::int32_t x, std::int32_t y);
    // A line with the pen from the pen position to (x, y); the pen moves there.
    // Returns the area that changed (empty when all of it fell outside).
    QRect lineTo(std::int32_t x, std::int32_t y);

    std::int32_t pixel(std::int64_t x, std::int64_t y) const;
    // Ignored outside the bitmap. Returns the pixel's area, or an empty one.
    QRect setPixel(std::int64_t x, std::int64_t y, std::int32_t colour);

    QRect fillWhite();
    // Replaces the whole bitmap: `picture` from the top-left corner at its own
    // size, and white wherever it does not reach.
    QRect copyFrom(const QImage& picture);
    // Bitwise AND of `picture`'s colour bits into the bitmap, from the top-left
    // corner at the picture's own size; the rest stays as it is.
    QRect andWith(const QImage& picture);

  private:
    void stamp(std::int64_t x, std::int64_t y, QRgb* bits, std::int64_t& left, std::int64_t& top,
               std::int64_t& right, std::int64_t& bottom);

    QImage image_;
    std::int32_t penX_ = 0;
    std::int32_t penY_ = 0;
};

// A picture of the given one in the bitmap's pixel format (24-bit colour).
QImage toBoardFormat(const QImage& picture);

}  // namespace rabuscal::client
