// SPDX-License-Identifier: GPL-3.0-or-later
// The lobby, the round controls, the board and the chat window of one copy,
// against a raw peer that plays the server byte for byte.

#include <QMessageBox>
#include <QScrollBar>
#include <QTextBlock>
#include <algorithm>
#include <memory>

#include "play_ui_rig.h"
#include "ui/error_report.h"

using namespace rabuscal;

namespace {

using play_test::Copy;
using play_test::kPatience;
using play_test::RawPeer;
using play_test::waitFor;

class OneCopy : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { guiApplication(); }

    void SetUp() override { ana = std::make_unique<Copy>(peer.port()); }
    void TearDown() override {
        ana.reset();
        delete openErrorReport();
    }

    // Connected to the peer, not joined.
    void connect() {
        ana->connectTo(QStringLiteral("127.0.0.1"));
        ASSERT_TRUE(peer.waitConnected());
        ASSERT_TRUE(waitFor([&] { return ana->cli().active(); }));
    }
    // Connected and joined as "ana", with `more` messages after the "onj".
    void join(const QByteArray& more = {}) {
        connect();
        ana->typeNick(QStringLiteral("ana"));
        peer.say("$-$onj:" + more);
        ASSERT_TRUE(waitFor([&] { return ana->joined(); }));
    }
    bool statusBecomes(const QString& text) {
        return waitFor([&] { return ana->status() == text; });
    }
    LobbyPage& lobby() { return *ana->main.Lobby; }
    PlayerPanel& panel() { return *ana->main.Panel; }

    RawPeer peer;
    std::unique_ptr<Copy> ana;
};

TEST_F(OneCopy, LobbyRefusesWithoutConnectionOrNickAndJoinsAndLeavesOnTheServersAnswer) {
    ana->clickInLobby(lobby().btCjg);
    EXPECT_EQ(ana->status(), QStringLiteral("> Informe o servidor do jogo..."));
    EXPECT_EQ(lobby().Lb3->text(), QStringLiteral("Conectar ao servidor do jogo"));

    lobby().Lb4->setText(QStringLiteral("Sair do jogo"));
    ana->clickInLobby(lobby().btEnt);
    EXPECT_EQ(ana->status(), QStringLiteral("> Não há conexão ativa com um servidor."));
    EXPECT_EQ(lobby().Lb4->text(), QStringLiteral("Entrar no jogo"));

    connect();
    EXPECT_EQ(lobby().Lb3->text(), QStringLiteral("Desconectar do servidor do jogo"));
    EXPECT_EQ(ana->status(), QStringLiteral("> Jogo conectado."));
    ana->clickInLobby(lobby().btEnt);
    EXPECT_EQ(ana->status(), QStringLiteral("> Informe seu nick..."));
    EXPECT_TRUE(peer.received.isEmpty());

    // Joining and leaving go through the server's answer.
    EXPECT_EQ(lobby().Shp3->colour(), Lamp::kRed);
    // A character the code page cannot hold goes out as "?".
    ana->typeNick(QStringLiteral("Zé☃"));
    ana->clickInLobby(lobby().btEnt);
    ASSERT_TRUE(peer.waitReceived("$-$slc:Z\xe9?"));
    EXPECT_TRUE(ana->status().isEmpty());
    EXPECT_FALSE(ana->joined());

    peer.say("$-$onj:");
    ASSERT_TRUE(waitFor([&] { return ana->joined(); }));
    EXPECT_EQ(lobby().Lb4->text(), QStringLiteral("Sair do jogo"));
    EXPECT_EQ(lobby().Shp3->colour(), Lamp::kLime);

    ana->clickInLobby(lobby().btEnt);
    ASSERT_TRUE(peer.waitReceived("$-$off:Z\xe9?"));
    EXPECT_TRUE(ana->joined());  // until the server says so
    peer.say("$-$off:");
    ASSERT_TRUE(waitFor([&] { return !ana->joined(); }));
    EXPECT_EQ(lobby().Lb4->text(), QStringLiteral("Entrar no jogo"));
}

