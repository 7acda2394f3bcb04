// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes the game server's dispatch: accepts, chunks and closes on several
// connections, against a transport that only checks what it is handed.
//
// Input: a byte of options (bit 0: referee, bit 1: batched player lists, sent
// after every operation), then a series of operations, each an opcode byte
// and its operands:
//   0 accept a new connection
//   1 <n> close the n-th open connection
//   2 <n> <length> <bytes> a chunk from the n-th open connection
//   3 switch the listener off
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_input.h"
#include "server/game_server.h"

namespace {

using rabuscal::server::ConnectionId;
using rabuscal::server::GameServer;

class CheckingTransport : public rabuscal::server::Transport {
  public:
    void send(ConnectionId id, std::string_view bytes) override {
        check(open != nullptr && std::count(open->begin(), open->end(), id) == 1);
        check(bytes.starts_with("$-$") && bytes.size() >= 7 && bytes[6] == ':');
    }
    const std::vector<ConnectionId>* open = nullptr;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    std::string DrawerNick;
    std::vector<ConnectionId> open;
    CheckingTransport transport;
    transport.open = &open;
    const std::uint8_t options = next(rest);
    GameServer server(DrawerNick, transport, nullptr,
                      {.referee = (options & 1) != 0,
                       .batchPlayerLists = (options & 2) != 0,
                       .limitJoins = (options & 4) != 0});
    ConnectionId nextId = 1;

    while (!rest.empty()) {
        const std::uint8_t op = next(rest) % 4;
        if (op == 0 || open.empty()) {
            open.push_back(nextId);
            server.connectionAccepted(nextId++);
        } else if (op == 1) {
            const std::size_t which = next(rest) % open.size();
            const ConnectionId id = open[which];
            // Gone from `open` first: the closing connection must be sent nothing.
            open.erase(open.begin() + static_cast<std::ptrdiff_t>(which));
            server.connectionClosed(id);
        } else if (op == 2) {
            const ConnectionId id = open[next(rest) % open.size()];
            const std::size_t length = next(rest);
            const std::string_view chunk = rest.substr(0, length);
            rest.remove_prefix(chunk.size());
            server.dataReceived(id, chunk);
        } else {
            server.stopAll();
            open.clear();
        }

        server.flushPlayerList();
        // The count is the open connections, and joined nicks stay unique.
        check(server.connectionCount() == open.size());
        std::set<std::string> nicks;
        for (ConnectionId id : open)
            if (const auto* player = server.player(id)) check(nicks.insert(player->nick).second);
    }
    return 0;
}
