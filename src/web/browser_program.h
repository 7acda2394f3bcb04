// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdint>
#include <string_view>

#include "web/browser_channel.h"
#include "web/browser_frame.h"

namespace rabuscal {

// The browser program's side of the channel: runs the game's commands on the
// browser window and reports what the window and its pages do. It also holds
// itself and the engine's processes (renderers, GPU, utilities) to a memory
// bound: past it, the page is stopped, its renderer ended and the offline
// page shown.
class BrowserProgram : public QObject {
    Q_OBJECT
  public:
    struct Settings {
        QByteArray base;
        std::uint64_t memoryBound = 512ull << 20;  // bytes, proportional, all processes together
        int commandsFd = 0;
        int eventsFd = 1;
        // How often the memory is read: a page that grows by 250 MB a second
        // (a fast site on loopback) passes the bound by 25 MB at most.
        int watchLoadingMs = 100;
        int watchIdleMs = 1000;
        // A window hidden this long gives its renderer back; the page and
        // its history stay, and the page loads again when it is shown.
        int discardHiddenAfterMs = 60000;
    };
    explicit BrowserProgram(Settings settings);

    BrowserFrame& window() { return window_; }

  private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void readCommands();
    void run(const web::channel::Message& command);
    void showInFront(bool takeFocus);
    void send(std::string_view word, std::string_view argument = {});
    void sendText(std::string_view word, const QString& text);
    void watchMemory();
    void connectPage();

    Settings settings_;
    BrowserFrame window_;
    QSocketNotifier commands_;
    web::channel::Reader reader_;
    QTimer watch_;
    QTimer discard_;
    bool actedOnBound_ = false;    // until the memory is under the bound again
    bool runningCommand_ = false;  // while a command of the game's runs
};

}  // namespace rabuscal
