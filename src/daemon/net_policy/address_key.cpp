// SPDX-License-Identifier: GPL-3.0-or-later
#include "daemon/net_policy/address_key.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace rabuscal::daemon {
namespace {

std::string ipv4Text(const unsigned char* bytes) {
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, bytes, text, sizeof text);
    return text;
}

// The address with every bit past `bits` cleared, as "prefix/bits".
std::string ipv6Prefix(const unsigned char* bytes, int bits) {
    std::array<unsigned char, 16> masked{};
    std::copy_n(bytes, bits / 8, masked.begin());
    char text[INET6_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET6, masked.data(), text, sizeof text);
    return std::string(text) + "/" + std::to_string(bits);
}

bool isMappedIpv4(const unsigned char* bytes) {
    static constexpr unsigned char kPrefix[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};
    return std::memcmp(bytes, kPrefix, sizeof kPrefix) == 0;
}

}  // namespace

std::optional<AddressKey> addressKey(const unsigned char* bytes, std::size_t size) {
    if (size == 4) {
        std::string text = ipv4Text(bytes);
        return AddressKey{text, text};
    }
    if (size != 16) return std::nullopt;
    if (isMappedIpv4(bytes)) return addressKey(bytes + 12, 4);
    return AddressKey{ipv6Prefix(bytes, 64), ipv6Prefix(bytes, 48)};
}

std::optional<AddressKey> addressKey(const sockaddr* address) {
    if (!address) return std::nullopt;
    if (address->sa_family == AF_INET) {
        sockaddr_in in{};
        std::memcpy(&in, address, sizeof in);
        return addressKey(reinterpret_cast<const unsigned char*>(&in.sin_addr), 4);
    }
    if (address->sa_family == AF_INET6) {
        sockaddr_in6 in6{};
        std::memcpy(&in6, address, sizeof in6);
        return addressKey(in6.sin6_addr.s6_addr, 16);
    }
    return std::nullopt;
}

std::optional<AddressKey> addressKey(std::string_view text) {
    if (text.size() >= INET6_ADDRSTRLEN) return std::nullopt;
    const std::string zeroEnded(text);
    unsigned char bytes[16];
    if (::inet_pton(AF_INET, zeroEnded.c_str(), bytes) == 1) return addressKey(bytes, 4);
    if (::inet_pton(AF_INET6, zeroEnded.c_str(), bytes) == 1) return addressKey(bytes, 16);
    return std::nullopt;
}

bool AddressCounter::tryAdd(const AddressKey& key) {
    if (peerCount(key) >= perPeer_ || wideCount(key) >= perWide_) return false;
    ++peers_[key.peer];
    if (key.wide != key.peer) ++wides_[key.wide];
    return true;
}

void AddressCounter::remove(const AddressKey& key) {
    drop(peers_, key.peer);
    if (key.wide != key.peer) drop(wides_, key.wide);
}

std::size_t AddressCounter::countOf(const Counts& counts, const std::string& key) {
    const auto found = counts.find(key);
    return found == counts.end() ? 0 : found->second;
}

void AddressCounter::drop(Counts& counts, const std::string& key) {
    const auto found = counts.find(key);
    if (found == counts.end()) return;
    if (--found->second == 0) counts.erase(found);
}

}  // namespace rabuscal::daemon
