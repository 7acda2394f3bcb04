// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/payloads.h"

#include <limits>

namespace rabuscal::protocol {

namespace {

std::string describe(std::string_view text) {
    // Long garbage is cut so that a report about it stays readable.
    constexpr std::size_t kShown = 40;
    std::string shown(text.substr(0, kShown));
    if (text.size() > kShown) shown += "...";
    return "'" + shown + "' is not a valid integer value";
}

}  // namespace

BadNumber::BadNumber(std::string_view text) : std::runtime_error(describe(text)), text_(text) {}

bool tryReadInt(std::string_view text, std::int32_t& out) {
    // The wire writes only "-" in front of a number: "+5" is no number, so
    // that every receiver reads a field the same way.
    std::string_view digits = text;
    const bool negative = !digits.empty() && digits.front() == '-';
    if (negative) digits.remove_prefix(1);
    if (digits.empty()) return false;
    std::int64_t value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
        if (value > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1) return false;
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<std::int32_t>::max()) return false;
    out = static_cast<std::int32_t>(value);
    return true;
}

std::int32_t readInt(std::string_view text) {
    std::int32_t value = 0;
    if (!tryReadInt(text, value)) throw BadNumber(text);
    return value;
}

Point readPoint(std::string_view payload) {
    const std::size_t bar = payload.find('|');
    if (bar == std::string_view::npos) throw BadNumber({});
    return {readInt(payload.substr(0, bar)), readInt(payload.substr(bar + 1, 10))};
}

std::string writePoint(std::int32_t x, std::int32_t y) {
    return std::to_string(x) + '|' + std::to_string(y);
}

std::int32_t FieldReader::nextInt() {
    const std::size_t bar = rest_.find('|');
    if (bar == std::string_view::npos) throw BadNumber({});
    const std::int32_t value = readInt(rest_.substr(0, bar));
    rest_.remove_prefix(bar + 1);
    return value;
}

ChatLine splitChatLine(std::string_view payload) {
    const std::size_t at = payload.find(": ");
    if (at == std::string_view::npos) return {payload, {}};
    return {payload.substr(0, at + 1), payload.substr(at + 2)};
}

std::vector<std::string_view> splitPlayerList(std::string_view payload, std::size_t maxEntries) {
    std::vector<std::string_view> entries;
    while (!payload.empty() && entries.size() < maxEntries) {
        const std::size_t bar = payload.find('|');
        entries.push_back(payload.substr(0, bar));
        if (bar == std::string_view::npos) break;
        payload.remove_prefix(bar + 1);
    }
    return entries;
}

std::string_view entryNick(std::string_view entry) {
    return entry.size() > kEntryNickStart ? entry.substr(kEntryNickStart, kEntryNickMax)
                                          : std::string_view{};
}

std::string pointsField(std::int32_t total, bool drawer) {
    if (drawer) return "xxxx";
    const std::string padded = "    " + std::to_string(total);
    return padded.substr(padded.size() - 4);
}

std::vector<Group> readGroupList(std::string_view payload) {
    std::vector<Group> groups;
    while (!payload.empty()) {
        const std::size_t bar = payload.find('|');
        if (bar == std::string_view::npos) break;
        const std::size_t end = payload.find('^', bar + 1);
        if (end == std::string_view::npos) break;
        groups.push_back({std::string(payload.substr(0, bar)),
                          std::string(payload.substr(bar + 1, end - bar - 1))});
        payload.remove_prefix(end + 1);
    }
    return groups;
}

std::string writeGroupList(const std::vector<Group>& groups) {
    std::string out;
    for (const Group& g : groups)
        out.append(g.name).append(1, '|').append(g.address).append(1, '^');
    return out;
}

std::string upperAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

}  // namespace rabuscal::protocol
