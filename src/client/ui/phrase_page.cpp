// SPDX-License-Identifier: GPL-3.0-or-later
#include "client/ui/phrase_page.h"

#include "assets/window_layout.h"
#include "client/round_controls.h"
#include "ui/look.h"
#include "wire_text/text_codec.h"

namespace rabuscal {

namespace phrase = rabuscal::assets::phrase;

// The gallery takes the page down to y = 231 (file lists at 45,5 161 x 226,
// preview at 215,20); the phrase row sits under it.
PhrasePage::PhrasePage(MainFrame& frame, QWidget* parent) : QWidget(parent), frame_(frame) {
    setObjectName(QStringLiteral("Desenho"));
    SecretCaption = look::caption(this, QStringLiteral("SecretCaption"), QStringLiteral("frase:"),
                                  phrase::SecretCaption.place);
    SecretCaption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    Secret = new QLineEdit(this);
    Secret->setObjectName(QStringLiteral("Secret"));
    Secret->setGeometry(phrase::Secret.place);
    Secret->setFrame(false);
    Secret->setFont(look::courierNew(12));
    QPalette colours = Secret->palette();
    colours.setColor(QPalette::Base, look::kLightField);
    colours.setColor(QPalette::Text, look::kNavy);
    Secret->setPalette(colours);

    btOkp = new ImageButton(faceSet2(), phrase::btOkp, this);
    OkpCaption = look::caption(this, QStringLiteral("OkpCaption"), QStringLiteral("Ok"),
                               phrase::OkpCaption.place);

    connect(btOkp, &ImageButton::MouseUp, this, &PhrasePage::btOkpMouseUp);
}

void PhrasePage::hostGallery(QWidget* gallery) {
    gallery_ = gallery;
    gallery->setParent(this);
    gallery->setGeometry(phrase::Gallery.place);
    // Under the phrase row in the stacking order, so that it never covers it.
    gallery->lower();
    gallery->show();
}

// The round starts on the release, with the phrase as typed.
void PhrasePage::btOkpMouseUp() {
    if (controls_) controls_->btOkpMouseUp(toWire(Secret->text()));
}

}  // namespace rabuscal
