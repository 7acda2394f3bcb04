// SPDX-License-Identifier: GPL-3.0-or-later
#include "client/net/game_connection.h"

#include <QByteArray>

namespace rabuscal::client {

GameConnection::GameConnection(QObject* parent) : QObject(parent) {
    connect(&socket_, &QAbstractSocket::stateChanged, this, &GameConnection::onStateChanged);
    connect(&socket_, &QAbstractSocket::connected, this, &GameConnection::onConnected);
    connect(&socket_, &QAbstractSocket::disconnected, this, &GameConnection::onDisconnected);
    connect(&socket_, &QAbstractSocket::errorOccurred, this, &GameConnection::onError);
    connect(&socket_, &QIODevice::readyRead, this, &GameConnection::onReadyRead);
    socket_.setReadBufferSize(kReadBuffer);
    quiet_.setSingleShot(true);
    quiet_.setInterval(protocol::kQuietFlushMs);
    connect(&quiet_, &QTimer::timeout, this, [this] {
        if (client_) client_->CliQuiet();
    });
}

GameConnection::~GameConnection() {
    // Closed without a word when the window goes: no events into a client
    // that may already be gone.
    quiet_.stop();
    socket_.disconnect(this);
    socket_.abort();
}

void GameConnection::open(const QString& host, quint16 port) {
    if (socket_.state() != QAbstractSocket::UnconnectedState) socket_.abort();
    socket_.connectToHost(host, port);
}

void GameConnection::close() {
    if (socket_.state() == QAbstractSocket::UnconnectedState) return;
    socket_.disconnectFromHost();
}

void GameConnection::send(std::string_view message) {
    if (!active_ || socket_.state() != QAbstractSocket::ConnectedState) return;
    if (socket_.bytesToWrite() > kSendCap) return;
    const qint64 written = socket_.write(message.data(), static_cast<qint64>(message.size()));
    if (written == static_cast<qint64>(message.size()) || closingAfterFailure_) return;
    // The send failed: report it now, close once the current handler is done.
    closingAfterFailure_ = true;
    if (client_) client_->CliError();
    QMetaObject::invokeMethod(
        this,
        [this] {
            closingAfterFailure_ = false;
            socket_.abort();
        },
        Qt::QueuedConnection);
}

void GameConnection::onStateChanged(QAbstractSocket::SocketState state) {
    if (state == QAbstractSocket::ConnectingState && client_) client_->CliConnecting();
}

void GameConnection::onConnected() {
    active_ = true;
    if (client_) client_->CliConnect();
}

void GameConnection::onDisconnected() {
    active_ = false;
    // What arrived before the end is still handled, before the disconnect
    // (at most kReadBuffer bytes).
    while (socket_.bytesAvailable() > 0 && client_) readPass();
    quiet_.stop();
    if (client_) client_->CliDisconnect();
}

void GameConnection::onError(QAbstractSocket::SocketError error) {
    // A server closing the connection is a disconnect, not a failure.
    if (error == QAbstractSocket::RemoteHostClosedError) return;
    if (client_) client_->CliError();
}

void GameConnection::onReadyRead() {
    if (!passScheduled_) readPass();
}

void GameConnection::readPass() {
    passScheduled_ = false;
    if (!client_) return;
    const QByteArray chunk = socket_.read(kReadPerPass);
    if (!chunk.isEmpty())
        client_->CliRead(
            std::string_view(chunk.constData(), static_cast<std::size_t>(chunk.size())));
    if (socket_.bytesAvailable() > 0) {
        // The rest waits for the next pass: events queued meanwhile go first.
        passScheduled_ = true;
        QMetaObject::invokeMethod(this, &GameConnection::readPass, Qt::QueuedConnection);
    }
    if (client_->holding())
        quiet_.start();
    else
        quiet_.stop();
}

}  // namespace rabuscal::client
