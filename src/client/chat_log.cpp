// SPDX-License-Identifier: GPL-3.0-or-later
#include "client/chat_log.h"

#include <utility>

#include "protocol/payloads.h"

namespace rabuscal::client {

namespace {

std::string shown(std::string_view text) {
    if (text.size() <= kMaximumShownText) return std::string(text);
    std::string cut(text.substr(0, kMaximumShownText));
    cut += "...";
    return cut;
}

std::size_t textOf(const ChatEntry& entry) {
    std::size_t size = 0;
    for (const ChatParagraph& paragraph : entry.paragraphs) size += paragraph.text.size();
    return size;
}

}  // namespace

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
    entry.paragraphs.push_back({shown(line.heading), 3, 17, kBlack, true});
    entry.paragraphs.push_back({shown(line.text), 15, 0, kBlack, false});
    last_ = entry.paragraphs.back();
    return entry;
}

ChatEntry ChatLog::noticeEntry(std::string_view payload) {
    ChatEntry entry;
    entry.paragraphs.push_back(opening());
    entry.paragraphs.push_back({shown(payload), 3, 0, kMaroon, true});
    last_ = entry.paragraphs.back();
    return entry;
}

void ChatBatch::add(ChatEntry entry) {
    lines_ += entry.paragraphs.size();
    text_ += textOf(entry);
    entries_.push_back(std::move(entry));
    while ((lines_ > kMaximumChatLines || text_ > kMaximumChatText) &&
           first_ + 1 < entries_.size()) {
        lines_ -= entries_[first_].paragraphs.size();
        text_ -= textOf(entries_[first_++]);
    }
    // Dropped entries are freed in steps, so a long chunk holds bounded memory.
    if (first_ > kMaximumChatLines) {
        entries_.erase(entries_.begin(), entries_.begin() + static_cast<std::ptrdiff_t>(first_));
        first_ = 0;
    }
}

std::vector<ChatEntry> ChatBatch::take() {
    entries_.erase(entries_.begin(), entries_.begin() + static_cast<std::ptrdiff_t>(first_));
    first_ = 0;
    lines_ = 0;
    text_ = 0;
    return std::exchange(entries_, {});
}

}  // namespace rabuscal::client
