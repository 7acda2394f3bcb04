// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/browser_window.h"

#include "assets/window_layout.h"
#include "ui/skin_pictures.h"

namespace rabuscal {

TFWeb::TFWeb()
    : SkinnedWindow(loadSkinPicture(QStringLiteral(":/assets/skin_fweb.bmp"), skin::kFWeb),
                    QStringLiteral("FWeb"), QStringLiteral("Browser web")),
      Browser(new BrowserPanel(this)),
      btFechar(new ImageButton(faceSet2(), rabuscal::assets::fweb::btFechar, this)) {
    connect(btFechar, &ImageButton::MouseDown, this, &TFWeb::btFecharMouseDown);
    connect(btFechar, &ImageButton::MouseUp, this, &TFWeb::btFecharMouseUp);
    FormCreate();
}

TFWeb::~TFWeb() {
    FormDestroy();
}

void TFWeb::openPage(std::string_view relativePath) {
    Browser->openPage(relativePath);
}

void TFWeb::showEvent(QShowEvent* event) {
    // The browser engine starts with the window's first showing, not with
    // the program.
    Browser->createBrowser();
    SkinnedWindow::showEvent(event);
}

void TFWeb::FormCreate() {
    ApplySkinRegion();
}

void TFWeb::FormDestroy() {}

void TFWeb::btFecharMouseDown() {}

void TFWeb::btFecharMouseUp() {
    hide();
}

}  // namespace rabuscal
