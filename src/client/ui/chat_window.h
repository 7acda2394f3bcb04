// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <vector>

#include "client/chat_log.h"
#include "ui/image_button.h"
#include "ui/skinned_window.h"

namespace rabuscal::client {
class ChatInput;
}  // namespace rabuscal::client

namespace rabuscal {

// The chat window "Chat": the players' talk, the server's verdicts, and the
// field where a player types chat lines and guesses. It holds no game state:
// what it sends goes through the main window's game client.
class TForm2 : public SkinnedWindow {
    Q_OBJECT
  public:
    // Entries beyond this many lines (or beyond kMaximumChatText characters)
    // push the oldest out, so that a long game does not grow the view
    // without end. Removing lines lays the whole view out again, so the
    // oldest go a thousand lines or so at a time, at the start of an entry.
    static constexpr int kMaximumChatLines = int(rabuscal::client::kMaximumChatLines);
    static constexpr int kLinesKeptAfterTrim = kMaximumChatLines - 1000;

    TForm2();
    ~TForm2() override;

    // The game client's chat input; null until the main window binds it.
    void attach(rabuscal::client::ChatInput* input) { input_ = input; }

    // Entries at the end of `Chat`, each paragraph with its indents, colour
    // and weight; all of them in one edit, so the view repaints once.
    void addChatEntries(const std::vector<rabuscal::client::ChatEntry>& entries);

    QTextEdit* Chat;
    // The entry field the chat button puts the keyboard focus into.
    QPlainTextEdit* Frase;
    ImageButton* btTentar;
    QLabel* Label29;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void FormCreate();
    void FormDestroy();
    void btTentarMouseDown();
    void FraseKeyDown(int key);
    void FraseKeyUp(int key);
    void trimOldestLines();

    rabuscal::client::ChatInput* input_ = nullptr;
    bool chatStarted_ = false;  // the view's first, empty line has been used
};

}  // namespace rabuscal
