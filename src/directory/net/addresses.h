// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Who a peer of the directory is, from the address Asio gives: the text the
// rules know it by, the keys admission counts it by, and the address its
// groups are listed under.

#include <asio/ip/address.hpp>
#include <string>

#include "directory/directory_service.h"

namespace rabuscal::directory {

// Who a peer is for the rules: dotted IPv4 for IPv4 and IPv4-mapped peers;
// IPv6 text otherwise, counted per /64 and per /48.
Peer peerOf(const asio::ip::address& address);

// The address to list a peer's groups under: `publicAddress` (dotted IPv4)
// when the peer is on loopback or a private network - a server on the
// directory's own host, or behind the same NAT, which players elsewhere could
// not reach at its own address - and the peer's own address otherwise, or
// when `publicAddress` is empty.
std::string addressToList(const asio::ip::address& peer, const std::string& publicAddress);

}  // namespace rabuscal::directory
