// SPDX-License-Identifier: GPL-3.0-or-later
#include "daemon/net_policy/admission.h"

#include <algorithm>

namespace rabuscal::daemon {

namespace {
// Buckets of addresses that stopped connecting go once full again, past this many.
constexpr std::size_t kKeptBuckets = 4096;
}  // namespace

void Admission::setLimits(const AdmissionLimits& limits) {
    limits_ = limits;
    counts_.setBounds(limits.maxPerAddress,
                      limits.maxPerPrefix ? limits.maxPerPrefix : 2 * limits.maxPerAddress);
}

void Admission::clear() {
    counts_ = AddressCounter(1, 1);
    setLimits(limits_);
    connects_.clear();
}

Verdict Admission::admit(const AddressKey& key, std::size_t open, Clock::time_point now,
                         const MakeRoom& makeRoom) {
    const bool full = open >= limits_.maxConnections;
    if (full && !makeRoom) return Verdict::Full;
    if (counts_.peerCount(key) >= limits_.maxPerAddress) return Verdict::AddressFull;
    if (!counts_.tryAdd(key)) return Verdict::PrefixFull;
    if (!takeConnectToken(key.peer, now)) {
        counts_.remove(key);
        return Verdict::TooOften;
    }
    if (full && !makeRoom()) {
        counts_.remove(key);
        return Verdict::Full;
    }
    return Verdict::Admitted;
}

bool Admission::takeConnectToken(const std::string& peer, Clock::time_point now) {
    if (limits_.connectsPerSecond <= 0) return true;
    const double burst = double(limits_.maxPerAddress);
    const auto refill = [&](Bucket& b) {
        const std::chrono::duration<double> passed = now - b.last;
        b.tokens = std::min(burst, b.tokens + passed.count() * limits_.connectsPerSecond);
        b.last = now;
    };
    if (connects_.size() > kKeptBuckets)
        std::erase_if(connects_, [&](const auto& entry) {
            const std::chrono::duration<double> idle = now - entry.second.last;
            return entry.second.tokens + idle.count() * limits_.connectsPerSecond >= burst;
        });
    auto [it, fresh] = connects_.try_emplace(peer, Bucket{burst, now});
    if (!fresh) refill(it->second);
    if (it->second.tokens < 1) return false;
    it->second.tokens -= 1;
    return true;
}

}  // namespace rabuscal::daemon
