// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/application.h"

namespace rabuscal::support {
namespace {

int argc = 1;
char name[] = "rabuscal-test";
char* argv[] = {name, nullptr};

}  // namespace

QCoreApplication& coreApplication() {
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
    return *QCoreApplication::instance();
}

QApplication& guiApplication() {
    if (!QCoreApplication::instance()) new QApplication(argc, argv);
    return *qobject_cast<QApplication*>(QCoreApplication::instance());
}

}  // namespace rabuscal::support
