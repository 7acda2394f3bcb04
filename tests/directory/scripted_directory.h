#pragma once
// A stand-in directory for the client tests: it records every byte it
// receives and sends whatever replies a test scripts, including the ones a
// well-behaved service never sends.

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <string>
#include <string_view>

#include "directory/wire_peer.h"

namespace rabuscal::directory::testing {

class ScriptedDirectory {
  public:
    ScriptedDirectory() {
        listener_.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&listener_, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = listener_.nextPendingConnection()) {
                ++connections_;
                peer_ = socket;
                QObject::connect(socket, &QTcpSocket::readyRead,
                                 [this, socket] { received_ += socket->readAll().toStdString(); });
            }
        });
    }

    quint16 port() const { return listener_.serverPort(); }
    int connections() const { return connections_; }
    const std::string& received() const { return received_; }

    bool waitReceived(std::string_view expected) {
        return QTest::qWaitFor([&] { return received_ == expected; }, kWaitMsecs);
    }
    bool waitConnected() {
        return QTest::qWaitFor([&] { return peer_ != nullptr; }, kWaitMsecs);
    }
    void reply(std::string_view bytes) {
        peer_->write(bytes.data(), static_cast<qint64>(bytes.size()));
    }
    void dropClient() { peer_->disconnectFromHost(); }

  private:
    QTcpServer listener_;
    QTcpSocket* peer_ = nullptr;
    int connections_ = 0;
    std::string received_;
};

}  // namespace rabuscal::directory::testing
