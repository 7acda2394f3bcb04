// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>
#include <QPointer>
#include <QStackedWidget>
#include <memory>
#include <vector>

#include "ui/image_button.h"
#include "ui/main_frame.h"
#include "ui/skinned_window.h"
#include "ui/status_line.h"

namespace rabuscal {

class BoardView;
class MainWindowWeb;
class LobbyPage;
class PhrasePage;
class PlayerPanel;

}  // namespace rabuscal
namespace rabuscal::client {
class GameSession;
}

namespace rabuscal {

// The player's main window: the page area `Abook` (board, lobby, phrase and
// gallery), the player panel on the left, the status line `Stk` and the
// buttons that switch pages, show and hide the chat and server windows,
// minimise the program and end it. Closing it ends the program.
class TForm1 : public SkinnedWindow, public MainFrame {
    Q_OBJECT
  public:
    TForm1();
    ~TForm1() override;

    // MainFrame
    void selectPage(Page page) override;
    Page currentPage() const override;
    void setStatus(const QString& text) override;
    QString status() const override;
    void setHoverCaption(const QString& caption) override;
    void makeDragSurface(QWidget* control) override;

    ImageButton* btServ;
    ImageButton* btConec;
    QLabel* Explic;
    ImageButton* btMin;
    ImageButton* btFim;
    QStackedWidget* Abook;
    StatusLine* Stk;
    ImageButton* btJog;
    ImageButton* btPan;

    // The parts of the window, each in its own subsystem.
    PlayerPanel* Panel;
    BoardView* Board;
    QWidget* Extra;  // holds the button face pictures; never shown
    LobbyPage* Lobby;
    PhrasePage* Phrase;

    // The game: the connection `Cli`, the game client over it and their
    // binding to the parts above. Lives from FormCreate to FormDestroy.
    std::unique_ptr<rabuscal::client::GameSession> Game;
    // The web side: `WebDwn`, the gallery, the version check, the instructions.
    std::unique_ptr<MainWindowWeb> Web;

  protected:
    void ImpMouseMove(QWidget* sender, Qt::KeyboardModifiers shift, int x, int y) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void FormCreate();
    void FormDestroy();
    QWidget* createExtraPage();
    void addPage(QWidget* page);
    void connectButtons();
    void minimiseProgram();

    void btFimMouseMove();
    void btFimMouseUp();
    void btMinMouseMove();
    void btMinMouseUp();
    void btConecMouseDown();
    void btConecMouseMove();
    void btServMouseDown();
    void btServMouseMove();
    void btServMouseUp();
    void btPanMouseDown();
    void btPanMouseMove();
    void btPanMouseUp();
    void btJogMouseDown();
    void btJogMouseMove();

    // Windows hidden by the minimise button, shown again on restore.
    std::vector<QPointer<QWidget>> hiddenWhileMinimised_;
    bool browserHiddenWhileMinimised_ = false;
};

}  // namespace rabuscal
