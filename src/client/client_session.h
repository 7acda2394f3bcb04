// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The client's state, shared by the dispatcher, the board, the round controls
// and the chat input, with the view it is shown on and the link it sends on.
// Every change of a shown value goes through here so that the view follows.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "client/client_view.h"
#include "client/game_link.h"
#include "protocol/commands.h"

namespace rabuscal::client {

struct ClientSession {
    // `drawerNick` is the program-wide DrawerNick: the game server of the same
    // process writes the very same variable.
    ClientSession(std::string& drawerNick, ClientView& view, GameLink& link)
        : drawerNick(drawerNick), view(view), link(link) {}

    std::string& drawerNick;  // `DrawerNick`; the client never clears it
    ClientView& view;
    GameLink& link;

    std::string nick;  // text of `Nick`, kept current by the widget
    bool joined = false;
    std::string pontos{"0"};         // `Pontos`, as received
    std::vector<std::string> lista;  // `Lista`, drawer first
    Lamp lamp = Lamp::Maroon;        // `Shp3`
    bool drawerControlsShown = true;

    // The application's general error report (a number from the network that
    // does not parse, and the like). May be empty.
    std::function<void(std::string_view text)> reportError;

    // This copy draws when DrawerNick is not empty and equals the nick exactly.
    bool isDrawer() const { return !drawerNick.empty() && drawerNick == nick; }
    bool roundRunning() const { return pontos != "0"; }

    // "$-$" + command + ":" + payload, in one send. Typed text must already be
    // defused (protocol::defuseSeparator) by the caller.
    void send(protocol::Command command, std::string_view payload = {});

    void setStatus(std::string_view text);
    void setJoined(bool value);
    void setJoinCaption(std::string_view caption);
    void setPoints(std::string_view points);
    void setPlayerList(std::vector<std::string> lines);
    void setLamp(Lamp value);
    void setDrawerControls(bool shown);
    void setPage(Page page);

    // While a pass of received messages is handled, the state changes at once
    // but the view shows only the last status, points, list, page... of the
    // pass, at endPass(): a flood of messages costs one repaint per pass.
    void beginPass() { inPass_ = true; }
    void endPass();

  private:
    bool inPass_ = false;
    std::optional<std::string> status_, joinCaption_;
    std::optional<bool> joined_, drawerControls_;
    bool pointsChanged_ = false, listChanged_ = false;
    std::optional<Page> page_;
};

}  // namespace rabuscal::client
