// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A directory with groups in memory, on an event-loop thread of its own: for
// programs and tests that want one inside their own process. Every query is
// answered by that thread, so it is safe from any other.

#include <asio.hpp>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "directory/net/directory_server.h"

namespace rabuscal::directory {

class BackgroundDirectory {
  public:
    // `log` is called on the directory's thread.
    // Every request is logged unless `level` says otherwise.
    explicit BackgroundDirectory(LogSink log = {}, AddressLimits limits = {},
                                 LogLevel level = LogLevel::Debug);
    ~BackgroundDirectory();

    // Listens and starts the thread; on failure returns the error text.
    std::optional<std::string> start(const std::string& address, std::uint16_t port);
    std::uint16_t port() const { return port_; }

    std::vector<protocol::Group> listed(std::string_view gameId) const;
    std::size_t groupCount() const;
    std::size_t connectionCount() const;

  private:
    template <typename Query>
    auto ask(Query query) const;

    mutable asio::io_context io_;
    asio::executor_work_guard<asio::io_context::executor_type> work_;
    MemoryStore store_;
    DirectoryServer server_;
    std::thread thread_;
    std::uint16_t port_ = 0;
};

}  // namespace rabuscal::directory
