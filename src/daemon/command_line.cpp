// SPDX-License-Identifier: GPL-3.0-or-later
#include "daemon/command_line.h"

#include <algorithm>
#include <charconv>

namespace rabuscal::daemon {

namespace {

constexpr std::size_t kHelpColumn = 34;

void addEntry(std::string& out, const std::string& head, std::string_view help) {
    std::string line = "  " + head;
    line.resize(std::max(line.size() + 1, kHelpColumn), ' ');
    out += line;
    for (std::size_t start = 0;;) {
        const std::size_t end = help.find('\n', start);
        out.append(help.substr(start, end - start)).push_back('\n');
        if (end == std::string_view::npos) break;
        out.append(kHelpColumn, ' ');
        start = end + 1;
    }
}

}  // namespace

std::optional<CommandLine> parseCommandLine(const std::vector<std::string>& args,
                                            const std::vector<OptionRule>& rules,
                                            std::string& error) {
    CommandLine line;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            line.help = true;
            continue;
        }
        if (arg == "--version") {
            line.version = true;
            continue;
        }
        const std::size_t equals = arg.find('=');
        ParsedOption option{arg.substr(0, equals), ""};
        const auto rule = std::find_if(rules.begin(), rules.end(),
                                       [&](const OptionRule& r) { return r.name == option.name; });
        if (rule == rules.end()) {
            error = "unknown option " + option.name;
            return std::nullopt;
        }
        if (rule->valueName.empty()) {
            if (equals != std::string::npos) {
                error = "option " + option.name + " takes no value";
                return std::nullopt;
            }
        } else if (equals != std::string::npos) {
            option.value = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            option.value = args[++i];
        } else {
            error = "option " + option.name + " needs a value";
            return std::nullopt;
        }
        line.options.push_back(std::move(option));
    }
    return line;
}

std::string helpText(std::string_view program, std::string_view description,
                     const std::vector<OptionRule>& rules) {
    std::string out = "Usage: " + std::string(program) + " [options]\n";
    out.append(description).append("\n\n");
    addEntry(out, "--help", "this text");
    addEntry(out, "--version", "the program's version");
    for (const OptionRule& rule : rules)
        addEntry(out, rule.valueName.empty() ? rule.name : rule.name + " " + rule.valueName,
                 rule.help);
    return out;
}

std::optional<long> number(std::string_view text, long lowest, long highest) {
    long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < lowest ||
        value > highest)
        return std::nullopt;
    return value;
}

}  // namespace rabuscal::daemon
