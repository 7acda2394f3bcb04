// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Keeps one group listed for as long as a headless game server runs:
// announces it at start-up, announces it again when the directory connection
// comes back after a loss, and withdraws it when the server ends.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>
#include <string>

#include "directory/client/directory_connection.h"

namespace rabuscal::directory {

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

    DirectoryConnection& client() { return client_; }

  signals:
    // A line for the server's log: the directory's answers (">>> " + text) and
    // connection changes, Windows-1252 bytes.
    void logLine(const QByteArray& line);

  private:
    void retryLater();

    std::string groupName_;
    DirectoryConnection client_;
    QTimer retry_;
    bool announced_ = false;
};

}  // namespace rabuscal::directory
