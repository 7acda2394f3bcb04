#include "directory/net/tcp_directory_server.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <mutex>

namespace rabuscal::directory {

struct TcpDirectoryServer::LogRelay {
    LogSink sink;
    std::mutex mutex;
    std::vector<std::string> lines;

    void deliver() {
        std::vector<std::string> taken;
        {
            std::lock_guard lock(mutex);
            taken.swap(lines);
        }
        if (sink)
            for (const std::string& line : taken) sink(line);
    }
};

TcpDirectoryServer::TcpDirectoryServer(LogSink log) : relay_(std::make_shared<LogRelay>()) {
    relay_->sink = std::move(log);
    std::weak_ptr<LogRelay> weak = relay_;
    directory_ = std::make_unique<BackgroundDirectory>([weak](const std::string& line) {
        const auto relay = weak.lock();
        if (!relay) return;
        {
            std::lock_guard lock(relay->mutex);
            relay->lines.push_back(line);
        }
        if (QCoreApplication* app = QCoreApplication::instance())
            QMetaObject::invokeMethod(
                app,
                [weak] {
                    if (const auto alive = weak.lock()) alive->deliver();
                },
                Qt::QueuedConnection);
    });
}

// Lines logged while stopping are not delivered: the sink's owner may be
// going away too.
TcpDirectoryServer::~TcpDirectoryServer() = default;

std::optional<QString> TcpDirectoryServer::start(const QHostAddress& address, quint16 port) {
    if (auto error = directory_->start(address.toString().toStdString(), port))
        return QString::fromStdString(*error);
    return std::nullopt;
}

void TcpDirectoryServer::deliverLog() const {
    relay_->deliver();
}

std::vector<protocol::Group> TcpDirectoryServer::Groups::list(std::string_view gameId) const {
    auto groups = owner_.directory_->listed(gameId);
    owner_.deliverLog();
    return groups;
}

std::size_t TcpDirectoryServer::Groups::size() const {
    const std::size_t count = owner_.directory_->groupCount();
    owner_.deliverLog();
    return count;
}

std::size_t TcpDirectoryServer::Rules::connectionCount() const {
    const std::size_t count = owner_.directory_->connectionCount();
    owner_.deliverLog();
    return count;
}

}  // namespace rabuscal::directory
