// rabuscal-directory: lists the groups that game servers announce, for the
// lobbies that ask. One line per request on stdout; SIGINT/SIGTERM end it.

#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QHostAddress>
#include <QSocketNotifier>
#include <cstdio>
#include <iostream>

#include "directory/net/tcp_directory_server.h"
#include "rabuscal_config.h"

namespace {

int signalPipe[2] = {-1, -1};

void onStopSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

// The signal handler only writes a byte; the event loop reads it and quits,
// so the listener closes through the ordinary path.
bool routeStopSignals(QCoreApplication& app) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) return false;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [&app] {
        char byte;
        [[maybe_unused]] const ssize_t got = ::read(signalPipe[0], &byte, 1);
        app.quit();
    });
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(SIGINT, &action, nullptr) == 0 &&
           ::sigaction(SIGTERM, &action, nullptr) == 0;
}

void printLine(const std::string& line) {
    const QString now = QDateTime::currentDateTimeUtc().toString(Qt::ISODate);
    std::cout << now.toStdString() << ' ' << line << std::endl;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("rabuscal-directory");

    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Directory of Rabuscal game groups: servers announce their group (\"atv\"), withdraw "
        "it (\"dtv\"), lobbies ask for the list (\"jgs\").");
    parser.addHelpOption();
    parser.addOption({"port", "TCP port to listen on (0: any free port, printed).", "N",
                      QString::number(rabuscal::config::kDirectoryPort)});
    parser.process(app);

    bool portOk = false;
    const uint port = parser.value("port").toUInt(&portOk);
    if (!portOk || port > 65535) {
        std::cerr << "rabuscal-directory: invalid port '" << parser.value("port").toStdString()
                  << "'" << std::endl;
        return 2;
    }

    if (!routeStopSignals(app)) {
        std::perror("rabuscal-directory: signal setup");
        return 1;
    }

    rabuscal::directory::TcpDirectoryServer server(printLine);
    if (const auto error = server.start(QHostAddress::Any, static_cast<quint16>(port))) {
        std::cerr << "rabuscal-directory: cannot listen on port " << port << ": "
                  << error->toStdString() << std::endl;
        return 1;
    }
    printLine("listening on port " + std::to_string(server.port()));

    const int status = app.exec();
    printLine("stopped");
    return status;
}
