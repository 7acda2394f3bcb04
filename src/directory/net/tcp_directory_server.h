#pragma once
// The in-process directory for Qt programs and tests: a BackgroundDirectory
// behind the QHostAddress-based interface they use. Log lines reach the sink
// on the Qt thread, from its event loop or before any query returns, so the
// sink never runs on the directory's thread.

#include <QHostAddress>
#include <QString>
#include <memory>
#include <optional>

#include "directory/net/background_directory.h"

namespace rabuscal::directory {

class TcpDirectoryServer {
  public:
    explicit TcpDirectoryServer(LogSink log = {});
    ~TcpDirectoryServer();

    std::optional<QString> start(const QHostAddress& address, quint16 port);
    quint16 port() const { return directory_->port(); }

    // Read-only views that ask the directory's thread.
    class Groups {
      public:
        std::vector<protocol::Group> list(std::string_view gameId) const;
        std::size_t size() const;

      private:
        friend class TcpDirectoryServer;
        explicit Groups(const TcpDirectoryServer& owner) : owner_(owner) {}
        const TcpDirectoryServer& owner_;
    };
    class Rules {
      public:
        Groups groups() const { return Groups(owner_); }
        std::size_t connectionCount() const;

      private:
        friend class TcpDirectoryServer;
        explicit Rules(const TcpDirectoryServer& owner) : owner_(owner) {}
        const TcpDirectoryServer& owner_;
    };
    Rules rules() const { return Rules(*this); }

  private:
    struct LogRelay;
    // Hands the lines logged so far to the sink, on the calling thread.
    void deliverLog() const;

    std::shared_ptr<LogRelay> relay_;
    std::unique_ptr<BackgroundDirectory> directory_;
};

}  // namespace rabuscal::directory
