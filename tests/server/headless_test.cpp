// SPDX-License-Identifier: GPL-3.0-or-later
// The rabuscal-server executable, stopped with SIGTERM.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QFile>
#include <QProcess>
#include <atomic>
#include <csignal>
#include <thread>

#include "support/application.h"
#include "support/expectations.h"
#include "support/loopback_peer.h"
#include "support/raw_socket.h"
#include "support/stroke_blocks.h"

namespace rabuscal::server::testing {
namespace {

using namespace rabuscal::support;

class Headless : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { coreApplication(); }
    void TearDown() override {
        if (process.state() != QProcess::NotRunning) process.kill();
        process.waitForFinished();
    }

    quint16 startServer(QStringList extra = {}) {
        return startOnFreePort(process, RABUSCAL_SERVER_EXE, extra);
    }
    // `exe` with `args` then "--port 0" (so that a wrapper may run the program);
    // returns the port it printed.
    static quint16 startOnFreePort(QProcess& p, const QString& exe, QStringList args) {
        p.start(exe, args + QStringList{"--port", "0"});
        if (!p.waitForStarted()) return 0;
        waitFor([&] { return p.canReadLine(); });
        const QByteArray line = p.readLine().trimmed();  // "listening on port N"
        return static_cast<quint16>(line.mid(line.lastIndexOf(' ') + 1).toUInt());
    }
    QString log() { return QString::fromLatin1(process.readAllStandardOutput()); }
    void terminate() {
        ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
        ASSERT_TRUE(process.waitForFinished(kPatience));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 0);
    }

    QProcess process;
};

TEST_F(Headless, RefereesLogsAndStopsCleanlyOnSigterm) {
    const quint16 port = startServer();
    ASSERT_NE(port, 0);
    LoopbackPeer ana(port);
    ana.send("$-$slc:Ana$-$ini:gato$-$pts:x$-$cls:");
    ASSERT_TRUE(
        receives(ana, "$-$onj:$-$mdv:Ana$-$cls:$-$pts:100$-$sys:> Valendo...$-$lst:xxxx Ana|"));

    // A raw peer that is not the drawer: everything but its guess is dropped.
    LoopbackPeer bia(port);
    bia.send("$-$cls:$-$ini:x$-$mdv:Bia");
    bia.send("$-$slc:Bia");
    ASSERT_TRUE(receives(bia, "$-$onj:$-$mdv:Ana$-$pts:100$-$cls:$-$lst:xxxx Ana|   0 Bia|"));
    ASSERT_TRUE(receives(ana, "$-$lst:xxxx Ana|   0 Bia|"));
    bia.send("$-$mov:1|1$-$pts:500$-$msg:Ana falou: eu sou a Ana$-$mdv:Bia$-$tnt:gato");
    EXPECT_TRUE(receives(
        ana,
        "$-$avs:Bia tentou \"gato\" e... ACERTOU !$-$pts:0$-$mdv:Bia$-$lst:   0 Ana|xxxx Bia|"));
    ana.socket().close();
    QString out;
    EXPECT_TRUE(waitFor([&] { return (out += log()).contains("close #1 \"Ana\""); }));
    terminate();
    out += log();
    for (const char* line :
         {"accept #1", "join #1 \"Ana\"", "round #1 \"GATO\"",
          "refused pts (not a number) from 127.0.0.1: #1",
          "refused cls (not joined) from 127.0.0.1: #2",
          "refused mov (not the drawer) from 127.0.0.1: #2", "refused pts (not the drawer)",
          "refused msg (speaks in another name)", "refused mdv (not the drawer)",
          "hit \"Bia\" +100 total 100", "close #1 \"Ana\""})
        EXPECT_TRUE(out.contains(line)) << line << " missing from:\n" << out.toStdString();
}

TEST_F(Headless, SigtermEndsTheServerUnderAFlood) {  // bench_server times it
    const quint16 port = startServer();
    ASSERT_NE(port, 0);
    const int drawer = rawConnect(port);
    sendAll(drawer, "$-$slc:d");
    std::vector<int> stuck;
    for (int i = 0; i < 30; ++i)
        stuck.push_back(rawConnect(port, ("127.7.0." + std::to_string(i + 1)).c_str(), 4096));
    std::atomic<bool> over = false;
    std::thread flood([&] {
        const std::string block = repeated("$-$mov:1|2", 64 * 1024);
        while (!over && sendAll(drawer, block)) {
        }
    });
    settle(1000);
    terminate();
    over = true;
    ::shutdown(drawer, SHUT_RDWR);
    flood.join();
    ::close(drawer);
    for (int fd : stuck) ::close(fd);
}

