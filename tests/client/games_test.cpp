// SPDX-License-Identifier: GPL-3.0-or-later
// Whole games on loopback: copies of the client, each with its own socket,
// against the real game server on an ephemeral port. The host copy shares
// its DrawerNick with the server, as the program does.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTimer>
#include <functional>
#include <memory>

#include "client/net/game_connection.h"
#include "client_rig.h"
#include "protocol/framing.h"
#include "server/net/tcp_game_server.h"
#include "support/application.h"
#include "support/cutting_relay.h"
#include "support/loopback_peer.h"

namespace rabuscal::client {
namespace {

using protocol::Command;

using support::coreApplication;
using support::waitFor;

struct Copy {
    std::string ownDrawerNick;
    std::string& drawerNick;
    testing::RecordingView view;
    GameConnection cli;
    GameClient client;
    std::vector<std::string> errors;

    Copy(std::string_view nick, std::string* sharedDrawerNick = nullptr)
        : drawerNick(sharedDrawerNick ? *sharedDrawerNick : ownDrawerNick),
          client(drawerNick, view, cli) {
        cli.attach(client);
        client.setNick(nick);
        client.setErrorReporter([this](std::string_view e) { errors.emplace_back(e); });
    }
    const ClientSession& session() const { return client.session(); }
    Board& board() { return client.board(); }
    const QImage& tela() const { return client.board().tela().image(); }
    void join() { client.sendTyped(Command::Slc, session().nick); }
};

class Games : public ::testing::Test {
  protected:
    void SetUp() override {
        coreApplication();
        server = std::make_unique<server::TcpGameServer>(hostDrawerNick);
        ASSERT_FALSE(server->start(0).has_value());
    }

    // Connects and joins a copy, to the server or to `port` (a relay); the
    // first one is the host.
    Copy& enter(std::string_view nick, quint16 port = 0) {
        copies.push_back(std::make_unique<Copy>(nick, copies.empty() ? &hostDrawerNick : nullptr));
        Copy& c = *copies.back();
        c.cli.open("127.0.0.1", port ? port : server->port());
        EXPECT_TRUE(waitFor([&] { return c.cli.active(); }));
        c.join();
        EXPECT_TRUE(waitFor([&] { return c.session().joined; }));
        return c;
    }

    bool everyone(const std::function<bool(Copy&)>& test) {
        return waitFor([&] {
            for (auto& c : copies)
                if (!test(*c)) return false;
            return true;
        });
    }

