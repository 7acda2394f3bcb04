// rabuscal-directory as a process: options, a request, and a clean stop.

#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>

#include "directory/wire_peer.h"

namespace rabuscal::directory {
namespace {

using testing::kWaitMsecs;

TEST(DirectoryExecutableTest, ServesOnAnEphemeralPortAndStopsCleanlyOnSigterm) {
    testing::ensureApp();
    QProcess service;
    service.start(RABUSCAL_DIRECTORY_BIN, {"--port", "0"});
    ASSERT_TRUE(service.waitForStarted(kWaitMsecs));
    QByteArray out;
    const QRegularExpression listening("listening on port (\\d+)");
    QRegularExpressionMatch match;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            out += service.readAllStandardOutput();
            match = listening.match(QString::fromLatin1(out));
            return match.hasMatch();
        },
        kWaitMsecs));

    testing::WirePeer host(match.captured(1).toUShort());
    ASSERT_TRUE(host.connected());
    EXPECT_EQ(host.ask("atv", "rabuscal|sala"), (protocol::Message{"sys", "Grupo sala ativado."}));
    EXPECT_EQ(host.ask("jgs", "rabuscal"), (protocol::Message{"lsg", "sala|127.0.0.1^"}));

    service.terminate();
    ASSERT_TRUE(service.waitForFinished(kWaitMsecs));
    EXPECT_EQ(service.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(service.exitCode(), 0);
    out += service.readAllStandardOutput();
    EXPECT_TRUE(out.contains("atv rabuscal|sala -> Grupo sala ativado.")) << out.toStdString();
}

TEST(DirectoryExecutableTest, HelpAndBadPortAreAnswered) {
    testing::ensureApp();
    QProcess help;
    help.start(RABUSCAL_DIRECTORY_BIN, {"--help"});
    ASSERT_TRUE(help.waitForFinished(kWaitMsecs));
    EXPECT_EQ(help.exitCode(), 0);
    EXPECT_TRUE(help.readAllStandardOutput().contains("--port"));

    QProcess bad;
    bad.start(RABUSCAL_DIRECTORY_BIN, {"--port", "70000"});
    ASSERT_TRUE(bad.waitForFinished(kWaitMsecs));
    EXPECT_NE(bad.exitCode(), 0);
}

}  // namespace
}  // namespace rabuscal::directory
