// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/image_button.h"

#include <gtest/gtest.h>

#include <QListWidget>
#include <QSignalSpy>
#include <QTest>

#include "support/application.h"
#include "ui/skinned_window.h"

using rabuscal::support::guiApplication;
using namespace rabuscal;

namespace {

FaceSet distinctFaces() {
    QPixmap released(42, 20), pressed(42, 20);
    released.fill(Qt::green);
    pressed.fill(Qt::darkGreen);
    return {released, pressed};
}

bool shows(const ImageButton* button, const QPixmap& face) {
    return button->pixmap().toImage() == face.toImage();
}

QImage plainSkin() {
    QImage skin(200, 100, QImage::Format_RGB32);
    skin.fill(Qt::gray);
    return skin;
}

// Counts the paints of a button that showed its pressed face.
struct PressedPaints : QObject {
    explicit PressedPaints(ImageButton* button) : button(button) {
        button->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && button->isPressedFace()) ++count;
        return false;
    }
    ImageButton* button;
    int count = 0;
};

struct WindowWithButton {
    WindowWithButton() : window(plainSkin(), "W", "W") {
        button = new ImageButton(faces, "btTest", &window, 10, 10);
        list = new QListWidget(&window);
        list->setGeometry(100, 10, 80, 80);
        window.ApplySkinRegion();
        window.show();
    }
    QWindow* handle() { return window.windowHandle(); }

    FaceSet faces = distinctFaces();
    SkinnedWindow window;
    ImageButton* button;
    QListWidget* list;
};

}  // namespace

class ImageButtonTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { guiApplication(); }
};

TEST_F(ImageButtonTest, ShowsPressedFaceWhileHeldWithEitherMouseButtonBeforeTheActionRuns) {
    WindowWithButton w;
    EXPECT_EQ(w.button->size(), QSize(42, 20));
    EXPECT_TRUE(shows(w.button, w.faces.released));
    // Drawn, not only set: an action that holds the window (a web fetch)
    // still shows the press, with no event loop turned in between.
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.handle()));
    PressedPaints paints(w.button);
    int pressedFaceDuringAction = 0;
    QObject::connect(w.button, &ImageButton::MouseDown, [&] {
        pressedFaceDuringAction += shows(w.button, w.faces.pressed) && paints.count > 0;
    });
    for (const Qt::MouseButton mouseButton : {Qt::LeftButton, Qt::RightButton}) {
        paints.count = 0;
        QSignalSpy downs(w.button, &ImageButton::MouseDown);
        QSignalSpy ups(w.button, &ImageButton::MouseUp);
        QTest::mousePress(w.handle(), mouseButton, {}, {20, 20});
        EXPECT_TRUE(shows(w.button, w.faces.pressed));
        EXPECT_TRUE(w.button->isPressedFace());
        QTest::mouseRelease(w.handle(), mouseButton, {}, {20, 20});
        EXPECT_TRUE(shows(w.button, w.faces.released));
        EXPECT_EQ(downs.count(), 1);
        EXPECT_EQ(ups.count(), 1);
        EXPECT_EQ(downs.first().at(0).value<Qt::MouseButton>(), mouseButton);
    }
    EXPECT_EQ(pressedFaceDuringAction, 2);
}

TEST_F(ImageButtonTest, ReleaseReachesPressedButtonAfterPointerLeftItAndDoubleClicksCountTwice) {
    WindowWithButton w;
    QSignalSpy moves(w.button, &ImageButton::MouseMove);
    QTest::mouseMove(w.handle(), {25, 15});
    QTest::mouseMove(w.handle(), {26, 16});
    EXPECT_EQ(moves.count(), 2) << "moves are reported with no mouse button held";

    QSignalSpy ups(w.button, &ImageButton::MouseUp);
    QTest::mousePress(w.handle(), Qt::LeftButton, {}, {20, 20});
    QTest::mouseMove(w.handle(), {150, 50});
    QTest::mouseRelease(w.handle(), Qt::LeftButton, {}, {150, 50});
    EXPECT_EQ(ups.count(), 1);
    EXPECT_TRUE(shows(w.button, w.faces.released));
    EXPECT_FALSE(w.window.Dragging);

    // A double click counts as two presses and two releases.
    QSignalSpy downs(w.button, &ImageButton::MouseDown);
    QTest::mouseDClick(w.handle(), Qt::LeftButton, {}, {20, 20});
    EXPECT_EQ(downs.count(), 2);
    EXPECT_EQ(ups.count(), 3);
    EXPECT_TRUE(shows(w.button, w.faces.released));
}

TEST_F(ImageButtonTest, NamedButtonShowsItsOwnFacesInsteadOfThePlainSet) {
    QWidget window;
    ImageButton own(faceSet2(), "btTentar", &window, 0, 0);
    ImageButton plain(faceSet2(), "btNoSuchButton", &window, 50, 0);
    EXPECT_EQ(own.size(), QSize(42, 20));
    EXPECT_FALSE(shows(&own, faceSet2().released));
    EXPECT_TRUE(shows(&plain, faceSet2().released));
    const QImage released = own.pixmap().toImage();
    QTest::mousePress(&own, Qt::LeftButton);
    EXPECT_NE(own.pixmap().toImage(), released);
    EXPECT_FALSE(shows(&own, faceSet2().pressed));
    QTest::mouseRelease(&own, Qt::LeftButton);
    EXPECT_EQ(own.pixmap().toImage(), released);
}
