// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What admission counts a peer by: its own address (an IPv4 address, an IPv6
// /64 — one subscriber usually holds a whole /64) and a wider prefix (an
// IPv6 /48, often one site). IPv4-mapped IPv6 addresses count as IPv4.
// Both servers build these from whatever their event loop gives (a socket
// address, Asio's bytes).

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

struct sockaddr;

namespace rabuscal::daemon {

struct AddressKey {
    std::string peer;  // "192.0.2.7" or "2001:db8:1:2::/64"
    std::string wide;  // "192.0.2.7" (IPv4 has no wider bound) or "2001:db8:1::/48"
    bool operator==(const AddressKey&) const = default;
};

// From raw network-order bytes: 4 for IPv4, 16 for IPv6; other sizes give nothing.
std::optional<AddressKey> addressKey(const unsigned char* bytes, std::size_t size);
// From a socket address (AF_INET or AF_INET6; anything else gives nothing).
std::optional<AddressKey> addressKey(const sockaddr* address);
// From text as inet_pton reads it ("192.0.2.7", "2001:db8::1", "::ffff:192.0.2.7").
std::optional<AddressKey> addressKey(std::string_view text);

// Open connections per peer key and per wide key, each under its own bound.
class AddressCounter {
  public:
    AddressCounter(std::size_t perPeer, std::size_t perWide)
        : perPeer_(perPeer), perWide_(perWide) {}

    // Counts the key in and says true, or says false and counts nothing when
    // either bound is already reached.
    bool tryAdd(const AddressKey& key);
    void remove(const AddressKey& key);
    std::size_t peerCount(const AddressKey& key) const { return countOf(peers_, key.peer); }
    std::size_t wideCount(const AddressKey& key) const {
        return key.wide == key.peer ? peerCount(key) : countOf(wides_, key.wide);
    }
    void setBounds(std::size_t perPeer, std::size_t perWide) {
        perPeer_ = perPeer, perWide_ = perWide;
    }

  private:
    using Counts = std::unordered_map<std::string, std::size_t>;
    static std::size_t countOf(const Counts& counts, const std::string& key);
    static void drop(Counts& counts, const std::string& key);

    std::size_t perPeer_;
    std::size_t perWide_;
    Counts peers_;
    Counts wides_;
};

}  // namespace rabuscal::daemon
