#include "client/player_panel.h"

#include <optional>
#include <string>

#include "client/game_client.h"
#include "ui/look.h"
#include "ui/main_frame.h"
#include "ui/text_codec.h"

PlayerPanel::PlayerPanel(MainFrame& frame, QWidget* window) : QObject(window), frame_(frame) {
    setObjectName(QStringLiteral("PlayerPanel"));
    const auto right = Qt::AlignRight | Qt::AlignVCenter;

    Versao =
        look::caption(window, QStringLiteral("Versao"), QStringLiteral("1.0"), {177, 77, 15, 14});
    Versao->setFont(look::arial(11));
    btInst = new ImageButton(faceSet1(), QStringLiteral("btInst"), window, 23, 120);

    Lista = new QListWidget(window);
    Lista->setObjectName(QStringLiteral("Lista"));
    Lista->setGeometry(74, 95, 126, 153);
    Lista->setFont(look::courierNew(12));
    Lista->setFrameShape(QFrame::NoFrame);
    QPalette listColours = Lista->palette();
    listColours.setColor(QPalette::Base, look::kLightField);
    listColours.setColor(QPalette::Text, look::kNavy);
    Lista->setPalette(listColours);

    // Wide enough for any stake the wire can carry, "-2147483648" included.
    PontosCaption = look::caption(window, QStringLiteral("PontosCaption"),
                                  QStringLiteral("Pontos:"), {7, 147, 50, 14});
    Pontos = look::caption(window, QStringLiteral("Pontos"), QStringLiteral("0"), {7, 163, 65, 16});
    Pontos->setFont(look::arial(11, true));

    btTroc = new ImageButton(faceSet1(), QStringLiteral("btTroc"), window, 23, 190);
    btTerm = new ImageButton(faceSet1(), QStringLiteral("btTerm"), window, 23, 210);

    lbDes = look::caption(window, QStringLiteral("lbDes"), QStringLiteral("Definir frase:"),
                          {68, 274, 92, 14}, right);
    btDes = new ImageButton(faceSet1(), QStringLiteral("btDes"), window, 163, 271);
    lbFnd = look::caption(window, QStringLiteral("lbFnd"), QStringLiteral("Fundo vis:"),
                          {68, 294, 92, 14}, right);
    btFnd = new ImageButton(faceSet1(), QStringLiteral("btFnd"), window, 163, 291);
    lbCls = look::caption(window, QStringLiteral("lbCls"), QStringLiteral("Limpar:"),
                          {68, 314, 92, 14}, right);
    btCls = new ImageButton(faceSet1(), QStringLiteral("btCls"), window, 163, 311);

    connect(btInst, &ImageButton::MouseMove, this, &PlayerPanel::btInstMouseMove);
    connect(btTroc, &ImageButton::MouseMove, this, &PlayerPanel::btTrocMouseMove);
    connect(btTerm, &ImageButton::MouseMove, this, &PlayerPanel::btTermMouseMove);

    connect(btDes, &ImageButton::MouseDown, this, &PlayerPanel::btDesMouseDown);
    connect(btTroc, &ImageButton::MouseDown, this, &PlayerPanel::btTrocMouseDown);
    connect(btTerm, &ImageButton::MouseDown, this, &PlayerPanel::btTermMouseDown);
    connect(btFnd, &ImageButton::MouseDown, this, &PlayerPanel::btFndMouseDown);
    connect(btCls, &ImageButton::MouseDown, this, &PlayerPanel::btClsMouseDown);
}

void PlayerPanel::btInstMouseMove() {
    frame_.setHoverCaption(QStringLiteral("Instruções de uso"));
}
void PlayerPanel::btTrocMouseMove() {
    frame_.setHoverCaption(QStringLiteral("Novo Mão de Vaca"));
}
void PlayerPanel::btTermMouseMove() {
    frame_.setHoverCaption(QStringLiteral("Encerra partida"));
}

void PlayerPanel::btDesMouseDown() {
    if (client_) client_->roundControls().btDesMouseDown();
}

// Hands the drawer role to the player whose line is selected in `Lista`.
void PlayerPanel::btTrocMouseDown() {
    if (!client_) return;
    const QList<QListWidgetItem*> selected = Lista->selectedItems();
    std::optional<std::string> line;
    if (!selected.isEmpty()) line = toWire(selected.front()->text());
    client_->roundControls().btTrocMouseDown(line ? std::optional<std::string_view>(*line)
                                                  : std::nullopt);
}

void PlayerPanel::btTermMouseDown() {
    if (client_) client_->roundControls().btTermMouseDown();
}

void PlayerPanel::btFndMouseDown() {
    if (client_) client_->board().btFndMouseDown();
}

void PlayerPanel::btClsMouseDown() {
    if (client_) client_->board().btClsMouseDown();
}
