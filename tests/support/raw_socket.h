// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Plain blocking sockets, for peers that misbehave or come in numbers.

#include <QtGlobal>
#include <optional>
#include <string>
#include <string_view>

namespace rabuscal::support {

// Connected to the loopback from `source` (any 127.x.y.z; null for the
// default), with a small receive window when it is not going to read.
// Returns the descriptor, or -1 on failure.
int rawConnect(quint16 port, const char* source = nullptr, int receiveBuffer = 0);
bool sendAll(int fd, std::string_view bytes);
// Whether the other end closed `fd` (read gives end of file or an error) within `ms`.
bool closedByServer(int fd, int ms);
// Bounds how long a blocking read of `fd` waits.
void setReceiveTimeout(int fd, int ms);
// Everything `fd` has received so far, without waiting.
std::string receivedSoFar(int fd);
// What `fd` receives until the other end closes it; nothing if it stays open for `ms`.
std::optional<std::string> readUntilClosed(int fd, int ms);

}  // namespace rabuscal::support
