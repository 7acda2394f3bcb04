// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How much one peer may ask of the directory. Every limit keeps memory, work
// and reply sizes bounded whatever a connection sends.

#include <chrono>
#include <cstddef>

namespace rabuscal::directory {

// Longest group name accepted, in bytes (one byte per character on the wire).
inline constexpr std::size_t kMaxGroupNameBytes = 64;
// Groups one connection may have listed at a time, over all games.
inline constexpr std::size_t kMaxGroupsPerConnection = 8;
// Longest game id served; longer ones are garbage.
inline constexpr std::size_t kMaxGameIdBytes = 32;
// Groups one game may list. A full list is at most ~340 KB ("name|address^"
// each), and it takes 410 addresses at their limit to fill it.
inline constexpr std::size_t kMaxGroupsPerGame = 4096;

// What one remote address (an IPv4 address, or an IPv6 /64) may hold. A
// school or a cafe plays behind one address, so the connections are
// generous; ten games hosted at once from one address is a big school. An
// IPv6 /48 (one site, however it splits its /64s) holds `wideFactor` times
// as much, so that a /56 or a /48 cannot take more than a few addresses' share.
struct AddressLimits {
    std::size_t connections = 256;
    std::size_t groups = 10;
    std::size_t wideFactor = 4;
};

// Requests one address may make: a token bucket. An honest lobby asks once
// per press of its list button and a game server announces a few groups,
// so a whole school pressing at once stays far below the burst.
struct RequestRate {
    double perSecond = 20;
    double burst = 120;
};

// The network side: the bytes read from one connection at a time, and the
// replies it may leave unread before it is dropped, alone and all together.
inline constexpr std::size_t kReadChunkBytes = 16 * 1024;
inline constexpr std::size_t kMaxUnsentBytes = 1024 * 1024;
inline constexpr std::size_t kMaxUnsentBytesTotal = 64 * 1024 * 1024;
// Above this many unsent bytes the connection is not read from: its requests
// wait in the kernel until it reads its replies.
inline constexpr std::size_t kUnsentReadMark = 64 * 1024;
// The kernel's send buffer per socket (it doubles what is asked).
inline constexpr int kSocketSendBuffer = 64 * 1024;
// A request is at most a game id and a group name: a tail held back longer
// than this is junk, taken as whole at once.
inline constexpr std::size_t kMaxHeldRequestBytes = 1024;
// Requests of one connection answered per turn of the event loop, and how
// many may wait behind them; the rest of a burst is dropped.
inline constexpr std::size_t kRequestsPerTurn = 4;
inline constexpr std::size_t kMaxWaitingRequests = 64;

// Descriptors kept free for the store, the log and the listener, beyond the
// connections (Redis keeps 32 too).
inline constexpr long kReservedDescriptors = 32;
// A lobby keeps its connection open between uses and opens a new one at its
// next press of the list button, so closing an idle one costs it nothing;
// a server holding a group keeps its connection for as long as it runs, and
// is never closed for idling.
inline constexpr std::chrono::minutes kDefaultIdleTimeout{5};

}  // namespace rabuscal::directory
