// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Builds the entries of the chat window from received "msg" and "avs"
// payloads. Every entry opens with an empty line, which keeps the look of the
// line before it; the entry's own lines then get their indents (in points),
// colour and weight.
//
//   speech ("msg"): heading up to and including the first ": ", bold black,
//                   indent 3 (wrapped lines 3 + 17); then the said text,
//                   regular black, indent 15
//   notice ("avs"): the payload, bold maroon, indent 3 (wrapped lines too)

#include <cstddef>
#include <string_view>
#include <vector>

#include "client/chat_entry.h"

namespace rabuscal::client {

// The chat keeps at most this many lines, and this many characters in all:
// older lines make room for new ones.
inline constexpr std::size_t kMaximumChatLines = 5000;
inline constexpr std::size_t kMaximumChatText = 512 * 1024;
// A line of an entry shows at most this many characters, then "...": a
// megabyte of text from a server would only hold the window up.
inline constexpr std::size_t kMaximumShownText = 4000;

class ChatLog {
  public:
    ChatEntry speechEntry(std::string_view payload);
    ChatEntry noticeEntry(std::string_view payload);

  private:
    ChatParagraph opening() const;
    ChatParagraph last_{};  // the look of the last line appended: the chat's own at first
};

// The entries that arrive in one chunk, shown together so that a flood costs
// one append and one repaint per chunk. Entries that newer ones of the same
// batch would push out of the chat at once are dropped here already.
class ChatBatch {
  public:
    void add(ChatEntry entry);
    bool empty() const { return entries_.empty(); }
    // The entries in order of arrival; the batch is empty afterwards.
    std::vector<ChatEntry> take();

  private:
    std::vector<ChatEntry> entries_;
    std::size_t first_ = 0;  // entries before it are dropped
    std::size_t lines_ = 0;  // lines from first_ on
    std::size_t text_ = 0;   // characters from first_ on
};

}  // namespace rabuscal::client