TEST_F(OneCopy, UnreachableServerTurnsTheLampMaroonAndTheNextPressTriesAgain) {
    const quint16 closedPort = peer.port();
    peer.listener().close();
    ana->connectTo(QStringLiteral("127.0.0.1"));
    ASSERT_TRUE(statusBecomes(QStringLiteral("> Falha na conexão.")));
    EXPECT_EQ(lobby().Shp3->colour(), Lamp::kMaroon);
    EXPECT_EQ(lobby().Lb3->text(), QStringLiteral("Desconectar do servidor do jogo"));

    ASSERT_TRUE(peer.listener().listen(QHostAddress::LocalHost, closedPort));
    ana->clickInLobby(lobby().btCjg);
    ASSERT_TRUE(peer.waitConnected());
    EXPECT_TRUE(waitFor([&] { return ana->cli().active(); }));
}

TEST_F(OneCopy, RoundControlsRefuseWhoIsNotTheDrawerAndDisconnectingKeepsTheJoinCaption) {
    join("$-$mdv:bia$-$lst:xxxx bia|   0 ana|");
    ASSERT_TRUE(statusBecomes(QStringLiteral("> bia é o Mão De Vaca!!!")));
    EXPECT_FALSE(panel().btFnd->isVisibleTo(&ana->main));
    ASSERT_TRUE(waitFor([&] { return panel().Lista->count() == 2; }));
    EXPECT_TRUE(panel().Lista->selectedItems().isEmpty());

    ana->clickOn(MainFrame::Page::Desenho, ana->main.Phrase->btOkp);
    EXPECT_EQ(ana->status(), QStringLiteral("> Você não é o Mão De Vaca para iniciar um jogo."));
    ana->click(panel().btTroc);
    EXPECT_EQ(ana->status(), QStringLiteral("> Você não pode fazer isso."));
    ana->main.Stk->clear();
    ana->click(panel().btTerm);
    EXPECT_EQ(ana->status(), QStringLiteral("> Você não pode fazer isso."));

    ana->stroke({{30, 30}, {40, 40}});
    EXPECT_EQ(ana->status(), QStringLiteral("> Você não é o Mão De Vaca para desenhar."));
    // Leaving is the first thing that reached the server.
    ana->clickInLobby(lobby().btEnt);
    ASSERT_TRUE(peer.waitReceived("$-$off:ana"));
    EXPECT_EQ(peer.received, QByteArray("$-$off:ana"));

    // Disconnecting while joined frees the nick but keeps the join caption.
    ana->clickInLobby(lobby().btCjg);
    EXPECT_EQ(lobby().Lb3->text(), QStringLiteral("Conectar ao servidor do jogo"));
    EXPECT_EQ(lobby().Shp3->colour(), Lamp::kMaroon);
    EXPECT_TRUE(lobby().Nick->isEnabled());
    EXPECT_EQ(lobby().Lb4->text(), QStringLiteral("Sair do jogo"));
    EXPECT_TRUE(statusBecomes(QStringLiteral("> Jogo desconectado.")));
}

