// SPDX-License-Identifier: GPL-3.0-or-later
#include "client/round_controls.h"

#include "client/texts.h"
#include "protocol/framing.h"
#include "protocol/payloads.h"

namespace rabuscal::client {

using protocol::Command;

void RoundControls::btDesMouseDown() {
    session_.setPage(Page::Desenho);
}

void RoundControls::btOkpMouseUp(std::string_view secret) {
    if (!session_.isDrawer()) return session_.setStatus(texts::kNotDrawerToStart);
    if (secret.empty()) return session_.setStatus(texts::kNoPhrase);
    if (session_.roundRunning()) return session_.setStatus(texts::kRoundRunning);
    session_.setPage(Page::Default);
    session_.send(Command::Ini, protocol::defuseSeparator(std::string(secret)));
    // Laid whether or not anything was sent: without a connection the picture
    // stays; with one, the server's "cls" clears it right afterwards.
    board_.layGalleryPicture();
}

void RoundControls::btTrocMouseDown(std::optional<std::string_view> selectedLine) {
    if (!session_.isDrawer()) return session_.setStatus(texts::kNotAllowed);
    if (!selectedLine) return session_.setStatus(texts::kSelectPlayer);
    const std::string_view chosen = protocol::entryNick(*selectedLine);
    if (chosen == session_.nick) return;  // the drawer's own line
    session_.send(Command::Mdv, protocol::defuseSeparator(std::string(chosen)));
}

void RoundControls::btTermMouseDown() {
    if (!session_.link.active()) return;
    if (!session_.isDrawer()) return session_.setStatus(texts::kNotAllowed);
    session_.send(Command::Pts, "0");
}

}  // namespace rabuscal::client
