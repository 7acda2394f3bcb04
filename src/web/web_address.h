// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QUrl>
#include <string_view>

namespace rabuscal {

// Every address of the game's web site is the site's root followed directly
// by a relative path.
namespace web {

inline constexpr std::string_view kVersionFile = "rabuscal/versao.txt";
inline constexpr std::string_view kDownloadPage = "rabuscal/down.htm";
inline constexpr std::string_view kInstructionsPage = "rabuscal/pgn01.htm";
inline constexpr std::string_view kPexoHomePage = "pags/pexo0.htm";
inline constexpr std::string_view kDrawingList = "rabuscal/lista.txt";
inline constexpr std::string_view kClubArea = "club/";

// The root address, ending in "/", fixed when the program is built.
QByteArray webBase();

// base + the relative path, which must already be percent-encoded where it
// needs to be. The base is webBase() in the program; tests point it at a
// server of their own.
QUrl webAddress(const QByteArray& base, std::string_view relativePath);

}  // namespace web

}  // namespace rabuscal
