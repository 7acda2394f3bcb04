// SPDX-License-Identifier: GPL-3.0-or-later
#include "client/ui/player_panel.h"

#include <optional>
#include <string>

#include "assets/window_layout.h"
#include "client/game_client.h"
#include "rabuscal_config.h"
#include "ui/look.h"
#include "ui/main_frame.h"
#include "wire_text/text_codec.h"

namespace rabuscal {

namespace form1 = rabuscal::assets::form1;

PlayerPanel::PlayerPanel(MainFrame& frame, QWidget* window) : QObject(window), frame_(frame) {
    setObjectName(QStringLiteral("PlayerPanel"));
    const auto right = Qt::AlignRight | Qt::AlignVCenter;

    Versao = look::caption(window, QStringLiteral("Versao"), QStringLiteral(RABUSCAL_VERSION),
                           form1::Versao.place);
    Versao->setFont(look::arial(11));
    btInst = new ImageButton(faceSet1(), form1::btInst, window);

    Lista = new QListWidget(window);
    Lista->setObjectName(QStringLiteral("Lista"));
    Lista->setGeometry(form1::Lista.place);
    Lista->setFont(look::courierNew(12));
    Lista->setFrameShape(QFrame::NoFrame);
    QPalette listColours = Lista->palette();
    listColours.setColor(QPalette::Base, look::kLightField);
    listColours.setColor(QPalette::Text, look::kNavy);
    Lista->setPalette(listColours);

    // Wide enough for any stake the wire can carry, "-2147483648" included.
    PontosCaption = look::caption(window, QStringLiteral("PontosCaption"),
                                  QStringLiteral("Pontos:"), form1::PontosCaption.place);
    Pontos =
        look::caption(window, QStringLiteral("Pontos"), QStringLiteral("0"), form1::Pontos.place);
    Pontos->setFont(look::arial(11, true));

    btTroc = new ImageButton(faceSet1(), form1::btTroc, window);
    btTerm = new ImageButton(faceSet1(), form1::btTerm, window);

    lbDes = look::caption(window, QStringLiteral("lbDes"), QStringLiteral("Definir frase:"),
                          form1::lbDes.place, right);
    btDes = new ImageButton(faceSet1(), form1::btDes, window);
    lbFnd = look::caption(window, QStringLiteral("lbFnd"), QStringLiteral("Fundo vis:"),
                          form1::lbFnd.place, right);
    btFnd = new ImageButton(faceSet1(), form1::btFnd, window);
    lbCls = look::caption(window, QStringLiteral("lbCls"), QStringLiteral("Limpar:"),
                          form1::lbCls.place, right);
    btCls = new ImageButton(faceSet1(), form1::btCls, window);

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

}  // namespace rabuscal
