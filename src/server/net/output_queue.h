// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What waits to go out on one connection: the live messages in order, and at
// most one catch-up (the drawing a late joiner receives), which sits at its
// place among them and goes out as the socket takes it. The live bytes are
// what the flow control counts; the catch-up is shared with the rules and
// other joiners, so it is not.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "server/kept_drawing.h"

namespace rabuscal::server {

class OutputQueue {
  public:
    // Live bytes.
    void append(std::string_view bytes) { out_.append(bytes); }
    // The catch-up, behind what is queued. A second one while the first is
    // still going out (a player who left and joined again) is copied in as
    // live bytes; returns how many.
    std::size_t appendCatchUp(const SharedBytes& drawing);

    std::size_t queued() const { return out_.size() - head_; }  // live bytes only
    bool catchingUp() const { return catchUp_.has_value(); }
    std::size_t catchUpLeft() const {
        return catchUp_ ? catchUp_->bytes.size() - catchUp_->sent : 0;
    }
    std::uint64_t catchUpGeneration() const { return catchUp_ ? catchUp_->bytes.generation() : 0; }
    bool empty() const { return queued() == 0 && !catchingUp(); }

    struct Written {
        std::size_t live = 0;  // live bytes the socket took
        std::size_t kept = 0;  // catch-up bytes the socket took
        bool failed = false;   // the connection is broken
    };
    Written writeTo(int fd);

    // Gives up the rest of the catch-up after the message being sent (its
    // drawing ended and memory is short); returns the live bytes that its
    // unsent part became.
    std::size_t cutCatchUp(std::string_view separator);
    void clear();

  private:
    struct CatchUp {
        SharedBytes bytes;
        std::size_t sent = 0;
        std::size_t at = 0;  // its place in out_: after the live byte at this index
    };
    void compact();

    std::string out_;
    std::size_t head_ = 0;  // bytes before it were sent
    std::optional<CatchUp> catchUp_;
};

}  // namespace rabuscal::server
