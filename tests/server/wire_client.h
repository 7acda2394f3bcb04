#pragma once
// A player's connection for wire-level tests: a QTcpSocket that collects
// everything the server sends, and a way to run the event loop until
// something has happened.

#include <QCoreApplication>
#include <QTcpSocket>
#include <QTest>
#include <memory>
#include <string>
#include <string_view>

namespace rabuscal::server::testing {

inline void ensureApplication() {
    static int argc = 1;
    static char name[] = "server_wire_test";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
}

template <class Predicate>
bool waitFor(Predicate predicate, int ms = 10000) {
    return QTest::qWaitFor(predicate, ms);
}

class WireClient {
  public:
    explicit WireClient(quint16 port) {
        QObject::connect(&socket, &QTcpSocket::readyRead, [this] {
            const QByteArray data = socket.readAll();
            received.append(data.constData(), static_cast<std::size_t>(data.size()));
        });
        socket.connectToHost(QHostAddress::LocalHost, port);
    }
    bool connected() { return socket.state() == QAbstractSocket::ConnectedState; }
    void send(std::string_view bytes) {
        socket.write(bytes.data(), static_cast<qint64>(bytes.size()));
    }
    // Waits until `expected` has arrived, then hands over everything received.
    std::string expect(std::string_view expected) {
        waitFor([&] { return received.size() >= expected.size(); });
        waitFor([] { return false; }, 20);  // anything more would show up now
        return take();
    }
    std::string take() { return std::exchange(received, {}); }

    QTcpSocket socket;
    std::string received;
};

}  // namespace rabuscal::server::testing
