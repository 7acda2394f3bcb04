// The rabuscal-server executable: started on a free port, played with, stopped
// with SIGTERM.
#include <gtest/gtest.h>

#include <QProcess>
#include <csignal>

#include "wire_client.h"

namespace rabuscal::server::testing {
namespace {

class Headless : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { ensureApplication(); }
    void TearDown() override {
        if (process.state() != QProcess::NotRunning) process.kill();
        process.waitForFinished();
    }

    // Starts the server on a free port and returns the port it printed.
    quint16 startServer(QStringList extra = {}) {
        return startOnFreePort(process, RABUSCAL_SERVER_EXE, extra);
    }

    static quint16 startOnFreePort(QProcess& p, const QString& exe, QStringList extra) {
        p.start(exe, QStringList{"--port", "0"} + extra);
        if (!p.waitForStarted()) return 0;
        waitFor([&] { return p.canReadLine(); });
        const QByteArray line = p.readLine().trimmed();  // "listening on port N"
        return static_cast<quint16>(line.mid(line.lastIndexOf(' ') + 1).toUInt());
    }
    QString log() { return QString::fromLatin1(process.readAllStandardOutput()); }

    QProcess process;
};

TEST_F(Headless, ServesPlayersLogsAndStopsCleanlyOnSigterm) {
    const quint16 port = startServer();
    ASSERT_NE(port, 0);
    WireClient ana(port);
    ana.send("$-$slc:Ana$-$ini:gato$-$pts:x$-$cls:");
    const std::string expected =
        "$-$onj:$-$mdv:Ana$-$lst:xxxx Ana|$-$cls:$-$pts:100$-$sys:> Valendo...";
    EXPECT_EQ(ana.expect(expected), expected);
    ana.send("$-$tnt:gato");
    ana.expect("$-$avs:Ana tentou \"gato\" e... ACERTOU !$-$pts:0$-$mdv:Ana$-$lst:xxxx Ana|");
    ana.socket.close();
    waitFor([] { return false; }, 200);

    ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
    const QString out = log();
    for (const char* line : {"accept #1", "join #1 \"Ana\"", "round #1 \"GATO\"", "error #1 ",
                             "hit \"Ana\" +100 total 100", "close #1 \"Ana\""})
        EXPECT_TRUE(out.contains(line)) << line << " missing from:\n" << out.toStdString();
}

TEST_F(Headless, AnnouncedGroupIsListedWhileTheServerRunsAndWithdrawnWhenItStops) {
    QProcess directory;
    const quint16 directoryPort = startOnFreePort(directory, RABUSCAL_DIRECTORY_EXE, {});
    ASSERT_NE(directoryPort, 0);
    ASSERT_NE(startServer({"--announce", "sala", "--directory",
                           QString("127.0.0.1:%1").arg(directoryPort)}),
              0);

    // The directory confirms the announcement; the server logs its answer.
    QByteArray out;
    ASSERT_TRUE(waitFor([&] {
        out += process.readAllStandardOutput();
        return out.contains("ativado");
    })) << out.toStdString();
    {
        WireClient lobby(directoryPort);
        lobby.send("j#gjgs:rabuscal");
        EXPECT_EQ(lobby.expect("j#glsg:sala|127.0.0.1^"), "j#glsg:sala|127.0.0.1^");
    }

    ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitCode(), 0);
    WireClient lobby(directoryPort);
    lobby.send("j#gjgs:rabuscal");
    EXPECT_EQ(lobby.expect("j#glsg:"), "j#glsg:");
    directory.kill();
    directory.waitForFinished();
}

TEST_F(Headless, HelpAndBadPort) {
    process.start(RABUSCAL_SERVER_EXE, {"--help"});
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_TRUE(log().contains("--port"));
    process.start(RABUSCAL_SERVER_EXE, {"--port", "70000"});
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_NE(process.exitCode(), 0);
}

}  // namespace
}  // namespace rabuscal::server::testing
