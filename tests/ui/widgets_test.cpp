#include <gtest/gtest.h>

#include <QMessageBox>
#include <QTest>

#include "ui/error_report.h"
#include "ui/gauge.h"
#include "ui/gui_application.h"
#include "ui/lamp.h"

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

TEST_F(WidgetsTest, ErrorReportOpensWithoutBlockingUnderApplicationTitle) {
    reportError("'abc' is not a valid integer value");
    QMessageBox* box = openErrorReport();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isVisible());
    EXPECT_FALSE(box->isModal());
    EXPECT_EQ(box->windowTitle(), "Rabuscal");
    EXPECT_EQ(box->text(), "'abc' is not a valid integer value");
}

TEST_F(WidgetsTest, RepeatedErrorIsCountedInTheOneOpenReport) {
    for (int i = 0; i < 3; ++i) reportError("Bitmap image is not valid");
    QMessageBox* box = openErrorReport();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->text().startsWith("Bitmap image is not valid"));
    EXPECT_TRUE(box->text().endsWith("(3 vezes)"));
    int openBoxes = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (qobject_cast<QMessageBox*>(widget) && widget->isVisible()) ++openBoxes;
    EXPECT_EQ(openBoxes, 1);

    reportError("Another failure");
    EXPECT_EQ(openErrorReport(), box);
    EXPECT_EQ(box->text(), "Another failure");
}

TEST_F(WidgetsTest, ClosedReportStartsCountingAfresh) {
    reportError("x");
    reportError("x");
    openErrorReport()->close();
    EXPECT_EQ(openErrorReport(), nullptr);
    reportError("x");
    ASSERT_NE(openErrorReport(), nullptr);
    EXPECT_EQ(openErrorReport()->text(), "x");
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
