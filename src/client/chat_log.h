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

#include <string_view>

#include "client/chat_entry.h"

namespace rabuscal::client {

class ChatLog {
  public:
    ChatEntry speechEntry(std::string_view payload);
    ChatEntry noticeEntry(std::string_view payload);

  private:
    ChatParagraph opening() const;
    ChatParagraph last_{};  // the look of the last line appended: the chat's own at first
};

}  // namespace rabuscal::client
