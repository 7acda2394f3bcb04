// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/version_check.h"

#include <gtest/gtest.h>

#include <QStringList>

#include "http_fixture.h"
#include "support/application.h"
#include "web/web_dwn.h"

using rabuscal::support::coreApplication;
using namespace rabuscal;

namespace {

// The status line and the browser as the version check sees them.
struct MainWindowStub {
    QString status = QStringLiteral("Status");
    QStringList openedPages;
    VersionCheckHooks hooks() {
        return {[this](const QString& text) { status = text; },
                [this](std::string_view path) {
                    openedPages.append(QString::fromLatin1(path.data(), qsizetype(path.size())));
                }};
    }
};

class VersionCheckTest : public ::testing::Test {
  protected:
    VersionOutcome checkWithVersionFile(const QByteArray& content) {
        site.serve("/rabuscal/versao.txt", content);
        return checkVersion(client, window.hooks(), site.base());
    }

    QCoreApplication& app = coreApplication();  // before any network object
    HttpFixture site;
    WebDwn client;
    MainWindowStub window;
};

TEST_F(VersionCheckTest, OnlyOurVersionIsTheLatestAnyOtherOpensTheDownloadPage) {
    for (const QByteArray& content :
         {QByteArray("1.0"), QByteArray("1.0\n"), QByteArray("1.0\r\n")}) {
        window = MainWindowStub();
        EXPECT_EQ(checkWithVersionFile(content), VersionOutcome::Latest) << content.toStdString();
        EXPECT_EQ(window.status, "Esta é a versão mais recente do jogo.");
        EXPECT_TRUE(window.openedPages.isEmpty());
    }
    EXPECT_EQ(site.requests().first().path, "/rabuscal/versao.txt");

    for (const QByteArray& content :
         {QByteArray("1.1"), QByteArray("0.9"), QByteArray("1.0.1\n")}) {
        window = MainWindowStub();
        EXPECT_EQ(checkWithVersionFile(content), VersionOutcome::Newer) << content.toStdString();
        EXPECT_EQ(window.status, "Existe uma versão mais recente deste jogo.");
        EXPECT_EQ(window.openedPages, QStringList{"rabuscal/down.htm"});
    }
}

// A failed fetch, and a file that names no version, say nothing and open nothing.
TEST_F(VersionCheckTest, FailedFetchOrNoVersionSaysNothingAndOpensNothing) {
    for (const QByteArray& content :
         {QByteArray(""), QByteArray("\n"), QByteArray("<html><body>Erro 500</body></html>"),
          QByteArray(" 1.0"), QByteArray("1.0\n\n"), QByteArray("1..0"), QByteArray(".1"),
          QByteArray("1."), QByteArray("v1.1"), QByteArray(40, '1')})
        EXPECT_EQ(checkWithVersionFile(content), VersionOutcome::Unknown) << content.toStdString();
    site.setHandler([](const HttpFixture::Request&) {
        HttpFixture::Answer moved = HttpFixture::status(301, "Moved Permanently");
        moved.addHeader("Location", "/rabuscal/versao.txt");
        return moved;
    });
    EXPECT_EQ(checkVersion(client, window.hooks(), site.base()), VersionOutcome::Unknown);
    site.setHandler(
        [](const HttpFixture::Request&) { return HttpFixture::status(404, "Not Found"); });
    EXPECT_EQ(checkVersion(client, window.hooks(), site.base()), VersionOutcome::Unknown);
    EXPECT_EQ(checkVersion(client, window.hooks(), "http://127.0.0.1:1/"), VersionOutcome::Unknown);
    EXPECT_EQ(window.status, "Status");
    EXPECT_TRUE(window.openedPages.isEmpty());
}

}  // namespace
