// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Log lines of the daemons: whole lines, readable whatever bytes a peer sent.

#include <cstddef>
#include <string>
#include <string_view>

namespace rabuscal::daemon {

enum class Stamp { None, Utc };

// Writes `line` and a line end to stdout in one write, so that lines from
// several threads never interleave; with Stamp::Utc after an ISO 8601 UTC
// time stamp. Buffered: the caller flushes when it suits its load.
void writeLine(std::string_view line, Stamp stamp = Stamp::None);

// How printable() writes what is not plain ASCII.
enum class Escaping {
    Letters,  // Windows-1252 letters from 0xA0 as UTF-8: nicks and phrases read as typed
    Bytes,    // every byte outside printable ASCII, and the backslash, as \xNN: the
              // line reads back to the very bytes received
};

// Text from the wire for a log line, bounded to `maxBytes` ("..." after a
// cut): printable ASCII as is, every other byte as \xNN, save what
// `escaping` says.
std::string printable(std::string_view bytes, std::size_t maxBytes = 64,
                      Escaping escaping = Escaping::Letters);

}  // namespace rabuscal::daemon
