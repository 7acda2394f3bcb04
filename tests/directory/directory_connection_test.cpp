// SPDX-License-Identifier: GPL-3.0-or-later
// `Cli2` and the group announcer against the real service, and against a
// scripted one for what the service never does. The reply rules themselves
// are tested without a socket in directory_client_test.cpp.

#include "directory/client/directory_connection.h"

#include <gtest/gtest.h>

#include <memory>
#include <mutex>

#include "directory/client/group_announcer.h"
#include "directory/net/background_directory.h"
#include "directory/wire_peer.h"

namespace rabuscal::directory {
namespace {

using support::waitFor;
using testing::kPatience;
using ScriptedDirectory = support::ListeningPeer;
using testing::WirePeer;
using Texts = std::vector<std::string>;

// Everything the client tells its windows.
struct Recorder {
    explicit Recorder(DirectoryConnection& client) {
        QObject::connect(&client, &DirectoryConnection::statusForMain,
                         [this](const QByteArray& t) { main.push_back(t.toStdString()); });
        QObject::connect(&client, &DirectoryConnection::statusForServerWindow,
                         [this](const QByteArray& t) { server.push_back(t.toStdString()); });
        QObject::connect(&client, &DirectoryConnection::lampChanged,
                         [this](Lamp colour) { lamps.push_back(colour); });
        QObject::connect(&client, &DirectoryConnection::groupsChanged, [this] { ++groupChanges; });
    }
    bool waitGroupChanges(int count) {
        return waitFor([&] { return groupChanges >= count; });
    }
    Texts main, server;
    std::vector<Lamp> lamps;
    int groupChanges = 0;
};

class DirectoryConnectionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        support::coreApplication();
        service_ = std::make_unique<BackgroundDirectory>([this](const std::string& line) {
            std::lock_guard lock(logMutex_);
            serviceLog_.push_back(line);
        });
        ASSERT_FALSE(service_->start("127.0.0.1", 0).has_value());
    }
    std::unique_ptr<DirectoryConnection> clientOf(quint16 port) {
        return std::make_unique<DirectoryConnection>("127.0.0.1", port);
    }
    std::vector<protocol::Group> listed() const { return service_->listed("rabuscal"); }
    bool waitListed(std::size_t count) {
        return waitFor([&] { return listed().size() == count; });
    }
    bool logged(std::string_view ending) {
        std::lock_guard lock(logMutex_);
        return std::any_of(serviceLog_.begin(), serviceLog_.end(),
                           [&](const std::string& line) { return line.ends_with(ending); });
    }

    std::mutex logMutex_;
    std::vector<std::string> serviceLog_;
    std::unique_ptr<BackgroundDirectory> service_;
};

TEST_F(DirectoryConnectionTest, TwoRequestsMadeWhileConnectingSendOnlyTheSecond) {
    WirePeer other(service_->port());
    other.ask("atv", "rabuscal|um");
    auto client = clientOf(service_->port());
    Recorder seen(*client);
    client->activateGroup("tr\xeas");
    client->activateGroup("dois");
    EXPECT_FALSE(client->isActive());
    ASSERT_TRUE(waitFor([&] { return !seen.server.empty(); }));
    EXPECT_EQ(seen.server, Texts{">>> Grupo dois ativado."});
    EXPECT_EQ(listed(), (std::vector<protocol::Group>{{"um", "127.0.0.1"}, {"dois", "127.0.0.1"}}));
    EXPECT_EQ(client->pendingMessage(), "") << "sent once on connecting, then cleared";

    // The listing fills names and addresses together; deactivating lists again.
    client->askGroups();
    ASSERT_TRUE(seen.waitGroupChanges(1));
    EXPECT_EQ(client->Grupos(), (Texts{"um", "dois"}));
    EXPECT_EQ(client->GroupAddresses(), (Texts{"127.0.0.1", "127.0.0.1"}));
    EXPECT_EQ(seen.lamps, (std::vector<Lamp>{Lamp::Red, Lamp::Lime, Lamp::Red, Lamp::Lime}))
        << "each request turns the lamp red until its reply";
    client->deactivateGroup("dois");
    ASSERT_TRUE(seen.waitGroupChanges(3)) << "emptied, then listed again by the service";
    EXPECT_EQ(client->Grupos(), Texts{"um"});
    EXPECT_EQ(seen.server, (Texts{">>> Grupo dois ativado.", ">>> Grupo dois desativado."}));
}

TEST_F(DirectoryConnectionTest, ConnectionEventsShowTheirTextsAndLampColours) {
    ScriptedDirectory directory;
    auto client = clientOf(directory.port());
    Recorder seen(*client);
    client->askGroups();
    EXPECT_EQ(seen.main, (Texts{"", "Acessando servidor principal..."}));
    EXPECT_EQ(client->lamp(), Lamp::Red);

    ASSERT_TRUE(directory.waitConnected());
    directory.say("j#glsg:");
    ASSERT_TRUE(waitFor([&] { return client->lamp() == Lamp::Lime; }));
    directory.dropClient();
    ASSERT_TRUE(waitFor([&] { return client->lamp() == Lamp::Maroon; }));
    EXPECT_EQ(seen.main.back(), "Desconectado.");

    auto unreachable = clientOf(support::unusedPort());
    Recorder failed(*unreachable);
    unreachable->askGroups();
    ASSERT_TRUE(waitFor([&] { return failed.main.size() >= 3; }));
    EXPECT_EQ(failed.main.back(), "Falha no acesso ao servidor.");
    EXPECT_EQ(unreachable->lamp(), Lamp::Maroon);
}

TEST_F(DirectoryConnectionTest, AnnouncerListsTheGroupWhileTheServerRuns) {
    Texts lines;
    auto announcer = std::make_unique<GroupAnnouncer>("mesa", "127.0.0.1", service_->port());
    QObject::connect(announcer.get(), &GroupAnnouncer::logLine,
                     [&](const QByteArray& line) { lines.push_back(line.toStdString()); });
    announcer->announce();
    ASSERT_TRUE(waitListed(1));
    ASSERT_TRUE(waitFor([&] { return !lines.empty() && lines.back()[0] == '>'; }));
    EXPECT_EQ(lines.back(), ">>> Grupo mesa ativado.");

    announcer->withdraw();
    ASSERT_TRUE(waitListed(0));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return logged("dtv rabuscal|mesa -> Grupo mesa desativado."); }, kPatience))
        << "the group is withdrawn, not just dropped with the connection";
}

}  // namespace
}  // namespace rabuscal::directory
