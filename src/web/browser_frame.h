// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

#include "ui/image_button.h"
#include "ui/skinned_window.h"
#include "web/browser_panel.h"
#include "web/web_address.h"

namespace rabuscal {

// The browser window "Browser web" as the browser program (rabuscal-browser)
// shows it: the skin, the page frame with its buttons, lamp and gauge, and
// the close button. Hiding it keeps its page and history. The game drives it
// through `FWeb` (web/browser_window.h).
class BrowserFrame : public SkinnedWindow {
    Q_OBJECT
  public:
    explicit BrowserFrame(const QByteArray& base = web::webBase());

    // The browser Web1 in Panel1, btPexo, btAnt, btProx, btStop, Led and G1.
    BrowserPanel* Browser;
    ImageButton* btFechar;

  private:
    void FormCreate();
    void btFecharMouseUp();
};

}  // namespace rabuscal
