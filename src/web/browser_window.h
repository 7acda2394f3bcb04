// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

#include "ui/image_button.h"
#include "ui/skinned_window.h"
#include "web/browser_panel.h"

namespace rabuscal {

// The browser window "Browser web": shows the game's web pages. Hiding it
// keeps its page and history.
class TFWeb : public SkinnedWindow {
    Q_OBJECT
  public:
    TFWeb();
    ~TFWeb() override;

    // Shows the window in front of the others and opens the site's root
    // followed by the relative path ("rabuscal/pgn01.htm").
    void openPage(std::string_view relativePath);

    // The browser Web1 in Panel1, btPexo, btAnt, btProx, btStop, Led and G1.
    BrowserPanel* Browser;
    ImageButton* btFechar;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void FormCreate();
    void FormDestroy();
    void btFecharMouseDown();
    void btFecharMouseUp();
};

}  // namespace rabuscal
