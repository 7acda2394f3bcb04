// SPDX-License-Identifier: GPL-3.0-or-later
#include "directory/service/options.h"

#include <asio/ip/address_v4.hpp>

#include "daemon/command_line.h"
#include "directory/store/redis_store.h"

namespace rabuscal::directory {

namespace {

std::vector<daemon::OptionRule> optionTable(std::uint16_t defaultPort) {
    return {
        {"--port", "N",
         "TCP port (default " + std::to_string(defaultPort) + "; 0: any free port, printed)"},
        {"--listen", "ADDRESS", "address to listen on (default ::, IPv4 too)"},
        {"--public-address", "ADDRESS",
         "IPv4 address players reach this host at: groups\n"
         "announced from loopback or a private network\n"
         "are listed under it (default: none)"},
        {"--store", "redis://HOST:PORT",
         "keep the groups in Redis, shared with every\n"
         "instance using the same store (default: memory);\n"
         "redis://:PASSWORD@HOST:PORT with a password"},
        {"--store-ttl", "SECONDS",
         "how long a dead instance's groups stay listed\n"
         "in the store (default 20)"},
        {"--max-connections-per-address", "N",
         "open connections per IPv4 address or IPv6 /64\n"
         "(default 256)"},
        {"--max-groups-per-address", "N", "groups listed per address (default 10)"},
        {"--max-connections", "N",
         "open connections in all (default: what the\n"
         "open-file limit leaves, less 32 in reserve)"},
        {"--idle-timeout", "MINUTES",
         "close connections that ask nothing for this\n"
         "long, unless they hold a group (default 5)"},
        {"--log-level", "LEVEL",
         "warning, info (refusals, folded per address and\n"
         "minute; the default) or debug (every request)"},
    };
}

}  // namespace

std::string usage(std::uint16_t defaultPort) {
    return daemon::helpText("rabuscal-directory",
                            "Directory of Rabuscal game groups: servers announce their group "
                            "(\"atv\"),\nwithdraw it (\"dtv\"), lobbies ask for the list "
                            "(\"jgs\").",
                            optionTable(defaultPort));
}

std::optional<ServiceOptions> parseOptions(const std::vector<std::string>& args,
                                           std::uint16_t defaultPort, std::string& error) {
    const auto line = daemon::parseCommandLine(args, optionTable(defaultPort), error);
    if (!line) return std::nullopt;
    ServiceOptions options;
    options.help = line->help;
    options.version = line->version;
    options.port = defaultPort;
    std::optional<long> ttl;
    for (const auto& [name, value] : line->options) {
        bool valid = true;
        if (name == "--port") {
            const auto port = daemon::number(value, 0, 65535);
            valid = port.has_value();
            if (valid) options.port = static_cast<std::uint16_t>(*port);
        } else if (name == "--listen") {
            options.listen = value;
        } else if (name == "--public-address") {
            asio::error_code bad;
            const auto address = asio::ip::make_address_v4(value, bad);
            valid = !bad;
            if (valid) options.publicAddress = address.to_string();
        } else if (name == "--store") {
            options.store = parseStoreAddress(value);
            valid = options.store.has_value();
        } else if (name == "--store-ttl") {
            ttl = daemon::number(value, 1, 3600);
            valid = ttl.has_value();
        } else if (name == "--max-connections") {
            const auto limit = daemon::number(value, 1, 10000000);
            valid = limit.has_value();
            if (valid) options.maxConnections = static_cast<std::size_t>(*limit);
        } else if (name == "--idle-timeout") {
            const auto minutes = daemon::number(value, 1, 1440);
            valid = minutes.has_value();
            if (valid) options.idleTimeout = std::chrono::minutes(*minutes);
        } else if (name == "--log-level") {
            valid = value == "warning" || value == "info" || value == "debug";
            options.logLevel = value == "warning" ? LogLevel::Warning
                               : value == "debug" ? LogLevel::Debug
                                                  : LogLevel::Info;
        } else {  // the two limits per address
            const auto limit = daemon::number(value, 1, 1000000);
            valid = limit.has_value();
            if (valid)
                (name == "--max-groups-per-address" ? options.limits.groups
                                                    : options.limits.connections) =
                    static_cast<std::size_t>(*limit);
        }
        if (!valid) {
            error = "invalid value '" + value + "' for " + name;
            return std::nullopt;
        }
    }
    if (ttl && options.store) options.store->ttl = std::chrono::seconds(*ttl);
    return options;
}

}  // namespace rabuscal::directory
