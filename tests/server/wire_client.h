#pragma once
// A player's connection for wire-level tests: a QTcpSocket that collects
// everything the server sends, and a way to run the event loop until
// something has happened.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

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

// A plain socket, for peers that misbehave or come in numbers: connected to the
// loopback from `source` (any 127.x.y.z; empty for the default), with a small
// receive window when it is not going to read. Blocking; -1 on failure.
inline int rawConnect(quint16 port, const char* source = nullptr, int receiveBuffer = 0) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (receiveBuffer > 0)
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    if (source) {
        ::inet_pton(AF_INET, source, &address.sin_addr);
        if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            ::close(fd);
            return -1;
        }
    }
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

inline bool sendAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Whether the server closed `fd` (read gives end of file or an error), within `ms`.
inline bool closedByServer(int fd, int ms) {
    timeval timeout{ms / 1000, (ms % 1000) * 1000};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    char scratch[1 << 16];
    for (;;) {
        const ssize_t n = ::recv(fd, scratch, sizeof scratch, 0);
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) return true;
        if (n < 0 && errno == EAGAIN) return false;
    }
}

}  // namespace rabuscal::server::testing
