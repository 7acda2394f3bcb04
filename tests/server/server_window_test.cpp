// SPDX-License-Identifier: GPL-3.0-or-later
// The server window with real sockets on loopback and a real directory.

#include "server/ui/server_window.h"

#include <gtest/gtest.h>

#include <QHostAddress>
#include <QLineEdit>
#include <QMessageBox>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <memory>
#include <optional>

#include "client/client_rig.h"
#include "client/net/game_connection.h"
#include "directory/client/directory_connection.h"
#include "directory/net/background_directory.h"
#include "support/application.h"
#include "ui/error_report.h"

using namespace rabuscal;

namespace {

using rabuscal::client::GameConnection;
using rabuscal::directory::DirectoryConnection;

using rabuscal::support::guiApplication;
using rabuscal::support::waitFor;

class ServerWindowTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { guiApplication(); }

    ServerWindowTest() {
        // Port 0: the listener takes any free port, so tests never meet a game.
        window_ = std::make_unique<TForm3>(DrawerNick, 0);
        ServerWindowLinks links;
        links.gameConnected = [this] { return gameConnected_; };
        links.setServerAddress = [this](const QString& address) { Servidor.setText(address); };
        window_->link(std::move(links));
        Servidor.setText(QStringLiteral("antes"));
    }

    TForm3& form() { return *window_; }
    void pressLig() { QTest::mouseClick(form().btLig, Qt::LeftButton); }
    void pressAtv() { QTest::mouseClick(form().btAtv, Qt::LeftButton); }
    QString status() { return form().Stk->text(); }
    quint16 gamePort() { return form().Srv.port(); }
    static void expectSwitchedOff(TForm3& window) {
        EXPECT_FALSE(window.Srv.isListening());
        EXPECT_EQ(window.Lb1->text(), QStringLiteral("Ligar servidor"));
        EXPECT_EQ(window.Ips->text(), QStringLiteral("0.0.0.0"));
        EXPECT_EQ(window.Shp1->colour(), Lamp::kMaroon);
    }

    QLineEdit Servidor;
    bool gameConnected_ = false;
    std::string DrawerNick;  // the host copy's, shared by its server and its client
    std::unique_ptr<TForm3> window_;
};

TEST_F(ServerWindowTest, SwitchingWhileThisCopyPlaysIsRefusedAndTheListenerKeepsItsState) {
    gameConnected_ = true;
    pressLig();
    EXPECT_EQ(status(), QStringLiteral("Desconecte o jogo antes de ativar."));
    EXPECT_FALSE(form().Srv.isListening());
    EXPECT_EQ(Servidor.text(), QStringLiteral("antes"));

    gameConnected_ = false;
    pressLig();
    ASSERT_TRUE(form().Srv.isListening());
    gameConnected_ = true;
    form().Stk->clear();
    pressLig();
    EXPECT_EQ(status(), QStringLiteral("Desconecte o jogo antes de desligar."));
    EXPECT_TRUE(form().Srv.isListening());
    EXPECT_EQ(form().Lb1->text(), QStringLiteral("Desligar servidor"));
}

TEST_F(ServerWindowTest, LampGoesRedOnLimeAtTheFirstMessageAndMaroonOffWithTheCountAtZero) {
    pressLig();
    ASSERT_TRUE(form().Srv.isListening());
    EXPECT_EQ(status(), QStringLiteral("Sevidor ligado..."));
    EXPECT_EQ(form().Lb1->text(), QStringLiteral("Desligar servidor"));
    EXPECT_EQ(form().Ips->text(), TForm3::LocalAddress());
    EXPECT_EQ(Servidor.text(), TForm3::LocalAddress());
    EXPECT_EQ(form().Shp1->colour(), Lamp::kRed);

    QTcpSocket first, second;
    first.connectToHost(QHostAddress::LocalHost, gamePort());
    second.connectToHost(QHostAddress::LocalHost, gamePort());
    EXPECT_TRUE(waitFor([&] { return form().Lb29->text() == "2"; }));
    EXPECT_EQ(form().Shp1->colour(), Lamp::kRed) << "connecting alone says nothing";

    second.disconnectFromHost();
    EXPECT_TRUE(waitFor([&] { return form().Lb29->text() == "1"; }));
    first.write("$-$slc:ana");
    EXPECT_TRUE(waitFor([&] { return form().Shp1->colour() == Lamp::kLime; }));

    pressLig();
    expectSwitchedOff(form());
    EXPECT_EQ(status(), QStringLiteral("Sevidor desligado..."));
    EXPECT_EQ(Servidor.text(), QString());
    EXPECT_EQ(form().Lb29->text(), QStringLiteral("0")) << "switching off closed them all";
    EXPECT_TRUE(waitFor([&] { return first.state() == QAbstractSocket::UnconnectedState; }));

    pressLig();
    EXPECT_EQ(form().Shp1->colour(), Lamp::kRed) << "red again until a message arrives";
}

