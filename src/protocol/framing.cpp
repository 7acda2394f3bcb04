// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/framing.h"

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

}  // namespace

void ChunkReader::feed(std::string_view chunk, const MessageSink& sink) {
    std::string_view data = chunk;
    if (!carry_.empty() && chunk.starts_with(separator_)) {
        // The kept header cannot be completed by a chunk that opens a new
        // message: separator and command alone are a whole bare message, any
        // shorter leftover is dropped, and neither swallows what follows.
        if (carry_.size() == separator_.size() + 3 &&
            !sink(std::string_view(carry_).substr(separator_.size()), {})) {
            carry_.clear();
            return;
        }
        carry_.clear();
    }
    if (!carry_.empty()) {
        buffer_.assign(carry_);
        buffer_.append(chunk);
        carry_.clear();
        data = buffer_;
    } else if (!chunk.starts_with(separator_)) {
        if (std::size_t k = cutSeparatorPrefix(lastTail_, chunk, separator_); k > 0) {
            buffer_.assign(separator_, 0, k);
            buffer_.append(chunk);
            data = buffer_;
        } else {
            // The start of this chunk is the tail of a message already delivered.
            const std::size_t first = chunk.find(separator_);
            data = first == std::string_view::npos ? std::string_view{} : chunk.substr(first);
        }
    }
    // Remember the last bytes of the stream: a separator may be cut after them.
    lastTail_.append(chunk.substr(chunk.size() - std::min(chunk.size(), separator_.size())));
    if (lastTail_.size() > separator_.size() - 1)
        lastTail_.erase(0, lastTail_.size() - (separator_.size() - 1));

    while (!data.empty()) {
        if (data.size() < kHeaderSize) {
            carry_.assign(data);  // the header was cut: wait for the rest
            return;
        }
        const std::string_view command = data.substr(separator_.size(), 3);
        const std::size_t next = data.find(separator_, kHeaderSize);
        const std::string_view payload =
            data.substr(kHeaderSize, next == std::string_view::npos ? std::string_view::npos
                                                                    : next - kHeaderSize);
        if (!sink(command, payload)) return;
        data = next == std::string_view::npos ? std::string_view{} : data.substr(next);
    }
}

void ChunkReader::flush(const MessageSink& sink) {
    // A cut header is not a message: nothing to deliver yet.
    (void)sink;
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
