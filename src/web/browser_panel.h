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

// The game's own page shown in the browser, Portuguese and in the game's
// look, instead of the engine's English error page: when the address cannot
// be reached (no network, the site is down, the host is unknown), or when a
// page took more memory than the browser program allows and was stopped.
enum class OfflineReason { Unreachable, TooLarge };
QString offlinePage(const QUrl& address, OfflineReason reason = OfflineReason::Unreachable);

// The content of the browser window: the browser `Web1` inside its frame
// `Panel1`, the buttons to the community page, back, forward and stop, and
// the lamp `Led` and gauge `G1` that show a page loading. It lives in the
// browser program, never in the game's own process.
class BrowserPanel : public QObject {
    Q_OBJECT
  public:
    BrowserPanel(QWidget* window, const QByteArray& base = web::webBase());

    void navigate(const QUrl& address);
    // Stops the page shown, ends the renderer that holds it and shows the
    // offline page in its place.
    void stopPageOverBound();

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

    void btPexoMouseDown();
    void btAntMouseDown();
    void btProxMouseDown();
    void btStopMouseDown();

  private:
    void showOfflinePageOnFailure(const QUrl& address, int errorDomain, int errorCode);

    QByteArray base_;
    QUrl pageOverBound_;  // set while its renderer is being ended
};

}  // namespace rabuscal
