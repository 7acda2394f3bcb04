// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The order of the player list `Lista`.
//
// Lines are "pppp nick" (four characters of points right-aligned, or "xxxx"
// for the drawer). They are compared case-insensitively on their Windows-1252
// bytes, blanks counting like any other character:
//
//   blanks (space, no-break space) < other symbols (by byte value)
//     < digits < letters (A to Z, then Þ)
//
// An accented letter compares as its plain letter ("á", "à", "â", "ã", "ä",
// "å", "ª" as "a"; "ç" as "c"; "ñ" as "n"; "º", "ø", "œ" as "o"; "ß", "š" as
// "s"; "æ" as "a"; "ð" as "d"; "ÿ", "ý" as "y"; "ž" as "z"; "ƒ" as "f"). Only
// when two lines are equal that way do accents decide, the plain letter first
// (then acute, grave, circumflex, tilde, diaeresis, ring, cedilla, others),
// and only then the raw bytes (so upper case before lower case), so that the
// order is total and every copy shows the same list.
//
// With the server's lines this puts the drawer first, then the players by
// points, highest first, and equal points in descending order of nick.

#include <string>
#include <string_view>
#include <vector>

#include "protocol/payloads.h"

namespace rabuscal::client {

// Negative, zero or positive as `a` sorts before, with or after `b`.
int comparePlayerLines(std::string_view a, std::string_view b);

// A server of this game holds at most this many connections, so a longer
// list comes from a broken or hostile server: only its first entries count.
inline constexpr std::size_t kMaximumListedPlayers = 256;
// A line is the points field, a blank and the nick as far as anyone reads it;
// the rest is not shown.
inline constexpr std::size_t kMaximumPlayerLine =
    protocol::kEntryNickStart + protocol::kEntryNickMax;

// The entries of an "lst" payload ("pppp nick|" each) as `Lista` shows them:
// the first kMaximumListedPlayers entries, each cut to kMaximumPlayerLine,
// sorted with comparePlayerLines, then listed from the last to the first.
std::vector<std::string> playerListLines(std::string_view payload);

}  // namespace rabuscal::client
