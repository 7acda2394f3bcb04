// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QProcess>
#include <QStringList>
#include <QUrl>
#include <string_view>

#include "web/browser_channel.h"
#include "web/web_address.h"

namespace rabuscal {

// The browser window "Browser web" as the game sees it. The window itself,
// with the web engine, lives in the browser program rabuscal-browser
// (web/browser_frame.h), so that the game's own process never loads the
// engine: this object starts the program the first time a page is opened,
// restarts it when it has died, drives it over the channel of
// web/browser_channel.h and keeps what it reports. The program ends with
// this object.
class TFWeb : public QObject {
    Q_OBJECT
  public:
    // `arguments`: added to the program's command line (tests give a small
    // memory bound).
    explicit TFWeb(const QByteArray& base = web::webBase(), QStringList arguments = {});
    ~TFWeb() override;

    // Whether the window takes the keyboard focus when it comes in front. The
    // board's first press opens the instructions without it, so that the
    // press's stroke goes on.
    enum class Focus { Take, Leave };

    // Shows the window in front of the others and opens the site's root
    // followed by the relative path ("rabuscal/pgn01.htm").
    void openPage(std::string_view relativePath, Focus focus = Focus::Take);
    void navigate(const QUrl& address);
    void show(Focus focus = Focus::Take);
    void hide();
    void back();
    void forward();
    void stop();

    // What the browser program last reported.
    bool isVisible() const { return visible_; }
    QUrl url() const { return url_; }
    QString title() const { return title_; }
    bool loading() const { return loading_; }
    int progress() const { return progress_; }
    // The program's process id while it runs, else 0.
    qint64 helperPid() const;

    // Where the browser program is looked for: beside the game (the build
    // tree), then in the installed helper folder.
    static QString helperProgram();

  signals:
    void shown();
    void hidden();
    void pageLoaded(const QUrl& address);
    void overBound(int megabytes);
    void helperEnded();

  private:
    bool ensureHelper();
    void send(std::string_view word, std::string_view argument = {});
    void readEvents();
    void handle(const web::channel::Message& event);

    QByteArray base_;
    QStringList arguments_;
    QProcess* helper_ = nullptr;
    web::channel::Reader reader_;
    bool visible_ = false;
    bool loading_ = false;
    int progress_ = 0;
    QUrl url_;
    QString title_;
};

}  // namespace rabuscal
