// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QWidget>

#include "ui/image_button.h"

namespace rabuscal::client {
class RoundControls;
}

namespace rabuscal {

class MainFrame;

// The page "Desenho" of the main window: the phrase of the next round with
// its Ok button along the bottom, and above it the gallery of template
// pictures (file lists on the left, the preview on the right).
class PhrasePage : public QWidget {
    Q_OBJECT
  public:
    PhrasePage(MainFrame& frame, QWidget* parent);

    // The drawer's round controls that `btOkp` starts a round with; null
    // leaves the button without effect.
    void attach(rabuscal::client::RoundControls* controls) { controls_ = controls; }

    // Puts the gallery panel into its place above the phrase row; the page
    // takes it as a child and shows it.
    void hostGallery(QWidget* gallery);
    QWidget* gallery() const { return gallery_; }

    QLabel* SecretCaption;  // "frase:"
    QLineEdit* Secret;
    ImageButton* btOkp;
    QLabel* OkpCaption;  // "Ok"

  private:
    void btOkpMouseUp();

    MainFrame& frame_;
    rabuscal::client::RoundControls* controls_ = nullptr;
    QWidget* gallery_ = nullptr;
};

}  // namespace rabuscal
