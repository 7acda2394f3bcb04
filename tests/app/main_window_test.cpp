// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_window.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/forms.h"
#include "app/game_windows.h"
#include "app/main_window_web.h"
#include "assets/window_layout.h"
#include "client/ui/board_view.h"
#include "client/ui/chat_window.h"
#include "client/ui/game_session.h"
#include "client/ui/lobby_page.h"
#include "client/ui/player_panel.h"
#include "rabuscal_config.h"
#include "server/ui/server_window.h"
#include "support/application.h"
#include "support/loopback_peer.h"
#include "web/browser_window.h"
#include "web/gallery_panel.h"

using rabuscal::support::guiApplication;
using namespace rabuscal;

namespace {

// Where a control sits in its window, for events sent to the window.
QPoint in(QWidget* window, QWidget* control, QPoint offset = {5, 5}) {
    return control->mapTo(window, offset);
}

// A point of the main window where only the background is, whatever the
// outline the skin draws.
QPoint background() {
    for (int y = 60; y < 300; y += 10)
        for (int x = 10; x < 220; x += 10)
            if (Form1->childAt(x, y) == Form1->Imp) return {x, y};
    ADD_FAILURE() << "no background point";
    return {};
}

// The browser window runs in a program of its own: the game never loads the
// web engine.
bool webEngineMapped() {
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("WebEngine");
}

}  // namespace

class MainWindowTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        guiApplication();
        QCoreApplication::setApplicationName("Rabuscal");
    }
    void SetUp() override {
        windows = std::make_unique<GameWindows>();
        windows->showMainWindow();
    }
    void TearDown() override {
        windows.reset();
        DrawerNick.clear();
    }

    QWindow* main() { return Form1->windowHandle(); }
    void press(QWidget* control, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mousePress(main(), button, {}, in(Form1, control));
    }
    void release(QWidget* control, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseRelease(main(), button, {}, in(Form1, control));
    }
    void click(QWidget* control, Qt::MouseButton button = Qt::LeftButton) {
        press(control, button);
        release(control, button);
    }
    void hover(QWidget* control) { QTest::mouseMove(main(), in(Form1, control)); }
    // Runs `action` in the event loop; true when the program then ends on its own.
    static bool endsTheProgram(std::function<void()> action) {
        QTimer::singleShot(0, action);
        QTimer::singleShot(5000, [] { QCoreApplication::exit(1); });
        return QCoreApplication::exec() == 0;
    }

    std::unique_ptr<GameWindows> windows;
};

TEST_F(MainWindowTest, StartUpShowsOnlyTheMainWindowAtItsFirstPage) {
    ASSERT_TRUE(Form1 && Form2 && Form3 && FWeb);
    EXPECT_TRUE(Form1->isVisible());
    EXPECT_FALSE(Form2->isVisible());
    EXPECT_FALSE(Form3->isVisible());
    EXPECT_FALSE(FWeb->isVisible());
    EXPECT_EQ(FWeb->helperPid(), 0) << "the browser program starts with the first page";
    EXPECT_FALSE(webEngineMapped());
    EXPECT_EQ(Form1->size(), QSize(691, 362));
    EXPECT_EQ(Form2->size(), QSize(474, 268));
    EXPECT_EQ(Form3->size(), QSize(376, 122));
    EXPECT_EQ(Form2->windowTitle(), "Chat");
    EXPECT_EQ(Form3->windowTitle(), "Servidor de jogo");
    // The frameless, on-top flags come with every skinned window; the
    // outline each window must apply itself.
    for (QWidget* window :
         {static_cast<QWidget*>(Form1), static_cast<QWidget*>(Form2), static_cast<QWidget*>(Form3)})
        EXPECT_FALSE(window->mask().isEmpty()) << window->objectName().toStdString();
    EXPECT_EQ(Form1->currentPage(), MainFrame::Page::Default);
    EXPECT_EQ(Form1->Stk->text(), "Status");
    EXPECT_TRUE(Form1->Explic->text().isEmpty());
    EXPECT_EQ(Form1->Panel->Pontos->text(), "0");
    QStringList pages;
    for (int i = 0; i < Form1->Abook->count(); ++i) pages << Form1->Abook->widget(i)->objectName();
    EXPECT_EQ(pages, QStringList({"Default", "Extra", "Servidor", "Desenho"}));
}

