// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a raw peer receives, asserted so that a failure prints both sides.

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "support/loopback_peer.h"

namespace rabuscal::support {

// The next bytes `peer` receives are exactly `expected`, with nothing after.
inline ::testing::AssertionResult receives(LoopbackPeer& peer, std::string_view expected) {
    const std::string got = peer.expect(expected);
    if (got == expected) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "expected \"" << expected << "\"\n     got \"" << got << '"';
}

}  // namespace rabuscal::support
