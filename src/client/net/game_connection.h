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
//
// Reading: each pass of the event loop hands the client at most kReadPerPass
// bytes and leaves the rest for the next pass, so that clicks and repaints get
// their turn under any flood; the socket keeps at most kReadBuffer bytes read
// ahead (the server's writes back up beyond that). When the client holds a
// message that may be unfinished and nothing more arrives for
// protocol::kQuietFlushMs, the client takes it as whole.

#include <QObject>
#include <QString>
#include <QTcpSocket>
#include <QTimer>

#include "client/game_client.h"
#include "client/game_link.h"

namespace rabuscal::client {

class GameConnection : public QObject, public GameLink {
    Q_OBJECT

  public:
    static constexpr qint64 kSendCap = 4 * 1024 * 1024;
    static constexpr qint64 kReadPerPass = 32 * 1024;
    static constexpr qint64 kReadBuffer = 1024 * 1024;

    explicit GameConnection(QObject* parent = nullptr);
    ~GameConnection() override;

    // The client that receives the socket's events; set once, before open().
    void attach(GameClient& client) { client_ = &client; }

    // Asynchronous connect; a press while an attempt is under way restarts it.
    void open(const QString& host, quint16 port);
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
    // Hands the client one pass's worth of what was received.
    void readPass();

    QTcpSocket socket_;
    QTimer quiet_;
    bool passScheduled_ = false;
    GameClient* client_ = nullptr;
    bool active_ = false;
    bool closingAfterFailure_ = false;
};

}  // namespace rabuscal::client
