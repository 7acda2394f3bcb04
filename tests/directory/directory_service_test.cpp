// The directory service on a loopback port, driven with raw bytes.

#include <gtest/gtest.h>

#include <QHostAddress>
#include <memory>

#include "directory/group_name.h"
#include "directory/limits.h"
#include "directory/net/tcp_directory_server.h"
#include "directory/wire_peer.h"

namespace rabuscal::directory {
namespace {

using protocol::Message;
using testing::WirePeer;

class DirectoryServiceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        testing::ensureApp();
        server_ = std::make_unique<TcpDirectoryServer>(
            [this](const std::string& line) { log_.push_back(line); });
        ASSERT_FALSE(server_->start(QHostAddress::LocalHost, 0).has_value());
    }

    // A connected peer, kept alive by the fixture.
    WirePeer& peer() {
        peers_.push_back(std::make_unique<WirePeer>(server_->port()));
        EXPECT_TRUE(peers_.back()->connected());
        return *peers_.back();
    }
    std::string listing(std::string_view game = "rabuscal") {
        WirePeer& asker = peer();
        const Message reply = asker.ask("jgs", game);
        asker.close();
        EXPECT_EQ(reply.command, "lsg");
        return reply.payload;
    }
    bool waitForNoConnections() {
        return QTest::qWaitFor([&] { return server_->rules().connectionCount() == 0; },
                               testing::kWaitMsecs);
    }

    std::unique_ptr<TcpDirectoryServer> server_;
    std::vector<std::unique_ptr<WirePeer>> peers_;
    std::vector<std::string> log_;
};

Message sys(std::string text) {
    return {"sys", std::move(text)};
}

TEST_F(DirectoryServiceTest, AnnouncedGroupIsListedWithItsAddressUntilWithdrawn) {
    WirePeer& host = peer();
    EXPECT_EQ(host.ask("atv", "rabuscal|sala"), sys("Grupo sala ativado."));
    EXPECT_EQ(listing(), "sala|127.0.0.1^");

    EXPECT_EQ(host.ask("dtv", "rabuscal|sala"), sys("Grupo sala desativado."));
    EXPECT_EQ(listing(), "");
    EXPECT_FALSE(log_.empty()) << "every request is logged";
}

TEST_F(DirectoryServiceTest, GroupsAreListedPerGameInOrderOfAnnouncement) {
    WirePeer& first = peer();
    WirePeer& second = peer();
    first.ask("atv", "rabuscal|um");
    second.ask("atv", "rabuscal|dois");
    first.ask("atv", "outro|tr\xeas");
    first.ask("atv", "rabuscal|quatro com espa\xe7os ");

    EXPECT_EQ(listing(), "um|127.0.0.1^dois|127.0.0.1^quatro com espa\xe7os |127.0.0.1^");
    EXPECT_EQ(listing("outro"), "tr\xeas|127.0.0.1^");
    EXPECT_EQ(listing("ningu\xe9m"), "");
}

TEST_F(DirectoryServiceTest, ClosingTheAnnouncingConnectionDropsItsGroupsOnly) {
    WirePeer& leaving = peer();
    WirePeer& staying = peer();
    leaving.ask("atv", "rabuscal|vai");
    staying.ask("atv", "rabuscal|fica");
    leaving.ask("atv", "outro|vai2");
    leaving.close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return server_->rules().groups().size() == 1; },
                                testing::kWaitMsecs));

    EXPECT_EQ(listing(), "fica|127.0.0.1^");
    EXPECT_EQ(listing("outro"), "");
}

TEST_F(DirectoryServiceTest, NameAlreadyListedForTheGameIsRefusedWithANotice) {
    WirePeer& first = peer();
    WirePeer& second = peer();
    first.ask("atv", "rabuscal|sala");
    EXPECT_EQ(second.ask("atv", "rabuscal|sala"), sys("J\xe1 existe um grupo sala ativo."));
    EXPECT_EQ(first.ask("atv", "rabuscal|sala"), sys("J\xe1 existe um grupo sala ativo."));
    EXPECT_EQ(second.ask("atv", "rabuscal|Sala"), sys("Grupo Sala ativado."))
        << "names are compared exactly";
    EXPECT_EQ(second.ask("atv", "outro|sala"), sys("Grupo sala ativado."))
        << "another game may use the name";
    EXPECT_EQ(listing(), "sala|127.0.0.1^Sala|127.0.0.1^");
}

