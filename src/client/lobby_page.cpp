#include "client/lobby_page.h"

#include "ui/look.h"

namespace {

QLabel* caption(QWidget* page, const QString& name, const QString& text, QRect place,
                Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter) {
    auto* label = new QLabel(text, page);
    label->setObjectName(name);
    label->setGeometry(place);
    label->setFont(look::arial(11, true));
    label->setAlignment(alignment);
    QPalette colours = label->palette();
    colours.setColor(QPalette::WindowText, look::kCaptionBrown);
    label->setPalette(colours);
    return label;
}

void useLightField(QWidget* field, const QFont& font) {
    field->setFont(font);
    QPalette colours = field->palette();
    colours.setColor(QPalette::Base, look::kLightField);
    colours.setColor(QPalette::Text, look::kNavy);
    field->setPalette(colours);
}

QLineEdit* textField(QWidget* page, const QString& name, QRect place) {
    auto* field = new QLineEdit(page);
    field->setObjectName(name);
    field->setGeometry(place);
    field->setFrame(false);
    useLightField(field, look::courierNew(12));
    return field;
}

}  // namespace

LobbyPage::LobbyPage(MainFrame& frame, QWidget* parent) : QWidget(parent), frame_(frame) {
    setObjectName(QStringLiteral("Servidor"));
    const auto right = Qt::AlignRight | Qt::AlignVCenter;

    Shp3 = new Lamp(Lamp::Shape::Circle, QStringLiteral("Shp3"), this, {10, 39, 10, 10});
    btCjg = new ImageButton(faceSet2(), QStringLiteral("btCjg"), this, 25, 34);
    Lb3 = caption(this, QStringLiteral("Lb3"), QStringLiteral("Conectar ao servidor do jogo"),
                  {70, 36, 200, 14});

    ServidorCaption = caption(this, QStringLiteral("ServidorCaption"), QStringLiteral("Servidor:"),
                              {10, 59, 58, 14}, right);
    Servidor = textField(this, QStringLiteral("Servidor"), {72, 57, 159, 18});
    NickCaption = caption(this, QStringLiteral("NickCaption"), QStringLiteral("Nick:"),
                          {10, 79, 58, 14}, right);
    Nick = textField(this, QStringLiteral("Nick"), {72, 77, 79, 18});

    btEnt = new ImageButton(faceSet2(), QStringLiteral("btEnt"), this, 72, 99);
    Lb4 =
        caption(this, QStringLiteral("Lb4"), QStringLiteral("Entrar no jogo"), {117, 101, 140, 14});

    Groups = new GroupsPanel(frame, *Servidor, this);

    btVrs = new ImageButton(faceSet2(), QStringLiteral("btVrs"), this, 5, 238);
    Label27 = caption(this, QStringLiteral("Label27"), QStringLiteral("Checar versão do jogo"),
                      {50, 240, 160, 14});
}
