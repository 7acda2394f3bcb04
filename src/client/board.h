// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The drawing board `Tela` and the drawer's `StrokeLayer`.
//
// Every board, the drawer's too, draws strokes and pixel blocks only from the
// messages the server relays back ("mdw", "mov", "blc", "cls"). The drawer's
// own copy also draws each stroke at once into `StrokeLayer`, which holds the
// drawing without any background and restores the board when the background
// is switched off.
//
// Drawing costs points: the drawer counts the points at stake in hundredths
// from the press, five less per move, and reports them with "pts:" at the
// release.

#include <QImage>
#include <QRect>
#include <cstdint>
#include <functional>
#include <string_view>

#include "assets/board_size.h"
#include "client/canvas.h"
#include "client/client_session.h"

namespace rabuscal::client {

class Board {
  public:
    static constexpr int kWidth = assets::kBoardWidth;
    static constexpr int kHeight = assets::kBoardHeight;
    // What an empty gallery picture becomes: white, of the preview's size.
    static constexpr int kGalleryWidth = assets::kPreviewWidth;
    static constexpr int kGalleryHeight = assets::kPreviewHeight;

    explicit Board(ClientSession& session);

    const Canvas& tela() const { return tela_; }
    const Canvas& strokeLayer() const { return strokeLayer_; }

    // Opens a page of the web site (relative path) in the browser window, in
    // front. Called once, at the first press on the board. May be empty.
    void setWebPageOpener(std::function<void(std::string_view path)> open) {
        openWebPage_ = std::move(open);
    }
    // The gallery picture (the preview `BufImg`): the drawer's template.
    void setGalleryPicture(const QImage& picture) { gallery_ = picture; }
    // Null until the drawer picks one or the board first uses it; from then on
    // a white picture of the preview's size when nothing was picked.
    const QImage& galleryPicture() const { return gallery_; }

    // When the main window is created: the welcome picture on the board (a
    // null picture leaves it white), `StrokeLayer` white.
    void setUp(const QImage& welcome);

    // Pointer events on the board, with the Shift state and the position in
    // board pixels (outside the board while a button pressed on it is held).
    void TelaMouseDown(bool shift, int x, int y);
    void TelaMouseMove(bool shift, int x, int y);
    void TelaMouseUp(bool shift, int x, int y);

    // The background toggle and the clear button (both act on press).
    void btFndMouseDown();
    void btClsMouseDown();

    // Round start: the gallery picture replaces the board's content.
    void layGalleryPicture();

    // Replays of received messages. A number that does not read throws
    // protocol::BadNumber; pixels already set stay set.
    void replayMdw(std::string_view payload);
    void replayMov(std::string_view payload);
    void replayBlc(std::string_view payload);
    // Clears the board before the next replayed stroke or flushChanges(), so
    // that a run of clears costs one.
    void replayCls();

    // The area changed since the last call, and tell the view about it.
    void flushChanges();

    bool Stroking() const { return stroking_; }
    bool BackgroundShown() const { return backgroundShown_; }

  private:
    void changed(const QRect& area) { changed_ |= area; }
    void applyPendingClear();
    void setCursorFor(bool shift);
    const QImage& galleryOrWhite();
    void sendBlock(int x, int y);

    ClientSession& session_;
    Canvas tela_{kWidth, kHeight};
    Canvas strokeLayer_{kWidth, kHeight};
    QImage gallery_;
    std::function<void(std::string_view)> openWebPage_;
    QRect changed_;

    bool clearPending_ = false;
    bool stroking_ = false;
    std::int64_t stakeHundredths_ = 0;  // wide: `Pontos` may hold any 32-bit value
    bool backgroundShown_ = false;
    bool instructionsPending_ = true;
};

}  // namespace rabuscal::client
