// SPDX-License-Identifier: GPL-3.0-or-later
// rabuscal-directory as a process: options, a request, and a clean stop.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>

#include "directory/service_process.h"
#include "support/raw_socket.h"

namespace rabuscal::directory {
namespace {

using testing::kPatience;
using testing::ServiceProcess;

// Groups from this host are listed under the public address; without one,
// under their own (the last test).
TEST(DirectoryExecutableTest, ListsLocalHostsUnderThePublicAddressAndStopsCleanlyOnSigterm) {
    ServiceProcess service({"--log-level", "debug", "--public-address", "203.0.113.7"});
    ASSERT_NE(service.port(), 0);
    EXPECT_TRUE(service.waitOutput("open-file limit")) << "the capacity is logged";

    testing::WirePeer host(service.port());
    ASSERT_TRUE(host.waitConnected());
    EXPECT_EQ(host.ask("atv", "rabuscal|sala"), (protocol::Message{"sys", "Grupo sala ativado."}));
    EXPECT_EQ(host.ask("jgs", "rabuscal"), (protocol::Message{"lsg", "sala|203.0.113.7^"}));

    service.process().terminate();
    ASSERT_TRUE(service.process().waitForFinished(kPatience));
    EXPECT_EQ(service.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(service.process().exitCode(), 0);
    EXPECT_TRUE(service.output().contains("atv rabuscal|sala -> Grupo sala ativado."))
        << service.output().toStdString();
    EXPECT_TRUE(host.waitClosed());
}

TEST(DirectoryExecutableTest, HelpAndBadOptionsAreAnswered) {
    support::coreApplication();
    QProcess help;
    help.start(RABUSCAL_DIRECTORY_BIN, {"--help"});
    ASSERT_TRUE(help.waitForFinished(kPatience));
    EXPECT_EQ(help.exitCode(), 0);
    const QByteArray text = help.readAllStandardOutput();
    for (const char* option :
         {"--port", "--store", "--public-address", "--max-connections-per-address",
          "--max-groups-per-address", "--max-connections", "--idle-timeout", "--log-level"})
        EXPECT_TRUE(text.contains(option)) << option;

    for (const QStringList& bad :
         {QStringList{"--port", "70000"}, QStringList{"--store", "x:1"},
          QStringList{"--max-groups-per-address=0"}, QStringList{"--log-level", "loud"},
          QStringList{"--idle-timeout", "0"}, QStringList{"--bogus", "1"}, QStringList{"--port"},
          QStringList{"--public-address", "::1"}, QStringList{"--listen", "192.0.2.1"}}) {
        QProcess refused;
        refused.start(RABUSCAL_DIRECTORY_BIN, bad);
        ASSERT_TRUE(refused.waitForFinished(kPatience));
        EXPECT_EQ(refused.exitCode(), 2)
            << bad.join(' ').toStdString() << ": a configuration that cannot work";
    }
}

// Strangers from many addresses open more idle connections than the
// descriptors allow: the idlest make room, the host of a group is never among
// them, and an honest lobby still gets its list.
TEST(DirectoryExecutableTest, IdleConnectionsBeyondTheFileLimitMakeRoomForNewcomers) {
    ServiceProcess service({}, 256);
    const quint16 port = service.port();
    testing::WirePeer host(port);
    ASSERT_TRUE(host.waitConnected());
    EXPECT_EQ(host.ask("atv", "rabuscal|sala"), (protocol::Message{"sys", "Grupo sala ativado."}));

    std::vector<int> idle;
    for (int i = 0; i < 300; ++i)
        idle.push_back(support::rawConnect(port, ("127.0.5." + std::to_string(1 + i % 9)).c_str()));
    testing::WirePeer lobby(port, "127.0.0.1", "127.0.6.1");
    ASSERT_TRUE(lobby.waitConnected());
    EXPECT_EQ(lobby.ask("jgs", "rabuscal"), (protocol::Message{"lsg", "sala|127.0.0.1^"}));
    EXPECT_TRUE(service.waitOutput("idle connection reset to make room"));
    // A socket the service reset reads as closed from then on.
    const auto reset = [](int fd) { return support::closedByServer(fd, 1); };
    EXPECT_TRUE(support::waitFor([&] { return std::ranges::count_if(idle, reset) > 50; }));
    for (int fd : idle) ::close(fd);
    EXPECT_EQ(host.ask("jgs", "rabuscal"), (protocol::Message{"lsg", "sala|127.0.0.1^"}));
}

}  // namespace
}  // namespace rabuscal::directory
