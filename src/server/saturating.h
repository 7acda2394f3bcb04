// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Totals and points at stake are 32-bit and any client may set the points at
// stake to any 32-bit value, so sums stop at the limits instead of wrapping.

#include <algorithm>
#include <cstdint>
#include <limits>

namespace rabuscal::server {

constexpr std::int32_t saturatingAdd(std::int32_t a, std::int32_t b) {
    const std::int64_t sum = std::int64_t{a} + b;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        sum, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

}  // namespace rabuscal::server
