// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Drawing traffic in bulk, for tests and benchmarks (header only, no Qt).

#include <string>
#include <string_view>

namespace rabuscal::support {

// `unit` repeated until there are at least `bytes` of it.
inline std::string repeated(std::string_view unit, std::size_t bytes) {
    std::string out;
    while (out.size() < bytes) out += unit;
    return out;
}
// A "blc" stroke at `at` ("x|y"): a block of 25 white pixels.
inline std::string whiteBlock(std::string_view at) {
    std::string stroke = "$-$blc:" + std::string(at);
    for (int i = 0; i < 25; ++i) stroke += "|16777215";
    return stroke + "|0";
}

}  // namespace rabuscal::support
