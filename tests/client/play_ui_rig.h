// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One copy of the game's windows for tests: a main window with its chat
// window, driven with the mouse and the keyboard as a player would, and a
// raw peer that plays the server's side of a connection byte for byte.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QTest>
#include <ostream>

#include "app/main_window.h"
#include "client/ui/board_view.h"
#include "client/ui/chat_window.h"
#include "client/ui/game_session.h"
#include "client/ui/lobby_page.h"
#include "client/ui/phrase_page.h"
#include "client/ui/player_panel.h"
#include "support/application.h"
#include "support/loopback_peer.h"

using rabuscal::support::guiApplication;

// Failures show texts as texts.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace play_test {

using rabuscal::support::kPatience;
using rabuscal::support::waitFor;
using namespace rabuscal;

struct Copy {
    TForm1 main;
    TForm2 chat;

    explicit Copy(quint16 gamePort) {
        main.Game->attachChatWindow(chat);
        main.Lobby->setGamePort(gamePort);
        main.show();
        chat.show();
    }

    rabuscal::client::GameClient& client() { return main.Game->client(); }
    rabuscal::client::GameConnection& cli() { return main.Game->Cli(); }
    QString status() const { return main.Stk->text(); }

    // Mouse on a control of a window, at `at` relative to the control.
    static void press(QWidget* window, QWidget* control, QPoint at = {5, 5},
                      Qt::KeyboardModifiers keys = {}) {
        QTest::mousePress(window->windowHandle(), Qt::LeftButton, keys, control->mapTo(window, at));
    }
    static void release(QWidget* window, QWidget* control, QPoint at = {5, 5},
                        Qt::KeyboardModifiers keys = {}) {
        QTest::mouseRelease(window->windowHandle(), Qt::LeftButton, keys,
                            control->mapTo(window, at));
    }
    static void move(QWidget* window, QWidget* control, QPoint at) {
        QTest::mouseMove(window->windowHandle(), control->mapTo(window, at));
    }
    void click(QWidget* control) {
        press(control->window(), control);
        release(control->window(), control);
    }

    // A control on a page of `Abook` is clicked with its page in front, as
    // the player sees it.
    void clickOn(MainFrame::Page page, QWidget* control) {
        main.selectPage(page);
        click(control);
    }
    void clickInLobby(QWidget* control) { clickOn(MainFrame::Page::Servidor, control); }

    // The lobby: server address, connect.
    void connectTo(const QString& host) {
        main.Lobby->Servidor->setText(host);
        clickInLobby(main.Lobby->btCjg);
    }
    void typeNick(const QString& nick) { main.Lobby->Nick->setText(nick); }
    bool joined() const { return !main.Lobby->Nick->isEnabled(); }

    // The board: a stroke from `from` through `through` to the last point.
    void stroke(std::initializer_list<QPoint> points) {
        main.selectPage(MainFrame::Page::Default);
        BoardPicture* tela = main.Board->Tela;
        const QPoint* p = points.begin();
        press(&main, tela, *p);
        for (++p; p != points.end(); ++p) move(&main, tela, *p);
        release(&main, tela, *(points.end() - 1));
    }
    // Typing into the chat field; QTest types only ASCII, so accented text
    // goes in as an input method would put it.
    void type(const QString& text) { chat.Frase->insertPlainText(text); }

    const QImage& board() { return client().board().tela().image(); }
};

// The server's side of one connection, as raw bytes.
using RawPeer = rabuscal::support::ListeningPeer;

}  // namespace play_test
