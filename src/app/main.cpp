// SPDX-License-Identifier: GPL-3.0-or-later
// Rabuscal: the program entry. Creates the four windows, shows the main one
// and runs the message loop until the player ends the program.
#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <cstring>

#include "app/game_windows.h"
#include "rabuscal_config.h"
#include "ui/error_report.h"
#include "ui/skin_pictures.h"

int main(int argc, char** argv) {
    // The game reads no settings of its own; only the questions for the
    // version and the options are answered, before any window exists.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("rabuscal %s\n", rabuscal::config::kVersion);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::printf(
            "Usage: rabuscal [Qt options]\n"
            "Draw-and-guess party game played over the network.\n\n"
            "  --help      Prints the options and exits.\n"
            "  --version   Prints the version and exits.\n\n"
            "Directory service %s (port %u), web site %s.\n",
            rabuscal::config::kDirectoryHost, unsigned{rabuscal::config::kDirectoryPort},
            rabuscal::config::kWebBase);
        return 0;
    }
    // The windows are shaped, stay on top and open centred: X11 features that
    // Wayland does not grant to clients. In a Wayland session with XWayland
    // the game goes through X11 and looks as it does there; a platform the
    // player chose is kept.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    // Pictures are drawn pixel for pixel; a fractional factor (1.5) would
    // blur or distort them, so the screen's factor is rounded to a whole one.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::Round);
    // No OpenGL and no web engine here: the browser window is a program of its
    // own (rabuscal-browser), started when the first page is opened.
    QApplication application(argc, argv);
    rabuscal::restartAtAScaleThatFits(argv);
    QApplication::setApplicationName(QStringLiteral("Rabuscal"));
    QApplication::setApplicationVersion(QString::fromLatin1(rabuscal::config::kVersion));
    // Lets the desktop (Wayland especially) match the windows to the menu entry.
    QGuiApplication::setDesktopFileName(QStringLiteral("rabuscal"));
    // Hiding the last visible window (e.g. minimising) must not end the game;
    // only the end button and closing the main window do.
    QApplication::setQuitOnLastWindowClosed(false);
    // A build that lost a picture says which and ends, rather than show
    // windows without their outline.
    if (!rabuscal::checkPicturesAtStart()) return 1;

    int exitCode = 0;
    {
        rabuscal::GameWindows windows;
        windows.showMainWindow();
        exitCode = QApplication::exec();
    }
    delete rabuscal::openErrorReport();
    return exitCode;
}
