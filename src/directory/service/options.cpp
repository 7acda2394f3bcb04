#include "directory/service/options.h"

#include <charconv>

#include "directory/store/redis_store.h"

namespace rabuscal::directory {

namespace {

std::optional<long> number(const std::string& text, long lowest, long highest) {
    long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < lowest ||
        value > highest)
        return std::nullopt;
    return value;
}

}  // namespace

std::string usage(std::uint16_t defaultPort) {
    const std::string port = std::to_string(defaultPort);
    return "Usage: rabuscal-directory [options]\n"
           "Directory of Rabuscal game groups: servers announce their group (\"atv\"),\n"
           "withdraw it (\"dtv\"), lobbies ask for the list (\"jgs\").\n\n"
           "  --help                          this text\n"
           "  --port N                        TCP port (default " +
           port +
           "; 0: any free port, printed)\n"
           "  --listen ADDRESS                address to listen on (default ::, IPv4 too)\n"
           "  --store redis://HOST:PORT       keep the groups in Redis, shared with every\n"
           "                                  instance using the same store (default: memory)\n"
           "  --store-ttl SECONDS             how long a dead instance's groups stay listed\n"
           "                                  in the store (default 20)\n"
           "  --max-connections-per-address N open connections per IPv4 address or IPv6 /64\n"
           "                                  (default 256)\n"
           "  --max-groups-per-address N      groups listed per address (default 16)\n";
}

std::optional<ServiceOptions> parseOptions(const std::vector<std::string>& args,
                                           std::uint16_t defaultPort, std::string& error) {
    ServiceOptions options;
    options.port = defaultPort;
    std::optional<long> ttl;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i], value;
        const std::size_t equals = name.find('=');
        if (name == "--help" || name == "-h") {
            options.help = true;
            continue;
        }
        if (equals != std::string::npos) {
            value = name.substr(equals + 1);
            name.resize(equals);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            error = "option " + name + " needs a value";
            return std::nullopt;
        }
        bool valid = true;
        if (name == "--port") {
            const auto port = number(value, 0, 65535);
            valid = port.has_value();
            if (valid) options.port = static_cast<std::uint16_t>(*port);
        } else if (name == "--listen") {
            options.listen = value;
        } else if (name == "--store") {
            options.store = parseStoreAddress(value);
            valid = options.store.has_value();
        } else if (name == "--store-ttl") {
            ttl = number(value, 1, 3600);
            valid = ttl.has_value();
        } else if (name == "--max-connections-per-address" || name == "--max-groups-per-address") {
            const auto limit = number(value, 1, 1000000);
            valid = limit.has_value();
            if (valid)
                (name == "--max-groups-per-address" ? options.limits.groups
                                                    : options.limits.connections) =
                    static_cast<std::size_t>(*limit);
        } else {
            error = "unknown option " + name;
            return std::nullopt;
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
