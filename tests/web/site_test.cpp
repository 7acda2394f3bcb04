// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <csignal>

#include "support/application.h"
#include "support/loopback_peer.h"
#include "web/gallery.h"
#include "web/version_check.h"
#include "web/web_dwn.h"

using rabuscal::support::coreApplication;
using namespace rabuscal;

namespace {

// The real site served by lighttpd through site/serve.sh, on a free port.
class ServedSite : public ::testing::Test {
  protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable("lighttpd", {"/usr/sbin", "/usr/bin"}).isEmpty())
            GTEST_SKIP() << "lighttpd is not installed";
        port = support::unusedPort();
        QProcess serve;
        serve.start(QStringLiteral(RABUSCAL_SITE_DIR "/serve.sh"),
                    {"--port", QString::number(port), "--background", "--state-dir", state.path()});
        ASSERT_TRUE(serve.waitForFinished(10000));
        ASSERT_EQ(serve.exitCode(), 0) << serve.readAllStandardError().toStdString();
        pid = serve.readAllStandardOutput().trimmed().toLongLong();
        ASSERT_GT(pid, 0);
    }
    void TearDown() override {
        if (pid > 0) ::kill(pid_t(pid), SIGTERM);
    }
    QByteArray base() const { return "http://127.0.0.1:" + QByteArray::number(port) + "/"; }
    QUrl at(const char* path) const { return QUrl::fromEncoded(base() + path); }

    QCoreApplication& app = coreApplication();
    QTemporaryDir state;
    quint16 port = 0;
    qint64 pid = 0;
    WebDwn client;
};

TEST_F(ServedSite, VersionFileIsOursAndPagesAreServedInTheGamesLook) {
    const Fetched version = client.get(at("rabuscal/versao.txt"));
    ASSERT_TRUE(version.ok) << version.error.toStdString();
    EXPECT_EQ(version.body, "1.0");
    QString status;
    checkVersion(client, {[&](const QString& text) { status = text; }, {}}, base());
    EXPECT_EQ(status, "Esta é a versão mais recente do jogo.");

    for (const char* page : {"rabuscal/pgn01.htm", "rabuscal/down.htm", "pags/pexo0.htm"}) {
        const Fetched fetched = client.get(at(page));
        EXPECT_TRUE(fetched.ok) << page;
        EXPECT_TRUE(fetched.body.contains("estilo.css")) << page << " lost the game's style sheet";
    }
    EXPECT_TRUE(client.get(at("rabuscal/estilo.css")).ok);
    EXPECT_FALSE(client.get(at("serve.sh")).ok);
    EXPECT_FALSE(client.get(at("lighttpd.conf")).ok);
}

TEST_F(ServedSite, ClubAreaNeedsTheClubPasswordAndPublicDrawingsWithBlanksDownload) {
    QTemporaryDir workDir;
    Gallery gallery(client, QDir(workDir.path()), base());
    EXPECT_TRUE(gallery.fetchClubList("pexo", "errada").isEmpty());
    EXPECT_TRUE(gallery.fetchClubList("", "").isEmpty());
    const QList<QByteArray> club = gallery.fetchClubList("pexo", "pexo");
    ASSERT_FALSE(club.isEmpty());
    EXPECT_TRUE(gallery.downloadDrawing(club.first()).ok());

    const QList<QByteArray> names = gallery.fetchPublicList();
    ASSERT_FALSE(names.isEmpty());
    for (const QByteArray& name : names) {
        if (name.isEmpty()) continue;
        const LoadedPicture picture = gallery.downloadDrawing(name);
        EXPECT_TRUE(picture.ok()) << name.toStdString() << ": " << picture.error.toStdString();
    }
}

}  // namespace
