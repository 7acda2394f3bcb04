// SPDX-License-Identifier: GPL-3.0-or-later
#include "client/client_session.h"

#include "client/texts.h"
#include "protocol/framing.h"

namespace rabuscal::client {

void ClientSession::send(protocol::Command command, std::string_view payload) {
    if (!link.active()) return;
    link.send(protocol::compose(command, payload));
}

void ClientSession::setStatus(std::string_view text) {
    view.showStatus(text.substr(0, texts::kMaximumShownStatus));
}

void ClientSession::setJoined(bool value) {
    joined = value;
    view.showJoined(value);
}

void ClientSession::setPoints(std::string_view points) {
    pontos.assign(points);
    view.showPoints(points.substr(0, texts::kMaximumShownPoints));
}

void ClientSession::setPlayerList(std::vector<std::string> lines) {
    lista = std::move(lines);
    view.showPlayerList(lista);
}

void ClientSession::setLamp(Lamp value) {
    lamp = value;
    view.showLamp(value);
}

void ClientSession::setDrawerControls(bool shown) {
    drawerControlsShown = shown;
    view.showDrawerControls(shown);
}

}  // namespace rabuscal::client
