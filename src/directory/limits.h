// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How much one peer may ask of the directory. Every limit keeps memory and
// reply sizes bounded whatever a connection sends.

#include <cstddef>

namespace rabuscal::directory {

// Longest group name accepted, in bytes (one byte per character on the wire).
inline constexpr std::size_t kMaxGroupNameBytes = 64;
// Groups one connection may have listed at a time, over all games.
inline constexpr std::size_t kMaxGroupsPerConnection = 8;
// Longest game id served; longer ones are garbage.
inline constexpr std::size_t kMaxGameIdBytes = 32;
// Groups one game may list, so that one "lsg" stays a few kilobytes.
inline constexpr std::size_t kMaxGroupsPerGame = 256;

// What one remote address (an IPv4 address, or an IPv6 /64) may hold. A
// school or a cafe plays behind one address, so these are generous; the total
// number of connections is bounded only by the open-file limit.
struct AddressLimits {
    std::size_t connections = 256;
    std::size_t groups = 16;
};

// The network side: the bytes read from one connection at a time, and the
// replies it may leave unread before it is dropped, alone and all together.
inline constexpr std::size_t kReadChunkBytes = 16 * 1024;
inline constexpr std::size_t kMaxUnsentBytes = 256 * 1024;
inline constexpr std::size_t kMaxUnsentBytesTotal = 64 * 1024 * 1024;

}  // namespace rabuscal::directory
