// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// SIGINT and SIGTERM as a readable descriptor (the self-pipe), so that each
// event loop watches them in its own way and stops outside the handler.

namespace rabuscal::daemon {

// Installs the handlers; returns the descriptor that becomes readable when a
// stop signal arrives, or -1 with errno set.
int watchStopSignals();

// Reads the byte a stop signal wrote, so that the descriptor rests again.
void takeStopSignal(int descriptor);

}  // namespace rabuscal::daemon
