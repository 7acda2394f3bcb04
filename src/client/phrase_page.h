#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QWidget>

#include "ui/image_button.h"

class MainFrame;

// The page "Desenho" of the main window: the phrase of the next round with
// its Ok button along the bottom, and above it the gallery of template
// pictures (file lists on the left, the preview on the right).
class PhrasePage : public QWidget {
    Q_OBJECT
  public:
    PhrasePage(MainFrame& frame, QWidget* parent);

    QLabel* SecretCaption;  // "frase:"
    QLineEdit* Secret;
    ImageButton* btOkp;
    QLabel* OkpCaption;  // "Ok"

  private:
    MainFrame& frame_;
};
