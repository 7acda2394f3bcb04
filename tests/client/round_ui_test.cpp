// SPDX-License-Identifier: GPL-3.0-or-later
// A whole round through the windows of two copies against the real game
// server, with a third player on a raw socket watching the wire.

#include <memory>
#include <string>

#include "play_ui_rig.h"
#include "server/net/tcp_game_server.h"

using namespace rabuscal;

namespace {

using play_test::Copy;
using play_test::kPatience;
using play_test::waitFor;

class RoundThroughTheWindows : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { guiApplication(); }

    void SetUp() override {
        server = std::make_unique<rabuscal::server::TcpGameServer>(serverDrawerNick);
        ASSERT_FALSE(server->start(0).has_value());
    }

    // Connects and joins through the lobby.
    std::unique_ptr<Copy> enter(const QString& nick) {
        auto copy = std::make_unique<Copy>(server->port());
        copy->connectTo(QStringLiteral("127.0.0.1"));
        EXPECT_TRUE(waitFor([&] { return copy->cli().active(); }));
        copy->typeNick(nick);
        copy->clickInLobby(copy->main.Lobby->btEnt);
        EXPECT_TRUE(waitFor([&] { return copy->joined(); }));
        return copy;
    }

    // A player without windows that records every byte the server sends.
    void watch() {
        watcher = std::make_unique<rabuscal::support::LoopbackPeer>(server->port());
        ASSERT_TRUE(watcher->waitConnected());
        watcher->send("$-$slc:zed");
        ASSERT_TRUE(watcher->waitReceived("$-$onj:"));
    }
    bool sees(std::string_view bytes) { return watcher->waitReceived(bytes); }

    std::string serverDrawerNick;
    std::unique_ptr<rabuscal::server::TcpGameServer> server;
    std::unique_ptr<rabuscal::support::LoopbackPeer> watcher;
};

TEST_F(RoundThroughTheWindows, DrawnStrokeShowsOnEveryBoardAndAHitHandsTheRoleOn) {
    std::unique_ptr<Copy> ana = enter(QStringLiteral("ana"));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return ana->status() == QStringLiteral("> Você é o Mão De Vaca!!!"); }, kPatience));
    std::unique_ptr<Copy> bia = enter(QStringLiteral("bia"));
    watch();
    ASSERT_TRUE(waitFor([&] { return bia->main.Panel->Lista->count() == 3; }));
    EXPECT_EQ(bia->main.Panel->Lista->item(0)->text(), QStringLiteral("xxxx ana"));

    // The drawer opens the phrase page, types the phrase and starts the round.
    ana->click(ana->main.Panel->btDes);
    EXPECT_EQ(ana->main.currentPage(), MainFrame::Page::Desenho);
    QTest::keyClicks(ana->main.Phrase->Secret, QStringLiteral("gato"));
    ana->clickOn(MainFrame::Page::Desenho, ana->main.Phrase->btOkp);
    ASSERT_TRUE(waitFor([&] { return bia->main.Panel->Pontos->text() == "100"; }));
    EXPECT_EQ(ana->main.currentPage(), MainFrame::Page::Default);
    EXPECT_TRUE(waitFor([&] { return bia->status() == QStringLiteral("> Valendo..."); }));

    // One press, two moves and the release: every board gets the same line.
    ana->stroke({{100, 100}, {150, 120}, {200, 60}});
    ASSERT_TRUE(sees("$-$mdw:100|100$-$mov:150|120$-$mov:200|60$-$pts:99$-$mup:200|60"));
    ASSERT_TRUE(waitFor([&] { return bia->board() == ana->board(); }));
    EXPECT_EQ(bia->board().pixel(100, 100), qRgb(0, 0, 0));
    EXPECT_EQ(bia->board().pixel(200, 60), qRgb(0, 0, 0));
    EXPECT_EQ(bia->board().pixel(300, 200), qRgb(255, 255, 255));
    EXPECT_EQ(bia->main.Panel->Pontos->text(), QStringLiteral("99"));
    // What the guesser's window paints is the board's bitmap.
    const QImage shown = bia->main.Board->Tela->grab().toImage();
    EXPECT_EQ(shown.pixel(150, 120), qRgb(0, 0, 0));
    EXPECT_EQ(shown.pixel(300, 200), qRgb(255, 255, 255));

    // A miss lowers the points for everybody and shows the verdict in the chat.
    bia->type(QStringLiteral("cão"));
    bia->click(bia->chat.btTentar);
    EXPECT_TRUE(bia->chat.Frase->toPlainText().isEmpty());
    // The guess went out as Windows-1252 bytes.
    ASSERT_TRUE(sees("$-$avs:bia tentou \"c\xe3o\" e...  eerrroooouuuuu..."));
    ASSERT_TRUE(waitFor([&] { return ana->main.Panel->Pontos->text() == "89"; }));
    EXPECT_TRUE(ana->chat.Chat->toPlainText().contains(
        QStringLiteral("bia tentou \"cão\" e...  eerrroooouuuuu...")));

    // The hit: the guesser takes the points and becomes the drawer.
    bia->type(QStringLiteral("Gato"));
    bia->click(bia->chat.btTentar);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return bia->status() == QStringLiteral("> Você é o Mão De Vaca!!!"); }, kPatience));
    EXPECT_EQ(ana->status(), QStringLiteral("> bia é o Mão De Vaca!!!"));
    EXPECT_EQ(ana->main.Panel->Pontos->text(), QStringLiteral("0"));
    EXPECT_TRUE(bia->main.Panel->btDes->isVisibleTo(&bia->main));
    EXPECT_FALSE(ana->main.Panel->btDes->isVisibleTo(&ana->main));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return ana->main.Panel->Lista->item(0)->text() == QStringLiteral("xxxx bia"); },
        kPatience));
    EXPECT_EQ(
        ana->main.Panel->Lista->findItems(QStringLiteral("   0 ana"), Qt::MatchExactly).size(), 1);

    // The former drawer may no longer draw.
    ana->stroke({{10, 10}, {20, 20}});
    EXPECT_EQ(ana->status(), QStringLiteral("> Você não é o Mão De Vaca para desenhar."));
}

}  // namespace
