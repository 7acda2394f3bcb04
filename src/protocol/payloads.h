// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Readers and writers of the payload fields. Readers throw BadNumber when a
// field that must hold a number does not; the caller abandons the rest of its
// chunk, as every receiver does with a conversion failure.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace rabuscal::protocol {

class BadNumber : public std::runtime_error {
  public:
    explicit BadNumber(std::string_view text);
    const std::string& text() const { return text_; }

  private:
    std::string text_;
};

// Decimal integer with an optional leading "-" (no "+"), nothing else; must
// fit in 32 bits.
std::int32_t readInt(std::string_view text);
bool tryReadInt(std::string_view text, std::int32_t& out);

// "mdw", "mov", "mup": x, "|", y. At most ten characters of y are read.
struct Point {
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};
Point readPoint(std::string_view payload);
std::string writePoint(std::int32_t x, std::int32_t y);

// "blc": x|y| then the 25 colours of the 5x5 pixels from (x-2,y-2) to
// (x+2,y+2), row by row, each followed by "|", then a closing "0".
// Colour = blue*65536 + green*256 + red; 16777215 is white; -1 is off-board.
inline constexpr std::int32_t kWhite = 16777215;
inline constexpr std::int32_t kOffBoard = -1;
// Takes "|"-ended numeric fields one at a time from the front of a payload.
// A field without its "|" or not a number throws BadNumber.
class FieldReader {
  public:
    explicit FieldReader(std::string_view text) : rest_(text) {}
    std::int32_t nextInt();
    std::string_view rest() const { return rest_; }

  private:
    std::string_view rest_;
};

// Replays a block pixel by pixel, in the order sent, calling set(x, y, colour).
// A bad field throws after the pixels before it were set, as a receiver
// painting the block as it reads it would leave them.
template <class SetPixel>
void forEachBlockPixel(std::string_view payload, SetPixel&& set) {
    FieldReader fields(payload);
    const std::int32_t x = fields.nextInt();
    const std::int32_t y = fields.nextInt();
    for (int row = -2; row <= 2; ++row)
        for (int col = -2; col <= 2; ++col) set(x + col, y + row, fields.nextInt());
}

// "msg": nick + kSaid + text, as the client writes a chat line and the server
// checks that it speaks in the sender's own name.
inline constexpr std::string_view kSaid = " falou: ";
// "msg": split at the first ": " — heading (colon included) and the chat text.
// A payload without ": " is all heading with an empty text.
struct ChatLine {
    std::string_view heading;
    std::string_view text;
};
ChatLine splitChatLine(std::string_view payload);

// "lst": entries "pppp nick|". Entries are taken up to each "|"; a trailing
// remainder without its "|" (only a cut message has one) is kept as a last entry.
// At most `maxEntries` are taken; the rest of the payload is not read.
std::vector<std::string_view> splitPlayerList(std::string_view payload,
                                              std::size_t maxEntries = SIZE_MAX);
// The nick of an entry: from the sixth character on (after the four of the
// points and a blank), at most kEntryNickMax characters: no copy reads more
// of a nick.
inline constexpr std::size_t kEntryNickStart = 5;
inline constexpr std::size_t kEntryNickMax = 100;
std::string_view entryNick(std::string_view entry);
// Four characters: the total right-aligned, last four digits only; "xxxx" for the drawer.
std::string pointsField(std::int32_t total, bool drawer);

// "lsg": records "name|address^". A remainder without its "|" or "^" ends the list.
struct Group {
    std::string name;
    std::string address;
    friend bool operator==(const Group&, const Group&) = default;
};
std::vector<Group> readGroupList(std::string_view payload);
std::string writeGroupList(const std::vector<Group>& groups);

// Upper case as the server compares phrases: only "a" to "z" change.
std::string upperAscii(std::string_view text);

}  // namespace rabuscal::protocol
