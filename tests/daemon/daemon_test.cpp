// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "daemon/command_line.h"
#include "daemon/log_line.h"

namespace rabuscal::daemon {
namespace {

const std::vector<OptionRule> kOptions = {{"--port", "N", "port"}, {"--quiet", "", "flag"}};

TEST(CommandLine, ValuesBothWaysFlagsAndErrors) {
    std::string error;
    const auto line = parseCommandLine({"--port", "1", "--quiet", "--port=2", "-h", "--version"},
                                       kOptions, error);
    ASSERT_TRUE(line);
    EXPECT_TRUE(line->help && line->version);
    ASSERT_EQ(line->options.size(), 3u);
    EXPECT_EQ(line->options[0].value, "1");
    EXPECT_EQ(line->options[1].name, "--quiet");
    EXPECT_EQ(line->options[2].value, "2");

    for (const auto& [args, why] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"--port"}, "option --port needs a value"},
             {{"--quiet=1"}, "option --quiet takes no value"},
             {{"--bogus", "1"}, "unknown option --bogus"},
             {{"stray"}, "unknown option stray"}}) {
        EXPECT_FALSE(parseCommandLine(args, kOptions, error));
        EXPECT_EQ(error, why);
    }
    EXPECT_EQ(number("65535", 0, 65535), 65535);
    for (const char* bad : {"65536", "-1", "1x", "", " 1"}) EXPECT_FALSE(number(bad, 0, 65535));
}

TEST(CommandLine, HelpAlignsEveryEntry) {
    EXPECT_EQ(helpText("p", "Does things.", {{"--port", "N", "the port\nsecond line"}}),
              "Usage: p [options]\nDoes things.\n\n"
              "  --help                          this text\n"
              "  --version                       the program's version\n"
              "  --port N                        the port\n"
              "                                  second line\n");
}

// One escaping for both servers' log lines: letters as typed for the game
// server's nicks and phrases, every byte exact for the directory's requests.
TEST(LogLine, PrintableEscapesControlsAndBounds) {
    EXPECT_EQ(printable("a\x01\n\\\xe3\x80"), "a\\x01\\x0a\\\xc3\xa3\\x80");
    EXPECT_EQ(printable("a\x01\n\\\xe3\x80", 80, Escaping::Bytes), "a\\x01\\x0a\\x5c\\xe3\\x80");
    EXPECT_EQ(printable(std::string(70, 'x')), std::string(64, 'x') + "...");
    EXPECT_EQ(printable(std::string(90, 'x'), 80, Escaping::Bytes), std::string(80, 'x') + "...");
}

}  // namespace
}  // namespace rabuscal::daemon
