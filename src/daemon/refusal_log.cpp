// SPDX-License-Identifier: GPL-3.0-or-later
#include "daemon/refusal_log.h"

#include "daemon/log_line.h"

namespace rabuscal::daemon {

namespace {

std::string windowText(RefusalLog::Clock::duration window) {
    using namespace std::chrono;
    if (window == minutes(1)) return "the last minute";
    return "the last " + std::to_string(duration_cast<seconds>(window).count()) + " s";
}

}  // namespace

RefusalLog::RefusalLog(Write write, Clock::duration window, std::size_t maxEntries)
    : write_(std::move(write)), window_(window), maxEntries_(maxEntries) {}

void RefusalLog::refused(std::string_view kind, std::string_view address, std::string_view detail,
                         Clock::time_point now) {
    std::string key = printable(kind, 32);
    key.append(" from ").append(printable(address, 64));
    if (const auto found = entries_.find(key); found != entries_.end()) {
        if (now - found->second.opened < window_) {
            ++found->second.folded;
            return;
        }
        close(found->first, found->second);
        entries_.erase(found);
    }
    if (entries_.size() >= maxEntries_) sweep(now);
    if (entries_.size() >= maxEntries_) {
        if (overflow_ == 0) overflowOpened_ = now;
        ++overflow_;
        return;
    }
    if (write_) write_("refused " + key + (detail.empty() ? "" : ": " + printable(detail, 120)));
    entries_.emplace(std::move(key), Entry{now, 0});
}

void RefusalLog::sweep(Clock::time_point now) {
    for (auto entry = entries_.begin(); entry != entries_.end();) {
        if (now - entry->second.opened < window_) {
            ++entry;
            continue;
        }
        close(entry->first, entry->second);
        entry = entries_.erase(entry);
    }
    if (overflow_ > 0 && now - overflowOpened_ >= window_) {
        if (write_)
            write_("refused " + std::to_string(overflow_) + " more from too many addresses in " +
                   windowText(window_));
        overflow_ = 0;
    }
}

void RefusalLog::close(const std::string& key, const Entry& entry) {
    if (entry.folded > 0 && write_)
        write_("refused " + key + ": " + std::to_string(entry.folded) + " more in " +
               windowText(window_));
}

}  // namespace rabuscal::daemon
