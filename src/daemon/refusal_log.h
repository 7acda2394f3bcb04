// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Refusals as an operator can read them: at most one line per kind of refusal
// per address per window (a minute), and the ones folded meanwhile as a count
// when the window ends. A flood of junk costs a few lines, and the lines that
// matter are not lost to the journal's rate limit.
//
// Time is passed in, so that the folding is testable without sleeping. Memory
// is bounded: past `maxEntries` (kind, address) pairs, further refusals are
// only counted, in one line per window for all of them.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace rabuscal::daemon {

class RefusalLog {
  public:
    using Clock = std::chrono::steady_clock;
    using Write = std::function<void(const std::string& line)>;

    explicit RefusalLog(Write write, Clock::duration window = std::chrono::minutes(1),
                        std::size_t maxEntries = 4096);

    // "refused KIND from ADDRESS: DETAIL" at the first refusal of its kind
    // from the address in a window; later ones in that window are counted.
    void refused(std::string_view kind, std::string_view address, std::string_view detail,
                 Clock::time_point now);
    // Ends the windows that are over by `now`: "refused KIND from ADDRESS: N
    // more in the last minute" for each that folded any. Call it now and then.
    void sweep(Clock::time_point now);

    std::size_t entryCount() const { return entries_.size(); }

  private:
    struct Entry {
        Clock::time_point opened;
        std::uint64_t folded = 0;
    };

    void close(const std::string& key, const Entry& entry);

    Write write_;
    Clock::duration window_;
    std::size_t maxEntries_;
    std::unordered_map<std::string, Entry> entries_;  // "KIND from ADDRESS"
    Clock::time_point overflowOpened_{};
    std::uint64_t overflow_ = 0;  // refusals that found the table full
};

}  // namespace rabuscal::daemon
