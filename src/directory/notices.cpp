// SPDX-License-Identifier: GPL-3.0-or-later
#include "directory/notices.h"

namespace rabuscal::directory::notices {

namespace {

std::string framed(std::string_view before, std::string_view middle, std::string_view after) {
    std::string text(before);
    text.append(middle).append(after);
    return text;
}

}  // namespace

std::string activated(std::string_view name) {
    return framed("Grupo ", name, " ativado.");
}

std::string deactivated(std::string_view name) {
    return framed("Grupo ", name, " desativado.");
}

std::string nameTaken(std::string_view name) {
    return framed("Já existe um grupo "_cp1252, name, " ativo.");
}

std::string ownedByOther(std::string_view name) {
    return framed("O grupo ", name, " foi ativado por outro servidor.");
}

std::string notListed(std::string_view name) {
    return framed("O grupo ", name, " não está ativo."_cp1252);
}

std::string tooManyGroupsFromAddress(std::size_t limit) {
    return framed("Limite de ", std::to_string(limit), " grupos por endereço atingido."_cp1252);
}

std::string tooManyConnectionsFromAddress(std::size_t limit) {
    return framed("Limite de ", std::to_string(limit),
                  " conexões por endereço atingido. Tente mais tarde."_cp1252);
}

}  // namespace rabuscal::directory::notices
