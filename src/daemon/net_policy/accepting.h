// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a listener does with what accept() gives, the same in both servers
// whatever their event loop: what a failed accept calls for, and how a
// connection that admission refused ends.

#include <chrono>
#include <string_view>

namespace rabuscal::daemon {

enum class AcceptFailure {
    Drained,           // nobody waits: until the listener is readable again
    OutOfDescriptors,  // pause accepting for kAcceptPause, else a readable listener spins
    Other,             // that one connection is lost (aborted, interrupted): the next one
};
// The meaning of the errno of a failed accept.
AcceptFailure acceptFailure(int error);
inline constexpr std::chrono::milliseconds kAcceptPause{500};

// Ends a connection refused at accept, given its descriptor. With a notice
// (whole messages of the peer's protocol), the notice goes out first (a fresh
// socket has room for it) and what the peer sent meanwhile is discarded, so
// that it reads the notice before an orderly end instead of a reset. Without
// one, the connection is reset: the kernel keeps nothing for it.
void endRefused(int fd, std::string_view notice);

// What a peer sent and nobody will read, gone before a close, so that the
// close is an orderly end rather than a reset. Bounded: a peer that keeps
// sending is not read for long.
void discardUnread(int fd);

}  // namespace rabuscal::daemon
