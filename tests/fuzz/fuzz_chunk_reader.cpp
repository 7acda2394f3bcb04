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
using rabuscal::protocol::kHeaderSize;
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
    // one message, and a reader fed a chunk that starts with a separator
    // agrees with it, except that it holds back a last message cut inside its header.
    const auto plain = splitChunk(input, kGameSeparator);
    check(!plain.empty());
    checkMessages(plain);
    if (input.starts_with(kGameSeparator)) {
        ChunkReader reader(kGameSeparator);
        const auto read = reader.feed(input);
        const bool lastHeld = reader.pending() > 0;
        check(read.size() + (lastHeld ? 1 : 0) == plain.size());
        for (std::size_t i = 0; i < read.size(); ++i) check(read[i] == plain[i]);
        check(reader.pending() < kHeaderSize);
        if (lastHeld) check(input.ends_with(std::string_view(plain.back().command)));
    }

    // The input cut into chunks, as a connection would deliver it.
    ChunkReader reader(kGameSeparator);
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
        check(reader.pending() < kHeaderSize);
    }
    check(delivered <= input.size());
    return 0;
}