TEST_F(OneCopy, DrawerUsesTheBoardButtonsThenStartsHandsOverAndEnds) {
    join("$-$mdv:ana$-$lst:xxxx ana|  10 bia|$-$pts:100");
    ASSERT_TRUE(statusBecomes(QStringLiteral("> Você é o Mão De Vaca!!!")));
    ASSERT_TRUE(waitFor([&] { return panel().Pontos->text() == "100"; }));
    BoardPicture* tela = ana->main.Board->Tela;
    ana->main.selectPage(MainFrame::Page::Default);
    // The welcome picture is on the board from the start.
    EXPECT_NE(ana->board().pixel(5, 5), qRgb(255, 255, 255));

    Copy::press(&ana->main, tela, {40, 40}, Qt::ShiftModifier);
    EXPECT_EQ(tela->cursor().shape(), Qt::DragMoveCursor);
    Copy::release(&ana->main, tela, {40, 40});
    EXPECT_EQ(tela->cursor().shape(), Qt::ArrowCursor);
    // Shift at the press sends nothing; the release reports the points.
    ASSERT_TRUE(peer.waitReceived("$-$pts:100$-$mup:40|40"));
    EXPECT_FALSE(peer.received.contains("mdw"));

    ana->click(panel().btFnd);
    EXPECT_EQ(panel().lbFnd->text(), QStringLiteral("Fundo vis:"));
    ana->click(panel().btFnd);
    EXPECT_EQ(panel().lbFnd->text(), QStringLiteral("Fundo inv:"));
    ana->click(panel().btCls);
    ASSERT_TRUE(peer.waitReceived("$-$cls:"));
    EXPECT_EQ(ana->board().pixel(5, 5), qRgb(255, 255, 255));
    EXPECT_EQ(tela->grab().toImage().pixel(5, 5), qRgb(255, 255, 255));

    // The phrase page, the hand-over and the end of the round.
    ASSERT_TRUE(waitFor([&] { return panel().Pontos->text() == "100"; }));

    ana->click(panel().btDes);
    EXPECT_EQ(ana->main.currentPage(), MainFrame::Page::Desenho);
    ana->click(ana->main.Phrase->btOkp);
    EXPECT_EQ(ana->status(), QStringLiteral("> Defina uma frase para jogar."));
    EXPECT_EQ(ana->main.currentPage(), MainFrame::Page::Desenho);
    ana->main.Phrase->Secret->setText(QStringLiteral("pão"));
    ana->click(ana->main.Phrase->btOkp);
    EXPECT_EQ(ana->status(), QStringLiteral("> Jogo já está em andamento."));

    ana->click(panel().btTroc);
    EXPECT_EQ(ana->status(), QStringLiteral("> Selecione um jogador."));
    panel().Lista->item(1)->setSelected(true);
    ana->click(panel().btTroc);
    ASSERT_TRUE(peer.waitReceived("$-$mdv:bia"));

    ana->click(panel().btTerm);
    ASSERT_TRUE(peer.waitReceived("$-$pts:0"));

    // Between rounds the phrase starts one, laying the gallery picture.
    peer.say("$-$pts:0$-$mdw:0|0");
    ASSERT_TRUE(waitFor([&] { return ana->board().pixel(0, 0) == qRgb(0, 0, 0); }));
    ASSERT_EQ(panel().Pontos->text(), "0");
    ana->click(ana->main.Phrase->btOkp);
    ASSERT_TRUE(peer.waitReceived("$-$ini:p\xe3o"));
    EXPECT_EQ(ana->main.currentPage(), MainFrame::Page::Default);
    EXPECT_EQ(ana->board().pixel(0, 0), qRgb(255, 255, 255));
}

TEST_F(OneCopy, BadNumberFromTheServerIsReportedOnceAndTheRestOfTheChunkDropped) {
    join("$-$mdw:x|1$-$pts:55");
    ASSERT_TRUE(waitFor([] { return openErrorReport() != nullptr; }));
    EXPECT_FALSE(openErrorReport()->text().isEmpty());
    EXPECT_EQ(panel().Pontos->text(), QStringLiteral("0"));
    EXPECT_TRUE(ana->cli().active());
}

