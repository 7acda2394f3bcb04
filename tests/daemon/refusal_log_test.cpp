// SPDX-License-Identifier: GPL-3.0-or-later
#include "daemon/refusal_log.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace rabuscal::daemon {
namespace {

using namespace std::chrono_literals;

TEST(RefusalLog, OneLinePerKindAndAddressPerMinuteWithTheFoldedCountInABoundedTable) {
    std::vector<std::string> lines;
    RefusalLog log([&](const std::string& line) { lines.push_back(line); });
    const RefusalLog::Clock::time_point start{};

    for (int i = 0; i < 1000; ++i) log.refused("rate", "10.0.0.1", "junk\x01", start + i * 10ms);
    log.refused("full", "10.0.0.1", "", start + 1s);  // another kind has its own line
    log.refused("rate", "10.0.0.2", "", start + 1s);  // and so has another address
    log.sweep(start + 59s);
    ASSERT_EQ(lines, (std::vector<std::string>{"refused rate from 10.0.0.1: junk\\x01",
                                               "refused full from 10.0.0.1",
                                               "refused rate from 10.0.0.2"}));

    lines.clear();
    log.sweep(start + 61s);
    EXPECT_EQ(lines, (std::vector<std::string>{"refused rate from 10.0.0.1: 999 more in the last "
                                               "minute"}));
    EXPECT_EQ(log.entryCount(), 0u);
    lines.clear();
    log.refused("rate", "10.0.0.1", "", start + 62s);  // a new window opens with a new line
    EXPECT_EQ(lines, (std::vector<std::string>{"refused rate from 10.0.0.1"}));

    // Once the table is full, further addresses are counted in one line.
    lines.clear();
    RefusalLog small([&](const std::string& line) { lines.push_back(line); }, 1min, 4);
    for (int i = 0; i < 100; ++i) small.refused("rate", "10.0.0." + std::to_string(i), "", start);
    EXPECT_EQ(lines.size(), 4u);
    EXPECT_EQ(small.entryCount(), 4u);
    small.sweep(start + 1min);
    EXPECT_EQ(lines.back(), "refused 96 more from too many addresses in the last minute");
}

}  // namespace
}  // namespace rabuscal::daemon
