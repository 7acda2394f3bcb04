#include "client/chat_window.h"

#include "ui/skin_pictures.h"

TForm2::TForm2()
    : SkinnedWindow(loadSkinPicture(QStringLiteral(":/assets/skin_form2.bmp"), skin::kForm2),
                    QStringLiteral("Form2"), QStringLiteral("Chat")) {
    FormCreate();
}

TForm2::~TForm2() {
    FormDestroy();
}

void TForm2::FormCreate() {
    ApplySkinRegion();
}

void TForm2::FormDestroy() {}
