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

// Text from the wire, bounded to `maxBytes` ("..." after a cut): printable
// ASCII as is, Windows-1252 letters from 0xA0 as UTF-8, every other byte
// as \xNN.
std::string printable(std::string_view bytes, std::size_t maxBytes = 64);

}  // namespace rabuscal::daemon
