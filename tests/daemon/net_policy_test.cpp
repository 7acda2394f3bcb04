// SPDX-License-Identifier: GPL-3.0-or-later
// The network policy both servers follow, without a socket: address keys,
// admission's verdicts and what a failed accept calls for.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>

#include <cerrno>

#include "daemon/net_policy/accepting.h"
#include "daemon/net_policy/address_key.h"
#include "daemon/net_policy/admission.h"

namespace rabuscal::daemon {
namespace {

using namespace std::chrono_literals;

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

// Each row: a newcomer from `address`, with `open` connections held and room
// to be made or not, gets `verdict`; a refused one is not counted in.
TEST(Admission, VerdictsInOrderAndOnlyTheAdmittedCounted) {
    const Admission::Clock::time_point t0{};
    Admission admission;
    admission.setLimits({.maxConnections = 10, .maxPerAddress = 2, .maxPerPrefix = 3});
    int madeRoom = 0;
    const Admission::MakeRoom room = [&] { return ++madeRoom, true; };
    const Admission::MakeRoom none = [&] { return ++madeRoom, false; };
    struct Row {
        const char* address;
        std::size_t open;
        const Admission::MakeRoom* makeRoom;
        Verdict verdict;
    };
    for (const Row& row : std::initializer_list<Row>{
             {"192.0.2.1", 0, nullptr, Verdict::Admitted},
             {"192.0.2.1", 1, nullptr, Verdict::Admitted},
             {"192.0.2.1", 2, nullptr, Verdict::AddressFull},
             {"192.0.2.2", 10, nullptr, Verdict::Full},       // full: refused at once
             {"192.0.2.1", 10, &room, Verdict::AddressFull},  // the address first, then room
             {"192.0.2.2", 10, &none, Verdict::Full},         // no room to make
             {"192.0.2.2", 10, &room, Verdict::Admitted},     // room made
             {"2001:db8:1:1::1", 3, nullptr, Verdict::Admitted},
             {"2001:db8:1:2::1", 4, nullptr, Verdict::Admitted},
             {"2001:db8:1:3::1", 5, nullptr, Verdict::Admitted},
             {"2001:db8:1:4::1", 6, nullptr, Verdict::PrefixFull},  // the /48 holds 3
         }) {
        const auto key = *addressKey(std::string_view(row.address));
        EXPECT_EQ(admission.admit(key, row.open, t0, row.makeRoom ? *row.makeRoom : nullptr),
                  row.verdict)
            << row.address << " with " << row.open << " open";
    }
    EXPECT_EQ(madeRoom, 2) << "room is made only for a newcomer within its address's bounds";
    EXPECT_EQ(admission.countOf(*addressKey("192.0.2.1")), 2u);
    EXPECT_EQ(admission.countOf(*addressKey("192.0.2.2")), 1u);
    admission.release(*addressKey("2001:db8:1:1::1"));
    EXPECT_EQ(admission.admit(*addressKey("2001:db8:1:4::1"), 6, t0), Verdict::Admitted);
}

TEST(Admission, AnAddressThatConnectsTooOftenWaitsForItsBucket) {
    Admission admission;
    admission.setLimits({.maxPerAddress = 4, .connectsPerSecond = 2});
    const auto key = *addressKey("192.0.2.9");
    const Admission::Clock::time_point t0{};
    for (int i = 0; i < 4; ++i) {  // a burst of maxPerAddress, each closed at once
        ASSERT_EQ(admission.admit(key, 0, t0), Verdict::Admitted);
        admission.release(key);
    }
    EXPECT_EQ(admission.admit(key, 0, t0 + 100ms), Verdict::TooOften);
    EXPECT_EQ(admission.countOf(key), 0u) << "a refused one is not counted";
    EXPECT_EQ(admission.admit(key, 0, t0 + 600ms), Verdict::Admitted);  // two a second
    EXPECT_EQ(admission.admit(*addressKey("192.0.2.10"), 0, t0), Verdict::Admitted);
    admission.clear();
    EXPECT_EQ(admission.countOf(key), 0u);
    EXPECT_EQ(admission.admit(key, 0, t0 + 600ms), Verdict::Admitted) << "a clear bucket again";
}

TEST(Accepting, AFailedAcceptPausesOnlyWhenDescriptorsRunOut) {
    for (const int error : {EMFILE, ENFILE, ENOBUFS, ENOMEM})
        EXPECT_EQ(acceptFailure(error), AcceptFailure::OutOfDescriptors) << error;
    for (const int error : {EAGAIN, EWOULDBLOCK})
        EXPECT_EQ(acceptFailure(error), AcceptFailure::Drained) << error;
    for (const int error : {ECONNABORTED, EINTR, EPROTO, EPERM})
        EXPECT_EQ(acceptFailure(error), AcceptFailure::Other) << error;
}

}  // namespace
}  // namespace rabuscal::daemon
