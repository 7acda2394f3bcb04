// SPDX-License-Identifier: GPL-3.0-or-later
#include "client/player_order.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "protocol/payloads.h"

namespace rabuscal::client {

namespace {

enum Class : std::uint16_t { kBlank = 0, kSymbol = 1, kDigit = 2, kLetter = 3 };
enum Accent : std::uint8_t {
    kPlain,
    kAcute,
    kGrave,
    kCircumflex,
    kTilde,
    kDiaeresis,
    kRing,
    kCedilla,
    kOther,
};

struct Weight {
    std::uint16_t primary = 0;   // class << 8 | weight within the class
    std::uint8_t secondary = 0;  // the accent
};

constexpr Weight letter(char base, Accent accent = kPlain) {
    return {static_cast<std::uint16_t>(kLetter << 8 | (base - 'a')), accent};
}

constexpr std::array<Weight, 256> makeWeights() {
    std::array<Weight, 256> w{};
    for (int b = 0; b < 256; ++b) w[b] = {static_cast<std::uint16_t>(kSymbol << 8 | b), kPlain};
    w[0x20] = w[0xA0] = {kBlank << 8, kPlain};
    for (int d = 0; d < 10; ++d) w['0' + d] = {static_cast<std::uint16_t>(kDigit << 8 | d), kPlain};
    for (int c = 0; c < 26; ++c) w['a' + c] = w['A' + c] = letter(static_cast<char>('a' + c));

    // Latin-1 letters come in upper (0xC0-0xDE) and lower (0xE0-0xFE) pairs.
    auto both = [&](int upper, Weight weight) { w[upper] = w[upper + 0x20] = weight; };
    const Accent vowelAccents[] = {kGrave, kAcute, kCircumflex, kTilde, kDiaeresis};
    for (int i = 0; i < 5; ++i) both(0xC0 + i, letter('a', vowelAccents[i]));
    both(0xC5, letter('a', kRing));
    both(0xC6, letter('a', kOther));  // Æ
    both(0xC7, letter('c', kCedilla));
    both(0xC8, letter('e', kGrave));
    both(0xC9, letter('e', kAcute));
    both(0xCA, letter('e', kCircumflex));
    both(0xCB, letter('e', kDiaeresis));
    both(0xCC, letter('i', kGrave));
    both(0xCD, letter('i', kAcute));
    both(0xCE, letter('i', kCircumflex));
    both(0xCF, letter('i', kDiaeresis));
    both(0xD0, letter('d', kOther));  // Ð
    both(0xD1, letter('n', kTilde));
    for (int i = 0; i < 5; ++i) both(0xD2 + i, letter('o', vowelAccents[i]));
    both(0xD8, letter('o', kOther));  // Ø
    both(0xD9, letter('u', kGrave));
    both(0xDA, letter('u', kAcute));
    both(0xDB, letter('u', kCircumflex));
    both(0xDC, letter('u', kDiaeresis));
    both(0xDD, letter('y', kAcute));
    both(0xDE, {static_cast<std::uint16_t>(kLetter << 8 | 26), kPlain});  // Þ after Z
    w[0xDF] = letter('s', kOther);                                        // ß
    w[0xFF] = w[0x9F] = letter('y', kDiaeresis);
    w[0x8A] = w[0x9A] = letter('s', kOther);  // Š
    w[0x8C] = w[0x9C] = letter('o', kOther);  // Œ
    w[0x8E] = w[0x9E] = letter('z', kOther);  // Ž
    w[0x83] = letter('f', kOther);            // ƒ
    w[0xAA] = letter('a', kOther);            // ª
    w[0xBA] = letter('o', kOther);            // º
    return w;
}

constexpr std::array<Weight, 256> kWeights = makeWeights();

const Weight& weightOf(char c) {
    return kWeights[static_cast<unsigned char>(c)];
}

template <class Key>
int compareBy(std::string_view a, std::string_view b, Key key) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const int ka = key(a[i]), kb = key(b[i]);
        if (ka != kb) return ka < kb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

}  // namespace

int comparePlayerLines(std::string_view a, std::string_view b) {
    if (int c = compareBy(a, b, [](char x) { return int{weightOf(x).primary}; }); c != 0) return c;
    if (int c = compareBy(a, b, [](char x) { return int{weightOf(x).secondary}; }); c != 0)
        return c;
    return compareBy(a, b, [](char x) { return int{static_cast<unsigned char>(x)}; });
}

std::vector<std::string> playerListLines(std::string_view payload) {
    std::vector<std::string> lines;
    for (std::string_view entry : protocol::splitPlayerList(payload, kMaximumListedPlayers))
        lines.emplace_back(entry.substr(0, kMaximumPlayerLine));
    std::sort(lines.begin(), lines.end(), [](const std::string& a, const std::string& b) {
        return comparePlayerLines(a, b) > 0;  // descending: the drawer's "xxxx" first
    });
    return lines;
}

}  // namespace rabuscal::client
