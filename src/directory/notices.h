// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The texts of the directory's "sys" replies, in Portuguese, as Windows-1252
// bytes. None may hold "j#g": the reader on the other side would cut it there.

#include <cstddef>
#include <string>
#include <string_view>

#include "protocol/windows1252.h"

namespace rabuscal::directory::notices {

using namespace protocol::literals;

// Only names that passed checkGroupName() are echoed back.
std::string activated(std::string_view name);    // "Grupo sala ativado."
std::string deactivated(std::string_view name);  // "Grupo sala desativado."
std::string nameTaken(std::string_view name);
std::string ownedByOther(std::string_view name);
std::string notListed(std::string_view name);

inline constexpr std::string_view kEmptyName = "Informe o nome do grupo.";
inline constexpr std::string_view kNameTooLong =
    "Nome do grupo muito longo (máximo de 64 caracteres)."_cp1252;
inline constexpr std::string_view kForbiddenText = "Nome do grupo inválido (sem | nem ^)."_cp1252;
inline constexpr std::string_view kTooManyGroups =
    "Limite de 8 grupos por conexão atingido."_cp1252;
inline constexpr std::string_view kGameFull = "Lista de grupos cheia. Tente mais tarde.";
// Lobbies copy every address into their server field, and they take only a
// host name or a dotted IPv4 address.
inline constexpr std::string_view kNeedsIPv4 =
    "Seu servidor precisa de um endereço IPv4 para ser anunciado."_cp1252;
// The shared store did not take the announcement (out of reach, or full).
inline constexpr std::string_view kStoreFailed =
    "Não foi possível ativar o grupo agora. Tente mais tarde."_cp1252;
std::string tooManyGroupsFromAddress(std::size_t limit);
std::string tooManyConnectionsFromAddress(std::size_t limit);

}  // namespace rabuscal::directory::notices
