// SPDX-License-Identifier: GPL-3.0-or-later
#include "client/ui/groups_panel.h"

#include <QSignalBlocker>

#include "assets/window_layout.h"
#include "client/texts.h"
#include "ui/look.h"
#include "ui/main_frame.h"
#include "wire_text/text_codec.h"

namespace rabuscal {

using rabuscal::directory::DirectoryConnection;

namespace {

namespace lobby = rabuscal::assets::lobby;

// Controls are laid out in page coordinates; the panel starts at lobby::Groups.
QRect onPanel(QRect pagePlace) {
    return pagePlace.translated(-lobby::Groups.place.topLeft());
}

rabuscal::assets::Button onPanel(rabuscal::assets::Button button) {
    button.at -= lobby::Groups.place.topLeft();
    return button;
}

}  // namespace

GroupsPanel::GroupsPanel(MainFrame& frame, QLineEdit& servidor, QWidget* page)
    : QWidget(page), frame_(frame), servidor_(servidor) {
    setObjectName(QStringLiteral("Groups"));
    setGeometry(lobby::Groups.place);

    Shp2 = new Lamp(Lamp::Shape::Circle, QStringLiteral("Shp2"), this, onPanel(lobby::Shp2.place));
    btGrp = new ImageButton(faceSet2(), onPanel(lobby::btGrp), this);

    Label8 = new QLabel(QStringLiteral("Grupos ativos..."), this);
    Label8->setObjectName(QStringLiteral("Label8"));
    Label8->setGeometry(onPanel(lobby::Label8.place));
    Label8->setFont(look::arial(11, true));
    QPalette captionColours = Label8->palette();
    captionColours.setColor(QPalette::WindowText, look::kCaptionBrown);
    Label8->setPalette(captionColours);

    Grupos = new QListWidget(this);
    Grupos->setObjectName(QStringLiteral("Grupos"));
    Grupos->setGeometry(onPanel(lobby::Grupos.place));
    // The directory's order is the order to list them in.
    Grupos->setSortingEnabled(false);
    Grupos->setFont(look::arial(12, true));
    QPalette listColours = Grupos->palette();
    listColours.setColor(QPalette::Base, look::kLightField);
    listColours.setColor(QPalette::Text, look::kNavy);
    Grupos->setPalette(listColours);

    connect(btGrp, &ImageButton::MouseDown, this, &GroupsPanel::btGrpMouseDown);
    // Selection, not the current row: a list that takes the focus (as when the
    // window is activated again) gets a current row by itself, and that must
    // not change `Servidor`.
    connect(Grupos, &QListWidget::itemSelectionChanged, this, &GroupsPanel::GruposClick);
}

void GroupsPanel::attach(DirectoryConnection& directory) {
    if (directory_) directory_->disconnect(this);
    directory_ = &directory;
    connect(&directory, &DirectoryConnection::statusForMain, this, [this](const QByteArray& text) {
        frame_.setStatus(
            fromWire(text.left(rabuscal::client::texts::kMaximumShownStatus).toStdString()));
    });
    connect(&directory, &DirectoryConnection::lampChanged, this, &GroupsPanel::showLamp);
    connect(&directory, &DirectoryConnection::groupsChanged, this, &GroupsPanel::showGroups);
    showLamp(directory.lamp());
    showGroups();
}

void GroupsPanel::btGrpMouseDown() {
    if (directory_) directory_->askGroups();
}

// Only a group the player picks fills the field: emptying or refilling the
// list leaves `Servidor` as it is.
void GroupsPanel::GruposClick() {
    const QList<QListWidgetItem*> selected = Grupos->selectedItems();
    if (!directory_ || selected.isEmpty()) return;
    servidor_.setText(fromWire(directory_->addressAt(Grupos->row(selected.first()))));
}

void GroupsPanel::showGroups() {
    const QSignalBlocker quiet(Grupos);
    Grupos->clear();
    if (!directory_) return;
    for (const std::string& name : directory_->Grupos()) Grupos->addItem(fromWire(name));
}

void GroupsPanel::showLamp(rabuscal::protocol::LinkLamp colour) {
    switch (colour) {
        case rabuscal::protocol::LinkLamp::Maroon:
            Shp2->setColour(Lamp::kMaroon);
            break;
        case rabuscal::protocol::LinkLamp::Red:
            Shp2->setColour(Lamp::kRed);
            break;
        case rabuscal::protocol::LinkLamp::Lime:
            Shp2->setColour(Lamp::kLime);
            break;
    }
}

}  // namespace rabuscal
