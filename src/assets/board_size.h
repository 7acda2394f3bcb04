// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The board `Tela`: 450 x 264 pixels, the size of every board, of the
// notebook pages that show it, of the welcome picture and of a full-size
// template. Stroke points on the wire are in its pixels. Plain C++, so that
// the client's rules read it without the window layout.
namespace rabuscal::assets {

inline constexpr int kBoardWidth = 450;
inline constexpr int kBoardHeight = 264;

// The gallery's preview of a template (`BufImg`): the board at half size.
inline constexpr int kPreviewWidth = kBoardWidth / 2;
inline constexpr int kPreviewHeight = kBoardHeight / 2;

}  // namespace rabuscal::assets
