// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/browser_panel.h"

#include <signal.h>
#include <unistd.h>

#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <utility>

#include "assets/window_layout.h"
#include "ui/look.h"

namespace rabuscal {

namespace {

namespace fweb = rabuscal::assets::fweb;

const QColor kOrange{255, 144, 0};
const QColor kBrown{128, 64, 0};

QLabel* caption(QWidget* parent, const QString& name, const QString& text, QRect place,
                Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter) {
    QLabel* label = look::caption(parent, name, text, place, alignment);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);  // the skin under it drags
    return label;
}

// Chromium refuses to start as root unless its sandbox is off. The engine
// reads its flags once, when the first view is made.
void allowEngineAsRoot() {
    if (::geteuid() != 0) return;
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (flags.contains("--no-sandbox")) return;
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", (flags + " --no-sandbox").trimmed());
}

}  // namespace

QString offlinePage(const QUrl& address, OfflineReason reason) {
    const QString why =
        reason == OfflineReason::Unreachable
            ? QStringLiteral(
                  "<p>Não foi possível abrir a página do jogo: o site não respondeu.</p>"
                  "<p>Verifique a conexão com a internet e tente de novo mais tarde. "
                  "O jogo continua funcionando sem o site.</p>")
            : QStringLiteral(
                  "<p>A página foi interrompida: ela ocupou mais memória do que o "
                  "navegador do jogo permite.</p>"
                  "<p>O jogo continua funcionando; as outras páginas abrem "
                  "normalmente.</p>");
    // Styled inline: the site and its style sheet are what cannot be reached.
    return QStringLiteral(
               "<!DOCTYPE html><html lang=\"pt-BR\"><head><meta charset=\"utf-8\">"
               "<title>Página indisponível</title><style>"
               "body{margin:0;background:#efe4d5;color:#3e3a36;"
               "font:14px/1.45 'Liberation Sans',Arial,sans-serif}"
               "header{background:#b0a89b;padding:12px 18px;border-bottom:3px solid #544e47}"
               "h1{display:inline-block;margin:0;padding:1px 14px 2px;background:#e2d6b5;"
               "transform:rotate(-1.5deg);box-shadow:1px 2px 0 rgba(0,0,0,.18);"
               "font-size:22px;font-style:italic}"
               "main{padding:10px 18px}code{color:#6c6455}"
               "</style></head><body><header><h1>Página indisponível</h1></header><main>"
               "%1<p><code>%2</code></p></main></body></html>")
        .arg(why, address.toDisplayString().toHtmlEscaped());
}

BrowserPanel::BrowserPanel(QWidget* window, const QByteArray& base) : QObject(window), base_(base) {
    Panel1 = new QFrame(window);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(fweb::Panel1.place);
    Panel1->setFrameShape(QFrame::NoFrame);
    Panel1->setAutoFillBackground(true);
    QPalette colours = Panel1->palette();
    colours.setColor(QPalette::Window, look::kLightField);
    Panel1->setPalette(colours);

    btPexo = new ImageButton(faceSet2(), fweb::btPexo, window);
    Lb7 = caption(window, QStringLiteral("Lb7"), QStringLiteral("PEXO online"), fweb::Lb7.place);
    LbAnt = caption(window, QStringLiteral("LbAnt"), QStringLiteral("<<"), fweb::LbAnt.place,
                    Qt::AlignRight | Qt::AlignVCenter);
    btAnt = new ImageButton(faceSet2(), fweb::btAnt, window);
    btProx = new ImageButton(faceSet2(), fweb::btProx, window);
    LbProx = caption(window, QStringLiteral("LbProx"), QStringLiteral(">>"), fweb::LbProx.place);
    btStop = new ImageButton(faceSet2(), fweb::btStop, window);
    Led = new Lamp(Lamp::Shape::Rectangle, QStringLiteral("Led"), window, fweb::Led.place,
                   Lamp::kMaroon);
    G1 = new Gauge(QStringLiteral("G1"), window, fweb::G1.place, kOrange, kBrown);

    connect(btPexo, &ImageButton::MouseDown, this, &BrowserPanel::btPexoMouseDown);
    connect(btAnt, &ImageButton::MouseDown, this, &BrowserPanel::btAntMouseDown);
    connect(btProx, &ImageButton::MouseDown, this, &BrowserPanel::btProxMouseDown);
    connect(btStop, &ImageButton::MouseDown, this, &BrowserPanel::btStopMouseDown);
}

