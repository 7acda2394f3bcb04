// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// `Cli`: the game connection over a QTcpSocket, non-blocking, on the event
// loop. It forwards the socket's events to GameClient and sends its messages.
//
// "Active" runs from the connected event to the disconnected event: opening
// does not make the socket active and a failed attempt leaves it inactive.
// Each message goes out in one write; a message is dropped when the socket is
// not connected, or when more than kSendCap bytes are still queued (a server
// that stops reading costs bounded memory). A write that fails reports the
// error and closes the connection, which then reports its disconnect.

#include <QObject>
#include <QString>
#include <QTcpSocket>

#include "client/game_client.h"
#include "client/game_link.h"

namespace rabuscal::client {

class GameConnection : public QObject, public GameLink {
    Q_OBJECT

  public:
    static constexpr quint16 kGamePort = 7003;
    static constexpr qint64 kSendCap = 4 * 1024 * 1024;

    explicit GameConnection(QObject* parent = nullptr);
    ~GameConnection() override;

    // The client that receives the socket's events; set once, before open().
    void attach(GameClient& client) { client_ = &client; }

    // Asynchronous connect; a press while an attempt is under way restarts it.
    void open(const QString& host, quint16 port = kGamePort);
    // Closes the connection; the disconnected event follows if it was up.
    void close();

    bool active() const override { return active_; }
    void send(std::string_view message) override;

    QTcpSocket& socket() { return socket_; }

  private:
    void onStateChanged(QAbstractSocket::SocketState state);
    void onConnected();
    void onDisconnected();
    void onError(QAbstractSocket::SocketError error);
    void onReadyRead();

    QTcpSocket socket_;
    GameClient* client_ = nullptr;
    bool active_ = false;
    bool closingAfterFailure_ = false;
};

}  // namespace rabuscal::client
