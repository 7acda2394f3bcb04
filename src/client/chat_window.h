#pragma once

#include <QPlainTextEdit>

#include "ui/skinned_window.h"

// The chat window "Chat": the players' talk and guesses.
class TForm2 : public SkinnedWindow {
    Q_OBJECT
  public:
    TForm2();
    ~TForm2() override;

    // The entry field the chat button puts the keyboard focus into; null
    // until the chat controls exist.
    QPlainTextEdit* Frase = nullptr;

  private:
    void FormCreate();
    void FormDestroy();
};
