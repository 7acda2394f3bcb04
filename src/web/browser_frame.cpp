// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/browser_frame.h"

#include "assets/window_layout.h"
#include "ui/skin_pictures.h"

namespace rabuscal {

BrowserFrame::BrowserFrame(const QByteArray& base)
    : SkinnedWindow(loadSkinPicture(assets::kBrowserWindow), QStringLiteral("FWeb"),
                    QStringLiteral("Browser web")),
      Browser(new BrowserPanel(this, base)),
      btFechar(new ImageButton(faceSet2(), rabuscal::assets::fweb::btFechar, this)) {
    connect(btFechar, &ImageButton::MouseUp, this, &BrowserFrame::btFecharMouseUp);
    FormCreate();
}

void BrowserFrame::FormCreate() {
    ApplySkinRegion();
}

void BrowserFrame::btFecharMouseUp() {
    hide();
}

}  // namespace rabuscal
