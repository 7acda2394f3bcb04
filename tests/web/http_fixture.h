// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPair>
#include <QTcpServer>
#include <functional>

class QTcpSocket;

// A small HTTP/1.1 server on loopback that answers what the test asks for,
// including what real servers rarely do: no length, a broken or stalled
// transfer, a redirect, a Basic challenge. It records every request.
class HttpFixture : public QObject {
    Q_OBJECT
  public:
    struct Request {
        QByteArray requestLine;
        QByteArray path;
        QList<QPair<QByteArray, QByteArray>> headers;
        QByteArray header(const QByteArray& name) const;
    };

    struct Answer {
        enum class Framing {
            Length,          // Content-Length, then the body
            CloseDelimited,  // no length: the body ends when the connection closes
            Truncated,       // announces more than it sends, then closes
            Stalled,         // announces more than it sends, then waits forever
            Endless,         // no length: the body again and again, as fast as it is read
        };
        int status = 200;
        QByteArray reason = "OK";
        QList<QPair<QByteArray, QByteArray>> headers;
        QByteArray body;
        Framing framing = Framing::Length;
        qsizetype pieceSize = 0;  // > 0: body sent in pieces, pieceInterval ms apart
        int pieceInterval = 5;
        void addHeader(const QByteArray& name, const QByteArray& value) {
            headers.append(qMakePair(name, value));
        }
    };

    using Handler = std::function<Answer(const Request&)>;

    HttpFixture();
    ~HttpFixture() override;

    void setHandler(Handler handler) { handler_ = std::move(handler); }
    // Serves one body at one path, 404 elsewhere.
    void serve(const QByteArray& path, const QByteArray& body);

    quint16 port() const { return server_.serverPort(); }
    QByteArray base() const;  // "http://127.0.0.1:<port>/"
    const QList<Request>& requests() const { return requests_; }

    static Answer ok(const QByteArray& body);
    static Answer status(int code, const QByteArray& reason);

  private:
    void accept();
    void readFrom(QTcpSocket* socket);
    void answer(QTcpSocket* socket, const Request& request);
    void sendPieces(QTcpSocket* socket, QByteArray rest, qsizetype pieceSize, int interval,
                    bool closeAfter);
    void sendForever(QTcpSocket* socket, const QByteArray& body);

    QTcpServer server_;
    Handler handler_;
    QList<Request> requests_;
};
