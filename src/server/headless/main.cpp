// SPDX-License-Identifier: GPL-3.0-or-later
// rabuscal-server: the game server without a window. Logs one line per event
// on stdout and stops cleanly on SIGINT or SIGTERM.

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "daemon/command_line.h"
#include "daemon/log_line.h"
#include "daemon/refusal_log.h"
#include "daemon/stop_signals.h"
#include "directory/client/group_announcer.h"
#include "rabuscal_config.h"
#include "server/net/tcp_game_server.h"
#include "wire_text/text_codec.h"

namespace {

using rabuscal::daemon::printable;
using rabuscal::server::ConnectionId;

// Open to strangers: slots are for players, and an address that connects in
// a loop waits. A lobby gives its player half a minute to press "Entrar no
// jogo"; a school behind one address connects its 32 at once.
rabuscal::server::NetLimits publicLimits() {
    rabuscal::server::NetLimits limits;
    limits.joinDeadline = std::chrono::seconds(30);
    limits.evictNeverJoined = true;
    limits.admission.connectsPerSecond = 2;
    return limits;
}

struct Options {
    quint16 port = rabuscal::config::kGamePort;
    std::string announce;  // group name, Windows-1252; empty: not announced
    QString directoryHost = QString::fromLatin1(rabuscal::config::kDirectoryHost);
    quint16 directoryPort = rabuscal::config::kDirectoryPort;
    bool trustClients = false;
    rabuscal::server::NetLimits limits = publicLimits();
};

// A configuration that cannot work (bad option, port taken, address not on
// this host) exits 2, which the service manager does not retry.
constexpr int kConfigurationError = 2;

[[noreturn]] void refuse(const std::string& why) {
    std::fprintf(stderr, "rabuscal-server: %s\n", why.c_str());
    std::exit(kConfigurationError);
}

std::vector<rabuscal::daemon::OptionRule> optionTable() {
    const rabuscal::server::NetLimits defaults;
    return {
        {"--port", "N",
         "TCP port to listen on, on every local address\n(0: any free port; default " +
             std::to_string(rabuscal::config::kGamePort) + ")"},
        {"--announce", "NAME",
         "Announce this server to the directory service\nas the group NAME (empty: not "
         "announced)."},
        {"--directory", "HOST",
         "Directory service to announce to, as HOST or\nHOST:PORT (port 2070 by default; default "
         "or\nempty: " +
             std::string(rabuscal::config::kDirectoryHost) + ")"},
        {"--max-connections", "N",
         "Connections held at most; further ones are\nclosed at once (default " +
             std::to_string(defaults.admission.maxConnections) + ")"},
        {"--max-per-address", "N",
         "Connections held at most from one remote\naddress (IPv6: one /64; twice as many per "
         "/48;\ndefault " +
             std::to_string(defaults.admission.maxPerAddress) + ")"},
        {"--trust-clients", "",
         "Take every message from any connection, as\nthe game's built-in server does, instead "
         "of\nrefereeing (only the drawer draws, starts,\nclears and hands over; guesses and "
         "chat only\nfrom joined players, in their own name, a few\na second; fair nicks, points "
         "and guesses).\nThe join deadline (30 s) and the limits on\nconnections and joins "
         "apply either way."},
    };
}

// Parses the command line; exits on --help, --version or a bad option.
Options parseOptions(int argc, char* argv[]) {
    std::string error;
    const auto line = rabuscal::daemon::parseCommandLine(
        std::vector<std::string>(argv + 1, argv + argc), optionTable(), error);
    if (!line) refuse(error);
    if (line->help) {
        std::fputs(rabuscal::daemon::helpText(
                       "rabuscal-server", "Rabuscal game server without a window.", optionTable())
                       .c_str(),
                   stdout);
        std::exit(0);
    }
    if (line->version) {
        std::puts("rabuscal-server " RABUSCAL_VERSION);
        std::exit(0);
    }

    Options options;
    for (const auto& [name, value] : line->options) {
        if (name == "--port") {
            const auto port = rabuscal::daemon::number(value, 0, 65535);
            if (!port) refuse("bad port '" + value + "'");
            options.port = static_cast<quint16>(*port);
        } else if (name == "--announce") {
            // Group names travel as Windows-1252, converted as the server window does.
            // An empty name (as from an empty GROUP_NAME) runs the server unannounced.
            options.announce = toWire(QString::fromLocal8Bit(value));
        } else if (name == "--directory") {
            // Empty (as from an empty DIRECTORY_HOST): the built-in directory.
            options.directoryHost = value.empty()
                                        ? QString::fromLatin1(rabuscal::config::kDirectoryHost)
                                        : QString::fromLocal8Bit(value);
            options.directoryPort = rabuscal::config::kDirectoryPort;
            if (const std::size_t colon = value.rfind(':');
                colon != std::string::npos && colon > 0) {
                const auto port = rabuscal::daemon::number(value.substr(colon + 1), 1, 65535);
                if (!port) refuse("bad directory '" + value + "'");
                options.directoryPort = static_cast<quint16>(*port);
                options.directoryHost.truncate(static_cast<qsizetype>(colon));
            }
        } else if (name == "--trust-clients") {
            options.trustClients = true;
        } else {  // the two connection counts
            const auto count = rabuscal::daemon::number(value, 1, 4294967295L);
            if (!count) refuse("bad count '" + value + "'");
            (name == "--max-connections" ? options.limits.admission.maxConnections
                                         : options.limits.admission.maxPerAddress) =
                static_cast<std::size_t>(*count);
        }
    }
    return options;
}

void logLine(const char* format, auto... args) {
    char line[1024];  // the texts are bounded by printable()
    // A line without values is printed as it stands, never read as a format.
    if constexpr (sizeof...(args) == 0)
        std::snprintf(line, sizeof line, "%s", format);
    else
        std::snprintf(line, sizeof line, format, args...);
    rabuscal::daemon::writeLine(line);
    std::fflush(stdout);
}

// Once the server listens: announces the group, if asked to, and keeps it
// listed until withdraw() at shut-down.
std::unique_ptr<rabuscal::directory::GroupAnnouncer> startAnnouncing(const Options& options) {
    if (options.announce.empty()) return nullptr;
    auto announcer = std::make_unique<rabuscal::directory::GroupAnnouncer>(
        options.announce, options.directoryHost, options.directoryPort);
    QObject::connect(announcer.get(), &rabuscal::directory::GroupAnnouncer::logLine,
                     [](const QByteArray& line) {
                         logLine("directory %s", printable(line.toStdString()).c_str());
                     });
    announcer->announce();
    return announcer;
}

class Log : public rabuscal::server::ServerEvents {
  public:
    // Refusals are folded per kind and address: a flood costs a few lines.
    rabuscal::daemon::RefusalLog refusals{
        [](const std::string& line) { logLine("%s", line.c_str()); }};
    const rabuscal::server::TcpGameServer* server = nullptr;

