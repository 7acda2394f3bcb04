// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/browser_channel.h"

namespace rabuscal::web::channel {

std::string encode(std::string_view word, std::string_view argument) {
    std::string line(word);
    if (!argument.empty()) {
        line += ' ';
        for (const char c : argument) {
            switch (c) {
                case '\\':
                    line += "\\\\";
                    break;
                case '\n':
                    line += "\\n";
                    break;
                case '\r':
                    line += "\\r";
                    break;
                default:
                    line += c;
            }
        }
    }
    line += '\n';
    return line;
}

namespace {

std::string unescape(std::string_view text) {
    std::string plain;
    plain.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            plain += text[i];
            continue;
        }
        const char next = text[++i];
        plain += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
    }
    return plain;
}

}  // namespace

void Reader::finishLine(std::vector<Message>& messages) {
    if (!overlong_ && !line_.empty()) {
        const std::size_t blank = line_.find(' ');
        Message message;
        message.word = line_.substr(0, blank);
        if (blank != std::string::npos)
            message.argument = unescape(std::string_view(line_).substr(blank + 1));
        messages.push_back(std::move(message));
    }
    line_.clear();
    overlong_ = false;
}

std::vector<Message> Reader::feed(std::string_view bytes) {
    std::vector<Message> messages;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        const std::string_view piece = bytes.substr(0, end);
        if (!overlong_) {
            if (line_.size() + piece.size() > longest_) {
                overlong_ = true;
                line_.clear();
            } else {
                line_ += piece;
            }
        }
        if (end == std::string_view::npos) break;
        finishLine(messages);
        bytes.remove_prefix(end + 1);
    }
    return messages;
}

}  // namespace rabuscal::web::channel
