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

// The splitter one connection uses. TCP hands a stream over in pieces of its
// own choosing, and nothing on the wire ends a message but the next separator,
// so the last message of a read may be unfinished. The reader
//  - delivers every message that the next separator closes;
//  - holds the last message of a read (its tail) until the next read completes
//    it, or until the owner calls flush() because the stream has been quiet
//    for kQuietFlushMs or has ended: only then is the tail taken as whole;
//  - delivers at once a read that is one short message starting at a message
//    boundary (nothing held, the read opens with the separator, at most
//    kShortReadBytes, not ending in a part of the separator): a live stroke or
//    a chat line keeps its latency. A sender hands each message to one send;
//    a small send travels in one TCP segment unless queued behind earlier
//    data, and then the segment that ends inside it carries the earlier data
//    too, or is a full segment (at least 536 bytes on any IPv4 path) -- so a
//    read like this is not a cut message;
//  - skips, when nothing is held, the start of a read up to its first
//    separator: the tail of a message already taken as whole;
//  - never holds more than maxHeld bytes: a longer tail is taken as whole
//    (what follows it up to the next separator is then skipped as above).
// How long a connection's stream must be quiet before a held tail is taken
// as a whole message.
inline constexpr int kQuietFlushMs = 40;

class ChunkReader {
  public:
    // The longest read that is delivered at once as one lone message.
    static constexpr std::size_t kShortReadBytes = 512;
    // The default bound on a held tail: longer than any message an honest
    // peer sends (a player list, a group list).
    static constexpr std::size_t kDefaultMaxHeld = 256 * 1024;

    explicit ChunkReader(std::string_view separator, std::size_t maxHeld = kDefaultMaxHeld)
        : separator_(separator), maxHeld_(maxHeld) {}

    void feed(std::string_view chunk, const MessageSink& sink);
    std::vector<Message> feed(std::string_view chunk);

    // Bytes held back for the next chunk (at most one message, at most maxHeld).
    std::size_t pending() const { return held_.size(); }

    // True while a tail waits for the rest of its message. The socket side
    // calls flush() once the stream has been quiet for kQuietFlushMs (or has
    // ended): what is held is then taken as whole.
    bool holding() const { return !held_.empty(); }
    void flush(const MessageSink& sink);
    std::vector<Message> flush();

  private:
    // Hands `tail` over as a whole message and remembers how it ended.
    void takeWhole(std::string_view tail, const MessageSink& sink);

    std::string separator_;
    std::size_t maxHeld_;
    std::string held_;          // the last message of the stream so far, unfinished
    std::string lastTail_;      // last bytes of a message taken as whole (for a cut separator)
    std::size_t lastRead_ = 0;  // the size of the read before
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
