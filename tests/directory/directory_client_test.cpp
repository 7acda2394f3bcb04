// The directory client against the real service, and against a scripted one
// for replies the service never sends.

#include "client/directory_client.h"

#include <gtest/gtest.h>

#include <QHostAddress>
#include <memory>

#include "directory/net/tcp_directory_server.h"
#include "directory/scripted_directory.h"
#include "directory/wire_peer.h"

namespace rabuscal::client {
namespace {

using directory::testing::kWaitMsecs;
using directory::testing::ScriptedDirectory;
using directory::testing::WirePeer;
using Lamp = DirectoryClient::Lamp;
using Texts = std::vector<std::string>;

// Everything the client tells its windows.
struct Recorder {
    explicit Recorder(DirectoryClient& client) {
        QObject::connect(&client, &DirectoryClient::statusForMain,
                         [this](const QByteArray& t) { main.push_back(t.toStdString()); });
        QObject::connect(&client, &DirectoryClient::statusForServerWindow,
                         [this](const QByteArray& t) { server.push_back(t.toStdString()); });
        QObject::connect(&client, &DirectoryClient::lampChanged,
                         [this](Lamp colour) { lamps.push_back(colour); });
        QObject::connect(&client, &DirectoryClient::groupsChanged, [this] { ++groupChanges; });
    }
    bool waitGroupChanges(int count) {
        return QTest::qWaitFor([&] { return groupChanges >= count; }, kWaitMsecs);
    }
    Texts main, server;
    std::vector<Lamp> lamps;
    int groupChanges = 0;
};

class DirectoryClientTest : public ::testing::Test {
  protected:
    void SetUp() override {
        directory::testing::ensureApp();
        service_ = std::make_unique<directory::TcpDirectoryServer>(
            [this](const std::string& line) { serviceLog_.push_back(line); });
        ASSERT_FALSE(service_->start(QHostAddress::LocalHost, 0).has_value());
    }
    std::unique_ptr<DirectoryClient> clientOf(quint16 port) {
        return std::make_unique<DirectoryClient>("127.0.0.1", port);
    }
    std::vector<protocol::Group> listed() const {
        return service_->rules().groups().list("rabuscal");
    }
    bool waitListed(std::size_t count) {
        return QTest::qWaitFor([&] { return listed().size() == count; }, kWaitMsecs);
    }
    bool waitActive(DirectoryClient& client) {
        return QTest::qWaitFor([&] { return client.isActive(); }, kWaitMsecs);
    }

