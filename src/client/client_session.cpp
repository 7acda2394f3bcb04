// SPDX-License-Identifier: GPL-3.0-or-later
#include "client/client_session.h"

#include <utility>

#include "client/texts.h"
#include "protocol/framing.h"

namespace rabuscal::client {

void ClientSession::send(protocol::Command command, std::string_view payload) {
    if (!link.active()) return;
    link.send(protocol::compose(command, payload));
}

void ClientSession::setStatus(std::string_view text) {
    text = text.substr(0, texts::kMaximumShownStatus);
    if (inPass_) return status_.emplace(text), void();
    view.showStatus(text);
}

void ClientSession::setJoined(bool value) {
    joined = value;
    if (inPass_) return joined_.emplace(value), void();
    view.showJoined(value);
}

void ClientSession::setJoinCaption(std::string_view caption) {
    if (inPass_) return joinCaption_.emplace(caption), void();
    view.showJoinCaption(caption);
}

void ClientSession::setPoints(std::string_view points) {
    pontos.assign(points);
    if (inPass_) return pointsChanged_ = true, void();
    view.showPoints(std::string_view(pontos).substr(0, texts::kMaximumShownPoints));
}

void ClientSession::setPlayerList(std::vector<std::string> lines) {
    lista = std::move(lines);
    if (inPass_) return listChanged_ = true, void();
    view.showPlayerList(lista);
}

void ClientSession::setLamp(Lamp value) {
    if (value == lamp && inPass_) return;
    lamp = value;
    view.showLamp(value);
}

void ClientSession::setDrawerControls(bool shown) {
    drawerControlsShown = shown;
    if (inPass_) return drawerControls_.emplace(shown), void();
    view.showDrawerControls(shown);
}

void ClientSession::setPage(Page page) {
    if (inPass_) return page_.emplace(page), void();
    view.showPage(page);
}

void ClientSession::endPass() {
    inPass_ = false;
    if (joined_) view.showJoined(*std::exchange(joined_, {}));
    if (joinCaption_) view.showJoinCaption(*std::exchange(joinCaption_, {}));
    if (std::exchange(pointsChanged_, false))
        view.showPoints(std::string_view(pontos).substr(0, texts::kMaximumShownPoints));
    if (std::exchange(listChanged_, false)) view.showPlayerList(lista);
    if (drawerControls_) view.showDrawerControls(*std::exchange(drawerControls_, {}));
    if (page_) view.showPage(*std::exchange(page_, {}));
    if (status_) view.showStatus(*std::exchange(status_, {}));
}

}  // namespace rabuscal::client
