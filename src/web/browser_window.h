#pragma once

#include "ui/image_button.h"
#include "ui/skinned_window.h"

// The browser window "Browser web": shows the game's web pages. Hiding it
// keeps its page and history.
class TFWeb : public SkinnedWindow {
    Q_OBJECT
  public:
    TFWeb();
    ~TFWeb() override;

    ImageButton* btFechar;

  private:
    void FormCreate();
    void FormDestroy();
    void btFecharMouseDown();
    void btFecharMouseUp();
};
