// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One connection of the game server, as its three parts (tcp_game_server.cpp:
// the pass and the closes, flow_control.cpp: the queues, admitting.cpp: the
// listener) see it. Only they include this.

#include <chrono>
#include <string>

#include "daemon/net_policy/address_key.h"
#include "server/net/output_queue.h"
#include "server/net/tcp_game_server.h"

namespace rabuscal::server {

using Clock = std::chrono::steady_clock;

// The epoll tag of the listener; connections count from 1.
inline constexpr ConnectionId kListenerTag = 0;

struct TcpGameServer::Peer {
    int fd = -1;
    ConnectionId id = 0;
    std::string address;
    daemon::AddressKey key;
    Clock::time_point acceptedAt{};
    OutputQueue out;
    bool readable = false;           // on the readable_ list
    bool hungUp = false;             // the peer closed its side: nothing more is queued for it
    bool closing = false;            // on the closing_ list
    bool dirty = false;              // on the dirty_ list
    bool holding = false;            // on the holding_ list
    bool catchingUp = false;         // on the catchingUp_ list
    bool bulk = false;               // its last read filled the buffer: it sends in bulk
    bool reset = false;              // dropped for not reading: reset, not closed
    Clock::time_point aboveSince{};  // above the high-water mark since; zero when not

    Clock::time_point readableSince{};  // unread bytes have waited since
    Clock::time_point lastRead{};
    Clock::time_point lastProgress{};  // the last write while catching up

    std::size_t queued() const { return out.queued(); }
    bool aboveMark() const { return aboveSince != Clock::time_point{}; }
};

}  // namespace rabuscal::server
