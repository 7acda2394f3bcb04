// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Cutting received text into messages, and composing messages to send.
//
// Wire layout of one message: separator (3 bytes), command (3 bytes), ":",
// payload. The payload runs to the next separator or to the end of the chunk.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/commands.h"

namespace rabuscal::protocol {

struct Message {
    std::string command;
    std::string payload;
    friend bool operator==(const Message&, const Message&) = default;
};

// Receives one message; returning false abandons the rest of the chunk.
using MessageSink = std::function<bool(std::string_view command, std::string_view payload)>;

// The plain splitter: every chunk is taken to begin with a separator and to end
// with its last message. Characters 1-3 and 7 are skipped unlooked-at, so a
// chunk always yields at least one message, even one shorter than 7 bytes.
void splitChunk(std::string_view chunk, std::string_view separator, const MessageSink& sink);
std::vector<Message> splitChunk(std::string_view chunk, std::string_view separator);

// The splitter one connection uses. On top of splitChunk it
//  - keeps a message whose header (separator, command, ":") was cut by the end of
//    a chunk and puts it in front of the next chunk;
//  - skips the tail of an already delivered message at the start of a chunk (a
//    chunk with no separator at all is dropped), unless the previous chunk
//    ended in "$" / "$-" and this one starts with the rest of the separator.
// So a message cut by the network loses at most its own tail, never the
// messages after it. The last message of a chunk is still delivered at once.
// How long a connection's stream must be quiet before a held tail is taken
// as a whole message.
inline constexpr int kQuietFlushMs = 40;

class ChunkReader {
  public:
    explicit ChunkReader(std::string_view separator) : separator_(separator) {}

    void feed(std::string_view chunk, const MessageSink& sink);
    std::vector<Message> feed(std::string_view chunk);

    // Bytes held back for the next chunk (at most a header).
    std::size_t pending() const { return carry_.size(); }

    // True while a tail waits for the rest of its message. The socket side
    // calls flush() once the stream has been quiet for kQuietFlushMs (or has
    // ended): what is held is then taken as whole.
    bool holding() const { return !carry_.empty(); }
    void flush(const MessageSink& sink);

  private:
    std::string separator_;
    std::string carry_;     // an incomplete header kept for the next chunk
    std::string lastTail_;  // last bytes of the previous chunk (for a cut separator)
    std::string buffer_;    // scratch space reused between chunks
};

// "$-$" + command + ":" + payload, ready for one send.
std::string compose(Command command, std::string_view payload = {});
// The same into `out` (replacing what it held), for a sender that reuses one
// buffer; the payload may come in two parts.
void composeInto(std::string& out, Command command, std::string_view payloadHead = {},
                 std::string_view payloadTail = {});
std::string composeWith(std::string_view separator, std::string_view command,
                        std::string_view payload = {});

// Typed text never carries a separator onto the wire: every "$-$" becomes
// "$- $", so a player cannot inject messages through a nick, phrase or chat line.
std::string defuseSeparator(std::string text);

}  // namespace rabuscal::protocol
