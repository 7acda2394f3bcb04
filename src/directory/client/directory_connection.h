// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// `Cli2`: the directory connection over a QTcpSocket, on the event loop. It
// forwards the socket's events to DirectoryClient and turns what the rules
// show into signals; windows connect to those and own no socket.
//
// Texts in signals are Windows-1252 bytes, as on the wire; the window turns
// them into QString with fromWire() when it shows them.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTcpSocket>
#include <QTimer>
#include <string>
#include <string_view>
#include <vector>

#include "directory/client/directory_client.h"

namespace rabuscal::directory {

class DirectoryConnection : public QObject, private DirectoryLink, private DirectoryView {
    Q_OBJECT

  public:
    // Talks to the build-time directory host, port 2070.
    explicit DirectoryConnection(QObject* parent = nullptr);
    // Tests and tools pick another host or port.
    DirectoryConnection(const QString& host, quint16 port, QObject* parent = nullptr);
    ~DirectoryConnection() override;

    // The rules' requests; see DirectoryClient.
    void sendRequest(const std::string& message) { rules_.sendRequest(message); }
    void askGroups() { rules_.askGroups(); }
    void activateGroup(std::string_view groupName) { rules_.activateGroup(groupName); }
    void deactivateGroup(std::string_view groupName) { rules_.deactivateGroup(groupName); }

    bool isActive() const;
    const std::string& pendingMessage() const { return rules_.pendingMessage(); }
    const std::vector<std::string>& Grupos() const { return rules_.Grupos(); }
    const std::vector<std::string>& GroupAddresses() const { return rules_.GroupAddresses(); }
    std::string addressAt(int index) const { return rules_.addressAt(index); }
    Lamp lamp() const { return rules_.lamp(); }

    // For a process about to end: waits up to `msecs` for the bytes written so
    // far to leave, then closes `Cli2` politely. Returns whether they left.
    bool flushAndClose(int msecs);

  signals:
    // Main window `Stk`: connection texts and "msg" replies (">>> " + text).
    void statusForMain(const QByteArray& text);
    // Server window `Stk`: "sys" replies (">>> " + text).
    void statusForServerWindow(const QByteArray& text);
    void lampChanged(rabuscal::protocol::LinkLamp colour);
    // Grupos and GroupAddresses were replaced or emptied.
    void groupsChanged();
    // `Cli2` was connected and has been closed (by the service or the network).
    void connectionLost();
    // A connection attempt failed or a connected `Cli2` reported an error.
    void connectionFailed();

  private:
    // DirectoryLink
    bool active() const override { return isActive(); }
    void send(std::string_view message) override;
    void open() override;
    // DirectoryView
    void showMainStatus(std::string_view text) override;
    void showServerStatus(std::string_view text) override;
    void showLamp(Lamp colour) override { emit lampChanged(colour); }
    void showGroups() override { emit groupsChanged(); }
    void reportLost() override { emit connectionLost(); }
    void reportFailure() override { emit connectionFailed(); }

    // Socket events, named as the window's handlers.
    void Cli2Connecting() { rules_.connecting(); }
    void Cli2Connect() { rules_.connected(); }
    void Cli2Disconnect() {
        quiet_.stop();
        rules_.disconnected();
    }
    void Cli2Error(QAbstractSocket::SocketError error);
    void Cli2Read();

    QString host_;
    quint16 port_;
    QTcpSocket Cli2;
    DirectoryClient rules_;
    QTimer quiet_;  // takes a held reply as whole when the stream goes quiet
    QAbstractSocket::SocketState lastState_ = QAbstractSocket::UnconnectedState;
};

}  // namespace rabuscal::directory
