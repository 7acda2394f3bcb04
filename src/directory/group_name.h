// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What makes a group name or a game id acceptable. Both travel inside "lsg"
// records ("name|address^"), so neither may hold a field or record mark.

#include <string>
#include <string_view>

namespace rabuscal::directory {

enum class NameProblem {
    None,
    Empty,  // nothing but blanks (spaces, no-break spaces)
    TooLong,
    ForbiddenText,  // "|", "^", "j#g" or a control character
};

NameProblem checkGroupName(std::string_view name);

// What two names are compared by: blanks (spaces, no-break spaces) trimmed at
// both ends and letters folded to lower case, Windows-1252 letters included,
// so that "SALA", " sala" and "sala" + no-break space are one group.
std::string sameNameKey(std::string_view name);

// A game id is the first field of every request; a bad one makes the request
// garbage (no reply), not a refusal.
bool isValidGameId(std::string_view gameId);

}  // namespace rabuscal::directory
