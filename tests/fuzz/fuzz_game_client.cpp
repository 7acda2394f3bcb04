// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes the client's dispatcher of server messages: connection events and
// chunks into GameClient, with its board, player list and chat, against a
// view that checks what it is shown and a link that takes every message.
//
// Input: a series of operations, each an opcode byte and its operands:
//   0 the connection comes up     1 it goes down     2 it reports an error
//   3 <length> <bytes> a chunk from the server
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "client/client_view.h"
#include "client/game_client.h"
#include "client/game_link.h"
#include "fuzz_input.h"

namespace {

using namespace rabuscal::client;

struct CheckingView : ClientView {
    void showStatus(std::string_view) override {}
    void showJoined(bool) override {}
    void showJoinCaption(std::string_view) override {}
    void showPoints(std::string_view) override {}
    void showPlayerList(const std::vector<std::string>&) override {}
    void showDrawerControls(bool) override {}
    void showLamp(Lamp) override {}
    void showPage(Page) override {}
    void showBackgroundCaption(std::string_view) override {}
    void setBoardCursor(BoardCursor) override {}
    void boardChanged(const QRect& area) override {
        // A repaint never reaches outside the board.
        check(QRect(0, 0, Board::kWidth, Board::kHeight).contains(area) || area.isEmpty());
    }
    void addChatEntries(const std::vector<ChatEntry>& entries) override { check(!entries.empty()); }
};

struct OpenLink : GameLink {
    bool active() const override { return up; }
    void send(std::string_view message) override { check(message.starts_with("$-$")); }
    bool up = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    std::string DrawerNick;
    CheckingView view;
    OpenLink link;
    GameClient client(DrawerNick, view, link);
    client.setNick("ana");

    while (!rest.empty()) {
        switch (next(rest) % 5) {
            case 0:
                client.CliConnecting();
                link.up = true;
                client.CliConnect();
                break;
            case 1:
                link.up = false;
                client.CliDisconnect();
                break;
            case 2:
                client.CliError();
                break;
            case 3:
                client.CliQuiet();
                break;
            default: {
                const std::size_t length = next(rest);
                const std::string_view chunk = rest.substr(0, length);
                rest.remove_prefix(chunk.size());
                client.CliRead(chunk);
            }
        }
    }
    return 0;
}
