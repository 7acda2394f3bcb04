#pragma once
// Test helpers: a Qt application for the event loop, and a raw TCP peer that
// speaks bytes to a directory and collects its replies.

#include <QCoreApplication>
#include <QHostAddress>
#include <QTcpSocket>
#include <QTest>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/commands.h"
#include "protocol/framing.h"

namespace rabuscal::directory::testing {

inline void ensureApp() {
    static int argc = 1;
    static char name[] = "directory_tests";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
}

inline constexpr int kWaitMsecs = 10000;

// A peer of the directory that sends raw bytes and sees every reply. The
// service writes each reply whole and no payload holds "j#g", so the stream
// received so far splits into whole messages.
class WirePeer {
  public:
    // `from`: the local address to connect from (loopback has all of 127/8).
    explicit WirePeer(quint16 port, const QString& host = "127.0.0.1", const QString& from = {}) {
        if (!from.isEmpty()) socket_.bind(QHostAddress(from));
        socket_.connectToHost(host, port);
    }

    bool connected() {
        return QTest::qWaitFor([&] { return socket_.state() == QAbstractSocket::ConnectedState; },
                               kWaitMsecs);
    }
    void send(std::string_view bytes) {
        socket_.write(bytes.data(), static_cast<qint64>(bytes.size()));
    }
    void sendRequest(std::string_view command, std::string_view payload) {
        send(protocol::composeWith(protocol::kDirectorySeparator, command, payload));
    }

    // Sends one request and waits for the next reply.
    protocol::Message ask(std::string_view command, std::string_view payload) {
        const std::size_t before = messages().size();
        sendRequest(command, payload);
        return waitMessage(before + 1);
    }

    std::vector<protocol::Message> messages() {
        received_ += socket_.readAll().toStdString();
        if (received_.empty()) return {};
        return protocol::splitChunk(received_, protocol::kDirectorySeparator);
    }
    // Waits until `count` replies have come in all told; returns them all.
    std::vector<protocol::Message> waitMessages(std::size_t count) {
        [[maybe_unused]] const bool arrived =
            QTest::qWaitFor([&] { return messages().size() >= count; }, kWaitMsecs);
        return messages();
    }
    // The reply number `count` (counting from 1), once it is in.
    protocol::Message waitMessage(std::size_t count) {
        const auto all = waitMessages(count);
        return all.size() >= count ? all[count - 1] : protocol::Message{"<none>", {}};
    }
    bool waitClosed() {
        return QTest::qWaitFor([&] { return socket_.state() == QAbstractSocket::UnconnectedState; },
                               kWaitMsecs);
    }
    void close() { socket_.abort(); }
    QTcpSocket& socket() { return socket_; }

  private:
    QTcpSocket socket_;
    std::string received_;
};

}  // namespace rabuscal::directory::testing
