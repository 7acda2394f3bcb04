// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QMessageBox>
#include <QTest>

#include "assets/window_layout.h"
#include "support/application.h"
#include "ui/error_report.h"
#include "ui/gauge.h"
#include "ui/lamp.h"
#include "ui/status_line.h"
#include "ui/window_placement.h"

using rabuscal::support::guiApplication;
using namespace rabuscal;

class WidgetsTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        guiApplication();
        QCoreApplication::setApplicationName("Rabuscal");
    }
    void TearDown() override {
        if (QMessageBox* box = openErrorReport()) box->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

TEST_F(WidgetsTest, ErrorReportOpensWithoutBlockingAndCountsRepeatsInTheOneOpenReport) {
    reportError("Bitmap image is not valid");
    QMessageBox* box = openErrorReport();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isVisible());
    EXPECT_FALSE(box->isModal());
    EXPECT_EQ(box->windowTitle(), "Rabuscal");
    EXPECT_EQ(box->text(), "Bitmap image is not valid");
    for (int i = 0; i < 2; ++i) reportError("Bitmap image is not valid");
    EXPECT_TRUE(box->text().startsWith("Bitmap image is not valid"));
    EXPECT_TRUE(box->text().endsWith("(3 vezes)"));
    int openBoxes = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (qobject_cast<QMessageBox*>(widget) && widget->isVisible()) ++openBoxes;
    EXPECT_EQ(openBoxes, 1);

    reportError("Another failure");
    EXPECT_EQ(openErrorReport(), box);
    EXPECT_EQ(box->text(), "Another failure");

    // A closed report starts counting afresh.
    box->close();
    EXPECT_EQ(openErrorReport(), nullptr);
    reportError("Another failure");
    ASSERT_NE(openErrorReport(), nullptr);
    EXPECT_EQ(openErrorReport()->text(), "Another failure");
}

TEST_F(WidgetsTest, ReportOpensBesideTheGameWindowsAndHidesNoneOfThem) {
    const QRect screen(0, 0, 1024, 768);
    const QRect main(166, 203, 691, 362), chat(275, 250, 474, 268);
    const QSize box(300, 130);
    for (const QList<QRect>& windows : {QList<QRect>{main}, QList<QRect>{chat, main}}) {
        const QRect place(reportPlacement(box, screen, windows), box);
        EXPECT_TRUE(screen.contains(place));
        for (const QRect& window : windows) EXPECT_FALSE(place.intersects(window));
    }
    // No room beside a window that fills the screen: the box stays on the screen.
    const QRect place(reportPlacement(box, screen, {screen}), box);
    EXPECT_TRUE(screen.contains(place));
}

qint64 coveredArea(const QRect& a, const QRect& b) {
    const QRect common = a.intersected(b);
    return common.isEmpty() ? 0 : qint64(common.width()) * common.height();
}

// A 1280 x 800 screen at scale 2 holds 640 x 400 logical pixels, less than the
// main window's 691 x 362 and a panel; a second screen sits right of it.
TEST_F(WidgetsTest, WindowsOpenInsideTheAvailableAreaAndTheChatBesideTheMainWindow) {
    const QSize main = assets::form1::kSize, chat = assets::form2::kSize,
                server = assets::form3::kSize;
    const QPoint board = assets::form1::Abook.place.topLeft();  // the page area
    const QSize boardSize = assets::kBoardSize;
    for (const QRect& area : {QRect(0, 28, 640, 372), QRect(640, 0, 640, 400),
                              QRect(0, 0, 1024, 768), QRect(-1920, 0, 1920, 1050)}) {
        SCOPED_TRACE(area.x());
        const QRect mainPlace(centredIn(main, area), main);
        EXPECT_EQ(mainPlace.left(), std::max(area.left(), area.center().x() - main.width() / 2));
        EXPECT_TRUE(area.contains(QRect(mainPlace.topLeft(), QSize(1, main.height()))));
        EXPECT_TRUE(area.contains(QRect(centredIn(server, area), server)));

        const QRect boardPlace(mainPlace.topLeft() + board, boardSize);
        const QRect chatPlace(besideOrLeastCovering(chat, area, mainPlace, boardPlace), chat);
        EXPECT_TRUE(area.contains(chatPlace));
        if (area.width() >= main.width() + chat.width() + 8) {
            EXPECT_FALSE(chatPlace.intersects(mainPlace)) << "room beside it";
        }
        const QRect centred(centredIn(chat, area), chat);
        EXPECT_LT(coveredArea(chatPlace, boardPlace) * 3, coveredArea(centred, boardPlace) * 2);
    }
    // The game starts again at a whole scale that shows the main window whole.
    EXPECT_EQ(wholeScaleThatFits(main, {1280, 772}), 1);
    EXPECT_EQ(wholeScaleThatFits(main, {2560, 1400}), 3);
    EXPECT_EQ(wholeScaleThatFits(main, {640, 300}), 1) << "never below 1";
}

TEST_F(WidgetsTest, StatusLineCutsALongTextWithAnEllipsisAndKeepsItWhole) {
    QWidget window;
    StatusLine line("Stk", &window, {0, 0, 120, 15}, QFont(), Qt::black, QColor(), "Status");
    EXPECT_EQ(line.shownText(), "Status");
    const QString longText =
        "> Existe uma versão mais recente deste jogo, e mais um bocado de texto";
    line.setText(longText);
    EXPECT_EQ(line.text(), longText);
    EXPECT_TRUE(line.shownText().endsWith(QChar(0x2026)));
    EXPECT_LE(line.fontMetrics().horizontalAdvance(line.shownText()), 120);
    line.setText("linha um\nlinha dois");
    EXPECT_EQ(line.shownText(), "linha um...");
}

TEST_F(WidgetsTest, GaugeKeepsItsPositionWithinRange) {
    QWidget parent;
    Gauge gauge("G1", &parent, {0, 0, 50, 5}, QColor(255, 144, 0), QColor(128, 64, 0));
    gauge.setMaximum(1000);
    gauge.setPosition(1500);
    EXPECT_EQ(gauge.position(), 1000);
    gauge.setPosition(-5);
    EXPECT_EQ(gauge.position(), 0);
    gauge.setPosition(400);
    gauge.setMaximum(100);
    EXPECT_EQ(gauge.position(), 100);
    gauge.setMaximum(-1);
    EXPECT_EQ(gauge.position(), 0);
    EXPECT_FALSE(gauge.grab().isNull());
}

TEST_F(WidgetsTest, LampPaintsItsColour) {
    QWidget parent;
    Lamp lamp(Lamp::Shape::Rectangle, "Led", &parent, {0, 0, 10, 5});
    EXPECT_EQ(lamp.grab().toImage().pixelColor(5, 2), Lamp::kMaroon);
    lamp.setColour(Lamp::kLime);
    EXPECT_EQ(lamp.grab().toImage().pixelColor(5, 2), Lamp::kLime);
}
