// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes the chunk splitter and the per-connection ChunkReader.
//
// Input: a series of chunks, each a length byte followed by that many bytes
// (the last one may be short).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "fuzz_input.h"
#include "protocol/framing.h"

namespace {

using rabuscal::protocol::ChunkReader;
using rabuscal::protocol::kGameSeparator;
using rabuscal::protocol::Message;
using rabuscal::protocol::splitChunk;

void checkMessages(const std::vector<Message>& messages) {
    for (const Message& m : messages) {
        check(m.command.size() <= 3);
        check(m.payload.find(kGameSeparator) == std::string::npos);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    // The whole input as one chunk: the plain splitter always yields at least
    // one message, and a reader fed a chunk that starts with a separator, then
    // flushed, agrees with it.
    const auto plain = splitChunk(input, kGameSeparator);
    check(!plain.empty());
    checkMessages(plain);
    if (input.starts_with(kGameSeparator)) {
        ChunkReader reader(kGameSeparator);
        auto read = reader.feed(input);
        for (auto& m : reader.flush()) read.push_back(m);
        check(read == plain);
        check(!reader.holding());
    }

    // The input cut into chunks, as a connection would deliver it.
    constexpr std::size_t kMaxHeld = 300;  // inputs run past it
    ChunkReader reader(kGameSeparator, kMaxHeld);
    std::size_t delivered = 0;
    std::string_view rest = input;
    while (!rest.empty()) {
        const std::size_t length = static_cast<std::uint8_t>(rest.front());
        rest.remove_prefix(1);
        const std::string_view chunk = rest.substr(0, length);
        rest.remove_prefix(chunk.size());
        const auto messages = reader.feed(chunk);
        checkMessages(messages);
        for (const Message& m : messages) delivered += m.payload.size();
        check(reader.pending() <= kMaxHeld);
    }
    for (const Message& m : reader.flush()) delivered += m.payload.size();
    check(delivered <= input.size());
    return 0;
}
