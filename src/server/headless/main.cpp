// rabuscal-server: the game server without a window. Logs one line per event
// on stdout and stops cleanly on SIGINT or SIGTERM.

#include <sys/socket.h>
#include <unistd.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <memory>
#include <string>

#include "directory/client/group_announcer.h"
#include "rabuscal_config.h"
#include "server/net/tcp_game_server.h"
#include "ui/text_codec.h"

namespace {

using rabuscal::server::ConnectionId;

struct Options {
    quint16 port = rabuscal::config::kGamePort;
    std::string announce;  // group name, Windows-1252; empty: not announced
    QString directoryHost = QString::fromLatin1(rabuscal::config::kDirectoryHost);
    quint16 directoryPort = rabuscal::config::kDirectoryPort;
    bool trustClients = false;
    rabuscal::server::NetLimits limits;
};

std::size_t positiveCount(const QString& text, const char* what) {
    bool ok = false;
    const uint value = text.toUInt(&ok);
    if (!ok || value == 0) {
        std::fprintf(stderr, "rabuscal-server: bad %s '%s'\n", what, qPrintable(text));
        std::exit(2);
    }
    return value;
}

// Parses the command line; exits on --help or a bad option.
Options parseOptions(const QCoreApplication& app) {
    QCommandLineParser parser;
    parser.setApplicationDescription("Rabuscal game server without a window.");
    parser.addHelpOption();
    const QCommandLineOption portOption(
        "port", "TCP port to listen on, on every local address (0: any free port).", "N",
        QString::number(rabuscal::config::kGamePort));
    parser.addOption(portOption);
    const QCommandLineOption announceOption(
        "announce", "Announce this server to the directory service as the group NAME.", "NAME");
    const QCommandLineOption directoryOption(
        "directory",
        "Directory service to announce to, as HOST or HOST:PORT (port 2070 by default).", "HOST",
        QString::fromLatin1(rabuscal::config::kDirectoryHost));
    parser.addOption(announceOption);
    parser.addOption(directoryOption);
    const rabuscal::server::NetLimits defaults;
    const QCommandLineOption maxConnectionsOption(
        "max-connections", "Connections held at most; further ones are closed at once.", "N",
        QString::number(defaults.maxConnections));
    const QCommandLineOption maxPerAddressOption(
        "max-per-address", "Connections held at most from one remote address.", "N",
        QString::number(defaults.maxPerAddress));
    const QCommandLineOption trustOption(
        "trust-clients",
        "Take every message from any connection, as the game's built-in server does, instead "
        "of refereeing (only the drawer draws, starts, clears and hands over; guesses and chat "
        "only from joined players, in their own name, a few a second).");
    parser.addOption(maxConnectionsOption);
    parser.addOption(maxPerAddressOption);
    parser.addOption(trustOption);
    parser.process(app);

    Options options;
    bool ok = false;
    const uint port = parser.value(portOption).toUInt(&ok);
    if (!ok || port > 65535) {
        std::fprintf(stderr, "rabuscal-server: bad port '%s'\n",
                     qPrintable(parser.value(portOption)));
        std::exit(2);
    }
    options.port = static_cast<quint16>(port);
    if (parser.isSet(announceOption)) {
        // Group names travel as Windows-1252, converted as the server window does.
        options.announce = toWire(parser.value(announceOption));
        if (options.announce.empty()) {
            std::fprintf(stderr, "rabuscal-server: --announce needs a group name\n");
            std::exit(2);
        }
    }
    options.directoryHost = parser.value(directoryOption);
    if (const qsizetype colon = options.directoryHost.lastIndexOf(':'); colon > 0) {
        const uint directoryPort = options.directoryHost.mid(colon + 1).toUInt(&ok);
        if (!ok || directoryPort == 0 || directoryPort > 65535) {
            std::fprintf(stderr, "rabuscal-server: bad directory '%s'\n",
                         qPrintable(options.directoryHost));
            std::exit(2);
        }
        options.directoryPort = static_cast<quint16>(directoryPort);
        options.directoryHost.truncate(colon);
    }
    options.limits.maxConnections = positiveCount(parser.value(maxConnectionsOption), "count");
    options.limits.maxPerAddress = positiveCount(parser.value(maxPerAddressOption), "count");
    options.trustClients = parser.isSet(trustOption);
    return options;
}

// Nicks and phrases are Windows-1252 bytes of any length: the log shows a
// readable, bounded version of them.
std::string printable(std::string_view text) {
    constexpr std::size_t kShown = 64;
    std::string out;
    for (unsigned char c : text.substr(0, kShown)) {
        if (c >= 0x20 && c < 0x7f) {
            out += static_cast<char>(c);
        } else if (c >= 0xa0) {  // Latin-1 and Windows-1252 agree here
            out += static_cast<char>(0xc0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3f));
        } else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            out += hex;
        }
    }
    if (text.size() > kShown) out += "...";
    return out;
}

void logLine(const char* format, auto... args) {
    std::printf(format, args...);
    std::putchar('\n');
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
    void connectionAccepted(ConnectionId id) override { logLine("accept #%llu", ull(id)); }
    void playerJoined(ConnectionId id, std::string_view nick) override {
        logLine("join #%llu \"%s\"", ull(id), printable(nick).c_str());
    }
    void nickRefused(ConnectionId id, std::string_view nick) override {
        logLine("refuse #%llu \"%s\" (nick taken)", ull(id), printable(nick).c_str());
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
        logLine("error #%llu %s", ull(id), printable(what).c_str());
    }
    void refused(ConnectionId id, std::string_view command, std::string_view why) override {
        logLine("refuse #%llu \"%s\" (%.*s)", ull(id), printable(command).c_str(), int(why.size()),
                why.data());
    }
    void connectionRefused(std::string_view address, std::string_view why) override {
        logLine("refuse connection from %.*s (%.*s)", int(address.size()), address.data(),
                int(why.size()), why.data());
    }
    void connectionDropped(ConnectionId id, std::string_view why) override {
        logLine("drop #%llu (%.*s)", ull(id), int(why.size()), why.data());
    }
    void acceptPaused(bool paused) override {
        logLine("%s", paused ? "accept paused (out of file descriptors)" : "accept resumed");
    }

  private:
    static unsigned long long ull(ConnectionId id) { return id; }
};

// SIGINT/SIGTERM write a byte here; the event loop reads it and quits.
int signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto n = ::write(signalPipe[1], &byte, 1);
}

bool installSignalHandlers() {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) return false;
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(SIGINT, &action, nullptr) == 0 &&
           ::sigaction(SIGTERM, &action, nullptr) == 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("rabuscal-server");
    const Options options = parseOptions(app);

    if (!installSignalHandlers()) {
        std::perror("rabuscal-server: signal handlers");
        return 1;
    }
    QSocketNotifier signalNotifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, [&] {
        char byte;
        [[maybe_unused]] const auto n = ::read(signalPipe[0], &byte, 1);
        logLine("stopping");
        QCoreApplication::quit();
    });

    std::string DrawerNick;  // this process has no game client to share it with
    Log log;
    rabuscal::server::TcpGameServer server(DrawerNick, &log);
    server.setLimits(options.limits);
    server.rules().setReferee(!options.trustClients);
    if (const auto error = server.start(options.port)) {
        std::fprintf(stderr, "rabuscal-server: %s\n", qPrintable(*error));
        return 1;
    }
    logLine("listening on port %u", unsigned{server.port()});
    const auto announcer = startAnnouncing(options);

    const int status = app.exec();
    // Stopping must stay within a second, whatever the directory does.
    if (announcer) announcer->withdraw(500);
    server.stop();
    return status;
}
