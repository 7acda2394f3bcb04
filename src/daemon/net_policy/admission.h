// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Who a server lets in: bounds on connections in all, per address (an IPv4
// address, an IPv6 /64) and per IPv6 /48, and on how often one address
// connects. The game server and the directory both ask before they keep an
// accepted connection and say when one goes; each says in its own words (and
// on its own wire) why it refused one.

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <unordered_map>

#include "daemon/net_policy/address_key.h"

namespace rabuscal::daemon {

struct AdmissionLimits {
    std::size_t maxConnections = 256;
    std::size_t maxPerAddress = 32;
    std::size_t maxPerPrefix = 0;  // per IPv6 /48; 0: twice maxPerAddress
    // New connections per address and second, after a burst of maxPerAddress;
    // 0: no bound.
    double connectsPerSecond = 0;
};

enum class Verdict { Admitted, Full, AddressFull, PrefixFull, TooOften };

class Admission {
  public:
    using Clock = std::chrono::steady_clock;
    // Closes one connection the server values least, to make room for a
    // newcomer when it is full; false when there is none to close.
    using MakeRoom = std::function<bool()>;

    void setLimits(const AdmissionLimits& limits);

    // Whether `key` may have one more connection now, beside the `open` ones
    // held; when admitted it is counted in. A full server refuses at once
    // without `makeRoom`; with it, the newcomer must first pass the bounds on
    // its address, then room is made.
    Verdict admit(const AddressKey& key, std::size_t open, Clock::time_point now,
                  const MakeRoom& makeRoom = {});
    void release(const AddressKey& key) { counts_.remove(key); }
    std::size_t countOf(const AddressKey& key) const { return counts_.peerCount(key); }
    void clear();

  private:
    struct Bucket {
        double tokens = 0;
        Clock::time_point last{};
    };
    bool takeConnectToken(const std::string& peer, Clock::time_point now);

    AdmissionLimits limits_;
    AddressCounter counts_{32, 64};
    std::unordered_map<std::string, Bucket> connects_;
};

}  // namespace rabuscal::daemon
