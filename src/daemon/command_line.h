// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The daemons' command line: `--name VALUE`, `--name=VALUE`, flags, and the
// `--help` text drawn from the same table, so that the two never differ.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rabuscal::daemon {

struct OptionRule {
    std::string name;       // with its "--"
    std::string valueName;  // empty: a flag, which takes no value
    std::string help;       // lines separated by '\n'
};

struct ParsedOption {
    std::string name;
    std::string value;
};

struct CommandLine {
    bool help = false;                  // --help or -h
    bool version = false;               // --version
    std::vector<ParsedOption> options;  // in the order given
};

// --help, -h and --version are known to every daemon. On a bad command line
// returns nothing and says why in `error` ("unknown option --x", "option
// --port needs a value", "option --x takes no value").
std::optional<CommandLine> parseCommandLine(const std::vector<std::string>& args,
                                            const std::vector<OptionRule>& rules,
                                            std::string& error);

// "Usage: PROGRAM [options]", the description, then one entry per option
// (--help and --version first), help aligned in one column.
std::string helpText(std::string_view program, std::string_view description,
                     const std::vector<OptionRule>& rules);

// A whole decimal number within [lowest, highest], or nothing.
std::optional<long> number(std::string_view text, long lowest, long highest);

}  // namespace rabuscal::daemon
