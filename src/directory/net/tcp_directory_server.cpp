#include "directory/net/tcp_directory_server.h"

#include <QTcpSocket>
#include <QTimer>

#include "directory/limits.h"

namespace rabuscal::directory {

std::string peerAddressText(const QHostAddress& peer) {
    bool isIPv4 = false;
    const quint32 v4 = peer.toIPv4Address(&isIPv4);
    const QString text = isIPv4 ? QHostAddress(v4).toString() : peer.toString();
    return text.toStdString();
}

TcpDirectoryServer::TcpDirectoryServer(LogSink log, QObject* parent)
    : QObject(parent), log_(log), rules_(*this, std::move(log)) {
    listener_.setMaxPendingConnections(64);
    connect(&listener_, &QTcpServer::newConnection, this, &TcpDirectoryServer::acceptPending);
}

TcpDirectoryServer::~TcpDirectoryServer() {
    // Sockets are children of the listener; their signals must not reach the
    // rules while both are being torn down.
    for (auto& [id, socket] : sockets_) socket->disconnect(this);
}

std::optional<QString> TcpDirectoryServer::start(const QHostAddress& address, quint16 port) {
    if (!listener_.listen(address, port)) return listener_.errorString();
    return std::nullopt;
}

quint16 TcpDirectoryServer::port() const {
    return listener_.isListening() ? listener_.serverPort() : 0;
}

void TcpDirectoryServer::acceptPending() {
    while (QTcpSocket* socket = listener_.nextPendingConnection()) {
        if (sockets_.size() >= kMaxConnections) {
            if (log_) log_("refused a connection: " + std::to_string(kMaxConnections) + " open");
            socket->abort();
            socket->deleteLater();
            continue;
        }
        const ConnectionId id = nextId_++;
        socket->setReadBufferSize(kReadChunkBytes);
        sockets_[id] = socket;
        rules_.connectionOpened(id, peerAddressText(socket->peerAddress()));
        connect(socket, &QTcpSocket::readyRead, this, [this, id] { readChunk(id); });
        connect(socket, &QTcpSocket::disconnected, this, [this, id] { closeConnection(id); });
        // Bytes may have arrived before the signals were connected.
        if (socket->bytesAvailable() > 0) readChunk(id);
    }
}

void TcpDirectoryServer::readChunk(ConnectionId id) {
    const auto found = sockets_.find(id);
    if (found == sockets_.end()) return;
    const QByteArray chunk = found->second->read(kReadChunkBytes);
    if (!chunk.isEmpty()) rules_.dataReceived(id, std::string_view(chunk.data(), chunk.size()));
}

void TcpDirectoryServer::send(ConnectionId id, std::string_view bytes) {
    const auto found = sockets_.find(id);
    if (found == sockets_.end()) return;
    QTcpSocket* socket = found->second;
    if (socket->bytesToWrite() + static_cast<qint64>(bytes.size()) >
        static_cast<qint64>(kMaxUnsentBytes)) {
        // A peer that does not read its replies is dropped, after the request
        // being handled, so the rules never see a close in the middle of one.
        QTimer::singleShot(0, this, [this, id] { closeConnection(id); });
        return;
    }
    socket->write(bytes.data(), static_cast<qint64>(bytes.size()));
}

void TcpDirectoryServer::closeConnection(ConnectionId id) {
    const auto found = sockets_.find(id);
    if (found == sockets_.end()) return;
    QTcpSocket* socket = found->second;
    sockets_.erase(found);
    socket->disconnect(this);
    rules_.connectionClosed(id);
    socket->abort();
    socket->deleteLater();
}

}  // namespace rabuscal::directory
