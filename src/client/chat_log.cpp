#include "client/chat_log.h"

#include "protocol/payloads.h"

namespace rabuscal::client {

ChatParagraph ChatLog::opening() const {
    ChatParagraph empty = last_;
    empty.text.clear();
    return empty;
}

ChatEntry ChatLog::speechEntry(std::string_view payload) {
    // A payload without ": " (our sender never makes one) is shown whole as
    // the heading, over an empty said text.
    const protocol::ChatLine line = protocol::splitChatLine(payload);
    ChatEntry entry;
    entry.paragraphs.push_back(opening());
    entry.paragraphs.push_back({std::string(line.heading), 3, 17, kBlack, true});
    entry.paragraphs.push_back({std::string(line.text), 15, 0, kBlack, false});
    last_ = entry.paragraphs.back();
    return entry;
}

ChatEntry ChatLog::noticeEntry(std::string_view payload) {
    ChatEntry entry;
    entry.paragraphs.push_back(opening());
    entry.paragraphs.push_back({std::string(payload), 3, 0, kMaroon, true});
    last_ = entry.paragraphs.back();
    return entry;
}

}  // namespace rabuscal::client
