// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A game client with a recording view and link: what a player would see and
// what would go out on the wire, without a window or a socket.

#include <QRect>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "client/client_view.h"
#include "client/game_client.h"
#include "client/game_link.h"

namespace rabuscal::client::testing {

struct RecordingView : ClientView {
    std::vector<std::string> statuses;
    std::optional<bool> joined;
    std::string joinCaption;
    std::string points = "0";
    std::vector<std::string> list;
    int listShown = 0;
    std::optional<bool> drawerControls;
    std::optional<Lamp> lamp;
    std::optional<Page> page;
    std::string backgroundCaption;
    std::optional<BoardCursor> cursor;
    std::vector<QRect> changes;
    std::vector<ChatEntry> chat;
    int chatBatches = 0;

    std::string status() const { return statuses.empty() ? "Status" : statuses.back(); }

    void showStatus(std::string_view t) override { statuses.emplace_back(t); }
    void showJoined(bool j) override { joined = j; }
    void showJoinCaption(std::string_view c) override { joinCaption = c; }
    void showPoints(std::string_view p) override { points = p; }
    void showPlayerList(const std::vector<std::string>& l) override {
        list = l;
        ++listShown;
    }
    void showDrawerControls(bool v) override { drawerControls = v; }
    void showLamp(Lamp l) override { lamp = l; }
    void showPage(Page p) override { page = p; }
    void showBackgroundCaption(std::string_view c) override { backgroundCaption = c; }
    void setBoardCursor(BoardCursor c) override { cursor = c; }
    void boardChanged(const QRect& area) override { changes.push_back(area); }
    void addChatEntries(const std::vector<ChatEntry>& entries) override {
        chat.insert(chat.end(), entries.begin(), entries.end());
        ++chatBatches;
    }
};

struct RecordingLink : GameLink {
    bool up = true;
    std::vector<std::string> sent;
    bool active() const override { return up; }
    void send(std::string_view m) override {
        if (up) sent.emplace_back(m);
    }
};

// One copy of the program's client side. `nick` is typed into `Nick`.
struct ClientRig {
    std::string drawerNick;
    RecordingView view;
    RecordingLink link;
    GameClient client{drawerNick, view, link};
    std::vector<std::string> errors;

    explicit ClientRig(std::string_view nick = "ana") {
        client.setNick(nick);
        client.setErrorReporter([this](std::string_view e) { errors.emplace_back(e); });
    }

    // Each message behind its separator, all in one chunk, and then a quiet
    // stream.
    void receive(std::initializer_list<std::string_view> messages) {
        std::string chunk;
        for (std::string_view m : messages) chunk.append("$-$").append(m);
        client.CliRead(chunk);
        client.CliQuiet();
    }
    void join() { receive({"onj:"}); }
    // Joined, this copy the drawer, with `points` at stake.
    void joinAsDrawer(std::string_view points = "100") {
        receive({"onj:", std::string("mdv:") + client.session().nick,
                 std::string("pts:") + std::string(points)});
    }
    Board& board() { return client.board(); }
    std::int32_t pixel(int x, int y) const { return client.board().tela().pixel(x, y); }
    std::vector<std::string> takeSent() { return std::exchange(link.sent, {}); }
};

}  // namespace rabuscal::client::testing
