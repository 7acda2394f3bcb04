// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/framing.h"

#include <algorithm>
#include <utility>

namespace rabuscal::protocol {

void splitChunk(std::string_view chunk, std::string_view separator, const MessageSink& sink) {
    std::string_view rest = chunk;
    for (;;) {
        // Characters 1-3 (the separator) and 7 (the colon) are not looked at.
        const std::string_view command = rest.substr(std::min<std::size_t>(3, rest.size()), 3);
        rest = rest.substr(std::min(kHeaderSize, rest.size()));
        const std::size_t next = rest.find(separator);
        if (next == std::string_view::npos) {
            sink(command, rest);
            return;
        }
        if (!sink(command, rest.substr(0, next))) return;
        rest = rest.substr(next);
    }
}

std::vector<Message> splitChunk(std::string_view chunk, std::string_view separator) {
    std::vector<Message> out;
    splitChunk(chunk, separator, [&](std::string_view c, std::string_view p) {
        out.push_back({std::string(c), std::string(p)});
        return true;
    });
    return out;
}

namespace {

// Bytes of `separator` that `tail` ends with, where the chunk after it starts
// with the rest of the separator: the separator itself was cut in two.
std::size_t cutSeparatorPrefix(std::string_view tail, std::string_view chunk,
                               std::string_view separator) {
    for (std::size_t k = separator.size() - 1; k > 0; --k) {
        if (tail.size() >= k && tail.substr(tail.size() - k) == separator.substr(0, k) &&
            chunk.starts_with(separator.substr(k)))
            return k;
    }
    return 0;
}

// Whether `data` ends with the first bytes of a separator ("$" or "$-").
bool endsWithSeparatorPart(std::string_view data, std::string_view separator) {
    for (std::size_t k = separator.size() - 1; k > 0; --k)
        if (data.ends_with(separator.substr(0, k))) return true;
    return false;
}

}  // namespace

void ChunkReader::feed(std::string_view chunk, const MessageSink& sink) {
    if (chunk.empty()) return;
    const std::size_t previousRead = std::exchange(lastRead_, chunk.size());
    const std::size_t sep = separator_.size();
    if (!held_.empty() && held_.size() < kHeaderSize && chunk.starts_with(separator_)) {
        // A header that the next message cuts short: separator and command
        // alone are a whole bare message, anything shorter is dropped, and
        // neither swallows what follows.
        const std::string bare = std::move(held_);
        held_.clear();
        if (bare.size() == sep + 3 && !sink(std::string_view(bare).substr(sep), {})) return;
    } else if (!held_.empty() && previousRead <= kShortReadBytes && chunk.starts_with(separator_)) {
        // The last read ended where this one's first message begins: what it
        // held was whole. That read was short, so no read buffer cut it: it
        // ended where the sender's data did, and this read starts a segment of
        // its own, at a boundary like any other (so that, after two strokes
        // read together, every later stroke is not held in turn).
        const std::string whole = std::move(held_);
        held_.clear();
        takeWhole(whole, sink);
    }

    std::string_view data;
    std::size_t searched = 0;  // separators start at or after this in `data`
    bool atBoundary = false;
    if (!held_.empty()) {
        // The held tail was searched to its end; a separator may straddle it.
        searched = held_.size() >= sep ? held_.size() - (sep - 1) : 0;
        held_.append(chunk);
        data = held_;
    } else if (chunk.starts_with(separator_)) {
        data = chunk;
        atBoundary = true;
    } else if (std::size_t k = cutSeparatorPrefix(lastTail_, chunk, separator_); k > 0) {
        held_.assign(separator_, 0, k);
        held_.append(chunk);
        data = held_;
    } else {
        // The start of this chunk is the rest of a message already taken as whole.
        const std::size_t first = chunk.find(separator_);
        if (first == std::string_view::npos) {
            // Remember its last bytes: they may begin the next separator.
            lastTail_.append(chunk.substr(chunk.size() - std::min(chunk.size(), sep - 1)));
            lastTail_.erase(0, lastTail_.size() - std::min(lastTail_.size(), sep - 1));
            return;
        }
        data = chunk.substr(first);
    }
    lastTail_.clear();

    std::size_t at = 0;
    std::size_t delivered = 0;
    for (;;) {
        const std::size_t from = std::max(at + kHeaderSize, searched);
        const std::size_t next =
            from > data.size() ? std::string_view::npos : data.find(separator_, from);
        if (next == std::string_view::npos) break;
        if (!sink(data.substr(at + sep, 3),
                  data.substr(at + kHeaderSize, next - at - kHeaderSize))) {
            held_.clear();
            return;
        }
        at = next;
        ++delivered;
    }

    const std::string_view tail = data.substr(at);
    const bool loneShortMessage = atBoundary && delivered == 0 && tail.size() >= kHeaderSize &&
                                  tail.size() <= kShortReadBytes &&
                                  !endsWithSeparatorPart(tail, separator_);
    if (loneShortMessage || tail.size() > maxHeld_) {
        takeWhole(tail, sink);
        held_.clear();
    } else if (data.data() == held_.data()) {
        held_.erase(0, at);
    } else {
        held_.assign(tail);
    }
}

void ChunkReader::takeWhole(std::string_view tail, const MessageSink& sink) {
    lastTail_.assign(tail.substr(tail.size() - std::min(tail.size(), separator_.size() - 1)));
    sink(tail.substr(std::min(separator_.size(), tail.size()), 3),
         tail.substr(std::min(kHeaderSize, tail.size())));
}

void ChunkReader::flush(const MessageSink& sink) {
    if (held_.empty()) return;
    const std::string tail = std::move(held_);
    held_.clear();
    takeWhole(tail, sink);
}

std::vector<Message> ChunkReader::flush() {
    std::vector<Message> out;
    flush([&](std::string_view c, std::string_view p) {
        out.push_back({std::string(c), std::string(p)});
        return true;
    });
    return out;
}

std::vector<Message> ChunkReader::feed(std::string_view chunk) {
    std::vector<Message> out;
    feed(chunk, [&](std::string_view c, std::string_view p) {
        out.push_back({std::string(c), std::string(p)});
        return true;
    });
    return out;
}

std::string composeWith(std::string_view separator, std::string_view command,
                        std::string_view payload) {
    std::string out;
    out.reserve(separator.size() + command.size() + 1 + payload.size());
    out.append(separator).append(command).append(1, ':').append(payload);
    return out;
}

std::string compose(Command command, std::string_view payload) {
    return composeWith(kGameSeparator, commandName(command), payload);
}

void composeInto(std::string& out, Command command, std::string_view payloadHead,
                 std::string_view payloadTail) {
    out.assign(kGameSeparator)
        .append(commandName(command))
        .append(1, ':')
        .append(payloadHead)
        .append(payloadTail);
}

std::string defuseSeparator(std::string text) {
    const std::size_t cut = kGameSeparator.size() - 1;  // after "$-"
    for (std::size_t at = text.find(kGameSeparator); at != std::string::npos;
         at = text.find(kGameSeparator, at))
        text.insert(at + cut, 1, ' ');
    return text;
}

}  // namespace rabuscal::protocol