// The window as it starts is the window a failed switch leaves.
TEST_F(ServerWindowTest, APortAlreadyTakenShowsTheFailedCallAndChangesNothing) {
    QTcpServer squatter;
    ASSERT_TRUE(squatter.listen(QHostAddress::Any, 0));
    TForm3 blocked(DrawerNick, squatter.serverPort());
    std::optional<QString> servidor;
    ServerWindowLinks links;
    links.setServerAddress = [&](const QString& address) { servidor = address; };
    blocked.link(std::move(links));

    QTest::mouseClick(blocked.btLig, Qt::LeftButton);
    ASSERT_NE(openErrorReport(), nullptr);
    EXPECT_TRUE(openErrorReport()->text().startsWith(QStringLiteral("listen")))
        << openErrorReport()->text().toStdString();
    expectSwitchedOff(blocked);
    EXPECT_EQ(blocked.Stk->text(), QStringLiteral("Status..."));
    EXPECT_EQ(blocked.Lb29->text(), QStringLiteral("0"));
    EXPECT_EQ(blocked.Lb7->text(), QStringLiteral("Ativar"));
    EXPECT_FALSE(servidor.has_value());
    openErrorReport()->close();
}

TEST_F(ServerWindowTest, ANumberThatDoesNotParseIsReportedAndTheServerCarriesOn) {
    pressLig();
    QTcpSocket player;
    player.connectToHost(QHostAddress::LocalHost, gamePort());
    player.write("$-$pts:muitos");
    ASSERT_TRUE(waitFor([] { return openErrorReport() != nullptr; }));
    EXPECT_TRUE(openErrorReport()->text().contains(QStringLiteral("muitos")));
    openErrorReport()->close();
    EXPECT_TRUE(form().Srv.isListening());
    EXPECT_EQ(form().Lb29->text(), QStringLiteral("1"));
}

// Switching on fills the lobby's server field; the host then joins its own server.
TEST_F(ServerWindowTest, APlayerWhoHostsJoinsTheOwnServerAndDrawsAlone) {
    rabuscal::client::testing::RecordingView view;
    GameConnection Cli;
    rabuscal::client::GameClient client(DrawerNick, view, Cli);
    Cli.attach(client);
    client.setNick("ana");
    gameConnected_ = false;
    ServerWindowLinks links;
    links.gameConnected = [&] { return Cli.active(); };
    links.setServerAddress = [this](const QString& address) { Servidor.setText(address); };
    form().link(std::move(links));

    pressLig();
    ASSERT_FALSE(Servidor.text().isEmpty());
    Cli.open(Servidor.text(), gamePort());
    ASSERT_TRUE(waitFor([&] { return Cli.active(); }));
    client.sendTyped(rabuscal::protocol::Command::Slc, "ana");
    ASSERT_TRUE(waitFor([&] { return view.joined == true && !view.list.empty(); }));
    EXPECT_EQ(view.list, std::vector<std::string>{"xxxx ana"}) << "alone, ana draws";
    EXPECT_EQ(DrawerNick, "ana") << "the server and the host copy share it";
    Cli.close();
}