// The pictures test checks that the skins leave room for every control of the
// layout; this checks that the widgets sit exactly there.
TEST_F(MainWindowTest, EveryControlSitsWhereItsLayoutEntryPutsIt) {
    using namespace rabuscal::assets;
    // The browser window's own: tests/web/browser_panel_test.cpp.
    const std::pair<QWidget*, const SkinLayout*> windows[] = {
        {Form1, &kMainWindow}, {Form2, &kChatWindow}, {Form3, &kServerWindow}};
    for (const auto& [window, layout] : windows) {
        const auto sitsAt = [&](const char* name, QRect place) {
            const auto found = window->findChildren<QWidget*>(QString::fromLatin1(name));
            EXPECT_TRUE(std::any_of(found.begin(), found.end(),
                                    [&](QWidget* control) {
                                        return QRect(control->mapTo(window, QPoint()),
                                                     control->size()) == place;
                                    }))
                << layout->picture << ": " << name;
        };
        for (const Control& control : layout->controls) sitsAt(control.name, control.place);
        for (const Button& button : layout->buttons) sitsAt(button.name, button.place());
        for (const Area& area : layout->areas) {
            for (const Control& control : area.controls)
                sitsAt(control.name, control.place.translated(area.origin));
            for (const Button& button : area.buttons)
                sitsAt(button.name, button.place().translated(area.origin));
        }
    }
}

TEST_F(MainWindowTest, EveryDragSurfaceDragsTheMainWindow) {
    Form1->selectPage(MainFrame::Page::Servidor);
    const QPoint emptyPagePart = in(Form1, Form1->Abook, {250, 150});
    for (const QPoint at :
         {background(), in(Form1, Form1->Stk), in(Form1, Form1->Explic), emptyPagePart}) {
        const QPoint before = Form1->pos();
        QTest::mousePress(main(), Qt::LeftButton, {}, at);
        QTest::mouseMove(main(), at + QPoint(7, -3));
        // The window follows the pointer: the pressed point is under it again.
        QTest::mouseRelease(main(), Qt::LeftButton, {}, at);
        EXPECT_EQ(Form1->pos(), before + QPoint(7, -3)) << "pressed at " << at.x() << "," << at.y();
        EXPECT_FALSE(Form1->Dragging);
    }
}

TEST_F(MainWindowTest, HoverCaptionStaysUntilPointerMovesOverADragSurface) {
    hover(Form1->btFim);
    EXPECT_EQ(Form1->Explic->text(), "Encerra o jogo");
    hover(Form1->Panel->Lista);
    EXPECT_EQ(Form1->Explic->text(), "Encerra o jogo");
    hover(Form1->Stk);
    EXPECT_TRUE(Form1->Explic->text().isEmpty());

    const std::pair<ImageButton*, QString> captions[] = {
        {Form1->btFim, "Encerra o jogo"},
        {Form1->btMin, "Minimiza"},
        {Form1->btConec, "Conexões do jogo"},
        {Form1->btServ, "Modo servidor"},
        {Form1->btPan, "Painel do chat"},
        {Form1->btJog, "Voltar ao desenho"},
        {Form1->Panel->btInst, "Instruções de uso"},
        {Form1->Panel->btTroc, "Novo Mão de Vaca"},
        {Form1->Panel->btTerm, "Encerra partida"},
    };
    for (const auto& [button, caption] : captions) {
        hover(button);
        EXPECT_EQ(Form1->Explic->text(), caption);
        QTest::mouseMove(main(), background());
        EXPECT_TRUE(Form1->Explic->text().isEmpty());
    }
}

TEST_F(MainWindowTest, PageButtonsSwitchPagesOnThePress) {
    press(Form1->btConec, Qt::RightButton);
    EXPECT_EQ(Form1->currentPage(), MainFrame::Page::Servidor);
    EXPECT_TRUE(Form1->Lobby->isVisible());
    release(Form1->btConec, Qt::RightButton);
    press(Form1->btJog);
    EXPECT_EQ(Form1->currentPage(), MainFrame::Page::Default);
    release(Form1->btJog);
}

TEST_F(MainWindowTest, ServerAndChatButtonsShowAndHideTheirWindows) {
    for (const auto& [button, window] : {std::pair<QWidget*, QWidget*>{Form1->btServ, Form3},
                                         std::pair<QWidget*, QWidget*>{Form1->btPan, Form2}}) {
        click(button);
        EXPECT_TRUE(window->isVisible());
        const QRect screen = window->screen()->availableGeometry();
        EXPECT_TRUE(screen.contains(window->frameGeometry()));
        if (window == Form2) {
            EXPECT_FALSE(window->frameGeometry().contains(
                Form1->Abook->mapToGlobal(Form1->Abook->rect().center())))
                << "the chat keeps the middle of the board in view";
        }
        click(button);
        EXPECT_FALSE(window->isVisible());
        // A double click is two presses: shown and hidden again.
        QTest::mouseDClick(main(), Qt::LeftButton, {}, in(Form1, button));
        EXPECT_FALSE(window->isVisible());
    }
}

