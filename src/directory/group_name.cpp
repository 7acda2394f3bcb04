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
bool isBlank(std::string_view text) {
    for (char c : text)
        if (c != ' ' && c != '\xa0') return false;
    return true;
}

}  // namespace

NameProblem checkGroupName(std::string_view name) {
    if (isBlank(name)) return NameProblem::Empty;
    if (name.size() > kMaxGroupNameBytes) return NameProblem::TooLong;
    if (holdsForbiddenText(name)) return NameProblem::ForbiddenText;
    return NameProblem::None;
}

bool isValidGameId(std::string_view gameId) {
    return !gameId.empty() && gameId.size() <= kMaxGameIdBytes && !holdsForbiddenText(gameId);
}

}  // namespace rabuscal::directory
