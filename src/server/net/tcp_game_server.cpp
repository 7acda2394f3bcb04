#include "server/net/tcp_game_server.h"

#include <QTcpSocket>

namespace rabuscal::server {

namespace {
// Many players may connect at the same moment (a whole class joining).
constexpr int kListenBacklog = 1024;
}  // namespace

TcpGameServer::TcpGameServer(std::string& drawerNick, ServerEvents* events, QObject* parent)
    : QObject(parent), rules_(drawerNick, *this, events) {
    listener_.setListenBacklogSize(kListenBacklog);
    listener_.setMaxPendingConnections(kListenBacklog);
    connect(&listener_, &QTcpServer::newConnection, this, &TcpGameServer::acceptPending);
}

TcpGameServer::~TcpGameServer() {
    stop();
}

std::optional<QString> TcpGameServer::start(quint16 port) {
    if (listener_.isListening()) return std::nullopt;
    if (!listener_.listen(QHostAddress::Any, port))
        return QStringLiteral("listen: ") + listener_.errorString();
    return std::nullopt;
}

void TcpGameServer::stop() {
    listener_.close();
    auto peers = std::move(peers_);
    peers_.clear();
    for (auto& [id, peer] : peers) {
        peer.socket->disconnect(this);
        peer.socket->abort();
        peer.socket->deleteLater();
    }
    rules_.stopAll();
}

quint16 TcpGameServer::port() const {
    return listener_.isListening() ? listener_.serverPort() : 0;
}

qint64 TcpGameServer::queuedBytes(ConnectionId id) const {
    const auto it = peers_.find(id);
    return it == peers_.end() ? 0 : it->second.socket->bytesToWrite();
}

void TcpGameServer::acceptPending() {
    while (QTcpSocket* socket = listener_.nextPendingConnection()) {
        const ConnectionId id = nextId_++;
        // Strokes are small and should be on the other boards at once.
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        connect(socket, &QTcpSocket::readyRead, this, [this, id] { readChunk(id); });
        // Queued: a close must never run in the middle of a message's handling.
        connect(
            socket, &QTcpSocket::disconnected, this, [this, id] { closeConnection(id); },
            Qt::QueuedConnection);
        connect(socket, &QTcpSocket::errorOccurred, this, [this, id](QAbstractSocket::SocketError) {
            // Errors on an open connection end it; defer, as we may be inside a write.
            QMetaObject::invokeMethod(
                this, [this, id] { closeConnection(id); }, Qt::QueuedConnection);
        });
        peers_.emplace(id, Peer{socket, false});
        rules_.connectionAccepted(id);
        emit connectionCountChanged(static_cast<int>(rules_.connectionCount()));
    }
}

void TcpGameServer::readChunk(ConnectionId id) {
    const auto it = peers_.find(id);
    if (it == peers_.end()) return;
    QTcpSocket* socket = it->second.socket;
    const qint64 available = socket->bytesAvailable();
    if (available <= 0) return;
    readBuffer_.resize(static_cast<std::size_t>(available));
    const qint64 got = socket->read(readBuffer_.data(), available);
    if (got <= 0) return;
    emit chunkArrived();
    rules_.dataReceived(id, std::string_view(readBuffer_.data(), static_cast<std::size_t>(got)));
}

void TcpGameServer::send(ConnectionId id, std::string_view bytes) {
    const auto it = peers_.find(id);
    if (it == peers_.end() || it->second.failed) return;
    QTcpSocket* socket = it->second.socket;
    if (socket->bytesToWrite() > kSendCap) {
        // Before dropping, hand what is queued to the kernel: a reader that
        // keeps up takes it, and only a connection that stopped reading loses.
        socket->flush();
        if (socket->bytesToWrite() > kSendCap) {
            ++droppedSends_;
            return;
        }
    }
    const auto size = static_cast<qint64>(bytes.size());
    if (socket->write(bytes.data(), size) != size) {
        it->second.failed = true;
        QMetaObject::invokeMethod(
            this, [this, id] { closeConnection(id); }, Qt::QueuedConnection);
    }
}

void TcpGameServer::closeConnection(ConnectionId id) {
    const auto it = peers_.find(id);
    if (it == peers_.end()) return;  // already closed (or the listener was switched off)
    QTcpSocket* socket = it->second.socket;
    // Bytes that arrived with the close are still the player's last words.
    if (!it->second.failed && socket->bytesAvailable() > 0) readChunk(id);
    peers_.erase(id);
    socket->disconnect(this);
    rules_.connectionClosed(id);
    socket->abort();
    socket->deleteLater();
    emit connectionCountChanged(static_cast<int>(rules_.connectionCount()));
}

}  // namespace rabuscal::server
