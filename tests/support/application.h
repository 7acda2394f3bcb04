// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one application object of a test binary, and waiting on the event loop.
// GoogleTest's own main makes no application; call one of these first.

#include <QApplication>
#include <QCoreApplication>
#include <QTest>

namespace rabuscal::support {

// How long a test waits for something that should happen: a bound only a hang
// breaks (bench/ measures speed); every wait ends as soon as its condition holds.
inline constexpr int kPatience = 30000;  // ms

// For sockets, processes and timers: needs no display.
QCoreApplication& coreApplication();
// For widgets: needs a platform (CTest runs GUI tests on "offscreen").
QApplication& guiApplication();

// Runs the event loop until `condition` holds or `ms` have passed.
template <class Condition>
bool waitFor(Condition condition, int ms = kPatience) {
    return QTest::qWaitFor(condition, ms);
}
// Runs the event loop for `ms`: what is on its way shows up meanwhile.
inline void settle(int ms) {
    QTest::qWait(ms);
}

}  // namespace rabuscal::support
