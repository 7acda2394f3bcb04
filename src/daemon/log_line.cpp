// SPDX-License-Identifier: GPL-3.0-or-later
#include "daemon/log_line.h"

#include <cstdio>
#include <ctime>

namespace rabuscal::daemon {

void writeLine(std::string_view line, Stamp stamp) {
    std::string text;
    text.reserve(line.size() + 22);
    if (stamp == Stamp::Utc) {
        char buffer[32];
        const std::time_t now = std::time(nullptr);
        std::tm utc{};
        gmtime_r(&now, &utc);
        text.assign(buffer, std::strftime(buffer, sizeof buffer, "%Y-%m-%dT%H:%M:%SZ ", &utc));
    }
    text.append(line).push_back('\n');
    std::fwrite(text.data(), 1, text.size(), stdout);
}

std::string printable(std::string_view bytes, std::size_t maxBytes, Escaping escaping) {
    const bool letters = escaping == Escaping::Letters;
    std::string out;
    for (const char c : bytes.substr(0, maxBytes)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7f && (letters || c != '\\')) {
            out += c;
        } else if (letters && byte >= 0xa0) {  // Latin-1 and Windows-1252 agree here
            out += static_cast<char>(0xc0 | (byte >> 6));
            out += static_cast<char>(0x80 | (byte & 0x3f));
        } else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02x", byte);
            out += hex;
        }
    }
    if (bytes.size() > maxBytes) out += "...";
    return out;
}

}  // namespace rabuscal::daemon
