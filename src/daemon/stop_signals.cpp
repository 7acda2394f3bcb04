// SPDX-License-Identifier: GPL-3.0-or-later
#include "daemon/stop_signals.h"

#include <sys/socket.h>
#include <unistd.h>

#include <csignal>

namespace rabuscal::daemon {

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int) {
    // Only async-signal-safe calls here: one byte; a full pipe already wakes the loop.
    const char byte = 1;
    [[maybe_unused]] const auto n = ::write(signalPipe[1], &byte, 1);
}

}  // namespace

int watchStopSignals() {
    if (signalPipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) return -1;
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    if (::sigaction(SIGINT, &action, nullptr) != 0 || ::sigaction(SIGTERM, &action, nullptr) != 0)
        return -1;
    return signalPipe[0];
}

void takeStopSignal(int descriptor) {
    char byte;
    [[maybe_unused]] const auto n = ::read(descriptor, &byte, 1);
}

}  // namespace rabuscal::daemon
