// SPDX-License-Identifier: GPL-3.0-or-later
#include "directory/net/background_directory.h"

#include <future>

namespace rabuscal::directory {

BackgroundDirectory::BackgroundDirectory(LogSink log, AddressLimits limits, LogLevel level)
    : work_(asio::make_work_guard(io_)), server_(io_, store_, limits, std::move(log)) {
    server_.rules().setLogLevel(level);
}

BackgroundDirectory::~BackgroundDirectory() {
    if (thread_.joinable()) {
        asio::post(io_, [this] {
            server_.stop();
            io_.stop();
        });
        thread_.join();
    }
}

std::optional<std::string> BackgroundDirectory::start(const std::string& address,
                                                      std::uint16_t port) {
    if (auto error = server_.listen(address, port)) return error;
    port_ = server_.port();
    thread_ = std::thread([this] { io_.run(); });
    return std::nullopt;
}

template <typename Query>
auto BackgroundDirectory::ask(Query query) const {
    if (!thread_.joinable()) return query();
    std::promise<decltype(query())> answer;
    asio::post(io_, [&] { answer.set_value(query()); });
    return answer.get_future().get();
}

std::vector<protocol::Group> BackgroundDirectory::listed(std::string_view gameId) const {
    return ask([&] { return store_.own().list(gameId); });
}

std::size_t BackgroundDirectory::groupCount() const {
    return ask([&] { return store_.own().size(); });
}

std::size_t BackgroundDirectory::connectionCount() const {
    return ask([&] { return server_.rules().connectionCount(); });
}

}  // namespace rabuscal::directory
