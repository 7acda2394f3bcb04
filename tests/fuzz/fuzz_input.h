// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the fuzz targets share: a failed check ends the run where a fuzzer
// sees it, and the input is read a byte at a time.

#include <cstdint>
#include <cstdlib>
#include <string_view>

inline void check(bool condition) {
    if (!condition) std::abort();
}

// The next byte of the input, 0 once it is used up.
inline std::uint8_t next(std::string_view& rest) {
    if (rest.empty()) return 0;
    const auto byte = static_cast<std::uint8_t>(rest.front());
    rest.remove_prefix(1);
    return byte;
}
