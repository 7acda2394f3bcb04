// SPDX-License-Identifier: GPL-3.0-or-later
// The directory service on a loopback port, driven with raw bytes.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <mutex>

#include "directory/group_name.h"
#include "directory/limits.h"
#include "directory/net/background_directory.h"
#include "directory/wire_peer.h"
#include "support/cutting_relay.h"
#include "support/raw_socket.h"

namespace rabuscal::directory {
namespace {

using protocol::Message;
using support::waitFor;
using testing::WirePeer;

class DirectoryServiceTest : public ::testing::Test {
  protected:
    void SetUp() override { start({}); }
    void TearDown() override { server_.reset(); }  // its thread logs until it stops

    void start(AddressLimits limits) {
        support::coreApplication();
        peers_.clear();
        server_.reset();
        server_ = std::make_unique<BackgroundDirectory>(
            [this](const std::string& line) {
                std::lock_guard lock(logMutex_);
                log_.push_back(line);
            },
            limits, LogLevel::Info);
        ASSERT_FALSE(server_->start("::", 0).has_value());
    }

    WirePeer& peer(const QString& from = {}, const QString& host = "127.0.0.1") {
        peers_.push_back(std::make_unique<WirePeer>(server_->port(), host, from));
        EXPECT_TRUE(peers_.back()->waitConnected());
        return *peers_.back();
    }
    std::string listing(std::string_view game = "rabuscal") {
        WirePeer& asker = peer();
        const Message reply = asker.ask("jgs", game);
        asker.close();
        EXPECT_EQ(reply.command, "lsg");
        return reply.payload;
    }
    bool logged(std::string_view text) {
        std::lock_guard lock(logMutex_);
        for (const std::string& line : log_)
            if (line.find(text) != std::string::npos) return true;
        return false;
    }

