#include "server/server_window.h"

#include "ui/skin_pictures.h"

TForm3::TForm3()
    : SkinnedWindow(loadSkinPicture(QStringLiteral(":/assets/skin_form3.bmp"), skin::kForm3),
                    QStringLiteral("Form3"), QStringLiteral("Servidor de jogo")),
      btFechar(new ImageButton(faceSet2(), QStringLiteral("btFechar"), this, 316, 98)) {
    connect(btFechar, &ImageButton::MouseDown, this, &TForm3::btFecharMouseDown);
    connect(btFechar, &ImageButton::MouseUp, this, &TForm3::btFecharMouseUp);
    FormCreate();
}

TForm3::~TForm3() {
    FormDestroy();
}

void TForm3::FormCreate() {
    ApplySkinRegion();
}

void TForm3::FormDestroy() {}

void TForm3::btFecharMouseDown() {}

void TForm3::btFecharMouseUp() {
    hide();
}
