#pragma once
// The game server on the network: a QTcpServer whose accepted QTcpSockets feed
// the GameServer rules. One thread, the Qt event loop, non-blocking sockets.
//
//  - every readyRead reads all pending bytes of the socket as one chunk;
//  - every message the rules send is one write on its socket;
//  - a send that finds more than kSendCap bytes already queued for a connection
//    is dropped, so a client that stops reading costs bounded memory and does
//    not slow the others down;
//  - a send that fails closes its connection once the current event is done,
//    so a broadcast in progress still reaches everybody else; the connection
//    then goes through close handling exactly once.

#include <QObject>
#include <QString>
#include <QTcpServer>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

#include "server/game_server.h"

class QTcpSocket;

namespace rabuscal::server {

class TcpGameServer : public QObject, private Transport {
    Q_OBJECT

  public:
    static constexpr qint64 kSendCap = 4 * 1024 * 1024;

    // `drawerNick` is the program-wide DrawerNick (see GameServer). The rules,
    // with their phrase and points at stake, live as long as this object; only
    // the listener goes on and off.
    explicit TcpGameServer(std::string& drawerNick, ServerEvents* events = nullptr,
                           QObject* parent = nullptr);
    ~TcpGameServer() override;

    // Listens on `port` of every local address (0: any free port). On failure
    // returns the socket layer's error text and changes nothing. Starting a
    // server that already listens does nothing.
    std::optional<QString> start(quint16 port);
    // Closes the listener and every connection at once, with no close
    // handling: nothing is sent and the player records are dropped.
    void stop();
    bool isListening() const { return listener_.isListening(); }
    // The port actually bound (useful after start(0)); 0 while off.
    quint16 port() const;
    std::size_t connectionCount() const { return rules_.connectionCount(); }

    GameServer& rules() { return rules_; }
    const GameServer& rules() const { return rules_; }
    // Messages dropped because their connection had more than kSendCap queued.
    std::uint64_t droppedSends() const { return droppedSends_; }
    // Bytes waiting to go out on one connection (0 for an unknown one).
    qint64 queuedBytes(ConnectionId id) const;

  signals:
    // Every chunk any connection delivers (the server window's lamp turns lime).
    void chunkArrived();
    // After every accept and every close; not on stop().
    void connectionCountChanged(int count);

  private:
    struct Peer {
        QTcpSocket* socket = nullptr;
        bool failed = false;  // a send failed: closing is scheduled
    };

    void send(ConnectionId id, std::string_view bytes) override;

    void acceptPending();
    void readChunk(ConnectionId id);
    void closeConnection(ConnectionId id);

    QTcpServer listener_;
    GameServer rules_;
    std::unordered_map<ConnectionId, Peer> peers_;
    ConnectionId nextId_ = 1;
    std::uint64_t droppedSends_ = 0;
    std::string readBuffer_;  // reused for every chunk
};

}  // namespace rabuscal::server
