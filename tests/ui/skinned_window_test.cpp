// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/skinned_window.h"

#include <gtest/gtest.h>

#include <QTest>

#include "support/application.h"
#include "ui/skin_region.h"

using rabuscal::support::guiApplication;
using namespace rabuscal;

namespace {

QImage cornerCutSkin(int width, int height) {
    QImage skin(width, height, QImage::Format_RGB32);
    skin.fill(qRgb(176, 168, 155));
    skin.setPixel(0, 0, kSkinTransparent);
    return skin;
}

// A window with its background and one extra drag surface, as the windows
// of the game are built.
struct DraggableWindow {
    DraggableWindow() : window(cornerCutSkin(200, 100), "Test", "Test") {
        status = new QLabel("Status", &window);
        status->setGeometry(20, 80, 100, 15);
        window.addDragSurface(status);
        window.ApplySkinRegion();
        window.show();
        window.move(300, 200);
    }
    QWindow* handle() { return window.windowHandle(); }

    SkinnedWindow window;
    QLabel* status;
};

}  // namespace

class SkinnedWindowTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { guiApplication(); }
};

TEST_F(SkinnedWindowTest, WindowTakesSizeAndOutlineOfItsPicture) {
    SkinnedWindow window(cornerCutSkin(120, 40), "W", "Caption");
    window.ApplySkinRegion();
    EXPECT_EQ(window.size(), QSize(120, 40));
    EXPECT_EQ(window.mask(), skinRegion(cornerCutSkin(120, 40)));
    EXPECT_FALSE(window.mask().contains(QPoint(0, 0)));
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(window.windowTitle(), "Caption");
}

TEST_F(SkinnedWindowTest, DraggingBackgroundMovesOnlyThatWindowWithPointerUntilRelease) {
    DraggableWindow w, other;
    QTest::mousePress(w.handle(), Qt::LeftButton, {}, {50, 40});
    EXPECT_TRUE(w.window.Dragging);
    EXPECT_FALSE(other.window.Dragging);
    QTest::mouseMove(w.handle(), {60, 35});
    EXPECT_EQ(w.window.pos(), QPoint(310, 195));
    QTest::mouseRelease(w.handle(), Qt::LeftButton, {}, {50, 40});
    EXPECT_FALSE(w.window.Dragging);
    QTest::mouseMove(w.handle(), {90, 60});
    EXPECT_EQ(w.window.pos(), QPoint(310, 195));

    // Off the screen too. (QTest reads the point 0,0 as "the middle of the window".)
    w.window.move(10, 10);
    QTest::mousePress(w.handle(), Qt::LeftButton, {}, {150, 50});
    QTest::mouseMove(w.handle(), {1, 1});
    EXPECT_EQ(w.window.pos(), QPoint(-139, -39));
    QTest::mouseRelease(w.handle(), Qt::LeftButton, {}, {1, 1});
}

TEST_F(SkinnedWindowTest, StatusLineDragsLikeTheBackgroundWithAnyButton) {
    DraggableWindow w;
    QTest::mousePress(w.handle(), Qt::RightButton, {}, {30, 85});
    EXPECT_EQ(w.window.DragX, 10);
    EXPECT_EQ(w.window.DragY, 5);
    QTest::mouseMove(w.handle(), {25, 95});
    EXPECT_EQ(w.window.pos(), QPoint(295, 210));
    QTest::mouseRelease(w.handle(), Qt::RightButton, {}, {25, 95});
    EXPECT_FALSE(w.window.Dragging);
}

// Run at scale 1 and, as a second test, at scale 2, where the screen holds
// fewer logical pixels than some windows have.
TEST_F(SkinnedWindowTest, WindowOpensInsideTheScreenCentredOrBesideItsAnchorOnlyTheFirstTime) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    SkinnedWindow window(cornerCutSkin(100, 50), "W", "W");
    window.ApplySkinRegion();
    window.show();
    EXPECT_LE(std::abs(window.geometry().center().x() - screen.center().x()), 1);
    EXPECT_LE(std::abs(window.geometry().center().y() - screen.center().y()), 1);
    window.hide();
    window.move(5, 5);
    window.show();
    EXPECT_EQ(window.pos(), QPoint(5, 5));

    SkinnedWindow wide(cornerCutSkin(screen.width() + 40, 50), "Wide", "Wide");
    wide.ApplySkinRegion();
    wide.show();
    EXPECT_EQ(wide.pos().x(), screen.left()) << "too wide: its left side stays in view";
    EXPECT_TRUE(screen.contains(QRect(QPoint(screen.left(), wide.pos().y()), QSize(1, 50))));

    SkinnedWindow chat(cornerCutSkin(screen.width() / 4, 50), "Chat", "Chat");
    chat.ApplySkinRegion();
    chat.opensBeside(&window, &window);
    chat.show();
    EXPECT_TRUE(screen.contains(chat.frameGeometry()));
    EXPECT_FALSE(chat.frameGeometry().intersects(window.frameGeometry()));
}
