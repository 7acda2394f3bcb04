// SPDX-License-Identifier: GPL-3.0-or-later
#include "directory/net/addresses.h"

#include "daemon/net_policy/address_key.h"

namespace rabuscal::directory {

Peer peerOf(const asio::ip::address& address) {
    std::optional<daemon::AddressKey> key;
    std::string text;
    if (address.is_v4()) {
        const auto bytes = address.to_v4().to_bytes();
        key = daemon::addressKey(bytes.data(), bytes.size());
        text = address.to_string();
    } else {
        const asio::ip::address_v6 v6 = address.to_v6();
        const auto bytes = v6.to_bytes();
        key = daemon::addressKey(bytes.data(), bytes.size());
        text = v6.is_v4_mapped() ? asio::ip::make_address_v4(asio::ip::v4_mapped, v6).to_string()
                                 : v6.to_string();
    }
    if (!key) return {text, address.is_v4(), text, {}, {}};
    // IPv4 has no wider bound: its key stands alone.
    const bool wide = key->wide != key->peer;
    return {text,
            !wide && text.find(':') == std::string::npos,
            key->peer,
            wide ? key->wide : std::string(),
            {}};
}

namespace {

bool isPrivate(const asio::ip::address_v4& address) {
    const auto bytes = address.to_bytes();
    return bytes[0] == 127 || bytes[0] == 10 ||             // loopback, 10/8
           (bytes[0] == 172 && (bytes[1] & 0xF0) == 16) ||  // 172.16/12
           (bytes[0] == 192 && bytes[1] == 168) ||          // 192.168/16
           (bytes[0] == 169 && bytes[1] == 254) ||          // link-local
           (bytes[0] == 100 && (bytes[1] & 0xC0) == 64);    // carrier NAT 100.64/10
}

bool isPrivate(const asio::ip::address& address) {
    if (address.is_v4()) return isPrivate(address.to_v4());
    const asio::ip::address_v6 v6 = address.to_v6();
    if (v6.is_v4_mapped()) return isPrivate(asio::ip::make_address_v4(asio::ip::v4_mapped, v6));
    const auto bytes = v6.to_bytes();
    return v6.is_loopback() || v6.is_link_local() || (bytes[0] & 0xFE) == 0xFC;  // fc00::/7
}

}  // namespace

std::string addressToList(const asio::ip::address& peer, const std::string& publicAddress) {
    if (!publicAddress.empty() && isPrivate(peer)) return publicAddress;
    return peerOf(peer).address;
}

}  // namespace rabuscal::directory
