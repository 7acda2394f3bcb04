#pragma once
// The main window's directory client: the socket `Cli2` to the directory
// service, the pending directory message, the reader of the service's replies
// and the lobby's group lists. Windows connect to its signals; it owns no widget.
//
// Wire (Windows-1252 bytes, each message behind "j#g", nothing ends one):
//   requests  "j#gjgs:rabuscal"            list the groups
//             "j#gatv:rabuscal|" + name    announce a group
//             "j#gdtv:rabuscal|" + name    withdraw it
//   replies   "sys:" text                  -> statusForServerWindow(">>> " + text)
//             "msg:" text                  -> statusForMain(">>> " + text)
//             "lsg:" ("name|address^")*    -> Grupos and GroupAddresses replaced
//             anything else                -> ignored
//
// Texts in signals are Windows-1252 bytes, as on the wire; the window turns
// them into QString with fromWire() when it shows them.
//
// One request slot: a request made while `Cli2` is not connected replaces the
// one waiting, and the connection sends only the last one, once, when it is
// established. A request made while connected is sent at once.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTcpSocket>
#include <QTimer>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/framing.h"

namespace rabuscal::client {

class DirectoryClient : public QObject {
    Q_OBJECT

  public:
    // The colours of the directory lamp `Shp2`.
    enum class Lamp { Maroon, Red, Lime };
    Q_ENUM(Lamp)

    // Talks to the build-time directory host, port 2070.
    explicit DirectoryClient(QObject* parent = nullptr);
    // Tests and tools pick another host or port.
    DirectoryClient(const QString& host, quint16 port, QObject* parent = nullptr);
    ~DirectoryClient() override;

    // The three requests, complete with their "j#g".
    static std::string listRequest();
    static std::string activateRequest(std::string_view groupName);
    static std::string deactivateRequest(std::string_view groupName);

    // Stores `message` as the pending directory message; sends it at once if
    // `Cli2` is connected (it stays stored), otherwise opens `Cli2`. Opening
    // while an attempt is already under way joins that attempt.
    void sendRequest(const std::string& message);

    // `btGrp` pressed: the main status line is emptied, the lamp turns red and
    // the list is asked for.
    void askGroups();
    // `btAtv` pressed while the group is not announced: "atv" with the name.
    void activateGroup(std::string_view groupName);
    // `btAtv` pressed while it is: "dtv" with the name, the group lists are
    // emptied, pending events are handled once, and then, if `Cli2` is
    // connected by now, "j#gjgs:rabuscal" goes straight out so that a fresh
    // "lsg" refills the list.
    void deactivateGroup(std::string_view groupName);

    // Connected (a socket still connecting is not active).
    bool isActive() const;
    const std::string& pendingMessage() const { return pending_; }
    // `Grupos` (the names) and `GroupAddresses`, always the same length.
    const std::vector<std::string>& Grupos() const { return groupNames_; }
    const std::vector<std::string>& GroupAddresses() const { return groupAddresses_; }
    // `GruposClick`: the address to put into `Servidor`; empty for a bad index.
    std::string addressAt(int index) const;
    Lamp lamp() const { return lamp_; }

    // For a process about to end: waits up to `msecs` for the bytes written so
    // far to leave, then closes `Cli2` politely. Returns whether they left.
    bool flushAndClose(int msecs);

  signals:
    // Main window `Stk`: connection texts and "msg" replies (">>> " + text).
    void statusForMain(const QByteArray& text);
    // Server window `Stk`: "sys" replies (">>> " + text).
    void statusForServerWindow(const QByteArray& text);
    void lampChanged(rabuscal::client::DirectoryClient::Lamp colour);
    // Grupos and GroupAddresses were replaced or emptied.
    void groupsChanged();
    // `Cli2` was connected and has been closed (by the service or the network).
    void connectionLost();
    // A connection attempt failed or a connected `Cli2` reported an error.
    void connectionFailed();

  private:
    // Socket events, named as the window's handlers.
    void Cli2Connecting();
    void Cli2Connect();
    void Cli2Disconnect();
    void Cli2Error(QAbstractSocket::SocketError error);
    void Cli2Read();
    void DirectoryReply(std::string_view command, std::string_view payload);

    void open();
    void write(std::string_view bytes);
    void setLamp(Lamp colour);
    void replaceGroups(std::string_view payload);
    void clearGroups();

    QString host_;
    quint16 port_;
    QTcpSocket Cli2;
    // The splitter of one connection; a new one for every connection.
    std::unique_ptr<protocol::ChunkReader> reader_;
    std::string pending_;
    std::vector<std::string> groupNames_;
    std::vector<std::string> groupAddresses_;
    Lamp lamp_ = Lamp::Maroon;
    QAbstractSocket::SocketState lastState_ = QAbstractSocket::UnconnectedState;
};

// Keeps one group listed for as long as a headless game server runs:
// announces it at start-up, announces it again when the directory connection
// comes back after a loss, and withdraws it when the server ends.
class GroupAnnouncer : public QObject {
    Q_OBJECT

  public:
    static constexpr int kRetryMsecs = 5000;

    // `groupName` in Windows-1252 bytes; host and port of the directory.
    GroupAnnouncer(std::string groupName, const QString& host, quint16 port,
                   QObject* parent = nullptr);
    ~GroupAnnouncer() override;

    // Sends "atv" (through the pending slot: it goes once connected).
    void announce();
    // Sends "dtv" if connected, waits up to `msecs` for it to leave and closes
    // the connection. Without a connection nothing is listed: it just closes.
    void withdraw(int msecs = 1000);

    DirectoryClient& client() { return client_; }

  signals:
    // A line for the server's log: the directory's answers (">>> " + text) and
    // connection changes, Windows-1252 bytes.
    void logLine(const QByteArray& line);

  private:
    void retryLater();

    std::string groupName_;
    DirectoryClient client_;
    QTimer retry_;
    bool announced_ = false;
};

}  // namespace rabuscal::client