TEST_F(ServerWindowTest, AGroupTheDirectoryCannotListIsShownAsNotAnnounced) {
    DirectoryConnection unreachable(QStringLiteral("127.0.0.1"), 1);
    ServerWindowLinks links;
    links.directory = &unreachable;
    form().link(std::move(links));
    pressLig();
    form().Jogo->setText(QStringLiteral("sala"));
    pressAtv();
    EXPECT_TRUE(waitFor([&] { return form().Lb7->text() == QStringLiteral("Ativar"); }));
    EXPECT_EQ(status(), QStringLiteral("Grupo desativado: sem conexão com o servidor principal."));
}

class ServerWindowGroupTest : public ServerWindowTest {
  protected:
    ServerWindowGroupTest() {
        EXPECT_FALSE(service_.start("127.0.0.1", 0).has_value());
        directory_ =
            std::make_unique<DirectoryConnection>(QStringLiteral("127.0.0.1"), service_.port());
        ServerWindowLinks links;
        links.setServerAddress = [this](const QString& address) { Servidor.setText(address); };
        links.directory = directory_.get();
        form().link(std::move(links));
    }

    std::vector<rabuscal::protocol::Group> listed() const { return service_.listed("rabuscal"); }

    rabuscal::directory::BackgroundDirectory service_;
    std::unique_ptr<DirectoryConnection> directory_;
};

TEST_F(ServerWindowGroupTest, AGroupNeedsTheServerOnAndANameAndTheCaptionStaysMeanwhile) {
    form().Jogo->setText(QStringLiteral("sala"));
    pressAtv();
    EXPECT_EQ(status(), QStringLiteral("Precisa ligar o servidor antes."));
    EXPECT_EQ(form().Lb7->text(), QStringLiteral("Ativar"));

    pressLig();
    form().Jogo->clear();
    pressAtv();
    EXPECT_EQ(status(), QStringLiteral("Defina o nome do grupo."));
    EXPECT_EQ(form().Lb7->text(), QStringLiteral("Ativar"));
    QTest::qWait(50);
    EXPECT_EQ(directory_->pendingMessage(), "") << "nothing asked of the directory";
    EXPECT_FALSE(directory_->isActive());
}

TEST_F(ServerWindowGroupTest, PressesAnnounceAndWithdrawTheGroupAndSwitchingOffWithdrawsItToo) {
    pressLig();
    form().Jogo->setText(QStringLiteral("Ação"));
    pressAtv();
    EXPECT_EQ(form().Lb7->text(), QStringLiteral("Desativar"));
    ASSERT_TRUE(waitFor([&] { return listed().size() == 1; }));
    EXPECT_EQ(listed().front().name, "A\xe7\xe3o") << "the name travels as Windows-1252 bytes";
    // The directory's answer lands here although the window was never shown.
    EXPECT_TRUE(waitFor([&] { return status() == QStringLiteral(">>> Grupo Ação ativado."); }));

    int listsReceived = 0;
    QObject::connect(directory_.get(), &DirectoryConnection::groupsChanged,
                     [&] { ++listsReceived; });
    form().Jogo->setText(QStringLiteral("outra"));
    pressAtv();
    EXPECT_EQ(form().Lb7->text(), QStringLiteral("Ativar"));
    EXPECT_GE(listsReceived, 1) << "the list is emptied at once";
    EXPECT_TRUE(waitFor([&] { return listed().empty(); }));
    // The fresh list the "jgs" asked for comes back (empty: the group is gone).
    EXPECT_TRUE(waitFor([&] { return listsReceived >= 2; }));
    EXPECT_TRUE(directory_->Grupos().empty());
    EXPECT_FALSE(form().isVisible());

    // Switching the server off withdraws its group: a listed group would send
    // the next player to a refused connection.
    pressAtv();
    ASSERT_TRUE(waitFor([&] { return listed().size() == 1; }));
    pressLig();
    expectSwitchedOff(form());
    EXPECT_EQ(form().Lb7->text(), QStringLiteral("Ativar"));
    EXPECT_TRUE(waitFor([&] { return listed().empty(); }));
    EXPECT_TRUE(waitFor([&] { return status() == QStringLiteral(">>> Grupo outra desativado."); }));
    EXPECT_TRUE(directory_->isActive()) << "the lobby's link stays up";
}

}  // namespace
