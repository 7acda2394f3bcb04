// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The local channel between the game and its browser program
// (rabuscal-browser): the game writes commands to the program's standard
// input, the program writes events to its standard output.
//
// Wire layout: one message per line, "word" or "word argument", ended by
// "\n". The argument is UTF-8 text in which "\\", "\n" and "\r" travel as
// "\\\\", "\\n" and "\\r", so that a message is always one line.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace rabuscal::web::channel {

// Commands, game -> browser program.
inline constexpr std::string_view kOpen = "open";                 // address: navigate there
inline constexpr std::string_view kShow = "show";                 // show in front, with the focus
inline constexpr std::string_view kShowQuietly = "show-quietly";  // in front, focus stays
inline constexpr std::string_view kHide = "hide";
inline constexpr std::string_view kBack = "back";
inline constexpr std::string_view kForward = "forward";
inline constexpr std::string_view kStop = "stop";

// Events, browser program -> game.
inline constexpr std::string_view kReady = "ready";  // process id
// "shown"/"hidden" carry kAsked when a show or hide command caused them, and
// nothing when the player did (the close button, the window manager).
inline constexpr std::string_view kShown = "shown";
inline constexpr std::string_view kHidden = "hidden";
inline constexpr std::string_view kAsked = "asked";
inline constexpr std::string_view kBegin = "begin";        // a page starts downloading
inline constexpr std::string_view kProgress = "progress";  // "progress maximum"
inline constexpr std::string_view kComplete = "complete";  // the download ended
inline constexpr std::string_view kLoaded = "loaded";      // address: the page is shown
inline constexpr std::string_view kFailed = "failed";      // address: could not be loaded
inline constexpr std::string_view kAddress = "address";    // the address shown changed
inline constexpr std::string_view kTitle = "title";
inline constexpr std::string_view kOverBound = "over-bound";  // megabytes the pages took

struct Message {
    std::string word;
    std::string argument;
    bool operator==(const Message&) const = default;
};

// One whole line, the "\n" included.
std::string encode(std::string_view word, std::string_view argument = {});

// Cuts what arrives into messages, whatever the pieces it comes in. A line
// longer than the limit is dropped whole, so memory stays bounded whatever
// the other end writes.
class Reader {
  public:
    explicit Reader(std::size_t longestLine = 64 * 1024) : longest_(longestLine) {}
    std::vector<Message> feed(std::string_view bytes);

  private:
    void finishLine(std::vector<Message>& messages);

    std::size_t longest_;
    std::string line_;
    bool overlong_ = false;
};

}  // namespace rabuscal::web::channel
