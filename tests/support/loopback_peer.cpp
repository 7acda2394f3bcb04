// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/loopback_peer.h"

#include "support/application.h"

namespace rabuscal::support {

quint16 unusedPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

LoopbackPeer::LoopbackPeer(quint16 port, const QString& host, const QString& from) {
    reading_ = QObject::connect(&socket_, &QTcpSocket::readyRead, [this] {
        const QByteArray data = socket_.readAll();
        received.append(data.constData(), static_cast<std::size_t>(data.size()));
    });
    if (!from.isEmpty()) socket_.bind(QHostAddress(from));
    socket_.connectToHost(host, port);
}

bool LoopbackPeer::waitConnected() {
    return waitFor([&] { return isConnected(); });
}

bool LoopbackPeer::waitClosed() {
    return waitFor([&] { return socket_.state() == QAbstractSocket::UnconnectedState; });
}

void LoopbackPeer::stopReading() {
    QObject::disconnect(reading_);
    socket_.setReadBufferSize(1);
}

void LoopbackPeer::send(std::string_view bytes) {
    socket_.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

std::string LoopbackPeer::expect(std::string_view expected) {
    waitFor([&] { return received.size() >= expected.size(); });
    settle(20);  // anything more would show up now
    return take();
}

bool LoopbackPeer::waitReceived(std::string_view bytes) {
    return waitFor([&] { return received.find(bytes) != std::string::npos; });
}

ListeningPeer::ListeningPeer() {
    listener_.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&listener_, &QTcpServer::newConnection, [this] {
        while (QTcpSocket* socket = listener_.nextPendingConnection()) {
            ++connections_;
            peer_ = socket;
            QObject::connect(socket, &QTcpSocket::readyRead,
                             [this, socket] { received += socket->readAll(); });
        }
    });
}

bool ListeningPeer::waitConnected() {
    return waitFor([&] { return peer_ != nullptr; });
}

void ListeningPeer::say(const QByteArray& bytes) {
    peer_->write(bytes);
    peer_->flush();
}

bool ListeningPeer::waitReceived(const QByteArray& bytes) {
    return waitFor([&] { return received.contains(bytes); });
}

}  // namespace rabuscal::support
