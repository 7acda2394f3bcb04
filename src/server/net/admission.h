// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Who the game server lets in: bounds on connections in all, per address (an
// IPv4 address, an IPv6 /64) and per IPv6 /48, and on how often one address
// connects. Plain C++: the adapter asks before it takes a connection and says
// when one goes.

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>

#include "daemon/address_key.h"

namespace rabuscal::server {

struct AdmissionLimits {
    std::size_t maxConnections = 256;
    std::size_t maxPerAddress = 32;
    std::size_t maxPerPrefix = 0;  // per IPv6 /48; 0: twice maxPerAddress
    // New connections per address and second, after a burst of maxPerAddress;
    // 0: no bound.
    double connectsPerSecond = 0;
};

class Admission {
  public:
    using Clock = std::chrono::steady_clock;

    void setLimits(const AdmissionLimits& limits);

    // Why `key` may not have one more connection now (empty: it may; it is
    // then counted in). `open` is the connections held; `roomByEviction` says
    // a connection may be closed to make room when the server is full.
    std::string_view admit(const daemon::AddressKey& key, std::size_t open, bool roomByEviction,
                           Clock::time_point now);
    void release(const daemon::AddressKey& key) { counts_.remove(key); }
    std::size_t countOf(const daemon::AddressKey& key) const { return counts_.peerCount(key); }
    void clear();

  private:
    struct Bucket {
        double tokens = 0;
        Clock::time_point last{};
    };
    bool takeConnectToken(const std::string& peer, Clock::time_point now);

    AdmissionLimits limits_;
    daemon::AddressCounter counts_{32, 64};
    std::unordered_map<std::string, Bucket> connects_;
};

}  // namespace rabuscal::server
