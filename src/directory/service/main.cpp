// SPDX-License-Identifier: GPL-3.0-or-later
// rabuscal-directory: lists the groups that game servers announce, for the
// lobbies that ask. Store events and refusals (one line per kind and address
// a minute) on stdout, every request too with --log-level debug;
// SIGINT/SIGTERM end it.

#include <sys/resource.h>

#include <algorithm>
#include <asio.hpp>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <memory>

#include "daemon/log_line.h"
#include "daemon/stop_signals.h"
#include "directory/net/directory_server.h"
#include "directory/service/options.h"
#include "directory/store/redis_store.h"
#include "rabuscal_config.h"

namespace {

using namespace rabuscal::directory;

// Lines are buffered and flushed a few times a second. The store's thread logs too; writeLine keeps
// lines whole.
void printLine(const std::string& line) {
    rabuscal::daemon::writeLine(line, rabuscal::daemon::Stamp::Utc);
}

void flushEvery(asio::steady_timer& timer) {
    std::fflush(stdout);
    timer.expires_after(std::chrono::milliseconds(100));
    timer.async_wait([&timer](const asio::error_code& error) {
        if (!error) flushEvery(timer);
    });
}

// Every open connection costs one descriptor: take all the kernel allows.
rlim_t raiseOpenFileLimit() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return 0;
    if (limit.rlim_cur < limit.rlim_max) {
        rlimit raised = limit;
        raised.rlim_cur = limit.rlim_max == RLIM_INFINITY ? 1048576 : limit.rlim_max;
        if (::setrlimit(RLIMIT_NOFILE, &raised) == 0) limit = raised;
    }
    return limit.rlim_cur;
}

}  // namespace

int main(int argc, char* argv[]) {
    const std::uint16_t defaultPort = rabuscal::config::kDirectoryPort;
    std::string error;
    const auto options =
        parseOptions(std::vector<std::string>(argv + 1, argv + argc), defaultPort, error);
    if (!options) {
        std::cerr << "rabuscal-directory: " << error << "\n" << usage(defaultPort);
        return 2;
    }
    if (options->help) {
        std::cout << usage(defaultPort);
        return 0;
    }
    if (options->version) {
        std::cout << "rabuscal-directory " << RABUSCAL_VERSION << "\n";
        return 0;
    }
    std::signal(SIGPIPE, SIG_IGN);
    const int stopDescriptor = rabuscal::daemon::watchStopSignals();
    if (stopDescriptor < 0) {
        std::perror("rabuscal-directory: signal handlers");
        return 1;
    }
    const rlim_t openFiles = raiseOpenFileLimit();

    asio::io_context io(1);
    std::unique_ptr<GroupStore> store;
    RedisStore* shared = nullptr;
    if (options->store) {
        auto redis = std::make_unique<RedisStore>(
            *options->store, [&io](std::function<void()> task) { asio::post(io, std::move(task)); },
            printLine);
        shared = redis.get();
        store = std::move(redis);
    } else {
        store = std::make_unique<MemoryStore>();
    }
    auto server = std::make_unique<DirectoryServer>(io, *store, options->limits, printLine);
    server->setPublicAddress(options->publicAddress);
    server->rules().setLogLevel(options->logLevel);
    server->setIdleTimeout(options->idleTimeout);
    if (options->maxConnections > 0)
        server->setCapacity(std::min(server->capacity(), options->maxConnections));
    if (const auto failure = server->listen(options->listen, options->port)) {
        std::cerr << "rabuscal-directory: cannot listen on " << options->listen << " port "
                  << options->port << ": " << *failure << std::endl;
        return 2;  // as a bad option: the service manager does not retry it
    }
    printLine("listening on port " + std::to_string(server->port()));
    printLine("open-file limit " + std::to_string(openFiles) + ": at most " +
              std::to_string(server->capacity()) +
              " connections (the idlest without a group "
              "make room when full), closed after " +
              std::to_string(options->idleTimeout.count()) + " min without a request; " +
              "accept backlog " + std::to_string(server->backlog()) + "; " +
              std::to_string(options->limits.connections) + " connections and " +
              std::to_string(options->limits.groups) + " groups per address; groups kept " +
              (options->store ? "in the store at " + options->store->host + ":" +
                                    std::to_string(options->store->port)
                              : std::string("in memory")));
    std::fflush(stdout);
    if (shared) shared->start();  // its lines come after "listening", which tools wait for

    asio::steady_timer flusher(io);
    flushEvery(flusher);
    asio::posix::stream_descriptor stopSignals(io, stopDescriptor);
    stopSignals.async_wait(asio::posix::stream_descriptor::wait_read, [&](const asio::error_code&) {
        server->stop();
        io.stop();
    });
    io.run();

    server.reset();
    store.reset();  // withdraws this instance's groups from a reachable store
    printLine("stopped");
    std::fflush(stdout);
    return 0;
}
