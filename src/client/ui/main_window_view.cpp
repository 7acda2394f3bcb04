// SPDX-License-Identifier: GPL-3.0-or-later
#include "client/ui/main_window_view.h"

#include <QStringList>

#include "client/ui/board_view.h"
#include "client/ui/chat_window.h"
#include "client/ui/lobby_page.h"
#include "client/ui/player_panel.h"
#include "ui/main_frame.h"
#include "wire_text/text_codec.h"

namespace rabuscal::client {

MainWindowView::MainWindowView(MainFrame& frame, PlayerPanel& panel, BoardView& board,
                               LobbyPage& lobby)
    : frame_(frame), panel_(panel), board_(board), lobby_(lobby) {}

void MainWindowView::showStatus(std::string_view text) {
    frame_.setStatus(fromWire(text));
}

// The nick cannot change while the server knows this copy by it.
void MainWindowView::showJoined(bool joined) {
    lobby_.Nick->setEnabled(!joined);
}

void MainWindowView::showJoinCaption(std::string_view caption) {
    lobby_.Lb4->setText(fromWire(caption));
}

void MainWindowView::showPoints(std::string_view points) {
    panel_.Pontos->setText(fromWire(points));
}

void MainWindowView::showPlayerList(const std::vector<std::string>& lines) {
    QStringList items;
    items.reserve(static_cast<qsizetype>(lines.size()));
    for (const std::string& line : lines) items.append(fromWire(line));
    panel_.Lista->clear();
    panel_.Lista->addItems(items);
    // A choice made on the old list means nothing on the new one.
    panel_.Lista->clearSelection();
    panel_.Lista->setCurrentRow(-1);
}

void MainWindowView::showDrawerControls(bool visible) {
    for (QWidget* control :
         {static_cast<QWidget*>(panel_.btDes), static_cast<QWidget*>(panel_.lbDes),
          static_cast<QWidget*>(panel_.btFnd), static_cast<QWidget*>(panel_.lbFnd),
          static_cast<QWidget*>(panel_.btCls), static_cast<QWidget*>(panel_.lbCls)})
        control->setVisible(visible);
}

void MainWindowView::showLamp(Lamp lamp) {
    switch (lamp) {
        case Lamp::Maroon:
            return lobby_.Shp3->setColour(rabuscal::Lamp::kMaroon);
        case Lamp::Red:
            return lobby_.Shp3->setColour(rabuscal::Lamp::kRed);
        case Lamp::Lime:
            return lobby_.Shp3->setColour(rabuscal::Lamp::kLime);
    }
}

void MainWindowView::showPage(Page page) {
    frame_.selectPage(page == Page::Desenho ? MainFrame::Page::Desenho : MainFrame::Page::Default);
}

void MainWindowView::showBackgroundCaption(std::string_view caption) {
    panel_.lbFnd->setText(fromWire(caption));
}

void MainWindowView::setBoardCursor(BoardCursor cursor) {
    board_.showDragCursor(cursor == BoardCursor::Drag);
}

void MainWindowView::boardChanged(const QRect& area) {
    board_.Tela->update(area);
}

void MainWindowView::addChatEntries(const std::vector<ChatEntry>& entries) {
    if (chat_) chat_->addChatEntries(entries);
}

}  // namespace rabuscal::client