    std::unique_ptr<directory::TcpDirectoryServer> service_;
    std::vector<std::string> serviceLog_;
};

TEST_F(DirectoryClientTest, TwoRequestsMadeWhileConnectingSendOnlyTheSecond) {
    auto client = clientOf(service_->port());
    Recorder seen(*client);
    client->activateGroup("um");
    client->activateGroup("dois");
    EXPECT_FALSE(client->isActive());

    ASSERT_TRUE(QTest::qWaitFor([&] { return !seen.server.empty(); }, kWaitMsecs));
    EXPECT_EQ(seen.server, Texts{">>> Grupo dois ativado."});
    EXPECT_EQ(listed(), (std::vector<protocol::Group>{{"dois", "127.0.0.1"}}));
    EXPECT_EQ(client->pendingMessage(), "") << "sent once on connecting, then cleared";
}

TEST_F(DirectoryClientTest, RequestsWhileConnectedGoOutAtOnceEachTime) {
    ScriptedDirectory directory;
    auto client = clientOf(directory.port());
    client->askGroups();
    ASSERT_TRUE(directory.waitReceived("j#gjgs:rabuscal"));
    ASSERT_TRUE(waitActive(*client));
    EXPECT_EQ(client->pendingMessage(), "");

    client->askGroups();
    client->activateGroup("sala");
    EXPECT_TRUE(directory.waitReceived("j#gjgs:rabuscalj#gjgs:rabuscalj#gatv:rabuscal|sala"));
    EXPECT_EQ(client->pendingMessage(), "j#gatv:rabuscal|sala") << "stays stored";
    EXPECT_EQ(directory.connections(), 1);
}

TEST_F(DirectoryClientTest, ListingFillsGroupNamesAndAddressesTogether) {
    WirePeer first(service_->port()), second(service_->port());
    first.ask("atv", "rabuscal|um");
    second.ask("atv", "rabuscal|dois");
    auto client = clientOf(service_->port());
    Recorder seen(*client);

    client->askGroups();
    ASSERT_TRUE(seen.waitGroupChanges(1));
    EXPECT_EQ(client->Grupos(), (Texts{"um", "dois"}));
    EXPECT_EQ(client->GroupAddresses(), (Texts{"127.0.0.1", "127.0.0.1"}));
    EXPECT_EQ(client->addressAt(1), "127.0.0.1");
    EXPECT_EQ(client->addressAt(2), "");
    EXPECT_EQ(seen.lamps, (std::vector<Lamp>{Lamp::Red, Lamp::Lime}));

    first.close();
    second.close();
    ASSERT_TRUE(waitListed(0));
    client->askGroups();
    ASSERT_TRUE(seen.waitGroupChanges(2));
    EXPECT_TRUE(client->Grupos().empty());
    EXPECT_TRUE(client->GroupAddresses().empty());
}

TEST_F(DirectoryClientTest, RepliesGoToTheirStatusLinesAndCutListsEnd) {
    ScriptedDirectory directory;
    auto client = clientOf(directory.port());
    Recorder seen(*client);
    client->askGroups();
    ASSERT_TRUE(directory.waitConnected());

    directory.reply(
        "j#gsys:Grupo sala ativado.j#gmsg:Ol\xe1!j#gxyz:nadaj#glsg:um|1.2.3.4^dois|5.6.7.8^");
    ASSERT_TRUE(seen.waitGroupChanges(1));
    EXPECT_EQ(seen.server, Texts{">>> Grupo sala ativado."});
    EXPECT_EQ(seen.main.back(), ">>> Ol\xe1!");
    EXPECT_EQ(client->Grupos(), (Texts{"um", "dois"}));
    EXPECT_EQ(client->GroupAddresses(), (Texts{"1.2.3.4", "5.6.7.8"}));

    // A last record without its "^" or its "|" is left out.
    directory.reply("j#glsg:um|1.2.3.4^tr\xeas|9.9");
    ASSERT_TRUE(seen.waitGroupChanges(2));
    EXPECT_EQ(client->Grupos(), Texts{"um"});
    directory.reply("j#glsg:um|1.2.3.4^sem barra");
    ASSERT_TRUE(seen.waitGroupChanges(3));
    EXPECT_EQ(client->Grupos(), Texts{"um"});
    EXPECT_EQ(client->GroupAddresses(), Texts{"1.2.3.4"});

    directory.reply("j#glsg:");
    ASSERT_TRUE(seen.waitGroupChanges(4));
    EXPECT_TRUE(client->Grupos().empty());
    EXPECT_TRUE(client->GroupAddresses().empty());
}

TEST_F(DirectoryClientTest, ConnectionEventsShowTheirTextsAndLampColours) {
    ScriptedDirectory directory;
    auto client = clientOf(directory.port());
    Recorder seen(*client);
    client->askGroups();
    EXPECT_EQ(seen.main, (Texts{"", "Acessando servidor principal..."}));
    EXPECT_EQ(client->lamp(), Lamp::Red);

    ASSERT_TRUE(directory.waitConnected());
    directory.reply("j#glsg:");
    ASSERT_TRUE(QTest::qWaitFor([&] { return client->lamp() == Lamp::Lime; }, kWaitMsecs));
    directory.dropClient();
    ASSERT_TRUE(QTest::qWaitFor([&] { return client->lamp() == Lamp::Maroon; }, kWaitMsecs));
    EXPECT_EQ(seen.main.back(), "Desconectado.");

    // Nothing listens on a port just released.
    quint16 closedPort = 0;
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        closedPort = probe.serverPort();
    }
    auto unreachable = clientOf(closedPort);
    Recorder failed(*unreachable);
    unreachable->askGroups();
    ASSERT_TRUE(QTest::qWaitFor([&] { return failed.main.size() >= 3; }, kWaitMsecs));
    EXPECT_EQ(failed.main.back(), "Falha no acesso ao servidor.");
    EXPECT_EQ(unreachable->lamp(), Lamp::Maroon);
}

TEST_F(DirectoryClientTest, DeactivationEmptiesTheListAndAsksForItAgain) {
    ScriptedDirectory directory;
    auto client = clientOf(directory.port());
    Recorder seen(*client);
    client->activateGroup("sala");
    ASSERT_TRUE(directory.waitReceived("j#gatv:rabuscal|sala"));
    directory.reply("j#glsg:sala|1.2.3.4^");
    ASSERT_TRUE(seen.waitGroupChanges(1));

    client->deactivateGroup("sala");
    EXPECT_TRUE(client->Grupos().empty());
    EXPECT_TRUE(client->GroupAddresses().empty());
    EXPECT_TRUE(directory.waitReceived("j#gatv:rabuscal|salaj#gdtv:rabuscal|salaj#gjgs:rabuscal"));
}

TEST_F(DirectoryClientTest, DeactivationRefreshesTheListFromTheService) {
    WirePeer other(service_->port());
    other.ask("atv", "rabuscal|outra");
    auto client = clientOf(service_->port());
    Recorder seen(*client);
    client->activateGroup("sala");
    ASSERT_TRUE(waitListed(2));
    ASSERT_TRUE(waitActive(*client));

    client->deactivateGroup("sala");
    ASSERT_TRUE(seen.waitGroupChanges(2));
    EXPECT_EQ(client->Grupos(), Texts{"outra"});
    EXPECT_EQ(seen.server, (Texts{">>> Grupo sala ativado.", ">>> Grupo sala desativado."}));
}

TEST_F(DirectoryClientTest, AnnouncerListsTheGroupWhileTheServerRuns) {
    Texts lines;
    auto announcer = std::make_unique<GroupAnnouncer>("mesa", "127.0.0.1", service_->port());
    QObject::connect(announcer.get(), &GroupAnnouncer::logLine,
                     [&](const QByteArray& line) { lines.push_back(line.toStdString()); });
    announcer->announce();
    ASSERT_TRUE(waitListed(1));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return !lines.empty() && lines.back()[0] == '>'; }, kWaitMsecs));
    EXPECT_EQ(lines.back(), ">>> Grupo mesa ativado.");

    announcer->withdraw();
    ASSERT_TRUE(waitListed(0));
    EXPECT_NE(std::find_if(serviceLog_.begin(), serviceLog_.end(),
                           [](const std::string& line) {
                               return line.ends_with("dtv rabuscal|mesa -> Grupo mesa desativado.");
                           }),
              serviceLog_.end())
        << "the group is withdrawn, not just dropped with the connection";
}

}  // namespace
}  // namespace rabuscal::client