TEST_F(OneCopy, ChatEntriesKeepTheirIndentsColoursAndWeight) {
    join("$-$msg:ana falou: bom dia a todos$-$avs:bia tentou \"x\" e... ACERTOU !");
    QTextDocument* chat = ana->chat.Chat->document();
    ASSERT_TRUE(waitFor([&] { return chat->blockCount() == 5; }));
    const double perPoint = ana->chat.Chat->logicalDpiX() / 72.0;

    struct Line {
        QString text;
        double left, first;
        QColor colour;
        bool bold;
    };
    const Line expected[] = {
        {"", 0, 0, QColor(), false},
        {"ana falou:", 20 * perPoint, -17 * perPoint, Qt::black, true},
        {"bom dia a todos", 15 * perPoint, 0, Qt::black, false},
        {"", 15 * perPoint, 0, Qt::black, false},  // the opening line keeps the last look
        {"bia tentou \"x\" e... ACERTOU !", 3 * perPoint, 0, QColor(128, 0, 0), true},
    };
    QTextBlock block = chat->begin();
    for (const Line& line : expected) {
        SCOPED_TRACE(line.text.toStdString());
        ASSERT_TRUE(block.isValid());
        EXPECT_EQ(block.text(), line.text);
        EXPECT_DOUBLE_EQ(block.blockFormat().leftMargin(), line.left);
        EXPECT_DOUBLE_EQ(block.blockFormat().textIndent(), line.first);
        const QTextCharFormat look =
            line.text.isEmpty() ? block.charFormat() : block.begin().fragment().charFormat();
        if (line.colour.isValid()) {
            EXPECT_EQ(look.foreground().color(), line.colour);
        }
        EXPECT_EQ(look.fontWeight() == QFont::Bold, line.bold);
        block = block.next();
    }
}

TEST_F(OneCopy, EnterSendsAChatLineAndTheChatKeepsOnlyTheLatestLines) {
    QPlainTextEdit* frase = ana->chat.Frase;
    ana->typeNick(QStringLiteral("ana"));
    // Not joined: nothing goes out, and the release still clears the field.
    connect();
    QTest::keyClicks(frase, QStringLiteral("perdido"));
    QTest::keyPress(frase, Qt::Key_Return);
    EXPECT_EQ(frase->toPlainText(), QStringLiteral("perdido\n"));
    QTest::keyRelease(frase, Qt::Key_Return);
    EXPECT_TRUE(frase->toPlainText().isEmpty());

    peer.say("$-$onj:");
    ASSERT_TRUE(waitFor([&] { return ana->joined(); }));
    ana->type(QStringLiteral("olá"));
    QTest::keyPress(frase, Qt::Key_Enter);
    ASSERT_TRUE(peer.waitReceived("$-$msg:ana falou: ol\xe1"));
    EXPECT_FALSE(peer.received.contains("perdido"));
    QTest::keyRelease(frase, Qt::Key_Enter);
    EXPECT_TRUE(frase->toPlainText().isEmpty());

    // A guess with no round running is refused in the main window.
    QTest::keyClicks(frase, QStringLiteral("gato"));
    ana->click(ana->chat.btTentar);
    EXPECT_EQ(ana->status(), QStringLiteral("> Não tem jogo em andamento."));
    EXPECT_EQ(frase->toPlainText(), QStringLiteral("gato"));

    QByteArray notices;
    for (int i = 0; i < 3000; ++i) notices += "$-$avs:> aviso " + QByteArray::number(i);
    peer.say(notices);
    QTextDocument* chat = ana->chat.Chat->document();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return chat->lastBlock().text() == QStringLiteral("> aviso 2999"); }, kPatience));
    EXPECT_LE(chat->blockCount(), TForm2::kMaximumChatLines);
    EXPECT_GE(chat->blockCount(), TForm2::kLinesKeptAfterTrim - 3);
    EXPECT_TRUE(chat->begin().text().isEmpty()) << "the oldest lines go a whole entry at a time";
    QScrollBar* scroll = ana->chat.Chat->verticalScrollBar();
    EXPECT_GT(scroll->maximum(), 0);
    EXPECT_EQ(scroll->value(), scroll->maximum());

    // Line breaks in a received text stay inside its one line of the entry.
    peer.say("$-$avs:um\r\ndois\nfim");
    const QString broken = QStringLiteral("um\u2028dois\u2028fim");
    ASSERT_TRUE(waitFor([&] { return chat->lastBlock().text() == broken; }));
    EXPECT_TRUE(chat->lastBlock().previous().text().isEmpty());
    EXPECT_EQ(chat->lastBlock().previous().previous().text(), QStringLiteral("> aviso 2999"));
}

}  // namespace