    std::string hostDrawerNick;
    std::unique_ptr<server::TcpGameServer> server;
    std::vector<std::unique_ptr<Copy>> copies;
};

const std::string kYouDraw = "> Voc\xea \xe9 o M\xe3o De Vaca!!!";

TEST_F(Games, JoiningAnnouncesTheFirstPlayerAsDrawerAndALostServerKeepsLampAndJoinedFlag) {
    Copy& ana = enter("ana");
    EXPECT_EQ(ana.view.statuses[0], "> Conectando o jogo.");
    EXPECT_EQ(ana.view.statuses[1], "> Jogo conectado.");
    ASSERT_TRUE(waitFor([&] { return ana.view.status() == kYouDraw; }));
    EXPECT_EQ(ana.view.lamp, Lamp::Lime);

    Copy& bia = enter("bia");
    ASSERT_TRUE(everyone([](Copy& c) { return c.view.list.size() == 2; }));
    EXPECT_EQ(bia.view.list, (std::vector<std::string>{"xxxx ana", "   0 bia"}));
    EXPECT_EQ(ana.view.list, bia.view.list);

    server->stop();
    ASSERT_TRUE(waitFor([&] { return ana.view.status() == "> Jogo desconectado."; }));
    EXPECT_FALSE(ana.cli.active());
    EXPECT_EQ(ana.view.lamp, Lamp::Lime) << "a dropped connection keeps the lamp";
    EXPECT_TRUE(ana.session().joined);
    for (const std::string& s : ana.view.statuses) EXPECT_NE(s, "> Falha na conex\xe3o.");
}

TEST_F(Games, ARoundComesOutPixelIdenticalOnEveryBoardAndForALateJoiner) {
    Copy& ana = enter("ana");
    enter("bia");
    enter("cid");
    ASSERT_TRUE(everyone([](Copy& c) { return c.view.list.size() == 3; }));

    ana.client.roundControls().btDesMouseDown();
    ana.client.roundControls().btOkpMouseUp("Gato");
    ASSERT_TRUE(everyone(
        [](Copy& c) { return c.view.points == "100" && c.view.status() == "> Valendo..."; }));

    // A stroke with a kink, a dot, then Shift blocks over the stroke.
    Board& board = ana.board();
    board.TelaMouseDown(false, 40, 40);
    for (int i = 1; i <= 60; ++i) board.TelaMouseMove(false, 40 + 3 * i, 40 + (i * i) % 37);
    board.TelaMouseMove(false, 500, 300);  // past the corner
    board.TelaMouseUp(false, 500, 300);
    // Five hundredths per move: 61 moves spend 3.05, and the release reports
    // what is left in whole points.
    ASSERT_TRUE(everyone([](Copy& c) { return c.view.points == "96"; }));
    board.TelaMouseDown(false, 200, 200);
    board.TelaMouseUp(false, 200, 200);
    ASSERT_TRUE(everyone([](Copy& c) { return c.board().tela().pixel(200, 201) == 0; }));
    board.TelaMouseDown(true, 100, 60);
    for (int i = 0; i < 20; ++i) board.TelaMouseMove(true, 100 + i, 58 + i % 5);
    board.TelaMouseUp(true, 120, 60);
    // The dot costs nothing; 20 blocks spend one point.
    ASSERT_TRUE(everyone([](Copy& c) { return c.view.points == "95"; }));

    for (auto& c : copies) {
        EXPECT_TRUE(c->tela() == ana.tela()) << c->session().nick;
        EXPECT_TRUE(c->errors.empty());
    }
    EXPECT_TRUE(ana.board().strokeLayer().image() == ana.tela())
        << "the drawer's own layer drew the same";

    // About 1 MB more of Shift blocks and strokes, then a copy joins through
    // a network path that cuts every stream into random pieces.
    for (int stroke = 0; stroke < 52; ++stroke) {
        const bool shift = stroke % 4 != 3;
        board.TelaMouseDown(shift, 10 + stroke * 8, 20);
        for (int i = 0; i < 100; ++i)
            board.TelaMouseMove(shift, 10 + stroke * 8 + i % 9, 20 + 2 * i + stroke % 3);
        board.TelaMouseUp(shift, 10 + stroke * 8, 230);
        QCoreApplication::processEvents();
    }
    ASSERT_TRUE(everyone([&](Copy& c) { return c.tela() == ana.tela(); }));
    support::CuttingRelay relay(server->port(),
                                {.seed = 16, .separator = std::string(protocol::kGameSeparator)});
    Copy& dan = enter("dan", relay.port());  // mid-round
    ASSERT_TRUE(everyone([](Copy& c) { return c.view.list.size() == 4; }));
    ASSERT_TRUE(waitFor([&] { return dan.tela() == ana.tela(); }));
    EXPECT_EQ(dan.drawerNick, "ana");
    EXPECT_EQ(dan.view.drawerControls, false);
    EXPECT_EQ(dan.view.points, ana.view.points);
    EXPECT_GT(relay.pieces(), 500u);
    // Live strokes and chat through the same path.
    board.TelaMouseDown(false, 300, 100);
    for (int i = 0; i < 50; ++i) board.TelaMouseMove(false, 300 + i, 100 + (i * 7) % 50);
    board.TelaMouseUp(false, 350, 100);
    ana.client.chatInput().FraseKeyDown(ChatInput::kEnterKey, "oi");
    ASSERT_TRUE(waitFor([&] { return !dan.view.chat.empty() && dan.tela() == ana.tela(); }));
    EXPECT_EQ(dan.view.chat.back().paragraphs[2].text, "oi");
    for (auto& c : copies) EXPECT_TRUE(c->errors.empty()) << c->session().nick;
}

TEST_F(Games, AHitAndTheHandOver) {
    Copy& ana = enter("ana");
    Copy& bia = enter("bia");
    Copy& cid = enter("cid");
    ASSERT_TRUE(everyone([](Copy& c) { return c.view.list.size() == 3; }));
    ana.client.roundControls().btOkpMouseUp("gato");
    ASSERT_TRUE(everyone([](Copy& c) { return c.view.points == "100"; }));

    EXPECT_TRUE(cid.client.chatInput().btTentarMouseDown("GATO"));
    ASSERT_TRUE(everyone([](Copy& c) {
        return c.drawerNick == "cid" && c.view.list.size() == 3 && c.view.list[0] == "xxxx cid";
    }));
    EXPECT_EQ(cid.view.status(), kYouDraw);
    EXPECT_EQ(bia.view.status(), "> cid \xe9 o M\xe3o De Vaca!!!");
    EXPECT_EQ(ana.view.drawerControls, false);
    EXPECT_EQ(cid.view.drawerControls, true);
    EXPECT_EQ(hostDrawerNick, "cid");
    for (auto& c : copies) {
        EXPECT_EQ(c->view.points, "0");
        EXPECT_EQ(c->view.chat.back().paragraphs[1].text, "cid tentou \"GATO\" e... ACERTOU !");
        EXPECT_EQ(c->view.list, (std::vector<std::string>{"xxxx cid", "   0 bia", "   0 ana"}));
    }

    // The old drawer can no longer end or hand over; the new one hands over.
    ana.client.roundControls().btTrocMouseDown(ana.view.list[1]);
    EXPECT_EQ(ana.view.status(), "> Voc\xea n\xe3o pode fazer isso.");
    cid.client.roundControls().btTrocMouseDown(cid.view.list[1]);
    ASSERT_TRUE(
        everyone([](Copy& c) { return c.drawerNick == "bia" && c.view.list[0] == "xxxx bia"; }));
    EXPECT_EQ(bia.view.status(), kYouDraw);

    // A chat line reaches every window, a forged separator included as text.
    ana.client.chatInput().FraseKeyDown(ChatInput::kEnterKey, "oi $-$pts:500");
    ASSERT_TRUE(
        everyone([](Copy& c) { return c.view.chat.back().paragraphs[1].text == "ana falou:"; }));
    for (auto& c : copies) {
        EXPECT_EQ(c->view.chat.back().paragraphs[2].text, "oi $- $pts:500");
        EXPECT_EQ(c->view.points, "0");
    }
}

TEST(GameConnectionSends, AServerThatStopsReadingCostsBoundedMemory) {
    coreApplication();
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
    Copy ana("ana");
    ana.cli.open("127.0.0.1", silent.serverPort());
    ASSERT_TRUE(waitFor([&] { return ana.cli.active(); }));
    const std::string block = protocol::compose(Command::Msg, std::string(64 * 1024, 'x'));
    for (int i = 0; i < 200; ++i) ana.cli.send(block);  // 12.5 MiB, nothing read
    EXPECT_LE(ana.cli.socket().bytesToWrite(),
              GameConnection::kSendCap + static_cast<qint64>(block.size()));
    EXPECT_GT(ana.cli.socket().bytesToWrite(), GameConnection::kSendCap);
}

// A liveness check only: client_flood measures the waits.
TEST(GameConnectionReads, FloodsOfValidMessagesLeaveTheEventLoopResponsive) {
    coreApplication();
    support::ListeningPeer server;
    Copy ana("ana");
    ana.cli.open("127.0.0.1", server.port());
    ASSERT_TRUE(server.waitConnected());
    std::string flood = "$-$onj:";
    for (int i = 0; i < 100000; ++i) flood += i % 2 ? "$-$mdv:bia" : "$-$mdv:ana";
    for (int i = 0; i < 1000000; ++i) flood += "$-$cls:";
    flood += "$-$pts:77";

    QElapsedTimer sinceTick;
    qint64 longestGap = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout,
                     [&] { longestGap = std::max(longestGap, sinceTick.restart()); });
    sinceTick.start();
    ticker.start(10);
    server.say(QByteArray::fromStdString(flood));
    ASSERT_TRUE(waitFor([&] { return ana.session().pontos == "77"; }, 60'000));
    EXPECT_LT(longestGap, 30'000);
    EXPECT_EQ(ana.drawerNick, "bia");
    EXPECT_EQ(ana.view.drawerControls, false);
    EXPECT_LT(ana.view.statuses.size(), 10'000u) << "one status per pass, not per message";
}

}  // namespace
}  // namespace rabuscal::client
