#include "client/board_view.h"

#include "ui/look.h"
#include "ui/skin_pictures.h"

BoardView::BoardView(MainFrame& frame, QWidget* parent)
    : QWidget(parent), Tela(new QLabel(this)), frame_(frame) {
    setObjectName(QStringLiteral("Default"));
    Tela->setObjectName(QStringLiteral("Tela"));
    Tela->setGeometry(0, 0, skin::kWelcome.width(), skin::kWelcome.height());
    Tela->setPixmap(QPixmap::fromImage(loadPlainPicture(QStringLiteral(":/assets/welcome.bmp"),
                                                        skin::kWelcome, look::kLightField)));
}
