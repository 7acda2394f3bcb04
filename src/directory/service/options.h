// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// rabuscal-directory's command line.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "directory/directory_service.h"
#include "directory/limits.h"
#include "directory/store/redis_link.h"

namespace rabuscal::directory {

struct ServiceOptions {
    bool help = false;
    bool version = false;
    std::string listen = "::";  // every IPv4 and IPv6 address
    std::uint16_t port = 0;
    std::string publicAddress;  // dotted IPv4; empty: peers listed as they come
    std::optional<RedisSettings> store;
    AddressLimits limits;
    std::size_t maxConnections = 0;  // 0: as many as the open-file limit leaves room for
    std::chrono::minutes idleTimeout = kDefaultIdleTimeout;
    LogLevel logLevel = LogLevel::Info;
};

// On a bad option returns nothing and says why in `error`.
std::optional<ServiceOptions> parseOptions(const std::vector<std::string>& args,
                                           std::uint16_t defaultPort, std::string& error);

std::string usage(std::uint16_t defaultPort);

}  // namespace rabuscal::directory
