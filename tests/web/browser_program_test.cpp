// SPDX-License-Identifier: GPL-3.0-or-later
// The game's `FWeb` driving the real browser program over its channel.
#include <gtest/gtest.h>
#include <signal.h>

#include <QFile>
#include <QSignalSpy>

#include "http_fixture.h"
#include "support/application.h"
#include "web/browser_window.h"
#include "web/process_memory.h"

using namespace rabuscal;
using rabuscal::support::waitFor;

namespace {

// The browser engine starts slowly on a loaded machine.
constexpr int kEngine = 60000;

bool webEngineMapped() {
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("WebEngine");
}

// Proportional memory of the browser program and the processes it started.
std::uint64_t familyBytes(qint64 helper) {
    const int pid = static_cast<int>(helper);
    std::uint64_t bytes = web::proportionalBytes(pid);
    for (const int child : web::descendants(pid)) bytes += web::proportionalBytes(child);
    return bytes;
}

bool processGone(qint64 pid) {
    return ::kill(static_cast<pid_t>(pid), 0) != 0;
}

class BrowserProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        site.serve("/rabuscal/pgn01.htm",
                   "<html><head><title>Como jogar</title></head><body>Regras</body></html>");
    }
    QCoreApplication& app = rabuscal::support::coreApplication();  // before the site
    HttpFixture site;
};

TEST_F(BrowserProgramTest, PagesOpenNavigateAndCloseInTheBrowserProgram) {
    site.setHandler([](const HttpFixture::Request& request) {
        return HttpFixture::ok("<html><head><title>" + request.path +
                               "</title></head><body>x</body></html>");
    });
    auto browser =
        std::make_unique<TFWeb>(site.base(), QStringList{"--discard-hidden-after-ms=300"});
    EXPECT_EQ(browser->helperPid(), 0) << "nothing runs before the first page";
    EXPECT_FALSE(browser->isVisible());
    browser->hide();
    EXPECT_EQ(browser->helperPid(), 0) << "hiding a window never opened starts nothing";

    QSignalSpy shown(browser.get(), &TFWeb::shown);
    browser->openPage("rabuscal/pgn01.htm");
    EXPECT_TRUE(browser->isVisible());
    ASSERT_TRUE(waitFor(
        [&] { return !browser->loading() && browser->title() == "/rabuscal/pgn01.htm"; }, kEngine));
    EXPECT_EQ(browser->url().path(), "/rabuscal/pgn01.htm");
    EXPECT_EQ(browser->progress(), 100);
    EXPECT_GE(shown.count(), 1);
    EXPECT_FALSE(webEngineMapped()) << "the engine runs in the browser program only";

    browser->navigate(QUrl(QString::fromLatin1(site.base() + "pags/pexo0.htm")));
    ASSERT_TRUE(waitFor([&] { return browser->title() == "/pags/pexo0.htm"; }, kEngine));
    browser->back();
    ASSERT_TRUE(waitFor([&] { return browser->url().path() == "/rabuscal/pgn01.htm"; }, kEngine));
    browser->forward();
    ASSERT_TRUE(waitFor([&] { return browser->url().path() == "/pags/pexo0.htm"; }, kEngine));

    // Hidden a while, the window gives its renderer back and keeps its page
    // and history.
    const auto family = [&] { return familyBytes(browser->helperPid()); };
    const std::uint64_t shownBytes = family();
    QSignalSpy hidden(browser.get(), &TFWeb::hidden);
    browser->hide();
    EXPECT_FALSE(browser->isVisible());
    ASSERT_TRUE(waitFor([&] { return hidden.count() > 0; }));
    EXPECT_TRUE(waitFor([&] { return family() + (8 << 20) < shownBytes; }))
        << (shownBytes >> 20) << " MB shown, " << (family() >> 20) << " MB hidden";
    browser->show();
    ASSERT_TRUE(waitFor([&] { return shown.count() > 1; }));
    ASSERT_TRUE(waitFor([&] { return browser->title() == "/pags/pexo0.htm"; }, kEngine));
    EXPECT_EQ(browser->url().path(), "/pags/pexo0.htm") << "the page stays while hidden";
    browser->back();
    EXPECT_TRUE(waitFor([&] { return browser->url().path() == "/rabuscal/pgn01.htm"; }, kEngine));

    const qint64 pid = browser->helperPid();
    browser.reset();
    EXPECT_TRUE(waitFor([&] { return processGone(pid); })) << "the program ends with the game";
}

TEST_F(BrowserProgramTest, BrowserProgramThatDiedIsStartedAgainByTheNextPage) {
    TFWeb browser(site.base());
    browser.openPage("rabuscal/pgn01.htm");
    ASSERT_TRUE(waitFor([&] { return browser.title() == "Como jogar"; }, kEngine));
    const qint64 first = browser.helperPid();
    QSignalSpy ended(&browser, &TFWeb::helperEnded);
    ::kill(static_cast<pid_t>(first), SIGKILL);
    ASSERT_TRUE(waitFor([&] { return ended.count() == 1; }));
    EXPECT_FALSE(browser.isVisible());
    EXPECT_EQ(browser.helperPid(), 0);

    QSignalSpy loaded(&browser, &TFWeb::pageLoaded);
    browser.openPage("rabuscal/pgn01.htm");
    ASSERT_TRUE(waitFor([&] { return loaded.count() == 1; }, kEngine));
    EXPECT_NE(browser.helperPid(), first);
    EXPECT_TRUE(browser.isVisible());
}

TEST_F(BrowserProgramTest, PageThatNeverEndsIsStoppedAtTheBoundAndTheOfflinePageShown) {
    constexpr int kBoundMb = 384;  // well above what the engine takes for a plain page
    site.setHandler([](const HttpFixture::Request&) {
        HttpFixture::Answer answer;
        answer.framing = HttpFixture::Answer::Framing::Endless;
        answer.body = QByteArray("<p>sem fim, sem fim, sem fim</p>\n").repeated(2048);
        return answer;
    });
    TFWeb browser(site.base(), {QStringLiteral("--memory-bound-mb=%1").arg(kBoundMb)});
    QSignalSpy overBound(&browser, &TFWeb::overBound);
    browser.openPage("rabuscal/pgn01.htm");
    ASSERT_TRUE(waitFor([&] { return overBound.count() == 1; }, 120000));
    EXPECT_GE(overBound.at(0).at(0).toInt(), kBoundMb * 15 / 16) << "it acts just below";
    ASSERT_TRUE(waitFor([&] { return browser.title() == "Página indisponível"; }, kEngine));
    EXPECT_EQ(browser.url().path(), "/rabuscal/pgn01.htm");
    const auto total = [&] { return familyBytes(browser.helperPid()) >> 20; };
    EXPECT_TRUE(waitFor([&] { return total() < kBoundMb; })) << total() << " MB";
}

}  // namespace
