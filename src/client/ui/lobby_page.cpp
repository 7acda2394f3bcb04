// SPDX-License-Identifier: GPL-3.0-or-later
#include "client/ui/lobby_page.h"

#include "assets/window_layout.h"
#include "client/game_client.h"
#include "client/net/game_connection.h"
#include "client/texts.h"
#include "protocol/commands.h"
#include "rabuscal_config.h"
#include "ui/look.h"
#include "ui/main_frame.h"
#include "wire_text/text_codec.h"

namespace rabuscal {

using rabuscal::client::GameClient;
using rabuscal::client::GameConnection;
namespace lobby = rabuscal::assets::lobby;

namespace {

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

LobbyPage::LobbyPage(MainFrame& frame, QWidget* parent)
    : QWidget(parent), frame_(frame), gamePort_(config::kGamePort) {
    setObjectName(QStringLiteral("Servidor"));
    const auto right = Qt::AlignRight | Qt::AlignVCenter;

    Shp3 = new Lamp(Lamp::Shape::Circle, QStringLiteral("Shp3"), this, lobby::Shp3.place);
    btCjg = new ImageButton(faceSet2(), lobby::btCjg, this);
    Lb3 = look::caption(this, QStringLiteral("Lb3"), QStringLiteral("Conectar ao servidor do jogo"),
                        lobby::Lb3.place);

    ServidorCaption =
        look::caption(this, QStringLiteral("ServidorCaption"), QStringLiteral("Servidor:"),
                      lobby::ServidorCaption.place, right);
    Servidor = textField(this, QStringLiteral("Servidor"), lobby::Servidor.place);
    NickCaption = look::caption(this, QStringLiteral("NickCaption"), QStringLiteral("Nick:"),
                                lobby::NickCaption.place, right);
    Nick = textField(this, QStringLiteral("Nick"), lobby::Nick.place);

    btEnt = new ImageButton(faceSet2(), lobby::btEnt, this);
    Lb4 = look::caption(this, QStringLiteral("Lb4"), QStringLiteral("Entrar no jogo"),
                        lobby::Lb4.place);

    Groups = new GroupsPanel(frame, *Servidor, this);

    btVrs = new ImageButton(faceSet2(), lobby::btVrs, this);
    Label27 = look::caption(this, QStringLiteral("Label27"),
                            QStringLiteral("Checar versão do jogo"), lobby::Label27.place);

    // Each button acts on its press; the release only brings its face back.
    connect(btCjg, &ImageButton::MouseDown, this, &LobbyPage::btCjgMouseDown);
    connect(btEnt, &ImageButton::MouseDown, this, &LobbyPage::btEntMouseDown);
    connect(Nick, &QLineEdit::textChanged, this, &LobbyPage::NickChange);
}

void LobbyPage::attach(GameConnection* cli, GameClient* client) {
    cli_ = cli;
    client_ = client;
    NickChange();
}

void LobbyPage::NickChange() {
    if (client_) client_->setNick(toWire(Nick->text()));
}

// Connects to the server typed in `Servidor`, or disconnects. The caption
// follows the player's own presses: after a failed attempt it still offers
// to disconnect, and the next press tries again.
void LobbyPage::btCjgMouseDown() {
    if (!cli_ || !client_) return;
    if (cli_->active()) {
        cli_->close();
        Lb3->setText(QStringLiteral("Conectar ao servidor do jogo"));
        client_->setLamp(rabuscal::client::Lamp::Maroon);
        client_->setJoined(false);
        return;
    }
    if (Servidor->text().isEmpty()) {
        frame_.setStatus(QStringLiteral("> Informe o servidor do jogo..."));
        return;
    }
    // Red before the attempt, so that an attempt failing at once leaves the
    // lamp maroon.
    client_->setLamp(rabuscal::client::Lamp::Red);
    Lb3->setText(QStringLiteral("Desconectar do servidor do jogo"));
    cli_->open(Servidor->text(), gamePort_);
}

// Joins under the nick typed in `Nick`, or leaves. Nothing changes here: the
// server's "onj" or "off" (or its notice that the nick is taken) does that.
void LobbyPage::btEntMouseDown() {
    if (!cli_ || !client_) return;
    if (!cli_->active()) {
        frame_.setStatus(QStringLiteral("> Não há conexão ativa com um servidor."));
        client_->setJoinCaption(rabuscal::client::texts::kJoinGame);
        return;
    }
    if (Nick->text().isEmpty()) {
        frame_.setStatus(QStringLiteral("> Informe seu nick..."));
        return;
    }
    frame_.setStatus(QString());
    const bool joined = !Nick->isEnabled();
    client_->sendTyped(joined ? rabuscal::protocol::Command::Off : rabuscal::protocol::Command::Slc,
                       toWire(Nick->text()));
}

}  // namespace rabuscal
