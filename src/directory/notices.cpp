#include "directory/notices.h"

namespace rabuscal::directory::notices {

namespace {

std::string aboutGroup(std::string_view before, std::string_view name, std::string_view after) {
    std::string text(before);
    text.append(name).append(after);
    return text;
}

}  // namespace

std::string activated(std::string_view name) {
    return aboutGroup("Grupo ", name, " ativado.");
}

std::string deactivated(std::string_view name) {
    return aboutGroup("Grupo ", name, " desativado.");
}

std::string nameTaken(std::string_view name) {
    return aboutGroup("J\xe1 existe um grupo ", name, " ativo.");
}

std::string ownedByOther(std::string_view name) {
    return aboutGroup("O grupo ", name, " foi ativado por outro servidor.");
}

std::string notListed(std::string_view name) {
    return aboutGroup("O grupo ", name, " n\xe3o est\xe1 ativo.");
}

std::string tooManyGroupsFromAddress(std::size_t limit) {
    return "Limite de " + std::to_string(limit) + " grupos por endere\xe7o atingido.";
}

std::string tooManyConnectionsFromAddress(std::size_t limit) {
    return "Limite de " + std::to_string(limit) +
           " conex\xf5"
           "es por endere\xe7o atingido. Tente mais tarde.";
}

}  // namespace rabuscal::directory::notices
