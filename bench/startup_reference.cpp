// SPDX-License-Identifier: GPL-3.0-or-later
// The floor for bench_startup: a minimal Qt Widgets program that shows one
// window of the main window's size and waits.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QWidget window;
    window.setFixedSize(691, 362);
    window.show();
    return QApplication::exec();
}
