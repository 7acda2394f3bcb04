#pragma once
// The directory on the network: a QTcpServer whose accepted sockets feed the
// DirectoryService rules. One thread, the Qt event loop, non-blocking sockets.
//
//  - each readyRead reads what is pending, at most kReadChunkBytes, as one chunk;
//    the socket buffers no more than that, so a flood costs bounded memory;
//  - each reply is one write; a connection that leaves more than
//    kMaxUnsentBytes of replies unread is dropped once the current event is done;
//  - beyond kMaxConnections open connections, new ones are closed at once;
//  - the address recorded for a connection is its peer address, IPv4-mapped
//    IPv6 written as dotted IPv4.

#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTcpServer>
#include <optional>
#include <string>
#include <unordered_map>

#include "directory/directory_service.h"

class QTcpSocket;

namespace rabuscal::directory {

class TcpDirectoryServer : public QObject, private Transport {
    Q_OBJECT

  public:
    explicit TcpDirectoryServer(LogSink log = {}, QObject* parent = nullptr);
    ~TcpDirectoryServer() override;

    // Listens on `address`:`port` (port 0: any free port). On failure returns
    // the socket layer's error text.
    std::optional<QString> start(const QHostAddress& address, quint16 port);
    // The port actually bound; 0 while not listening.
    quint16 port() const;

    const DirectoryService& rules() const { return rules_; }

  private:
    void send(ConnectionId id, std::string_view bytes) override;

    void acceptPending();
    void readChunk(ConnectionId id);
    void closeConnection(ConnectionId id);

    QTcpServer listener_;
    LogSink log_;
    DirectoryService rules_;
    std::unordered_map<ConnectionId, QTcpSocket*> sockets_;
    ConnectionId nextId_ = 1;
};

// The text that goes into "lsg" for a peer: dotted IPv4 for IPv4 and
// IPv4-mapped IPv6 peers, the usual IPv6 text otherwise.
std::string peerAddressText(const QHostAddress& peer);

}  // namespace rabuscal::directory
