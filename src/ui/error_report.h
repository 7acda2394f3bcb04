// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QMessageBox;

namespace rabuscal {

// The application's general error report: a failure that no handler deals
// with ends that handler's work and is shown here, in a message box titled
// with the application's name. The box does not block the game: it is not
// modal and the handler returns at once. Only one box is open at a time; the
// same failure reported again while it is open is counted in it
// ("(3 vezes)"), and a different one replaces the text and starts a new count.
void reportError(const QString& text);

// The open report, or null; for tests and for closing it at shut-down.
QMessageBox* openErrorReport();

}  // namespace rabuscal
