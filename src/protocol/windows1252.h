// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Windows-1252 texts written as they read: "> Esse nick já existe."_cp1252 is
// the string_view of the bytes the wire carries ("já" as the one byte 0xE1),
// converted from the UTF-8 source at compile time. A character the code page
// cannot hold does not compile.

#include <array>
#include <cstddef>
#include <string_view>

namespace rabuscal::protocol {

namespace windows1252 {

template <std::size_t N>
struct Utf8Literal {
    char text[N]{};
    consteval Utf8Literal(const char (&literal)[N]) {
        for (std::size_t i = 0; i < N; ++i) text[i] = literal[i];
    }
};

template <std::size_t N>
struct Bytes {
    char bytes[N]{};
    std::size_t size = 0;
};

// Characters of the code page's bytes 0x80..0x9F; 0 where it defines none.
inline constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

consteval unsigned char byteFor(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<unsigned char>(c);
    for (std::size_t i = 0; i < kHighControls.size(); ++i)
        if (c != 0 && kHighControls[i] == c) return static_cast<unsigned char>(0x80 + i);
    throw "character outside Windows-1252";
}

template <std::size_t N>
consteval Bytes<N> convert(const Utf8Literal<N>& literal) {
    Bytes<N> out;
    for (std::size_t i = 0; i + 1 < N;) {  // N counts the terminating zero
        const auto lead = static_cast<unsigned char>(literal.text[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        char32_t c = length == 1 ? lead : lead & (0x3F >> (length - 1));
        for (std::size_t k = 1; k < length; ++k)
            c = (c << 6) | (static_cast<unsigned char>(literal.text[i + k]) & 0x3F);
        out.bytes[out.size++] = static_cast<char>(byteFor(c));
        i += length;
    }
    return out;
}

template <Utf8Literal L>
inline constexpr Bytes<sizeof(L.text)> kConverted = convert(L);

}  // namespace windows1252

inline namespace literals {
template <windows1252::Utf8Literal L>
consteval std::string_view operator""_cp1252() {
    return {windows1252::kConverted<L>.bytes, windows1252::kConverted<L>.size};
}
}  // namespace literals

}  // namespace rabuscal::protocol