    std::unique_ptr<BackgroundDirectory> server_;
    std::vector<std::unique_ptr<WirePeer>> peers_;
    std::mutex logMutex_;
    std::vector<std::string> log_;
};

Message sys(std::string text) {
    return {"sys", std::move(text)};
}

TEST_F(DirectoryServiceTest, GroupsAreListedPerGameInOrderUntilWithdrawnOrTheirConnectionCloses) {
    WirePeer& first = peer();
    WirePeer& second = peer();
    EXPECT_EQ(first.ask("atv", "rabuscal|um"), sys("Grupo um ativado."));
    second.ask("atv", "rabuscal|dois");
    first.ask("atv", "outro|tr\xeas");
    first.ask("atv", "rabuscal|quatro com espa\xe7os ");
    first.ask("atv", "rabuscal|cinco");
    EXPECT_EQ(listing(),
              "um|127.0.0.1^dois|127.0.0.1^quatro com espa\xe7os |127.0.0.1^cinco|127.0.0.1^");
    EXPECT_EQ(listing("outro"), "tr\xeas|127.0.0.1^");
    EXPECT_EQ(listing("ningu\xe9m"), "");

    // A listed name is refused, and only its own connection withdraws it.
    EXPECT_EQ(second.ask("atv", "rabuscal|um"), sys("J\xe1 existe um grupo um ativo."));
    EXPECT_EQ(first.ask("atv", "rabuscal|um"), sys("J\xe1 existe um grupo um ativo."));
    EXPECT_EQ(second.ask("dtv", "rabuscal|um"), sys("O grupo um foi ativado por outro servidor."));
    EXPECT_EQ(second.ask("dtv", "rabuscal|nenhum"), sys("O grupo nenhum n\xe3o est\xe1 ativo."));
    // Look-alikes are the same name; a name is listed as its host typed it.
    for (const std::string lookAlike : {"UM", " um", "um ", "um\xa0", "\xa0Um\xa0"})
        EXPECT_EQ(second.ask("atv", "rabuscal|" + lookAlike),
                  sys("J\xe1 existe um grupo " + lookAlike + " ativo."));
    EXPECT_EQ(second.ask("atv", "rabuscal|\xc1rvore \x8aS"), sys("Grupo \xc1rvore \x8aS ativado."));
    EXPECT_EQ(first.ask("atv", "rabuscal|\xe1RVORE \x9as"),
              sys("J\xe1 existe um grupo \xe1RVORE \x9as ativo."));
    EXPECT_EQ(second.ask("atv", "outro|um"), sys("Grupo um ativado."))
        << "another game may use the name";

    EXPECT_EQ(first.ask("dtv", "rabuscal|cinco"), sys("Grupo cinco desativado."));
    EXPECT_EQ(listing(),
              "um|127.0.0.1^dois|127.0.0.1^quatro com espa\xe7os |127.0.0.1^\xc1rvore "
              "\x8aS|127.0.0.1^");
    EXPECT_FALSE(logged("cinco")) << "no line per ordinary request";

    first.close();
    ASSERT_TRUE(waitFor([&] { return server_->groupCount() == 3; }));
    EXPECT_EQ(listing(), "dois|127.0.0.1^\xc1rvore \x8aS|127.0.0.1^");
    EXPECT_EQ(listing("outro"), "um|127.0.0.1^");
}

TEST_F(DirectoryServiceTest, BadGroupNamesAreRefusedWithANotice) {
    WirePeer& host = peer();
    const std::string longest(kMaxGroupNameBytes, 'x');
    for (const std::string blank : {"", " \xa0 "})
        EXPECT_EQ(host.ask("atv", "rabuscal|" + blank), sys("Informe o nome do grupo."));
    for (const std::string bad : {"a|b", "a^b", "a\nb"})
        EXPECT_EQ(host.ask("atv", "rabuscal|" + bad),
                  sys("Nome do grupo inv\xe1lido (sem | nem ^)."));
    EXPECT_EQ(host.ask("atv", "rabuscal|" + longest + "y"),
              sys("Nome do grupo muito longo (m\xe1ximo de 64 caracteres)."));
    EXPECT_EQ(host.ask("atv", "rabuscal|" + longest), sys("Grupo " + longest + " ativado."));

    // A name holding "j#g" leaves "j#gb" behind: a header cut short, then
    // the next chunk opens a new request.
    EXPECT_EQ(host.ask("atv", "rabuscal|salaj#gb"), sys("Grupo sala ativado."));
    EXPECT_EQ(listing(), longest + "|127.0.0.1^sala|127.0.0.1^");

    // "j#g" cannot travel inside a request, but the rule stands on its own.
    EXPECT_EQ(checkGroupName("aj#gb"), NameProblem::ForbiddenText);
    EXPECT_EQ(checkGroupName("\xe1rvore"), NameProblem::None);
}

TEST_F(DirectoryServiceTest, NinthGroupFromOneConnectionIsRefusedUntilOneIsWithdrawn) {
    WirePeer& host = peer();
    for (std::size_t i = 1; i <= kMaxGroupsPerConnection; ++i)
        ASSERT_EQ(host.ask("atv", (i % 2 ? "rabuscal|g" : "outro|g") + std::to_string(i)).payload,
                  "Grupo g" + std::to_string(i) + " ativado.");
    EXPECT_EQ(host.ask("atv", "rabuscal|g9"), sys("Limite de 8 grupos por conex\xe3o atingido."));

    host.ask("dtv", "rabuscal|g1");
    EXPECT_EQ(host.ask("atv", "rabuscal|g9"), sys("Grupo g9 ativado."));
    EXPECT_EQ(peer().ask("atv", "rabuscal|g10"), sys("Grupo g10 ativado."))
        << "the limit is per connection";
}

TEST_F(DirectoryServiceTest, GarbageGetsNoReplyAndHarmsNothing) {
    peer().ask("atv", "rabuscal|sala");
    WirePeer& flooder = peer();
    flooder.send("j#gatv:rabuscal|" + std::string(200000, '^'));
    flooder.send(std::string(100000, '\xff'));

    WirePeer& pest = peer();
    std::string garbage = "no separator at all";
    garbage += "j#gxyz:unknown command";
    garbage += "j#gatv:rabuscal";  // no "|": no group name field
    garbage += "j#gdtv:rabuscal";
    garbage += "j#gjgs:";               // no game id
    garbage += "j#gjgs:rabuscal|sala";  // a game id may not hold "|"
    garbage += "j#gatv:" + std::string(kMaxGameIdBytes + 1, 'g') + "|sala";
    garbage += "j#glsg:forjada|6.6.6.6^j#gsys:oij#gmsg:oi";
    garbage += std::string("j#g\0\0\0:\xff\xfe", 10);
    garbage += "j#gj#gj#gj#";
    pest.send(garbage);

    // Replies come in order: the listing is the first and only one, and the
    // group is intact.
    EXPECT_EQ(pest.ask("jgs", "rabuscal"), (Message{"lsg", "sala|127.0.0.1^"}));
    EXPECT_EQ(pest.messages().size(), 1u);
    EXPECT_EQ(flooder.ask("jgs", "rabuscal"), (Message{"lsg", "sala|127.0.0.1^"}));
    EXPECT_EQ(server_->connectionCount(), 3u);
}

TEST_F(DirectoryServiceTest, CutRequestsAreJoinedAndBurstsAreAnsweredInBoundedTurns) {
    WirePeer& host = peer();
    host.send("j#gjgs:outroj#gatv:rabuscal|Sala");  // the network cut it here
    QTest::qWait(5);
    host.send(" Grande");
    EXPECT_EQ(host.waitMessage(2), sys("Grupo Sala Grande ativado."));
    host.send("j#gjgs:outroj#gatv:rabuscal|Tarde");  // and nothing after it
    EXPECT_EQ(host.waitMessage(4), sys("Grupo Tarde ativado."));

    // Four connections of one address ask for the list a thousand times each
    // in one go; a lobby elsewhere is still answered, and the burst is cut.
    std::vector<WirePeer*> bursting;
    std::string burst;
    for (int i = 0; i < 1000; ++i) burst += "j#gjgs:rabuscal";
    for (int i = 0; i < 4; ++i) bursting.push_back(&peer("127.0.7.1"));
    for (WirePeer* burster : bursting) burster->send(burst);
    EXPECT_EQ(listing(), "Sala Grande|127.0.0.1^Tarde|127.0.0.1^");
    QTest::qWait(200);
    std::size_t answered = 0;
    for (WirePeer* burster : bursting) answered += burster->messages().size();
    EXPECT_LE(answered, RequestRate{}.burst + 10);
    EXPECT_TRUE(logged("refused burst from 127.0.7.1"));

    // Across a network that cuts the stream anywhere, eight announcements sent
    // at once each land whole.
    support::CuttingRelay relay(server_->port(), {.seed = 7, .separator = "j#g"});
    WirePeer far(relay.port());
    ASSERT_TRUE(far.waitConnected());
    std::string announcements, expected = "Sala Grande|127.0.0.1^Tarde|127.0.0.1^";
    for (int i = 0; i < 8; ++i) {
        const std::string name = "Grupo " + std::to_string(i) + " " + std::string(40, 'a' + i);
        announcements += "j#gatv:rabuscal|" + name;
        expected += name + "|127.0.0.1^";
    }
    far.send(announcements);
    EXPECT_EQ(far.waitMessages(8).size(), 8u);
    EXPECT_EQ(listing(), expected);
}

TEST_F(DirectoryServiceTest, PeerThatStopsReadingRepliesIsReset) {
    // Big listings: 256 groups with long names.
    for (int host = 0; host < 32; ++host) {
        WirePeer& announcer = peer("127.0.2." + QString::number(host + 1));
        for (int group = 0; group < 8; ++group)
            announcer.sendRequest(
                "atv", "rabuscal|" + std::string(60, 'a' + group) + "-" + std::to_string(host));
        announcer.waitMessages(8);
    }
    // It stops being read from once its replies pile up, then is reset: the
    // kernel keeps nothing queued for it.
    const int deaf = support::rawConnect(server_->port(), nullptr, 4096);
    std::string flood;
    for (int i = 0; i < 2000; ++i) flood += "j#gjgs:rabuscal";
    ASSERT_TRUE(support::sendAll(deaf, flood));
    ASSERT_TRUE(waitFor([&] { return server_->connectionCount() == 33; }));
    ASSERT_TRUE(QTest::qWaitFor([&] { return server_->connectionCount() == 32; }, 60000));
    char bytes[4096];
    ssize_t got = 0;
    while ((got = ::recv(deaf, bytes, sizeof bytes, MSG_DONTWAIT)) > 0) {
    }
    EXPECT_EQ(got, -1);
    EXPECT_EQ(errno, ECONNRESET);
    ::close(deaf);
}

TEST_F(DirectoryServiceTest, TwoHundredConnectionsAnnounceAtOnceAndLeave) {
    constexpr int kPeers = 200;
    std::vector<WirePeer*> hosts;
    // Twenty hosts, ten connections and groups each: within the per-address limits.
    for (int i = 0; i < kPeers; ++i)
        hosts.push_back(&peer("127.0.3." + QString::number(i % 20 + 1)));
    for (int i = 0; i < kPeers; ++i) hosts[i]->sendRequest("atv", "rabuscal|g" + std::to_string(i));
    for (int i = 0; i < kPeers; ++i)
        ASSERT_EQ(hosts[i]->waitMessage(1), sys("Grupo g" + std::to_string(i) + " ativado."));

    const auto listed = protocol::readGroupList(listing());
    ASSERT_EQ(listed.size(), static_cast<std::size_t>(kPeers));
    for (const auto& group : listed) EXPECT_TRUE(group.address.starts_with("127.0.3."));

    for (WirePeer* host : hosts) host->close();
    ASSERT_TRUE(waitFor([&] { return server_->connectionCount() == 0; }));
    EXPECT_EQ(server_->groupCount(), 0u);
}

TEST_F(DirectoryServiceTest, EachAddressHoldsAFairShareOfConnectionsAndGroups) {
    start({.connections = 3, .groups = 2});
    WirePeer& first = peer("127.0.0.5");
    peer("127.0.0.5");
    WirePeer& third = peer("127.0.0.5");
    WirePeer& refused = peer("127.0.0.5");
    EXPECT_EQ(refused.waitMessage(1), sys("Limite de 3 conex\xf5"
                                          "es por endere\xe7o atingido. Tente mais tarde."));
    EXPECT_TRUE(refused.waitClosed());
    EXPECT_TRUE(logged("refused connections from 127.0.0.5"));

    EXPECT_EQ(first.ask("atv", "rabuscal|um"), sys("Grupo um ativado."));
    EXPECT_EQ(third.ask("atv", "rabuscal|dois"), sys("Grupo dois ativado."));
    EXPECT_EQ(third.ask("atv", "rabuscal|tr\xeas"),
              sys("Limite de 2 grupos por endere\xe7o atingido."));
    EXPECT_EQ(peer("127.0.0.6").ask("atv", "rabuscal|outro"), sys("Grupo outro ativado."))
        << "another address has its own share";

    first.close();  // frees a connection and a group of 127.0.0.5
    ASSERT_TRUE(waitFor([&] { return server_->groupCount() == 2; }));
    EXPECT_EQ(peer("127.0.0.5").ask("atv", "rabuscal|tr\xeas"), sys("Grupo tr\xeas ativado."));
}

TEST_F(DirectoryServiceTest, PeerWithoutIPv4IsNotListedButMayAsk) {
    WirePeer host(server_->port(), "::1");
    if (!host.waitConnected()) GTEST_SKIP() << "no IPv6 loopback here";
    EXPECT_EQ(host.ask("atv", "rabuscal|sala"),
              sys("Seu servidor precisa de um endere\xe7o IPv4 para ser anunciado."));
    EXPECT_EQ(host.ask("jgs", "rabuscal"), (Message{"lsg", ""}));
}

TEST(AddressToListTest, LoopbackAndPrivatePeersTakeThePublicAddressOthersKeepTheirOwn) {
    const std::string publicAddress = "203.0.113.7";
    for (const char* local :
         {"127.0.0.1", "10.1.2.3", "172.16.0.1", "172.31.255.255", "192.168.1.20", "169.254.0.9",
          "100.64.0.1", "::1", "fe80::1", "fd00::5", "::ffff:192.168.0.2"})
        EXPECT_EQ(addressToList(asio::ip::make_address(local), publicAddress), publicAddress)
            << local;
    for (const char* reachable : {"198.51.100.4", "172.32.0.1", "100.128.0.1", "11.0.0.1"})
        EXPECT_EQ(addressToList(asio::ip::make_address(reachable), publicAddress), reachable);
    EXPECT_EQ(addressToList(asio::ip::make_address("::ffff:198.51.100.4"), publicAddress),
              "198.51.100.4");
    EXPECT_EQ(addressToList(asio::ip::make_address("127.0.0.1"), ""), "127.0.0.1")
        << "without a public address every peer keeps its own";
}

// Idle connections, held with plain sockets so that the test's own event loop
// does not watch them.
TEST_F(DirectoryServiceTest, ListIsAnsweredPromptlyWithFiveThousandIdleConnections) {
    rlimit files{};
    ::getrlimit(RLIMIT_NOFILE, &files);
    files.rlim_cur = files.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &files);
    constexpr int kIdle = 5000;
    if (files.rlim_cur < 2 * kIdle + 100) GTEST_SKIP() << "open-file limit too low";
    std::vector<int> idle;
    for (int i = 0; i < kIdle; ++i) {  // 200 per address
        idle.push_back(support::rawConnect(server_->port(),
                                           ("127.4.0." + std::to_string(1 + i / 200)).c_str()));
        ASSERT_GE(idle.back(), 0);
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return server_->connectionCount() == kIdle; }, 30000));

    EXPECT_EQ(listing(), "") << "answered within the peer's wait";
    for (int fd : idle) ::close(fd);
}

}  // namespace
}  // namespace rabuscal::directory
