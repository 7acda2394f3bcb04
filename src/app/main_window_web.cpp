// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_window_web.h"

#include "app/forms.h"
#include "app/main_window.h"
#include "client/ui/game_session.h"
#include "client/ui/lobby_page.h"
#include "client/ui/phrase_page.h"
#include "client/ui/player_panel.h"
#include "web/browser_window.h"
#include "web/gallery_panel.h"
#include "web/version_check.h"
#include "web/web_dwn.h"

namespace rabuscal {

namespace {

// Shows the browser window in front and opens a page of the game's site there.
void openPage(std::string_view relativePath) {
    if (FWeb) FWeb->openPage(relativePath);
}

// The board's first press: the instructions come in front without taking the
// pointer or the keyboard from the board, so that the press's stroke goes on.
void openPageBesideTheBoard(std::string_view relativePath) {
    if (FWeb) FWeb->openPage(relativePath, TFWeb::Focus::Leave);
}

}  // namespace

MainWindowWeb::MainWindowWeb(TForm1& form)
    : form_(form), webDwn_(std::make_unique<rabuscal::WebDwn>()) {
    Gallery = new GalleryPanel(form, *webDwn_, form.Phrase);
    form.Phrase->hostGallery(Gallery);

    auto& board = form.Game->client().board();
    QObject::connect(Gallery, &GalleryPanel::galleryPictureChanged, Gallery,
                     [&board](const QImage& picture) { board.setGalleryPicture(picture); });
    board.setWebPageOpener(&openPageBesideTheBoard);

    QObject::connect(form.Lobby->btVrs, &ImageButton::MouseDown, Gallery,
                     [this] { btVrsMouseDown(); });
    QObject::connect(form.Panel->btInst, &ImageButton::MouseDown, Gallery,
                     [this] { btInstMouseDown(); });
}

void MainWindowWeb::btVrsMouseDown() {
    checkVersion(*webDwn_, {[this](const QString& text) { form_.setStatus(text); }, &openPage});
}

void MainWindowWeb::btInstMouseDown() {
    openPage(web::kInstructionsPage);
}

// The gallery holds on to the client: it goes first.
MainWindowWeb::~MainWindowWeb() {
    delete Gallery;
}

}  // namespace rabuscal
