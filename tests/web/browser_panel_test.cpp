// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/browser_panel.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <QWebEngineView>

#include "assets/window_layout.h"
#include "http_fixture.h"
#include "support/application.h"
#include "support/loopback_peer.h"
#include "web/browser_frame.h"

using rabuscal::support::guiApplication;
using namespace rabuscal;

namespace {

class BrowserPanelTest : public ::testing::Test {
  protected:
    QApplication& app = guiApplication();
    HttpFixture site;
    QWidget window;
    BrowserPanel panel{&window, site.base()};
};

TEST_F(BrowserPanelTest, LampAndGaugeFollowAPageLoad) {
    EXPECT_EQ(panel.Led->colour(), QColor(128, 0, 0));
    panel.Web1DownloadBegin();
    EXPECT_EQ(panel.Led->colour(), QColor(255, 0, 0));
    EXPECT_EQ(panel.G1->position(), 0);
    panel.Web1ProgressChange(30, 100);
    EXPECT_EQ(panel.G1->position(), 30);
    panel.Web1ProgressChange(-1, 100);
    EXPECT_EQ(panel.G1->position(), 0) << "a negative progress shows as empty";
    panel.Web1ProgressChange(70, 100);
    panel.Web1DownloadComplete();
    EXPECT_EQ(panel.Led->colour(), QColor(128, 0, 0));
    EXPECT_EQ(panel.G1->position(), 70) << "the gauge keeps its last position";
}

TEST_F(BrowserPanelTest, EngineStartsOnlyWhenAPageIsOpened) {
    EXPECT_EQ(panel.Web1, nullptr);
    site.serve("/rabuscal/pgn01.htm", "<html><body>Como jogar</body></html>");
    panel.navigate(web::webAddress(site.base(), "rabuscal/pgn01.htm"));
    ASSERT_NE(panel.Web1, nullptr);
    EXPECT_EQ(panel.Web1->geometry(), QRect(-2, -2, 550, 281));
    QSignalSpy finished(panel.Web1, &QWebEngineView::loadFinished);
    ASSERT_TRUE(finished.wait(20000));
    EXPECT_EQ(panel.Web1->url().path(), "/rabuscal/pgn01.htm");
    EXPECT_EQ(panel.Led->colour(), QColor(128, 0, 0)) << "idle again after the page loaded";
    EXPECT_EQ(panel.G1->position(), 100);
}

// The pictures test checks that the skin leaves room for every control of the
// layout; this checks that the widgets sit exactly there.
TEST(BrowserWindow, ControlsSitWhereTheLayoutPutsThemAndClosingKeepsThePage) {
    guiApplication();
    HttpFixture site;
    site.serve("/pags/pexo0.htm", "<html><body>PEXO</body></html>");
    BrowserFrame window(site.base());
    EXPECT_EQ(window.size(), QSize(570, 320));
    EXPECT_EQ(window.windowTitle(), "Browser web");
    EXPECT_FALSE(window.mask().isEmpty());
    window.Browser->createBrowser();
    const assets::SkinLayout& layout = assets::kBrowserWindow;
    const auto sitsAt = [&](const char* name, QRect place) {
        const auto found = window.findChildren<QWidget*>(QString::fromLatin1(name));
        EXPECT_TRUE(std::any_of(found.begin(), found.end(), [&](QWidget* control) {
            return QRect(control->mapTo(&window, QPoint()), control->size()) == place;
        })) << name;
    };
    for (const assets::Control& control : layout.controls) sitsAt(control.name, control.place);
    for (const assets::Button& button : layout.buttons) sitsAt(button.name, button.place());
    for (const assets::Area& area : layout.areas)
        for (const assets::Control& control : area.controls)
            sitsAt(control.name, control.place.translated(area.origin));

    window.show();
    const QUrl page(QString::fromLatin1(site.base() + "pags/pexo0.htm"));
    QSignalSpy finished(window.Browser->Web1, &QWebEngineView::loadFinished);
    window.Browser->navigate(page);
    ASSERT_TRUE(finished.wait(20000));
    QTest::mousePress(window.btFechar, Qt::LeftButton);
    QTest::mouseRelease(window.btFechar, Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
    window.show();
    EXPECT_EQ(window.Browser->Web1->url(), page);
}

}  // namespace

TEST(BrowserOffline, UnreachableSiteShowsTheGamesOwnPortuguesePage) {
    guiApplication();
    const QByteArray base =
        "http://127.0.0.1:" + QByteArray::number(rabuscal::support::unusedPort()) + "/";
    const QUrl address(QString::fromLatin1(base + "rabuscal/pgn01.htm"));
    const QString page = offlinePage(address);
    EXPECT_TRUE(page.contains("Não foi possível abrir a página"));
    EXPECT_TRUE(page.contains(address.toString()));
    EXPECT_TRUE(offlinePage(QUrl("http://x/?a=1&b=2")).contains("a=1&amp;b=2"))
        << "the address is text";
    EXPECT_TRUE(offlinePage(address, OfflineReason::TooLarge).contains("mais memória"));
    QWidget window;
    BrowserPanel panel(&window, base);
    panel.navigate(address);
    ASSERT_NE(panel.Web1, nullptr);
    QSignalSpy titles(panel.Web1, &QWebEngineView::titleChanged);
    for (int i = 0; i < 20 && panel.Web1->title() != "Página indisponível"; ++i) titles.wait(1000);
    EXPECT_EQ(panel.Web1->title(), "Página indisponível");
    EXPECT_EQ(panel.Web1->url(), address) << "back and forward still know the address";
}

// The web engine is torn down with the application object, as in the browser
// program. Left to the process's exit, its threads may still run while static
// objects are destroyed, and the test binary then crashes after passing.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const int failed = RUN_ALL_TESTS();
    delete QCoreApplication::instance();
    return failed;
}
