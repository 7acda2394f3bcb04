// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/browser_program.h"

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QWindow>
#include <cerrno>
#include <string>

#include "web/process_memory.h"

namespace rabuscal {

namespace channel = web::channel;

BrowserProgram::BrowserProgram(Settings settings)
    : settings_(std::move(settings)),
      window_(settings_.base),
      commands_(settings_.commandsFd, QSocketNotifier::Read) {
    ::fcntl(settings_.commandsFd, F_SETFL, ::fcntl(settings_.commandsFd, F_GETFL) | O_NONBLOCK);
    connect(&commands_, &QSocketNotifier::activated, this, &BrowserProgram::readCommands);
    qApp->installEventFilter(this);
    // The program exists to show pages: the engine starts with it.
    window_.Browser->createBrowser();
    connectPage();
    discard_.setSingleShot(true);
    discard_.setInterval(settings_.discardHiddenAfterMs);
    connect(&discard_, &QTimer::timeout, this, [this] {
        QWebEnginePage* page = window_.Browser->Web1->page();
        if (!window_.isVisible() && !page->url().isEmpty())
            page->setLifecycleState(QWebEnginePage::LifecycleState::Discarded);
    });
    connect(&watch_, &QTimer::timeout, this, &BrowserProgram::watchMemory);
    watch_.start(settings_.watchIdleMs);
    send(channel::kReady, std::to_string(::getpid()));
}

void BrowserProgram::connectPage() {
    QWebEngineView* view = window_.Browser->Web1;
    // A page grows fastest while it downloads: the watch looks closer then.
    connect(view, &QWebEngineView::loadStarted, this, [this] {
        watch_.setInterval(settings_.watchLoadingMs);
        send(channel::kBegin);
    });
    connect(view, &QWebEngineView::loadProgress, this,
            [this](int progress) { send(channel::kProgress, std::to_string(progress) + " 100"); });
    connect(view, &QWebEngineView::loadFinished, this, [this, view](bool ok) {
        watch_.setInterval(settings_.watchIdleMs);
        send(channel::kComplete);
        sendText(ok ? channel::kLoaded : channel::kFailed, view->url().toString());
    });
    connect(view, &QWebEngineView::urlChanged, this,
            [this](const QUrl& address) { sendText(channel::kAddress, address.toString()); });
    connect(view, &QWebEngineView::titleChanged, this,
            [this](const QString& title) { sendText(channel::kTitle, title); });
}

bool BrowserProgram::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &window_) {
        if (event->type() == QEvent::Show) {
            discard_.stop();
            QWebEnginePage* page = window_.Browser->Web1->page();
            if (page->lifecycleState() != QWebEnginePage::LifecycleState::Active)
                page->setLifecycleState(QWebEnginePage::LifecycleState::Active);
            send(channel::kShown, runningCommand_ ? channel::kAsked : std::string_view{});
        }
        if (event->type() == QEvent::Hide) {
            discard_.start();
            send(channel::kHidden, runningCommand_ ? channel::kAsked : std::string_view{});
        }
    } else if (event->type() == QEvent::MouseButtonPress) {
        // Shown without the focus, the window takes it once the player
        // clicks in it, so that the pages can be typed into.
        QWindow* handle = window_.windowHandle();
        if (handle && handle->flags().testFlag(Qt::WindowDoesNotAcceptFocus)) {
            handle->setFlag(Qt::WindowDoesNotAcceptFocus, false);
            window_.activateWindow();
        }
    }
    return QObject::eventFilter(watched, event);
}

void BrowserProgram::readCommands() {
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(settings_.commandsFd, buffer, sizeof buffer);
        if (got > 0) {
            for (const channel::Message& command :
                 reader_.feed(std::string_view(buffer, static_cast<std::size_t>(got))))
                run(command);
            continue;
        }
        if (got < 0 && errno == EINTR) continue;
        // The game closed the channel, or ended: so does its browser.
        if (got == 0 || errno != EAGAIN) {
            commands_.setEnabled(false);
            QCoreApplication::quit();
        }
        return;
    }
}

void BrowserProgram::run(const channel::Message& command) {
    // Shown or hidden by the game's own command: the game knows already, and
    // an answer it reads after a later command must not undo that one.
    runningCommand_ = true;
    const struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{runningCommand_};
    BrowserPanel& browser = *window_.Browser;
    const std::string& word = command.word;
    if (word == channel::kOpen) {
        browser.navigate(QUrl(QString::fromStdString(command.argument)));
    } else if (word == channel::kShow || word == channel::kShowQuietly) {
        showInFront(word == channel::kShow);
    } else if (word == channel::kHide) {
        window_.hide();
    } else if (word == channel::kBack) {
        browser.btAntMouseDown();
    } else if (word == channel::kForward) {
        browser.btProxMouseDown();
    } else if (word == channel::kStop) {
        browser.btStopMouseDown();
    }
    // Anything else comes from a newer game: ignored.
}

// Shown quietly, the window comes in front without taking the keyboard focus
// or the pointer from the game: the stroke that opened it goes on.
void BrowserProgram::showInFront(bool takeFocus) {
    window_.setAttribute(Qt::WA_ShowWithoutActivating, !takeFocus);
    if (!window_.isVisible()) {
        window_.winId();  // the native window, to carry the focus flag from the start
        window_.windowHandle()->setFlag(Qt::WindowDoesNotAcceptFocus, !takeFocus);
    } else if (takeFocus) {
        window_.windowHandle()->setFlag(Qt::WindowDoesNotAcceptFocus, false);
    }
    window_.show();
    window_.raise();
    if (takeFocus) window_.activateWindow();
}

void BrowserProgram::send(std::string_view word, std::string_view argument) {
    const std::string line = channel::encode(word, argument);
    std::size_t written = 0;
    while (written < line.size()) {
        const ssize_t done =
            ::write(settings_.eventsFd, line.data() + written, line.size() - written);
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) return;  // the game is gone; its end of the channel closes ours
        written += static_cast<std::size_t>(done);
    }
}

void BrowserProgram::sendText(std::string_view word, const QString& text) {
    send(word, text.toStdString());
}

// The bound acts once, then again only after the memory has come back under
// it: a bound too small for the engine itself does not stop every page.
void BrowserProgram::watchMemory() {
    // This process and the engine's: the network and the browser side run
    // here, the pages in the renderers.
    std::uint64_t total = web::proportionalBytes(::getpid());
    for (const int pid : web::descendants(::getpid())) total += web::proportionalBytes(pid);
    // It acts a sixteenth below the bound: what a page adds between two
    // readings stays under it.
    if (total <= settings_.memoryBound - settings_.memoryBound / 16) {
        actedOnBound_ = false;
        return;
    }
    if (actedOnBound_) return;
    actedOnBound_ = true;
    send(channel::kOverBound, std::to_string(total >> 20));
    window_.Browser->stopPageOverBound();
}

}  // namespace rabuscal
