// SPDX-License-Identifier: GPL-3.0-or-later
// How fast a client applies relayed strokes: 100,000 "mov" messages (a random
// walk of short mouse moves over the board) go through the chunk reader and
// the dispatcher onto the board, offscreen. Prints messages applied per
// second, for chunks of one message (a server that writes each message as it
// comes, read at once) and of 100 messages (a client that fell behind), and
// the same for "blc" pixel blocks.
//
//   board_replay [messages]

#include <QRect>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "client/client_view.h"
#include "client/game_client.h"
#include "client/game_link.h"

namespace {

using namespace rabuscal::client;

struct QuietView : ClientView {
    std::size_t repaints = 0;
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
    void boardChanged(const QRect&) override { ++repaints; }
    void addChatEntries(const std::vector<ChatEntry>&) override {}
};

struct NoLink : GameLink {
    bool active() const override { return true; }
    void send(std::string_view) override {}
};

std::vector<std::string> movMessages(int count) {
    std::mt19937 random(7003);
    std::uniform_int_distribution<int> step(-8, 8);
    constexpr int kW = Board::kWidth, kH = Board::kHeight;
    int x = kW / 2, y = kH / 2;
    std::vector<std::string> out;
    out.reserve(count);
    for (int i = 0; i < count; ++i) {
        x = std::clamp(x + step(random), -20, kW + 20);
        y = std::clamp(y + step(random), -20, kH + 20);
        out.push_back("$-$mov:" + std::to_string(x) + "|" + std::to_string(y));
    }
    return out;
}

std::vector<std::string> blcMessages(int count) {
    std::mt19937 random(2070);
    std::uniform_int_distribution<int> px(0, Board::kWidth - 1), py(0, Board::kHeight - 1),
        colour(0, 1);
    std::vector<std::string> out;
    out.reserve(count);
    for (int i = 0; i < count; ++i) {
        std::string m = "$-$blc:" + std::to_string(px(random)) + "|" + std::to_string(py(random));
        for (int k = 0; k < 25; ++k) m += colour(random) ? "|16777215" : "|0";
        out.push_back(m + "|0");
    }
    return out;
}

std::vector<std::string> chunksOf(const std::vector<std::string>& messages, std::size_t per) {
    std::vector<std::string> chunks;
    for (std::size_t i = 0; i < messages.size(); i += per) {
        std::string chunk;
        for (std::size_t k = i; k < std::min(messages.size(), i + per); ++k) chunk += messages[k];
        chunks.push_back(std::move(chunk));
    }
    return chunks;
}

void run(const char* what, const std::vector<std::string>& messages, std::size_t per) {
    std::string drawerNick;
    QuietView view;
    NoLink link;
    GameClient client(drawerNick, view, link);
    client.CliRead("$-$onj:$-$mdw:225|132");
    const std::vector<std::string> chunks = chunksOf(messages, per);

    const auto start = std::chrono::steady_clock::now();
    for (const std::string& chunk : chunks) client.CliRead(chunk);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    long ink = 0;
    for (int y = 0; y < Board::kHeight; ++y)
        for (int x = 0; x < Board::kWidth; ++x) ink += client.board().tela().pixel(x, y) == 0;
    std::printf(
        "%-4s %3zu message(s) per chunk: %9.0f messages/s  (%zu messages, %.3f s, "
        "%zu repaints, %ld black pixels)\n",
        what, per, messages.size() / seconds, messages.size(), seconds, view.repaints, ink);
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
    const auto movs = movMessages(count);
    const auto blcs = blcMessages(count);
    run("mov", movs, 1);
    run("mov", movs, 100);
    run("blc", blcs, 1);
    run("blc", blcs, 100);
    return 0;
}
