// SPDX-License-Identifier: GPL-3.0-or-later
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>

#include "daemon/address_key.h"
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

TEST(LogLine, PrintableEscapesControlsAndBounds) {
    EXPECT_EQ(printable("a\x01\n\xe3\x80"), "a\\x01\\x0a\xc3\xa3\\x80");
    EXPECT_EQ(printable(std::string(70, 'x')), std::string(64, 'x') + "...");
}

}  // namespace
}  // namespace rabuscal::daemon

namespace rabuscal::daemon {
namespace {

TEST(AddressKey, Ipv4ExactIpv6By64And48AndTheCounterBoundsBoth) {
    EXPECT_EQ(addressKey("192.0.2.7"), (AddressKey{"192.0.2.7", "192.0.2.7"}));
    EXPECT_EQ(addressKey("::ffff:192.0.2.7"), addressKey("192.0.2.7"));
    EXPECT_EQ(addressKey("2001:db8:1:2:aaaa::1"),
              (AddressKey{"2001:db8:1:2::/64", "2001:db8:1::/48"}));
    for (const char* bad : {"", "1.2.3", "example.org", "2001:db8::1%eth0"})
        EXPECT_FALSE(addressKey(std::string_view(bad)));

    sockaddr_in6 in6{};
    in6.sin6_family = AF_INET6;
    ::inet_pton(AF_INET6, "2001:db8:1:2::9", &in6.sin6_addr);
    EXPECT_EQ(addressKey(reinterpret_cast<const sockaddr*>(&in6)), addressKey("2001:db8:1:2::1"));
    sockaddr_in in{};
    in.sin_family = AF_INET;
    ::inet_pton(AF_INET, "10.1.2.3", &in.sin_addr);
    EXPECT_EQ(addressKey(reinterpret_cast<const sockaddr*>(&in))->peer, "10.1.2.3");
    const unsigned char loopback[4] = {127, 0, 0, 1};
    EXPECT_EQ(addressKey(loopback, 4)->peer, "127.0.0.1");
    EXPECT_FALSE(addressKey(loopback, 5));

    // The counter bounds both the peer key and its wider prefix.
    AddressCounter counter(2, 3);
    const auto a = *addressKey("2001:db8:1:1::1"), b = *addressKey("2001:db8:1:2::1");
    const auto v4 = *addressKey("192.0.2.1");
    EXPECT_TRUE(counter.tryAdd(a) && counter.tryAdd(a));
    EXPECT_FALSE(counter.tryAdd(a));  // the /64 is full
    EXPECT_TRUE(counter.tryAdd(b));
    EXPECT_FALSE(counter.tryAdd(b));  // the /48 is full
    EXPECT_EQ(counter.wideCount(b), 3u);
    counter.remove(a);
    EXPECT_TRUE(counter.tryAdd(b));
    EXPECT_TRUE(counter.tryAdd(v4) && counter.tryAdd(v4));
    EXPECT_FALSE(counter.tryAdd(v4));
    EXPECT_EQ(counter.wideCount(v4), 2u);
    counter.remove(v4), counter.remove(v4), counter.remove(v4);  // one too many is harmless
    EXPECT_EQ(counter.peerCount(v4), 0u);
}

}  // namespace
}  // namespace rabuscal::daemon
