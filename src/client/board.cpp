// SPDX-License-Identifier: GPL-3.0-or-later
#include "client/board.h"

#include <string>
#include <utility>

#include "client/texts.h"
#include "protocol/framing.h"
#include "protocol/payloads.h"

namespace rabuscal::client {

using protocol::Command;

Board::Board(ClientSession& session) : session_(session) {}

void Board::setUp(const QImage& welcome) {
    changed(welcome.isNull() ? tela_.fillWhite() : tela_.copyFrom(welcome));
    strokeLayer_.fillWhite();
    flushChanges();
}

void Board::flushChanges() {
    applyPendingClear();
    if (changed_.isEmpty()) return;
    const QRect area = changed_;
    changed_ = QRect();
    session_.view.boardChanged(area);
}

void Board::setCursorFor(bool shift) {
    session_.view.setBoardCursor(shift ? BoardCursor::Drag : BoardCursor::Arrow);
}

void Board::TelaMouseDown(bool shift, int x, int y) {
    if (instructionsPending_) {
        instructionsPending_ = false;
        // A page that fails to open does not stop the press.
        try {
            if (openWebPage_) openWebPage_(texts::kInstructionsPage);
        } catch (...) {
        }
    }
    if (!session_.isDrawer()) {
        session_.setStatus(texts::kNotDrawerToDraw);
        return;
    }
    // The stake is read before anything changes, so that a `Pontos` that does
    // not hold a number leaves no half-started stroke behind.
    std::int32_t points = 0;
    if (!protocol::tryReadInt(session_.pontos, points)) {
        if (session_.reportError) session_.reportError(protocol::BadNumber(session_.pontos).what());
        return;
    }
    setCursorFor(shift);
    strokeLayer_.moveTo(x, y);
    strokeLayer_.lineTo(x, y);
    stroking_ = true;
    stakeHundredths_ = std::int64_t{points} * 100;
    if (!shift) session_.send(Command::Mdw, protocol::writePoint(x, y));
}

void Board::TelaMouseMove(bool shift, int x, int y) {
    setCursorFor(shift);
    if (!stroking_) return;
    if (stakeHundredths_ > 0) stakeHundredths_ -= 5;
    if (shift) {
        sendBlock(x, y);
    } else {
        strokeLayer_.lineTo(x, y);
        strokeLayer_.moveTo(x, y);
        session_.send(Command::Mov, protocol::writePoint(x, y));
    }
}

// The 25 pixels the drawer's board shows around (x, y), background included;
// `StrokeLayer` keeps them thresholded to black and white. The board itself
// changes only when the relayed block comes back.
void Board::sendBlock(int x, int y) {
    std::string text = protocol::writePoint(x, y);
    text.reserve(text.size() + 25 * 9 + 2);
    for (std::int64_t row = std::int64_t{y} - 2; row <= std::int64_t{y} + 2; ++row) {
        for (std::int64_t col = std::int64_t{x} - 2; col <= std::int64_t{x} + 2; ++col) {
            const std::int32_t value = tela_.pixel(col, row);
            text.append(1, '|').append(std::to_string(value));
            strokeLayer_.setPixel(col, row, value == kWhiteValue ? kWhiteValue : kBlackValue);
        }
    }
    text.append("|0");
    session_.send(Command::Blc, text);
}

void Board::TelaMouseUp(bool shift, int x, int y) {
    setCursorFor(shift);
    if (!stroking_) return;
    stroking_ = false;
    session_.send(Command::Pts, std::to_string(stakeHundredths_ / 100));
    if (!shift) session_.send(Command::Mup, protocol::writePoint(x, y));
}

const QImage& Board::galleryOrWhite() {
    if (gallery_.isNull()) {
        gallery_ = QImage(kGalleryWidth, kGalleryHeight, QImage::Format_RGB32);
        gallery_.fill(Qt::white);
    }
    return gallery_;
}

void Board::btFndMouseDown() {
    if (backgroundShown_) {
        changed(tela_.copyFrom(strokeLayer_.image()));
        session_.view.showBackgroundCaption(texts::kBackgroundHidden);
        backgroundShown_ = false;
    } else {
        session_.view.showBackgroundCaption(texts::kBackgroundShown);
        backgroundShown_ = true;
        changed(tela_.andWith(galleryOrWhite()));
    }
    flushChanges();
}

void Board::btClsMouseDown() {
    strokeLayer_.fillWhite();
    changed(tela_.fillWhite());
    backgroundShown_ = false;
    flushChanges();
    if (session_.isDrawer()) session_.send(Command::Cls);
}

void Board::layGalleryPicture() {
    changed(tela_.copyFrom(galleryOrWhite()));
    session_.setPage(Page::Default);
    flushChanges();
}

void Board::replayMdw(std::string_view payload) {
    const protocol::Point p = protocol::readPoint(payload);
    applyPendingClear();
    tela_.moveTo(p.x, p.y);
    changed(tela_.lineTo(p.x, p.y));
}

void Board::replayMov(std::string_view payload) {
    const protocol::Point p = protocol::readPoint(payload);
    applyPendingClear();
    changed(tela_.lineTo(p.x, p.y));
}

void Board::replayBlc(std::string_view payload) {
    applyPendingClear();
    protocol::FieldReader fields(payload);
    const std::int64_t x = fields.nextInt();
    const std::int64_t y = fields.nextInt();
    for (std::int64_t row = y - 2; row <= y + 2; ++row) {
        for (std::int64_t col = x - 2; col <= x + 2; ++col) {
            const std::int32_t value = fields.nextInt();
            changed(tela_.setPixel(col, row, value == kWhiteValue ? kWhiteValue : kBlackValue));
        }
    }
}

void Board::replayCls() {
    session_.setPage(Page::Default);
    clearPending_ = true;
}

void Board::applyPendingClear() {
    if (std::exchange(clearPending_, false)) changed(tela_.fillWhite());
}

}  // namespace rabuscal::client