TEST_F(MainWindowTest, CloseButtonsAndClosingOnlyHideTheOtherWindows) {
    Form3->show();
    const QPoint at = in(Form3, Form3->btFechar);
    QTest::mousePress(Form3->windowHandle(), Qt::LeftButton, {}, at);
    EXPECT_TRUE(Form3->isVisible());
    QTest::mouseRelease(Form3->windowHandle(), Qt::LeftButton, {}, at);
    EXPECT_FALSE(Form3->isVisible());
    Form2->show();
    Form2->close();
    EXPECT_FALSE(Form2->isVisible());
    EXPECT_TRUE(Form1->isVisible());
}

TEST_F(MainWindowTest, EndButtonEndsTheProgramEvenWhenReleasedElsewhere) {
    EXPECT_TRUE(endsTheProgram([this] {
        press(Form1->btFim);
        QTest::mouseMove(main(), in(Form1, Form1->Panel->Lista));
        QTest::mouseRelease(main(), Qt::LeftButton, {}, in(Form1, Form1->Panel->Lista));
    }));
}

TEST_F(MainWindowTest, ClosingTheMainWindowEndsTheProgram) {
    EXPECT_TRUE(endsTheProgram([] { Form1->close(); }));
}

TEST_F(MainWindowTest, MinimisingTakesEveryWindowAwayAndRestoringBringsBackTheVisibleOnes) {
    Form2->show();
    click(Form1->btMin);
    EXPECT_TRUE(Form1->isMinimized());
    EXPECT_FALSE(Form2->isVisible());
    EXPECT_FALSE(Form3->isVisible());
    Form1->showNormal();
    EXPECT_TRUE(Form2->isVisible());
    EXPECT_FALSE(Form3->isVisible());
}

TEST_F(MainWindowTest, ShutDownDestroysWindowsNewestFirst) {
    QStringList destroyed;
    for (QObject* window : {static_cast<QObject*>(Form1), static_cast<QObject*>(Form2),
                            static_cast<QObject*>(Form3), static_cast<QObject*>(FWeb)}) {
        const QString name = window->objectName();
        QObject::connect(window, &QObject::destroyed, [&destroyed, name] { destroyed << name; });
    }
    windows.reset();
    EXPECT_EQ(destroyed, QStringList({"FWeb", "Form3", "Form2", "Form1"}));
    EXPECT_EQ(Form1, nullptr);
    EXPECT_EQ(FWeb, nullptr);
}

// The instructions come in front without taking the pointer from the board:
// the drawer's first stroke goes on after the window is there.
TEST_F(MainWindowTest, FirstPressOnTheBoardOpensTheInstructionsOnceAndItsStrokeGoesOn) {
    rabuscal::support::ListeningPeer server;
    Form1->Lobby->Nick->setText("ana");
    Form1->Game->Cli().open("127.0.0.1", server.port());
    ASSERT_TRUE(server.waitConnected());
    server.say("$-$onj:$-$mdv:ana");
    ASSERT_TRUE(rabuscal::support::waitFor([] { return DrawerNick == "ana"; }));

    QSignalSpy shown(FWeb, &TFWeb::shown);
    QWidget* tela = Form1->Board->Tela;
    QTest::mousePress(tela, Qt::LeftButton, {}, {20, 20});
    EXPECT_TRUE(FWeb->isVisible());
    ASSERT_TRUE(rabuscal::support::waitFor([&] { return shown.count() > 0; }, 60000));
    for (const int x : {30, 40}) QTest::mouseMove(tela, {x, 20});
    QTest::mouseRelease(tela, Qt::LeftButton, {}, {40, 20});
    EXPECT_TRUE(server.waitReceived("$-$mdw:20|20$-$mov:30|20$-$mov:40|20"));
    EXPECT_TRUE(server.waitReceived("$-$mup:40|20"));
    const QUrl instructions(QString(rabuscal::config::kWebBase) + "rabuscal/pgn01.htm");
    EXPECT_TRUE(rabuscal::support::waitFor([&] { return FWeb->url() == instructions; }, 60000));
    EXPECT_FALSE(webEngineMapped()) << "the page opened in the browser program";

    FWeb->hide();
    QTest::mouseClick(tela, Qt::LeftButton, {}, {30, 30});
    EXPECT_FALSE(FWeb->isVisible());

    click(Form1->Panel->btInst);
    EXPECT_TRUE(FWeb->isVisible());
}

TEST_F(MainWindowTest, PictureChosenInTheGalleryIsTheBoardsTemplate) {
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::darkGray);
    emit Form1->Web->Gallery->galleryPictureChanged(picture);
    EXPECT_EQ(Form1->Game->client().board().galleryPicture(), picture);
}
