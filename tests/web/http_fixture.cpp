// SPDX-License-Identifier: GPL-3.0-or-later
#include "http_fixture.h"

#include <QTcpSocket>
#include <QTimer>

QByteArray HttpFixture::Request::header(const QByteArray& name) const {
    for (const auto& [key, value] : headers)
        if (key.compare(name, Qt::CaseInsensitive) == 0) return value;
    return {};
}

HttpFixture::HttpFixture() {
    server_.listen(QHostAddress::LocalHost, 0);
    connect(&server_, &QTcpServer::newConnection, this, &HttpFixture::accept);
    handler_ = [](const Request&) { return status(404, "Not Found"); };
}

HttpFixture::~HttpFixture() = default;

QByteArray HttpFixture::base() const {
    return "http://127.0.0.1:" + QByteArray::number(port()) + "/";
}

void HttpFixture::serve(const QByteArray& path, const QByteArray& body) {
    setHandler([path, body](const Request& request) {
        return request.path == path ? ok(body) : status(404, "Not Found");
    });
}

HttpFixture::Answer HttpFixture::ok(const QByteArray& body) {
    Answer answer;
    answer.body = body;
    return answer;
}

HttpFixture::Answer HttpFixture::status(int code, const QByteArray& reason) {
    Answer answer;
    answer.status = code;
    answer.reason = reason;
    answer.body = reason;
    return answer;
}

void HttpFixture::accept() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        socket->setParent(this);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readFrom(socket); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

void HttpFixture::readFrom(QTcpSocket* socket) {
    QByteArray buffer = socket->property("pending").toByteArray() + socket->readAll();
    qsizetype end;
    while ((end = buffer.indexOf("\r\n\r\n")) >= 0) {
        const QList<QByteArray> lines = buffer.left(end).split('\n');
        buffer.remove(0, end + 4);
        Request request;
        request.requestLine = lines.value(0).trimmed();
        request.path = request.requestLine.split(' ').value(1);
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const qsizetype colon = lines[i].indexOf(':');
            if (colon > 0)
                request.headers.append(
                    {lines[i].left(colon).trimmed(), lines[i].mid(colon + 1).trimmed()});
        }
        requests_.append(request);
        answer(socket, request);
    }
    socket->setProperty("pending", buffer);
}

void HttpFixture::answer(QTcpSocket* socket, const Request& request) {
    const Answer answer = handler_(request);
    QByteArray head =
        "HTTP/1.1 " + QByteArray::number(answer.status) + " " + answer.reason + "\r\n";
    for (const auto& [key, value] : answer.headers) head += key + ": " + value + "\r\n";
    using Framing = Answer::Framing;
    switch (answer.framing) {
        case Framing::Length:
            head += "Content-Length: " + QByteArray::number(answer.body.size()) + "\r\n";
            break;
        case Framing::CloseDelimited:
        case Framing::Endless:
            head += "Connection: close\r\n";
            break;
        case Framing::Truncated:
        case Framing::Stalled:
            head += "Content-Length: " + QByteArray::number(answer.body.size() + 100) + "\r\n";
            break;
    }
    head += "\r\n";
    const bool closeAfter =
        answer.framing == Framing::CloseDelimited || answer.framing == Framing::Truncated;
    socket->write(head);
    if (answer.framing == Framing::Endless) {
        sendForever(socket, answer.body);
        return;
    }
    sendPieces(socket, answer.body, answer.pieceSize, answer.pieceInterval, closeAfter);
}

void HttpFixture::sendForever(QTcpSocket* socket, const QByteArray& body) {
    auto* pump = new QTimer(socket);
    connect(pump, &QTimer::timeout, socket, [socket, body] {
        while (socket->state() == QAbstractSocket::ConnectedState &&
               socket->bytesToWrite() < 4 * body.size())
            if (socket->write(body) < 0) return;
    });
    pump->start(1);
}

void HttpFixture::sendPieces(QTcpSocket* socket, QByteArray rest, qsizetype pieceSize, int interval,
                             bool closeAfter) {
    const qsizetype now = pieceSize > 0 ? std::min(pieceSize, rest.size()) : rest.size();
    socket->write(rest.left(now));
    socket->flush();
    rest.remove(0, now);
    if (!rest.isEmpty()) {
        // A short pause between pieces so that the client sees each one.
        QTimer::singleShot(interval, socket, [this, socket, rest, pieceSize, interval, closeAfter] {
            sendPieces(socket, rest, pieceSize, interval, closeAfter);
        });
        return;
    }
    if (closeAfter) socket->disconnectFromHost();
}
