#pragma once

#include <QCoreApplication>

// Network tests need one event loop owner for the whole test binary.
inline QCoreApplication& coreApplication() {
    static int argc = 1;
    static char name[] = "web_test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* application =
        QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv);
    (void)application;
    return *QCoreApplication::instance();
}
