// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/browser_window.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <string>

namespace rabuscal {

namespace channel = web::channel;

namespace {

// How long the browser program gets to end on its own when the game ends.
constexpr int kEndingMs = 2000;

}  // namespace

TFWeb::TFWeb(const QByteArray& base, QStringList arguments)
    : base_(base), arguments_(std::move(arguments)) {
    setObjectName(QStringLiteral("FWeb"));
}

TFWeb::~TFWeb() {
    if (!helper_) return;
    helper_->disconnect(this);
    if (helper_->state() != QProcess::NotRunning) {
        // A closed channel is the program's sign to end.
        helper_->closeWriteChannel();
        if (!helper_->waitForFinished(kEndingMs)) {
            helper_->kill();
            helper_->waitForFinished(kEndingMs);
        }
    }
}

QString TFWeb::helperProgram() {
    const QString name = QStringLiteral("rabuscal-browser");
    const QDir here(QCoreApplication::applicationDirPath());
    for (const QString& candidate :
         {here.filePath(name), here.filePath(QStringLiteral("../libexec/rabuscal/") + name),
          QStringLiteral(RABUSCAL_BROWSER_HELPER)}) {
        if (QFileInfo(candidate).isExecutable()) return QFileInfo(candidate).absoluteFilePath();
    }
    return {};
}

qint64 TFWeb::helperPid() const {
    return helper_ && helper_->state() == QProcess::Running ? helper_->processId() : 0;
}

bool TFWeb::ensureHelper() {
    if (helper_ && helper_->state() != QProcess::NotRunning) return true;
    const QString program = helperProgram();
    if (program.isEmpty()) {
        qWarning("rabuscal: the browser program rabuscal-browser is missing");
        return false;
    }
    if (!helper_) {
        helper_ = new QProcess(this);
        // Its messages go where the game's own go.
        helper_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        connect(helper_, &QProcess::readyReadStandardOutput, this, &TFWeb::readEvents);
        connect(helper_, &QProcess::finished, this, [this] {
            reader_ = channel::Reader();
            const bool wasVisible = visible_;
            visible_ = loading_ = false;
            if (wasVisible) emit hidden();
            emit helperEnded();
        });
    }
    reader_ = channel::Reader();
    QStringList arguments{QStringLiteral("--base=") + QString::fromLatin1(base_)};
    arguments << arguments_;
    helper_->start(program, arguments);
    // Commands written from now on wait in the process's buffer until it runs.
    return helper_->waitForStarted(kEndingMs);
}

void TFWeb::send(std::string_view word, std::string_view argument) {
    const std::string line = channel::encode(word, argument);
    helper_->write(line.data(), static_cast<qint64>(line.size()));
}

void TFWeb::openPage(std::string_view relativePath, Focus focus) {
    // A page that cannot be opened is dropped without a word.
    if (!ensureHelper()) return;
    show(focus);
    navigate(web::webAddress(base_, relativePath));
}

void TFWeb::navigate(const QUrl& address) {
    if (!address.isValid() || !ensureHelper()) return;
    send(channel::kOpen, address.toString(QUrl::FullyEncoded).toStdString());
}

void TFWeb::show(Focus focus) {
    if (!ensureHelper()) return;
    visible_ = true;
    send(focus == Focus::Take ? channel::kShow : channel::kShowQuietly);
}

// Hiding a window that was never opened starts nothing.
void TFWeb::hide() {
    visible_ = false;
    if (helperPid() != 0) send(channel::kHide);
}

void TFWeb::back() {
    if (helperPid() != 0) send(channel::kBack);
}

void TFWeb::forward() {
    if (helperPid() != 0) send(channel::kForward);
}

void TFWeb::stop() {
    if (helperPid() != 0) send(channel::kStop);
}

void TFWeb::readEvents() {
    const QByteArray bytes = helper_->readAllStandardOutput();
    for (const channel::Message& event :
         reader_.feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()))))
        handle(event);
}

void TFWeb::handle(const channel::Message& event) {
    const std::string& word = event.word;
    const QString text = QString::fromStdString(event.argument);
    if (word == channel::kShown) {
        // The answer to a show or hide of ours changes nothing: a later
        // command may already have set the state again.
        if (event.argument != channel::kAsked) visible_ = true;
        emit shown();
    } else if (word == channel::kHidden) {
        if (event.argument != channel::kAsked) visible_ = false;
        emit hidden();
    } else if (word == channel::kBegin) {
        loading_ = true;
        progress_ = 0;
    } else if (word == channel::kProgress) {
        progress_ = text.section(QLatin1Char(' '), 0, 0).toInt();
    } else if (word == channel::kComplete) {
        loading_ = false;
    } else if (word == channel::kLoaded) {
        url_ = QUrl(text);
        emit pageLoaded(url_);
    } else if (word == channel::kAddress) {
        url_ = QUrl(text);
    } else if (word == channel::kTitle) {
        title_ = text;
    } else if (word == channel::kOverBound) {
        emit overBound(text.toInt());
    }
}

}  // namespace rabuscal
