#pragma once

#include "ui/image_button.h"
#include "ui/skinned_window.h"

// The server window "Servidor de jogo": switches the built-in game server on
// and off and announces it to the directory. Hiding it keeps the server
// running.
class TForm3 : public SkinnedWindow {
    Q_OBJECT
  public:
    TForm3();
    ~TForm3() override;

    ImageButton* btFechar;

  private:
    void FormCreate();
    void FormDestroy();
    void btFecharMouseDown();
    void btFecharMouseUp();
};
