// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The client's captions and status texts.
//
// Text convention of the client logic: every text here, and every text the
// client logic hands to its view or takes from it (nick, phrase, chat line,
// guess, list lines, captions), is a std::string of Windows-1252 bytes, the
// same bytes that travel on the wire: "ã" is the single byte 0xE3 (the
// _cp1252 literals convert at compile time). Widgets
// convert at their own boundary (ui's toWire / fromWire); nothing in the
// client logic holds UTF-8 or QString.

#include <cstddef>
#include <string_view>

#include "protocol/windows1252.h"

namespace rabuscal::client::texts {

using namespace protocol::literals;

// A received text shows at most this much of itself in the status line and
// in `Pontos`: laying out megabytes in a one-line label holds the window
// up for seconds, and nobody could read it anyway.
inline constexpr std::size_t kMaximumShownStatus = 1000;
inline constexpr std::size_t kMaximumShownPoints = 64;

// Connection events.
inline constexpr std::string_view kConnecting = "> Conectando o jogo.";
inline constexpr std::string_view kConnected = "> Jogo conectado.";
inline constexpr std::string_view kDisconnected = "> Jogo desconectado.";
inline constexpr std::string_view kConnectionFailed = "> Falha na conexão."_cp1252;

// Join button caption (`Lb4`).
inline constexpr std::string_view kLeaveGame = "Sair do jogo";
inline constexpr std::string_view kJoinGame = "Entrar no jogo";

// Drawer announcement: "> Você é o Mão De Vaca!!!", or "> " + nick + " é o Mão De Vaca!!!".
inline constexpr std::string_view kYouAreDrawer = "> Você é o Mão De Vaca!!!"_cp1252;
inline constexpr std::string_view kOtherIsDrawerHead = "> ";
inline constexpr std::string_view kOtherIsDrawerTail = " é o Mão De Vaca!!!"_cp1252;

// Board.
inline constexpr std::string_view kNotDrawerToDraw =
    "> Você não é o Mão De Vaca para desenhar."_cp1252;
inline constexpr std::string_view kBackgroundShown = "Fundo vis:";
inline constexpr std::string_view kBackgroundHidden = "Fundo inv:";
inline constexpr std::string_view kInstructionsPage = "rabuscal/pgn01.htm";

// Round controls.
inline constexpr std::string_view kNotDrawerToStart =
    "> Você não é o Mão De Vaca para iniciar um jogo."_cp1252;
inline constexpr std::string_view kNoPhrase = "> Defina uma frase para jogar.";
inline constexpr std::string_view kRoundRunning = "> Jogo já está em andamento."_cp1252;
inline constexpr std::string_view kNotAllowed = "> Você não pode fazer isso."_cp1252;
inline constexpr std::string_view kSelectPlayer = "> Selecione um jogador.";

// Chat window.
inline constexpr std::string_view kNoRound = "> Não tem jogo em andamento."_cp1252;
inline constexpr std::string_view kDrawerCannotGuess = "> O Mão De Vaca não pode jogar."_cp1252;

// `Pontos` while no round is running.
inline constexpr std::string_view kNoPoints = "0";

}  // namespace rabuscal::client::texts
