// SPDX-License-Identifier: GPL-3.0-or-later
#include "directory/client/directory_connection.h"

#include <QDeadlineTimer>

#include "rabuscal_config.h"

namespace rabuscal::directory {

namespace {

// A directory that floods us is read in bounded pieces.
constexpr qint64 kReadBufferBytes = 256 * 1024;

QByteArray bytes(std::string_view text) {
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

DirectoryConnection::DirectoryConnection(QObject* parent)
    : DirectoryConnection(QString::fromLatin1(config::kDirectoryHost), config::kDirectoryPort,
                          parent) {}

DirectoryConnection::DirectoryConnection(const QString& host, quint16 port, QObject* parent)
    : QObject(parent), host_(host), port_(port), rules_(*this, *this) {
    Cli2.setReadBufferSize(kReadBufferBytes);
    connect(&Cli2, &QAbstractSocket::stateChanged, this,
            [this](QAbstractSocket::SocketState state) {
                // One "connecting" per attempt, whether or not a name lookup comes first.
                const bool starting = state == QAbstractSocket::HostLookupState ||
                                      (state == QAbstractSocket::ConnectingState &&
                                       lastState_ != QAbstractSocket::HostLookupState);
                lastState_ = state;
                if (starting) Cli2Connecting();
            });
    connect(&Cli2, &QAbstractSocket::connected, this, &DirectoryConnection::Cli2Connect);
    connect(&Cli2, &QAbstractSocket::disconnected, this, &DirectoryConnection::Cli2Disconnect);
    connect(&Cli2, &QAbstractSocket::errorOccurred, this, &DirectoryConnection::Cli2Error);
    connect(&Cli2, &QIODevice::readyRead, this, &DirectoryConnection::Cli2Read);
    quiet_.setSingleShot(true);
    quiet_.setInterval(protocol::kQuietFlushMs);
    connect(&quiet_, &QTimer::timeout, this, [this] { rules_.quiet(); });
}

DirectoryConnection::~DirectoryConnection() {
    // The program ends: close without sending anything and without reporting.
    quiet_.stop();
    Cli2.disconnect(this);
    Cli2.abort();
}

bool DirectoryConnection::isActive() const {
    return Cli2.state() == QAbstractSocket::ConnectedState;
}

bool DirectoryConnection::flushAndClose(int msecs) {
    const QDeadlineTimer deadline(msecs);
    while (isActive() && Cli2.bytesToWrite() > 0)
        if (!Cli2.waitForBytesWritten(static_cast<int>(deadline.remainingTime()))) break;
    const bool flushed = Cli2.bytesToWrite() == 0;
    if (flushed)
        Cli2.disconnectFromHost();
    else
        Cli2.abort();
    return flushed;
}

void DirectoryConnection::send(std::string_view message) {
    Cli2.write(message.data(), static_cast<qint64>(message.size()));
}

void DirectoryConnection::open() {
    switch (Cli2.state()) {
        case QAbstractSocket::HostLookupState:
        case QAbstractSocket::ConnectingState:
            return;  // the attempt under way will send the pending message
        case QAbstractSocket::ClosingState:
            Cli2.abort();
            break;
        default:
            break;
    }
    Cli2.connectToHost(host_, port_);
}

void DirectoryConnection::showMainStatus(std::string_view text) {
    emit statusForMain(bytes(text));
}

void DirectoryConnection::showServerStatus(std::string_view text) {
    emit statusForServerWindow(bytes(text));
}

void DirectoryConnection::Cli2Error(QAbstractSocket::SocketError error) {
    // The service closing the connection is a disconnection, reported as such.
    if (error == QAbstractSocket::RemoteHostClosedError) return;
    rules_.failed();
}

void DirectoryConnection::Cli2Read() {
    const QByteArray chunk = Cli2.readAll();
    rules_.received(std::string_view(chunk.constData(), static_cast<std::size_t>(chunk.size())));
    if (rules_.holding())
        quiet_.start();
    else
        quiet_.stop();
}

}  // namespace rabuscal::directory
