#pragma once

#include <QApplication>

// Widget tests need one QApplication for the whole test binary; GoogleTest's
// own main does not make one.
inline QApplication& guiApplication() {
    static int argc = 1;
    static char name[] = "rabuscal-test";
    static char* argv[] = {name, nullptr};
    static QApplication* application = qApp ? nullptr : new QApplication(argc, argv);
    (void)application;
    return *qobject_cast<QApplication*>(QCoreApplication::instance());
}
