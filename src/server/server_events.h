// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the game server tells its operator: the server window's lamp and count,
// the headless server's log. Every hook defaults to doing nothing.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "server/transport.h"

namespace rabuscal::server {

class ServerEvents {
  public:
    virtual ~ServerEvents() = default;

    virtual void connectionAccepted(ConnectionId) {}
    // After every accept and every close, with the connections now open.
    virtual void connectionCountChanged(std::size_t) {}
    // The first chunk any connection delivered since the listener came on.
    virtual void firstChunk() {}

    virtual void playerJoined(ConnectionId, std::string_view /*nick*/) {}
    virtual void nickRefused(ConnectionId, std::string_view /*nick*/) {}
    // "off" from a joined player.
    virtual void playerLeft(ConnectionId, std::string_view /*nick*/) {}
    // The connection closed; `nick` is empty when it had not joined.
    virtual void connectionClosed(ConnectionId, bool /*wasJoined*/, std::string_view /*nick*/) {}

    virtual void roundStarted(ConnectionId, std::string_view /*phrase*/) {}
    virtual void guessHit(std::string_view /*nick*/, std::int32_t /*points*/,
                          std::int32_t /*newTotal*/) {}
    virtual void drawerChanged(std::string_view /*nick*/) {}

    // A payload that must hold a number did not; the rest of its chunk was dropped.
    virtual void conversionError(ConnectionId, std::string_view /*what*/) {}
    // A message the server would not take (a nick too long, or the referee's
    // verdict); it was dropped.
    virtual void refused(ConnectionId, std::string_view /*command*/, std::string_view /*why*/) {}

    // The network layer: a connection refused at accept (over a limit), one
    // the server closed (it stopped reading), accepting paused or resumed.
    virtual void connectionRefused(std::string_view /*address*/, std::string_view /*why*/) {}
    virtual void connectionDropped(ConnectionId, std::string_view /*why*/) {}
    virtual void acceptPaused(bool /*paused*/) {}
};

}  // namespace rabuscal::server
