// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFrame>
#include <QLabel>
#include <QObject>
#include <QUrl>
#include <string_view>

#include "ui/gauge.h"
#include "ui/image_button.h"
#include "ui/lamp.h"
#include "web/web_address.h"

class QWebEngineView;

namespace rabuscal {

// The game's own page shown in the browser when the address cannot be
// reached (no network, the site is down, the host is unknown): Portuguese,
// in the game's look, instead of the engine's English error page.
QString offlinePage(const QUrl& address);

// The content of the browser window: the browser `Web1` inside its frame
// `Panel1`, the buttons to the community page, back, forward and stop, and
// the lamp `Led` and gauge `G1` that show a page loading. The browser engine
// is started the first time a page is opened or the window is shown, so that
// the program starts without it.
class BrowserPanel : public QObject {
    Q_OBJECT
  public:
    BrowserPanel(QWidget* window, const QByteArray& base = web::webBase());

    // Shows the window in front of the others and loads base + the path.
    void openPage(std::string_view relativePath);
    void navigate(const QUrl& address);

    // Starts the browser engine if it is not running yet.
    void createBrowser();

    QFrame* Panel1;
    QWebEngineView* Web1 = nullptr;  // null until createBrowser
    ImageButton* btPexo;
    QLabel* Lb7;
    QLabel* LbAnt;
    ImageButton* btAnt;
    ImageButton* btProx;
    QLabel* LbProx;
    ImageButton* btStop;
    Lamp* Led;
    Gauge* G1;

    void Web1DownloadBegin();
    void Web1DownloadComplete();
    void Web1ProgressChange(qint64 progress, qint64 progressMax);

  private:
    void showOfflinePageOnFailure(const QUrl& address, int errorDomain, int errorCode);
    void btPexoMouseDown();
    void btAntMouseDown();
    void btProxMouseDown();
    void btStopMouseDown();

    QWidget* window_;
    QByteArray base_;
};

}  // namespace rabuscal
