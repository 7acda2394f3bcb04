// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes the directory's request handling: connections from a few addresses
// open, send chunks and close, against a transport that checks every reply.
//
// Input: a series of operations, each an opcode byte and its operands:
//   0 <a> open a connection from address a (four IPv4 and one IPv6 peer)
//   1 <n> close the n-th open connection
//   2 <n> <length> <bytes> a chunk from the n-th open connection
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "directory/directory_service.h"
#include "fuzz_input.h"

namespace {

using rabuscal::directory::ConnectionId;
using rabuscal::directory::DirectoryService;
using rabuscal::directory::MemoryStore;
using rabuscal::directory::Peer;

class CheckingTransport : public rabuscal::directory::Transport {
  public:
    void send(ConnectionId id, std::string_view bytes) override {
        check(open != nullptr && std::count(open->begin(), open->end(), id) == 1);
        // Only the two replies a client reads, each behind its separator.
        check(bytes.starts_with("j#glsg:") || bytes.starts_with("j#gsys:"));
    }
    const std::vector<ConnectionId>* open = nullptr;
};

Peer peerFrom(std::uint8_t which) {
    if (which % 5 == 4) return {"2001:db8::1", false, "2001:db8::/64", "2001:db8::/48", {}};
    const std::string address = "10.0.0." + std::to_string(which % 5);
    return {address, true, address, {}, {}};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    std::vector<ConnectionId> open;
    CheckingTransport transport;
    transport.open = &open;
    MemoryStore store;
    // A low group limit, so that a short input reaches it.
    constexpr std::size_t kGroupsPerAddress = 4;
    DirectoryService service(transport, store, {.connections = 3, .groups = kGroupsPerAddress});
    ConnectionId nextId = 1;

    while (!rest.empty()) {
        const std::uint8_t op = next(rest) % 3;
        if (op == 0 || open.empty()) {
            open.push_back(nextId);
            service.connectionOpened(nextId++, peerFrom(next(rest)));
        } else if (op == 1) {
            const std::size_t which = next(rest) % open.size();
            const ConnectionId id = open[which];
            open.erase(open.begin() + static_cast<std::ptrdiff_t>(which));
            service.connectionClosed(id);
        } else {
            const ConnectionId id = open[next(rest) % open.size()];
            const std::size_t length = next(rest);
            const std::string_view chunk = rest.substr(0, length);
            rest.remove_prefix(chunk.size());
            service.dataReceived(id, chunk);
        }
        // Connections over the address limit are refused by the network side,
        // so the rules count every one; groups stay within the five addresses' limits.
        check(service.connectionCount() == open.size());
        check(store.own().size() <= 5 * kGroupsPerAddress);
    }

    // Groups live as long as their connections.
    for (const ConnectionId id : open) service.connectionClosed(id);
    open.clear();
    check(service.connectionCount() == 0);
    store.list("rabuscal",
               [](const std::vector<rabuscal::protocol::Group>& groups) { check(groups.empty()); });
    return 0;
}