TEST_F(DirectoryServiceTest, NobodyWithdrawsAGroupAnotherConnectionAnnounced) {
    WirePeer& owner = peer();
    WirePeer& other = peer();
    owner.ask("atv", "rabuscal|sala");
    EXPECT_EQ(other.ask("dtv", "rabuscal|sala"),
              sys("O grupo sala foi ativado por outro servidor."));
    EXPECT_EQ(other.ask("dtv", "rabuscal|nenhuma"), sys("O grupo nenhuma n\xe3o est\xe1 ativo."));
    EXPECT_EQ(listing(), "sala|127.0.0.1^");
}

TEST_F(DirectoryServiceTest, BadGroupNamesAreRefusedWithANotice) {
    WirePeer& host = peer();
    const std::string longest(kMaxGroupNameBytes, 'x');
    EXPECT_EQ(host.ask("atv", "rabuscal|"), sys("Informe o nome do grupo."));
    EXPECT_EQ(host.ask("atv", "rabuscal|a|b"), sys("Nome do grupo inv\xe1lido (sem | nem ^)."));
    EXPECT_EQ(host.ask("atv", "rabuscal|a^b"), sys("Nome do grupo inv\xe1lido (sem | nem ^)."));
    EXPECT_EQ(host.ask("atv", "rabuscal|a\nb"), sys("Nome do grupo inv\xe1lido (sem | nem ^)."));
    EXPECT_EQ(host.ask("atv", "rabuscal|" + longest + "y"),
              sys("Nome do grupo muito longo (m\xe1ximo de 64 caracteres)."));
    EXPECT_EQ(host.ask("atv", "rabuscal|" + longest), sys("Grupo " + longest + " ativado."));
    EXPECT_EQ(listing(), longest + "|127.0.0.1^");

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
    EXPECT_EQ(server_->rules().connectionCount(), 3u);
}

TEST_F(DirectoryServiceTest, PeerThatStopsReadingRepliesIsDropped) {
    // Big listings: 256 groups with long names.
    for (int host = 0; host < 32; ++host) {
        WirePeer& announcer = peer();
        for (int group = 0; group < 8; ++group)
            announcer.sendRequest(
                "atv", "rabuscal|" + std::string(60, 'a' + group) + "-" + std::to_string(host));
        announcer.waitMessages(8);
    }
    WirePeer& deaf = peer();
    deaf.socket().setReadBufferSize(1);
    std::string flood;
    for (int i = 0; i < 2000; ++i) flood += "j#gjgs:rabuscal";
    deaf.send(flood);

    EXPECT_TRUE(QTest::qWaitFor([&] { return server_->rules().connectionCount() == 32; }, 60000));
}

TEST_F(DirectoryServiceTest, TwoHundredConnectionsAnnounceAtOnceAndLeave) {
    constexpr int kPeers = 200;
    std::vector<WirePeer*> hosts;
    for (int i = 0; i < kPeers; ++i) hosts.push_back(&peer());
    for (int i = 0; i < kPeers; ++i) hosts[i]->sendRequest("atv", "rabuscal|g" + std::to_string(i));
    for (int i = 0; i < kPeers; ++i)
        ASSERT_EQ(hosts[i]->waitMessage(1), sys("Grupo g" + std::to_string(i) + " ativado."));

    const auto listed = protocol::readGroupList(listing());
    ASSERT_EQ(listed.size(), static_cast<std::size_t>(kPeers));
    for (const auto& group : listed) EXPECT_EQ(group.address, "127.0.0.1");

    for (WirePeer* host : hosts) host->close();
    ASSERT_TRUE(waitForNoConnections());
    EXPECT_EQ(server_->rules().groups().size(), 0u);
}

TEST(PeerAddressTest, IPv4MappedPeersAreWrittenAsDottedIPv4) {
    EXPECT_EQ(peerAddressText(QHostAddress("::ffff:10.1.2.3")), "10.1.2.3");
    EXPECT_EQ(peerAddressText(QHostAddress("192.168.0.7")), "192.168.0.7");
    EXPECT_EQ(peerAddressText(QHostAddress("2001:db8::1")), "2001:db8::1");
}

}  // namespace
}  // namespace rabuscal::directory
