// SPDX-License-Identifier: GPL-3.0-or-later
// rabuscal-browser: the game's browser window in a process of its own, so
// that the game never loads the web engine. The game starts it the first time
// a page is opened and drives it over its standard input and output (see
// web/browser_channel.h); it ends when the game closes its standard input.
//
//   rabuscal-browser --base=<site root> [--memory-bound-mb=<megabytes>]
//                    [--discard-hidden-after-ms=<ms>]
#include <sys/prctl.h>
#include <unistd.h>

#include <QApplication>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "ui/skin_pictures.h"
#include "web/browser_program.h"
#include "web/web_address.h"

namespace {

// The engine reads its flags once, when it starts. The script engine's heap
// is held under the bound too; the watch in BrowserProgram covers the rest.
void setEngineFlags(unsigned boundMegabytes) {
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (!flags.contains("--js-flags"))
        flags += " --js-flags=--max-old-space-size=" + QByteArray::number(boundMegabytes / 2);
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags.trimmed());
}

}  // namespace

int main(int argc, char** argv) {
    QByteArray base = rabuscal::web::webBase();
    unsigned boundMegabytes = 512;
    rabuscal::BrowserProgram::Settings settings;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument(argv[i]);
        if (argument.starts_with("--base=")) {
            base = QByteArray(argv[i] + 7);
        } else if (argument.starts_with("--memory-bound-mb=")) {
            boundMegabytes = static_cast<unsigned>(std::strtoul(argv[i] + 18, nullptr, 10));
        } else if (argument.starts_with("--discard-hidden-after-ms=")) {
            settings.discardHiddenAfterMs = std::atoi(argv[i] + 26);
        } else {
            std::fprintf(stderr, "rabuscal-browser: unknown option %s\n", argv[i]);
            return 2;
        }
    }
    if (boundMegabytes == 0) boundMegabytes = 512;
    // Ends with the game even when the game cannot close the channel.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    // Standard output carries the events only: whatever a library prints
    // there goes to standard error instead.
    const int events = ::dup(STDOUT_FILENO);
    ::dup2(STDERR_FILENO, STDOUT_FILENO);

    setEngineFlags(boundMegabytes);
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::Round);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Rabuscal"));
    QGuiApplication::setDesktopFileName(QStringLiteral("rabuscal"));
    QApplication::setQuitOnLastWindowClosed(false);
    if (!rabuscal::checkPicturesAtStart()) return 1;

    settings.base = base;
    settings.memoryBound = std::uint64_t{boundMegabytes} << 20;
    settings.eventsFd = events;
    rabuscal::BrowserProgram program(settings);
    return QApplication::exec();
}