void BrowserPanel::createBrowser() {
    if (Web1) return;
    allowEngineAsRoot();
    Web1 = new QWebEngineView(Panel1);
    Web1->setObjectName(QStringLiteral("Web1"));
    // Two pixels beyond the frame on every side cut off the view's own border.
    Web1->setGeometry(fweb::Web1.place);
    connect(Web1, &QWebEngineView::loadStarted, this, &BrowserPanel::Web1DownloadBegin);
    connect(Web1, &QWebEngineView::loadProgress, this,
            [this](int progress) { Web1ProgressChange(progress, 100); });
    connect(Web1, &QWebEngineView::loadFinished, this, &BrowserPanel::Web1DownloadComplete);
    // The engine's own error page is English and says nothing of the game.
    Web1->settings()->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    // The window shows no icon: none is fetched.
    Web1->settings()->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
    connect(Web1->page(), &QWebEnginePage::loadingChanged, this,
            [this](const QWebEngineLoadingInfo& info) {
                if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus)
                    showOfflinePageOnFailure(info.url(), info.errorDomain(), info.errorCode());
            });
    connect(Web1->page(), &QWebEnginePage::renderProcessTerminated, this, [this] {
        if (pageOverBound_.isEmpty()) return;
        const QUrl address = std::exchange(pageOverBound_, QUrl());
        Web1->setHtml(offlinePage(address, OfflineReason::TooLarge), address);
    });
    Web1->show();
}

void BrowserPanel::stopPageOverBound() {
    if (!Web1) return;
    const QUrl address = Web1->url();
    Web1->stop();
    // Only a new renderer gives the memory back: the old one is ended and the
    // offline page loads in its successor.
    const qint64 renderer = Web1->page()->renderProcessPid();
    if (renderer > 0 && ::kill(static_cast<pid_t>(renderer), SIGKILL) == 0) {
        pageOverBound_ = address.isEmpty() ? QUrl(QStringLiteral("about:blank")) : address;
        return;
    }
    Web1->setHtml(offlinePage(address, OfflineReason::TooLarge), address);
}

void BrowserPanel::navigate(const QUrl& address) {
    createBrowser();
    // An address the engine cannot even request is dropped without a word;
    // errors while loading show inside the page.
    if (address.isValid()) Web1->load(address);
}

void BrowserPanel::showOfflinePageOnFailure(const QUrl& address, int errorDomain, int errorCode) {
    // Only an address that cannot be reached; a page the site answers with an
    // error shows what the site sent, and a load the player stopped stays stopped.
    constexpr int kAborted = -3;
    const bool unreachable = errorDomain == QWebEngineLoadingInfo::ConnectionErrorDomain ||
                             errorDomain == QWebEngineLoadingInfo::DnsErrorDomain;
    if (!unreachable || errorCode == kAborted) return;
    // Loaded once the engine is done with the failed load.
    QMetaObject::invokeMethod(
        this,
        [this, address] {
            Web1->setHtml(offlinePage(address, OfflineReason::Unreachable), address);
        },
        Qt::QueuedConnection);
}

void BrowserPanel::Web1DownloadBegin() {
    Led->setColour(Lamp::kRed);
    G1->setPosition(0);
}

void BrowserPanel::Web1DownloadComplete() {
    Led->setColour(Lamp::kMaroon);
}

void BrowserPanel::Web1ProgressChange(qint64 progress, qint64 progressMax) {
    G1->setMaximum(progressMax);
    G1->setPosition(progress);  // clamped: -1 shows as empty
}

void BrowserPanel::btPexoMouseDown() {
    navigate(web::webAddress(base_, web::kPexoHomePage));
}

// Going back or forward with nowhere to go is left to the engine, which
// simply stays on the page.
void BrowserPanel::btAntMouseDown() {
    if (Web1) Web1->back();
}

void BrowserPanel::btProxMouseDown() {
    if (Web1) Web1->forward();
}

void BrowserPanel::btStopMouseDown() {
    if (Web1) Web1->stop();
}

}  // namespace rabuscal