// With its descriptors used up the server pauses accepting instead of spinning
// on a listener that stays readable, and serves again once some are free.
TEST_F(Headless, OutOfFileDescriptorsPausesAcceptingAndRecovers) {
    const quint16 port =
        startOnFreePort(process, "prlimit", {"--nofile=40:40", RABUSCAL_SERVER_EXE});
    ASSERT_NE(port, 0);
    std::vector<int> fds;
    for (int i = 0; i < 50; ++i)
        fds.push_back(rawConnect(port, ("127.8.0." + std::to_string(i + 1)).c_str()));
    QByteArray out;
    ASSERT_TRUE(waitFor([&] {
        out += process.readAllStandardOutput();
        return out.contains("accept paused");
    })) << out.toStdString();

    const auto cpuTicks = [&] {
        QFile stat(QString("/proc/%1/stat").arg(process.processId()));
        stat.open(QIODevice::ReadOnly);
        const QList<QByteArray> fields = stat.readAll().split(' ');
        return fields.size() > 15 ? fields[13].toLongLong() + fields[14].toLongLong() : 0;
    };
    const long long before = cpuTicks();
    settle(1000);
    EXPECT_LT(cpuTicks() - before, 30) << "busy for a second while out of descriptors";

    // Those still waiting in the backlog go first: free room for all of them.
    for (std::size_t i = 10; i < fds.size(); ++i) ::close(fds[i]);
    LoopbackPeer late(port);
    late.send("$-$slc:late");
    EXPECT_TRUE(waitFor([&] { return late.received.starts_with("$-$onj:"); }));
    out += process.readAllStandardOutput();
    EXPECT_TRUE(out.contains("accept resumed"));
    for (int i = 0; i < 10; ++i) ::close(fds[i]);
}

TEST_F(Headless, AnnouncedGroupIsListedWhileTheServerRunsAndWithdrawnWhenItStops) {
    QProcess directory;
    const quint16 directoryPort = startOnFreePort(directory, RABUSCAL_DIRECTORY_EXE, {});
    ASSERT_NE(directoryPort, 0);
    // "€" exists only in Windows-1252, not in Latin-1.
    ASSERT_NE(startServer({"--announce", "sala €", "--directory",
                           QString("127.0.0.1:%1").arg(directoryPort)}),
              0);

    QByteArray out;  // the directory's answer, logged
    ASSERT_TRUE(waitFor([&] {
        out += process.readAllStandardOutput();
        return out.contains("ativado");
    })) << out.toStdString();
    const auto lists = [&](std::string_view groups) {
        LoopbackPeer lobby(directoryPort);
        lobby.send("j#gjgs:rabuscal");
        return receives(lobby, groups);
    };
    EXPECT_TRUE(lists("j#glsg:sala \x80|127.0.0.1^"));

    terminate();
    EXPECT_TRUE(lists("j#glsg:"));
    directory.kill();
    directory.waitForFinished();
}

TEST_F(Headless, HelpAndConfigurationErrors) {
    process.start(RABUSCAL_SERVER_EXE, {"--help"});
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_TRUE(log().contains("--port"));

    // An empty group name (an empty GROUP_NAME in the settings) runs unannounced.
    const quint16 port = startServer({"--announce", ""});
    ASSERT_NE(port, 0);
    // What restarting cannot mend exits 2: a bad option, a port already taken.
    for (const QStringList& bad : {QStringList{"--port", "70000"}, QStringList{"--bogus"},
                                   QStringList{"--port", QString::number(port)}}) {
        QProcess refused;
        refused.start(RABUSCAL_SERVER_EXE, bad);
        ASSERT_TRUE(refused.waitForFinished(10000));
        EXPECT_EQ(refused.exitCode(), 2) << bad.join(' ').toStdString();
    }
    terminate();
}

}  // namespace
}  // namespace rabuscal::server::testing
