// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The game server's texts: what it sends in "sys" and "avs", as Windows-1252
// bytes, and the reasons it logs when it refuses something.

#include <string_view>

#include "protocol/windows1252.h"

namespace rabuscal::server::texts {

using namespace protocol::literals;

// "sys" notices.
inline constexpr std::string_view kNickTaken = "> Esse nick já existe."_cp1252;
inline constexpr std::string_view kNickTooLong = "> Esse nick é comprido demais."_cp1252;
inline constexpr std::string_view kRoundStarted = "> Valendo...";
inline constexpr std::string_view kNickNotAllowed = "> Esse nick não pode ser usado."_cp1252;
inline constexpr std::string_view kTooManyJoins = "> Entradas demais. Aguarde um pouco."_cp1252;
// To a connection the server closes before it joined.
inline constexpr std::string_view kServerFull = "> Servidor cheio."_cp1252;
inline constexpr std::string_view kAddressFull = "> Conexões demais deste endereço."_cp1252;
inline constexpr std::string_view kJoinTimeOut = "> Tempo para entrar no jogo esgotado."_cp1252;

// "avs" verdict: nick + kTried + guess + kAnd + kMissed or kHit.
inline constexpr std::string_view kTried = " tentou \"";
inline constexpr std::string_view kAnd = "\" e... ";
inline constexpr std::string_view kMissed = " eerrroooouuuuu...";
inline constexpr std::string_view kHit = "ACERTOU !";

// Why a message or a connection is refused, for the log.
namespace refusals {
inline constexpr std::string_view kNickTooLong = "nick too long";
inline constexpr std::string_view kNotJoined = "not joined";
inline constexpr std::string_view kNotDrawer = "not the drawer";
inline constexpr std::string_view kNoSuchPlayer = "no such player";
inline constexpr std::string_view kRaisesPoints = "raises the points at stake";
inline constexpr std::string_view kDrawerGuesses = "the drawer may not guess";
inline constexpr std::string_view kTooManyGuesses = "too many guesses";
inline constexpr std::string_view kOtherName = "speaks in another name";
inline constexpr std::string_view kTooManyChatLines = "too many chat lines";
inline constexpr std::string_view kNickNotAllowed = "nick not allowed";
inline constexpr std::string_view kTooManyJoins = "too many joins";
inline constexpr std::string_view kNoRound = "no round running";
inline constexpr std::string_view kPointsBelowZero = "points below 0";
inline constexpr std::string_view kChatHoldsPhrase = "the drawer's chat holds the phrase";
// The network adapter's.
inline constexpr std::string_view kTooManyConnections = "too many connections";
inline constexpr std::string_view kTooManyFromAddress = "too many connections from this address";
inline constexpr std::string_view kTooManyFromPrefix = "too many connections from this /48";
inline constexpr std::string_view kConnectingTooOften = "connects too often";
inline constexpr std::string_view kEvicted = "closed to make room: it had not joined";
inline constexpr std::string_view kJoinTimeOut = "did not join in time";
inline constexpr std::string_view kQueueOverCap = "its queue passed the cap";
inline constexpr std::string_view kStoppedReading = "it stopped reading";
}  // namespace refusals

}  // namespace rabuscal::server::texts