    void connectionAccepted(ConnectionId id) override { logLine("accept #%llu", ull(id)); }
    void playerJoined(ConnectionId id, std::string_view nick) override {
        logLine("join #%llu \"%s\"", ull(id), printable(nick).c_str());
    }
    void nickRefused(ConnectionId id, std::string_view nick) override {
        refused(id, "slc", "nick taken", "\"" + printable(nick) + "\"");
    }
    void playerLeft(ConnectionId id, std::string_view nick) override {
        logLine("leave #%llu \"%s\"", ull(id), printable(nick).c_str());
    }
    void connectionClosed(ConnectionId id, bool wasJoined, std::string_view nick) override {
        if (wasJoined)
            logLine("close #%llu \"%s\"", ull(id), printable(nick).c_str());
        else
            logLine("close #%llu", ull(id));
    }
    void roundStarted(ConnectionId id, std::string_view phrase) override {
        logLine("round #%llu \"%s\"", ull(id), printable(phrase).c_str());
    }
    void guessHit(std::string_view nick, std::int32_t points, std::int32_t total) override {
        logLine("hit \"%s\" +%d total %d", printable(nick).c_str(), points, total);
    }
    void conversionError(ConnectionId id, std::string_view what) override {
        refused(id, "pts", "not a number", printable(what));
    }
    void refused(ConnectionId id, std::string_view command, std::string_view why) override {
        refused(id, command, why, {});
    }
    void connectionRefused(std::string_view address, std::string_view why) override {
        refusals.refused("connection", address, why, std::chrono::steady_clock::now());
    }
    void connectionDropped(ConnectionId id, std::string_view why) override {
        logLine("drop #%llu (%.*s)", ull(id), int(why.size()), why.data());
    }
    void acceptPaused(bool paused) override {
        logLine("%s", paused ? "accept paused (out of file descriptors)" : "accept resumed");
    }

  private:
    static unsigned long long ull(ConnectionId id) { return id; }
    void refused(ConnectionId id, std::string_view command, std::string_view why,
                 const std::string& detail) {
        const std::string kind = printable(command, 8) + " (" + std::string(why) + ")";
        refusals.refused(kind, server ? server->addressOf(id) : std::string{},
                         "#" + std::to_string(id) + (detail.empty() ? "" : " " + detail),
                         std::chrono::steady_clock::now());
    }
};

}  // namespace

int main(int argc, char* argv[]) {
    const Options options = parseOptions(argc, argv);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("rabuscal-server");

    const int stopDescriptor = rabuscal::daemon::watchStopSignals();
    if (stopDescriptor < 0) {
        std::perror("rabuscal-server: signal handlers");
        return 1;
    }
    QSocketNotifier signalNotifier(stopDescriptor, QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, [&] {
        rabuscal::daemon::takeStopSignal(stopDescriptor);
        logLine("stopping");
        QCoreApplication::quit();
    });

    std::string DrawerNick;  // this process has no game client to share it with
    Log log;
    rabuscal::server::TcpGameServer server(DrawerNick, &log);
    server.setLimits(options.limits);
    server.rules().setReferee(!options.trustClients);
    server.rules().setLimitJoins(true);
    log.server = &server;
    QTimer refusalSweep;
    QObject::connect(&refusalSweep, &QTimer::timeout,
                     [&] { log.refusals.sweep(std::chrono::steady_clock::now()); });
    refusalSweep.start(5000);
    if (const auto error = server.start(options.port)) {
        std::fprintf(stderr, "rabuscal-server: %s\n", qPrintable(*error));
        return kConfigurationError;
    }
    logLine("listening on port %u", unsigned{server.port()});
    if (!options.announce.empty() && server.port() != rabuscal::config::kGamePort)
        logLine("note: the lobby joins a listed group on port %u, not %u",
                unsigned{rabuscal::config::kGamePort}, unsigned{server.port()});
    const auto announcer = startAnnouncing(options);

    const int status = app.exec();
    // Stopping must stay within a second, whatever the directory does.
    if (announcer) announcer->withdraw(500);
    server.stop();
    return status;
}
