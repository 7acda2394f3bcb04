// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the game rules need from the network: a way to hand bytes to one
// connection. The rules never read sockets; the network layer feeds them.

#include <cstdint>
#include <string_view>

#include "server/kept_drawing.h"

namespace rabuscal::server {

// Names one accepted connection for as long as it is open. Never reused.
using ConnectionId = std::uint64_t;

class Transport {
  public:
    virtual ~Transport() = default;

    // Queues one whole game message for one connection. Must not call back into
    // the GameServer: a connection whose send fails is closed later, once the
    // message being handled (and its broadcast) has finished.
    virtual void send(ConnectionId id, std::string_view bytes) = 0;
    // Queues the drawing so far behind what was queued for the connection. A
    // network layer sends it as the socket takes it, outside its queue limits:
    // it is shared with the rules, so it costs no copy per joiner.
    virtual void sendKept(ConnectionId id, const SharedBytes& drawing) { send(id, drawing.str()); }
};

}  // namespace rabuscal::server
