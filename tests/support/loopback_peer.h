// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Raw-byte peers on the loopback: a connecting one that plays a player or a
// client against a real server, and a listening one that plays a server's
// side against a real client. Both keep every byte they receive.

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <string>
#include <string_view>

namespace rabuscal::support {

// A loopback port that was free a moment ago: nothing listens there.
quint16 unusedPort();

class LoopbackPeer {
  public:
    // `from`: the local address to connect from (loopback has all of 127/8).
    explicit LoopbackPeer(quint16 port, const QString& host = "127.0.0.1",
                          const QString& from = {});

    bool isConnected() const { return socket_.state() == QAbstractSocket::ConnectedState; }
    bool waitConnected();
    bool waitClosed();
    void close() { socket_.abort(); }

    void send(std::string_view bytes);
    // Waits until at least as many bytes as `expected` holds have arrived, and
    // a moment more, then hands over everything received.
    std::string expect(std::string_view expected);
    bool waitReceived(std::string_view bytes);
    std::string take() { return std::exchange(received, {}); }
    // From now on reads nothing, so that the other end's writes back up.
    void stopReading();

    QTcpSocket& socket() { return socket_; }
    std::string received;

  private:
    QTcpSocket socket_;
    QMetaObject::Connection reading_;
};

class ListeningPeer {
  public:
    ListeningPeer();

    quint16 port() const { return listener_.serverPort(); }
    int connections() const { return connections_; }
    bool waitConnected();
    // Writes to the latest connection.
    void say(const QByteArray& bytes);
    bool waitReceived(const QByteArray& bytes);  // somewhere in what came in
    void dropClient() { peer_->disconnectFromHost(); }
    QTcpServer& listener() { return listener_; }

    QByteArray received;

  private:
    QTcpServer listener_;
    QTcpSocket* peer_ = nullptr;
    int connections_ = 0;
};

}  // namespace rabuscal::support
