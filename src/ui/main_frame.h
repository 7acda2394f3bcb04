// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QWidget;

namespace rabuscal {

// What the parts of the main window (board, player panel, lobby, phrase and
// gallery page) may ask of the window they sit in. TForm1 implements it and
// hands itself to each part when it creates them, so the parts need not know
// the window class.
class MainFrame {
  public:
    // The pages of the page area `Abook`, in their order.
    enum class Page { Default = 0, Extra = 1, Servidor = 2, Desenho = 3 };

    virtual void selectPage(Page page) = 0;
    virtual Page currentPage() const = 0;

    // The status line `Stk`: every write replaces the last text.
    virtual void setStatus(const QString& text) = 0;
    virtual QString status() const = 0;

    // The hover caption `Explic`, set by a button's mouse move.
    virtual void setHoverCaption(const QString& caption) = 0;

    // Makes a control drag the window and clear the hover caption, like the
    // background does (the gallery preview `BufImg` is one).
    virtual void makeDragSurface(QWidget* control) = 0;

  protected:
    ~MainFrame() = default;
};

}  // namespace rabuscal
