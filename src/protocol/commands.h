// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The game's sixteen commands and the directory's commands, in one table.
// Append-only: the wire names never change.

#include <array>
#include <optional>
#include <string_view>

namespace rabuscal::protocol {

// Game message: "$-$", three lower-case letters, ":", payload (no length, no terminator).
inline constexpr std::string_view kGameSeparator = "$-$";
// Directory message: "j#g", three lower-case letters, ":", payload.
inline constexpr std::string_view kDirectorySeparator = "j#g";
// Separator (3) + command (3) + ":" (1): the header in front of every payload.
inline constexpr std::size_t kHeaderSize = 7;

enum class Command {
    Slc,  // join: the nick                          client -> server
    Off,  // leave: the nick / answer: empty         both
    Onj,  // nick accepted: empty                    server -> client
    Sys,  // status text                             server -> client
    Mdv,  // drawer: a nick, or empty                both
    Lst,  // player list entries "pppp nick|"        server -> client
    Ini,  // round start: the phrase                 client -> server
    Cls,  // clear the board: empty                  both
    Tnt,  // guess: the guess as typed               client -> server
    Avs,  // verdict on a guess                      server -> client
    Pts,  // points at stake, decimal                both
    Msg,  // chat: "nick falou: text"                both
    Mdw,  // stroke start: x|y                       both
    Mov,  // stroke move: x|y                        both
    Mup,  // stroke end: x|y                         both
    Blc,  // pixel block: x|y|25 colours|0           both
};

inline constexpr std::array<std::string_view, 16> kCommandNames = {
    "slc", "off", "onj", "sys", "mdv", "lst", "ini", "cls",
    "tnt", "avs", "pts", "msg", "mdw", "mov", "mup", "blc",
};

constexpr std::string_view commandName(Command c) {
    return kCommandNames[static_cast<std::size_t>(c)];
}

// Exact, case-sensitive lookup; unknown names give nothing.
constexpr std::optional<Command> commandFromName(std::string_view name) {
    for (std::size_t i = 0; i < kCommandNames.size(); ++i)
        if (kCommandNames[i] == name) return static_cast<Command>(i);
    return std::nullopt;
}

// Directory requests (program -> service) and replies (service -> program).
namespace directory {
inline constexpr std::string_view kGameId = "rabuscal";
inline constexpr std::string_view kList = "jgs";        // "j#gjgs:rabuscal"
inline constexpr std::string_view kActivate = "atv";    // "j#gatv:rabuscal|" + group
inline constexpr std::string_view kDeactivate = "dtv";  // "j#gdtv:rabuscal|" + group
inline constexpr std::string_view kStatus = "sys";      // text for the server window
inline constexpr std::string_view kMessage = "msg";     // text for the main window
inline constexpr std::string_view kGroups = "lsg";      // "name|address^" records
}  // namespace directory

}  // namespace rabuscal::protocol
