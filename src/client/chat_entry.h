// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A chat entry as the chat window must render it: paragraphs appended at the
// end of `Chat`, each with its own indents, colour and weight. Indents are in
// points: `firstIndent` for the first line, `offset` added for the wrapped
// lines that follow it.

#include <string>
#include <vector>

namespace rabuscal::client {

struct Colour {
    int red = 0;
    int green = 0;
    int blue = 0;
    friend bool operator==(const Colour&, const Colour&) = default;
};

inline constexpr Colour kBlack{0, 0, 0};
inline constexpr Colour kMaroon{128, 0, 0};
inline constexpr Colour kNavy{0, 0, 128};  // the chat's own text colour

struct ChatParagraph {
    std::string text;  // Windows-1252 bytes, no line break
    int firstIndent = 0;
    int offset = 0;
    Colour colour = kNavy;
    bool bold = false;
    friend bool operator==(const ChatParagraph&, const ChatParagraph&) = default;
};

struct ChatEntry {
    std::vector<ChatParagraph> paragraphs;
};

}  // namespace rabuscal::client
