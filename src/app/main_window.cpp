// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <utility>

#include "app/forms.h"
#include "app/main_window_web.h"
#include "assets/window_layout.h"
#include "client/ui/board_view.h"
#include "client/ui/chat_window.h"
#include "client/ui/game_session.h"
#include "client/ui/lobby_page.h"
#include "client/ui/phrase_page.h"
#include "client/ui/player_panel.h"
#include "server/ui/server_window.h"
#include "ui/button_faces.h"
#include "ui/look.h"
#include "ui/skin_pictures.h"
#include "web/browser_window.h"

namespace rabuscal {

namespace {

namespace form1 = rabuscal::assets::form1;

QLabel* hoverCaptionLabel(QWidget* window) {
    auto* label = new QLabel(window);
    label->setObjectName(QStringLiteral("Explic"));
    label->setGeometry(form1::Explic.place);
    label->setFont(look::arial(11, true, true));
    label->setAlignment(Qt::AlignCenter);
    label->setTextFormat(Qt::PlainText);
    QPalette colours = label->palette();
    colours.setColor(QPalette::WindowText, QColor(0, 108, 0));
    colours.setColor(QPalette::Window, QColor(101, 172, 144));
    label->setPalette(colours);
    label->setAutoFillBackground(true);
    return label;
}

// Brings a window in front of the program's other windows.
void bringToFront(QWidget* window) {
    window->raise();
    window->activateWindow();
}

void invertVisibility(QWidget* window) {
    window->setVisible(!window->isVisible());
    if (window->isVisible()) bringToFront(window);
}

}  // namespace

TForm1::TForm1()
    : SkinnedWindow(loadSkinPicture(assets::kMainWindow), QStringLiteral("Form1"), QString()),
      btServ(new ImageButton(faceSet1(), form1::btServ, this)),
      btConec(new ImageButton(faceSet1(), form1::btConec, this)),
      Explic(hoverCaptionLabel(this)),
      btMin(new ImageButton(faceSet1(), form1::btMin, this)),
      btFim(new ImageButton(faceSet1(), form1::btFim, this)),
      Abook(new QStackedWidget(this)),
      Stk(new StatusLine(QStringLiteral("Stk"), this, form1::Stk.place, look::arial(12, true),
                         look::kMaroon, look::kWindowColour, QStringLiteral("Status"))),
      btJog(new ImageButton(faceSet2(), form1::btJog, this)),
      btPan(new ImageButton(faceSet2(), form1::btPan, this)),
      Panel(new PlayerPanel(*this, this)) {
    Abook->setObjectName(QStringLiteral("Abook"));
    Abook->setGeometry(form1::Abook.place);
    Board = new BoardView(*this, Abook);
    Extra = createExtraPage();
    Lobby = new LobbyPage(*this, Abook);
    Phrase = new PhrasePage(*this, Abook);
    for (QWidget* page : {static_cast<QWidget*>(Board), Extra, static_cast<QWidget*>(Lobby),
                          static_cast<QWidget*>(Phrase)})
        addPage(page);

    makeDragSurface(Stk);
    makeDragSurface(Explic);
    makeDragSurface(Abook);
    connectButtons();
    FormCreate();
}

TForm1::~TForm1() {
    FormDestroy();
}

void TForm1::FormCreate() {
    selectPage(Page::Default);
    ApplySkinRegion();
    Game = std::make_unique<rabuscal::client::GameSession>(DrawerNick, *this, *Panel, *Board,
                                                           *Lobby, *Phrase);
    Web = std::make_unique<MainWindowWeb>(*this);
    raise();
}

// The game connection closes without a word.
void TForm1::FormDestroy() {
    Web.reset();
    Game.reset();
}

QWidget* TForm1::createExtraPage() {
    auto* page = new QWidget(Abook);
    page->setObjectName(QStringLiteral("Extra"));
    const struct {
        const char* name;
        const QPixmap& face;
    } faces[] = {{"btup1", faceSet1().released},
                 {"btdw1", faceSet1().pressed},
                 {"btup2", faceSet2().released},
                 {"btdw2", faceSet2().pressed}};
    int left = 10;
    for (const auto& [name, face] : faces) {
        auto* picture = new QLabel(page);
        picture->setObjectName(QString::fromLatin1(name));
        picture->setPixmap(face);
        picture->setGeometry(QRect(QPoint(left, 10), face.deviceIndependentSize().toSize()));
        left += picture->width() + 10;
    }
    return page;
}

// Pages pass the mouse on to the page area where their own controls do not
// take it, so that empty parts of a page drag the window like the background.
void TForm1::addPage(QWidget* page) {
    page->setMouseTracking(true);
    Abook->addWidget(page);
}

void TForm1::selectPage(Page page) {
    Abook->setCurrentIndex(static_cast<int>(page));
}

MainFrame::Page TForm1::currentPage() const {
    return static_cast<Page>(Abook->currentIndex());
}

void TForm1::setStatus(const QString& text) {
    Stk->setText(text);
}

QString TForm1::status() const {
    return Stk->text();
}

void TForm1::setHoverCaption(const QString& caption) {
    Explic->setText(caption);
}

void TForm1::makeDragSurface(QWidget* control) {
    addDragSurface(control);
}

// Any move over a drag surface clears the hover caption, dragging or not.
void TForm1::ImpMouseMove(QWidget* sender, Qt::KeyboardModifiers shift, int x, int y) {
    Explic->clear();
    SkinnedWindow::ImpMouseMove(sender, shift, x, y);
}

// Each button acts on the edge its action belongs to; the faces are the
// button's own, and every move over it shows its caption.
void TForm1::connectButtons() {
    connect(btFim, &ImageButton::MouseMove, this, &TForm1::btFimMouseMove);
    connect(btFim, &ImageButton::MouseUp, this, &TForm1::btFimMouseUp);
    connect(btMin, &ImageButton::MouseMove, this, &TForm1::btMinMouseMove);
    connect(btMin, &ImageButton::MouseUp, this, &TForm1::btMinMouseUp);
    connect(btConec, &ImageButton::MouseDown, this, &TForm1::btConecMouseDown);
    connect(btConec, &ImageButton::MouseMove, this, &TForm1::btConecMouseMove);
    connect(btServ, &ImageButton::MouseDown, this, &TForm1::btServMouseDown);
    connect(btServ, &ImageButton::MouseMove, this, &TForm1::btServMouseMove);
    connect(btServ, &ImageButton::MouseUp, this, &TForm1::btServMouseUp);
    connect(btPan, &ImageButton::MouseDown, this, &TForm1::btPanMouseDown);
    connect(btPan, &ImageButton::MouseMove, this, &TForm1::btPanMouseMove);
    connect(btPan, &ImageButton::MouseUp, this, &TForm1::btPanMouseUp);
    connect(btJog, &ImageButton::MouseDown, this, &TForm1::btJogMouseDown);
    connect(btJog, &ImageButton::MouseMove, this, &TForm1::btJogMouseMove);
}

void TForm1::btFimMouseMove() {
    setHoverCaption(QStringLiteral("Encerra o jogo"));
}
// The loop ends after this event; the windows are destroyed after the loop.
void TForm1::btFimMouseUp() {
    QCoreApplication::exit(0);
}

void TForm1::btMinMouseMove() {
    setHoverCaption(QStringLiteral("Minimiza"));
}
void TForm1::btMinMouseUp() {
    minimiseProgram();
}

void TForm1::btConecMouseDown() {
    selectPage(Page::Servidor);
}
void TForm1::btConecMouseMove() {
    setHoverCaption(QStringLiteral("Conexões do jogo"));
}

void TForm1::btServMouseDown() {
    if (Form3) invertVisibility(Form3);
}
void TForm1::btServMouseMove() {
    setHoverCaption(QStringLiteral("Modo servidor"));
}
void TForm1::btServMouseUp() {
    if (Form3 && Form3->isVisible()) bringToFront(Form3);
}

void TForm1::btPanMouseDown() {
    if (Form2) invertVisibility(Form2);
}
void TForm1::btPanMouseMove() {
    setHoverCaption(QStringLiteral("Painel do chat"));
}
void TForm1::btPanMouseUp() {
    if (!Form2 || !Form2->isVisible()) return;
    bringToFront(Form2);
    if (Form2->Frase) Form2->Frase->setFocus();
}

void TForm1::btJogMouseDown() {
    selectPage(Page::Default);
}
void TForm1::btJogMouseMove() {
    setHoverCaption(QStringLiteral("Voltar ao desenho"));
}

// The program leaves the screen as one: the other windows are hidden while
// the main window is minimised, and the ones that were visible come back
// when it is restored.
void TForm1::minimiseProgram() {
    hiddenWhileMinimised_.clear();
    for (QWidget* window : {static_cast<QWidget*>(Form2), static_cast<QWidget*>(Form3)}) {
        if (window == nullptr || !window->isVisible()) continue;
        hiddenWhileMinimised_.emplace_back(window);
        window->hide();
    }
    // The browser window lives in the browser program.
    browserHiddenWhileMinimised_ = FWeb && FWeb->isVisible();
    if (browserHiddenWhileMinimised_) FWeb->hide();
    showMinimized();
}

void TForm1::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange && !isMinimized()) {
        for (const QPointer<QWidget>& window : hiddenWhileMinimised_)
            if (window) window->show();
        hiddenWhileMinimised_.clear();
        if (std::exchange(browserHiddenWhileMinimised_, false) && FWeb)
            FWeb->show(TFWeb::Focus::Leave);
    }
    SkinnedWindow::changeEvent(event);
}

// The window system's close command on the main window ends the program, like
// the end button; on the other windows it only hides them.
void TForm1::closeEvent(QCloseEvent* event) {
    event->accept();
    QCoreApplication::exit(0);
}

}  // namespace rabuscal
