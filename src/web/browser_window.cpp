#include "web/browser_window.h"

#include "ui/skin_pictures.h"

TFWeb::TFWeb()
    : SkinnedWindow(loadSkinPicture(QStringLiteral(":/assets/skin_fweb.bmp"), skin::kFWeb),
                    QStringLiteral("FWeb"), QStringLiteral("Browser web")),
      btFechar(new ImageButton(faceSet2(), QStringLiteral("btFechar"), this, 511, 296)) {
    connect(btFechar, &ImageButton::MouseDown, this, &TFWeb::btFecharMouseDown);
    connect(btFechar, &ImageButton::MouseUp, this, &TFWeb::btFecharMouseUp);
    FormCreate();
}

TFWeb::~TFWeb() {
    FormDestroy();
}

void TFWeb::FormCreate() {
    ApplySkinRegion();
}

void TFWeb::FormDestroy() {}

void TFWeb::btFecharMouseDown() {}

void TFWeb::btFecharMouseUp() {
    hide();
}
