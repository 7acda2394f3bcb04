// SPDX-License-Identifier: GPL-3.0-or-later
#include "directory/group_name.h"

#include "directory/limits.h"
#include "protocol/commands.h"

namespace rabuscal::directory {

namespace {

// Control characters would reach every lobby's list box as they are.
bool isControl(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7f;
}

bool holdsForbiddenText(std::string_view text) {
    for (char c : text)
        if (c == '|' || c == '^' || isControl(c)) return true;
    return text.find(protocol::kDirectorySeparator) != std::string_view::npos;
}

// A name of blanks alone would list as an empty line in every lobby.
bool isBlankChar(char c) {
    return c == ' ' || c == '\xa0';
}

bool isBlank(std::string_view text) {
    for (char c : text)
        if (!isBlankChar(c)) return false;
    return true;
}

// Windows-1252 upper-case letters to lower case; anything else as it is.
char lowerCase(char c) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte >= 'A' && byte <= 'Z') || (byte >= 0xc0 && byte <= 0xde && byte != 0xd7))
        return static_cast<char>(byte + 0x20);
    switch (byte) {
        case 0x8a:  // S caron
        case 0x8c:  // OE
        case 0x8e:  // Z caron
            return static_cast<char>(byte + 0x10);
        case 0x9f:  // Y diaeresis
            return '\xff';
        default:
            return c;
    }
}

}  // namespace

NameProblem checkGroupName(std::string_view name) {
    if (isBlank(name)) return NameProblem::Empty;
    if (name.size() > kMaxGroupNameBytes) return NameProblem::TooLong;
    if (holdsForbiddenText(name)) return NameProblem::ForbiddenText;
    return NameProblem::None;
}

std::string sameNameKey(std::string_view name) {
    while (!name.empty() && isBlankChar(name.front())) name.remove_prefix(1);
    while (!name.empty() && isBlankChar(name.back())) name.remove_suffix(1);
    std::string key(name);
    for (char& c : key) c = lowerCase(c);
    return key;
}

bool isValidGameId(std::string_view gameId) {
    return !gameId.empty() && gameId.size() <= kMaxGameIdBytes && !holdsForbiddenText(gameId);
}

}  // namespace rabuscal::directory
