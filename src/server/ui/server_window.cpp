// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/ui/server_window.h"

#include <QHostInfo>
#include <utility>

#include "assets/window_layout.h"
#include "directory/client/directory_connection.h"
#include "ui/error_report.h"
#include "ui/look.h"
#include "ui/skin_pictures.h"
#include "wire_text/text_codec.h"

namespace rabuscal {

namespace {

namespace form3 = rabuscal::assets::form3;

const QString kAnnounce = QStringLiteral("Ativar");
const QString kWithdraw = QStringLiteral("Desativar");

// The address and the count: navy figures on a light field.
QLabel* valueField(QWidget* window, const QString& name, const QString& text, QRect place) {
    auto* label = new QLabel(text, window);
    label->setObjectName(name);
    label->setGeometry(place);
    label->setFont(look::arial(12, true));
    label->setAlignment(Qt::AlignCenter);
    label->setTextFormat(Qt::PlainText);
    QPalette colours = label->palette();
    colours.setColor(QPalette::WindowText, look::kNavy);
    colours.setColor(QPalette::Window, look::kLightField);
    label->setPalette(colours);
    label->setAutoFillBackground(true);
    return label;
}

}  // namespace

TForm3::TForm3(std::string& drawerNick, quint16 gamePort)
    : SkinnedWindow(loadSkinPicture(assets::kServerWindow), QStringLiteral("Form3"),
                    QStringLiteral("Servidor de jogo")),
      Shp1(new Lamp(Lamp::Shape::Circle, QStringLiteral("Shp1"), this, form3::Shp1.place)),
      btLig(new ImageButton(faceSet2(), form3::btLig, this)),
      Lb1(look::caption(this, QStringLiteral("Lb1"), QStringLiteral("Ligar servidor"),
                        form3::Lb1.place)),
      Label3(look::caption(this, QStringLiteral("Label3"), QStringLiteral("IP:"),
                           form3::Label3.place, Qt::AlignLeft | Qt::AlignVCenter, 12)),
      Ips(valueField(this, QStringLiteral("Ips"), QStringLiteral("0.0.0.0"), form3::Ips.place)),
      Label28(look::caption(this, QStringLiteral("Label28"), QStringLiteral("Qtc:"),
                            form3::Label28.place, Qt::AlignRight | Qt::AlignVCenter, 12)),
      Lb29(valueField(this, QStringLiteral("Lb29"), QStringLiteral("0"), form3::Lb29.place)),
      Label5(look::caption(this, QStringLiteral("Label5"), QStringLiteral("Nome do grupo:"),
                           form3::Label5.place, Qt::AlignRight | Qt::AlignVCenter)),
      Jogo(look::field(this, QStringLiteral("Jogo"), form3::Jogo.place, look::courierNew(12))),
      btAtv(new ImageButton(faceSet2(), form3::btAtv, this)),
      Lb7(look::caption(this, QStringLiteral("Lb7"), kAnnounce, form3::Lb7.place)),
      Stk(new StatusLine(QStringLiteral("Stk"), this, form3::Stk.place, look::arial(11, true, true),
                         look::kMaroon, look::kWindowColour, QStringLiteral("Status..."))),
      btFechar(new ImageButton(faceSet2(), form3::btFechar, this)),
      Srv(drawerNick, this),
      gamePort_(gamePort) {
    QPalette colours = palette();
    colours.setColor(QPalette::Window, look::kWindowColour);
    setPalette(colours);
    addDragSurface(Stk);

    // The buttons swap their own faces; each acts on one edge only.
    connect(btLig, &ImageButton::MouseDown, this, &TForm3::btLigMouseDown);
    connect(btAtv, &ImageButton::MouseDown, this, &TForm3::btAtvMouseDown);
    connect(btFechar, &ImageButton::MouseUp, this, &TForm3::btFecharMouseUp);
    FormCreate();
}

TForm3::~TForm3() {
    FormDestroy();
}

void TForm3::link(ServerWindowLinks links) {
    if (directory_) directory_->disconnect(this);
    links_ = std::move(links);
    directory_ = links_.directory;
    if (!directory_) return;
    using rabuscal::directory::DirectoryConnection;
    connect(directory_, &DirectoryConnection::statusForServerWindow, this,
            [this](const QByteArray& text) { Stk->setText(fromWire(text.toStdString())); });
    connect(directory_, &DirectoryConnection::connectionFailed, this, &TForm3::directoryGone);
    connect(directory_, &DirectoryConnection::connectionLost, this, &TForm3::directoryGone);
}

// The directory lists a group only while the connection that announced it
// lives: without one, the group is not listed, whatever was sent.
void TForm3::directoryGone() {
    if (!announcedGroup_) return;
    announcedGroup_.reset();
    Lb7->setText(kAnnounce);
    Stk->setText(QStringLiteral("Grupo desativado: sem conexão com o servidor principal."));
}

void TForm3::FormCreate() {
    ApplySkinRegion();
}

// Players still connected are dropped without a word.
void TForm3::FormDestroy() {
    if (Srv.isListening()) Srv.stop();
}

QString TForm3::LocalAddress() {
    const QHostInfo host = QHostInfo::fromName(QHostInfo::localHostName());
    QString last;
    for (const QHostAddress& address : host.addresses())
        if (address.protocol() == QAbstractSocket::IPv4Protocol) last = address.toString();
    return last;
}

void TForm3::btLigMouseDown() {
    // The server is switched only while this copy does not play: switching it
    // off would drop the host's own game with everyone else's.
    if (links_.gameConnected && links_.gameConnected()) {
        Stk->setText(Srv.isListening() ? QStringLiteral("Desconecte o jogo antes de desligar.")
                                       : QStringLiteral("Desconecte o jogo antes de ativar."));
        return;
    }
    if (Srv.isListening())
        switchOff();
    else
        switchOn();
}

// A group left listed for a server that no longer listens would send the next
// player who picks it to a refused connection: it goes with the server.
void TForm3::switchOff() {
    Srv.stop();
    Lb29->setText(QString::number(Srv.connectionCount()));
    Stk->setText(QStringLiteral("Sevidor desligado..."));
    Lb1->setText(QStringLiteral("Ligar servidor"));
    Ips->setText(QStringLiteral("0.0.0.0"));
    if (links_.setServerAddress) links_.setServerAddress(QString());
    Shp1->setColour(Lamp::kMaroon);
    if (announcedGroup_) withdrawGroup();
}

void TForm3::switchOn() {
    if (const auto failure = Srv.start(gamePort_)) {
        reportError(*failure);
        return;
    }
    const QString address = LocalAddress();
    Stk->setText(QStringLiteral("Sevidor ligado..."));
    Lb1->setText(QStringLiteral("Desligar servidor"));
    Ips->setText(address);
    if (links_.setServerAddress) links_.setServerAddress(address);
    Shp1->setColour(Lamp::kRed);
}

void TForm3::btAtvMouseDown() {
    Stk->clear();
    if (!Srv.isListening()) {
        Stk->setText(QStringLiteral("Precisa ligar o servidor antes."));
        return;
    }
    if (announcedGroup_) {
        withdrawGroup();
        return;
    }
    if (Jogo->text().isEmpty()) {
        Stk->setText(QStringLiteral("Defina o nome do grupo."));
        return;
    }
    announcedGroup_ = toWire(Jogo->text());
    if (directory_) directory_->activateGroup(*announcedGroup_);
    Lb7->setText(kWithdraw);
}

// The name withdrawn is the name announced, even if `Jogo` was edited since:
// only that one is listed.
void TForm3::withdrawGroup() {
    const std::string group = *std::exchange(announcedGroup_, std::nullopt);
    Lb7->setText(kAnnounce);
    if (directory_) directory_->deactivateGroup(group);
}

void TForm3::btFecharMouseUp() {
    hide();
}

void TForm3::connectionCountChanged(std::size_t count) {
    Lb29->setText(QString::number(count));
}

void TForm3::firstChunk() {
    if (Srv.isListening()) Shp1->setColour(Lamp::kLime);
}

void TForm3::conversionError(rabuscal::server::ConnectionId, std::string_view what) {
    reportError(fromWire(what));
}

}  // namespace rabuscal
