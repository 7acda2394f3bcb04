// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The client's way out to the game server. The socket adapter implements it;
// tests implement it with a recorder.

#include <string_view>

namespace rabuscal::client {

class GameLink {
  public:
    virtual ~GameLink() = default;
    // From the connected event until the disconnected event.
    virtual bool active() const = 0;
    // One whole game message in one send; dropped when not connected.
    virtual void send(std::string_view message) = 0;
};

}  // namespace rabuscal::client
