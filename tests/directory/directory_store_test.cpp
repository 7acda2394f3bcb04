// SPDX-License-Identifier: GPL-3.0-or-later
// Several rabuscal-directory instances sharing one redis-server of the test's own.

#include <gtest/gtest.h>

#include "directory/service_process.h"

namespace rabuscal::directory {
namespace {

using protocol::Message;
using testing::kPatience;
using testing::RedisProcess;
using testing::ServiceProcess;
using testing::waitFor;
using testing::WirePeer;

Message sys(std::string_view text) {
    return {"sys", std::string(text)};
}

const std::string kStoreFailed = "N\xe3o foi poss\xedvel ativar o grupo agora. Tente mais tarde.";

class DirectoryStoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!RedisProcess::available())
            GTEST_SKIP() << RedisProcess::kBinary << " is missing: apt-get install redis-server";
        support::coreApplication();
        redis_ = std::make_unique<RedisProcess>();
    }
    // A short time-to-live keeps the test short: a dead instance's groups
    // go within two seconds.
    std::unique_ptr<ServiceProcess> instance() {
        auto service = std::make_unique<ServiceProcess>(
            QStringList{"--store", redis_->url(), "--store-ttl", "2"});
        EXPECT_NE(service->port(), 0);
        EXPECT_TRUE(service->waitOutput("connected"));
        return service;
    }
    static std::string listing(const ServiceProcess& service) {
        WirePeer asker(service.port());
        return asker.waitConnected() ? asker.ask("jgs", "rabuscal").payload : "<no connection>";
    }
    static bool waitListing(const ServiceProcess& service, const std::string& expected,
                            int msecs = kPatience) {
        return waitFor([&] { return listing(service) == expected; }, msecs);
    }

    std::unique_ptr<RedisProcess> redis_;
};

TEST_F(DirectoryStoreTest, TwoInstancesServeOneListInOrderOfAnnouncement) {
    auto a = instance(), b = instance();
    WirePeer onA(a->port()), onB(b->port());
    ASSERT_TRUE(onA.waitConnected() && onB.waitConnected());
    EXPECT_EQ(onA.ask("atv", "rabuscal|um"), sys("Grupo um ativado."));
    EXPECT_EQ(onB.ask("atv", "rabuscal|dois"), sys("Grupo dois ativado."));
    EXPECT_EQ(onA.ask("atv", "rabuscal|tr\xeas"), sys("Grupo tr\xeas ativado."));
    const std::string all = "um|127.0.0.1^dois|127.0.0.1^tr\xeas|127.0.0.1^";
    EXPECT_EQ(listing(*b), all);
    EXPECT_EQ(listing(*a), all);

    EXPECT_EQ(onB.ask("atv", "rabuscal|um"), sys("J\xe1 existe um grupo um ativo."));
    EXPECT_EQ(onB.ask("dtv", "rabuscal|um"), sys("O grupo um foi ativado por outro servidor."));
    EXPECT_EQ(onB.ask("dtv", "rabuscal|nada"), sys("O grupo nada n\xe3o est\xe1 ativo."));

    EXPECT_EQ(onA.ask("dtv", "rabuscal|tr\xeas"), sys("Grupo tr\xeas desativado."));
    onA.close();  // its last group goes with the connection
    EXPECT_TRUE(waitListing(*b, "dois|127.0.0.1^"));
    EXPECT_EQ(WirePeer(a->port()).ask("atv", "rabuscal|um"), sys("Grupo um ativado."))
        << "a withdrawn name is free again";
}

TEST_F(DirectoryStoreTest, KilledInstanceVanishesAndAnOutageOfTheStoreIsRidden) {
    auto a = instance(), b = instance();
    WirePeer onA(a->port()), onB(b->port());
    ASSERT_TRUE(onA.waitConnected() && onB.waitConnected());
    onA.ask("atv", "rabuscal|de-a");
    onB.ask("atv", "rabuscal|de-b");
    EXPECT_EQ(listing(*b), "de-a|127.0.0.1^de-b|127.0.0.1^");

    ::kill(static_cast<pid_t>(a->process().processId()), SIGKILL);
    EXPECT_TRUE(waitListing(*b, "de-b|127.0.0.1^", 30000));

    redis_->stop();
    EXPECT_TRUE(b->waitOutput("store lost"));
    EXPECT_EQ(listing(*b), "de-b|127.0.0.1^") << "its own groups are still served";
    EXPECT_EQ(onB.ask("atv", "rabuscal|durante"), sys(kStoreFailed))
        << "an announcement the store could not keep is refused";

    ASSERT_TRUE(redis_->start());
    EXPECT_TRUE(b->waitOutput("announcing this instance's groups again"));
    auto c = instance();
    EXPECT_TRUE(waitListing(*c, "de-b|127.0.0.1^")) << "the restarted store has them again";
    EXPECT_EQ(b->process().state(), QProcess::Running);
}

TEST_F(DirectoryStoreTest, TheFirstHostKeepsItsNamesEverywhereAfterTheStoreRestarts) {
    auto a = instance(), b = instance();
    WirePeer host(b->port());
    ASSERT_TRUE(host.waitConnected());
    for (const char* name : {"um", "dois", "tr\xeas"})
        host.ask("atv", std::string("rabuscal|") + name);
    redis_->stop();
    ASSERT_TRUE(redis_->start());

    // A stranger on the other instance claims the names (look-alikes too)
    // while the store is empty; whoever wins that race, the earlier
    // announcements take their names back.
    WirePeer stranger(a->port(), "127.0.0.1", "127.0.0.9");
    ASSERT_TRUE(stranger.waitConnected());
    for (const char* name : {"DOIS", "um", "TR\xcaS "}) {
        waitFor([&] {
            return stranger.ask("atv", std::string("rabuscal|") + name) != sys(kStoreFailed);
        });
    }
    const std::string all = "um|127.0.0.1^dois|127.0.0.1^tr\xeas|127.0.0.1^";
    EXPECT_TRUE(waitListing(*a, all, 30000));
    EXPECT_TRUE(waitListing(*b, all));
    EXPECT_EQ(host.messages().size(), 3u) << "the first host was never told it lost a name";
}

TEST_F(DirectoryStoreTest, AStoreThatMayEvictIsReportedAndOneThatRefusesWritesRefusesGroups) {
    // Full at once: with nothing to evict, every write is refused.
    redis_ = std::make_unique<RedisProcess>(
        QStringList{"--maxmemory", "1", "--maxmemory-policy", "allkeys-lru"}, "s3nha");
    auto a = instance();  // connected: the password was taken
    EXPECT_TRUE(a->waitOutput("WARNING: store 127.0.0.1:"));
    EXPECT_TRUE(a->waitOutput("may evict keys (maxmemory-policy allkeys-lru"));
    WirePeer host(a->port());
    ASSERT_TRUE(host.waitConnected());
    EXPECT_EQ(host.ask("atv", "rabuscal|sala"), sys(kStoreFailed));
    EXPECT_EQ(listing(*a), "");
}

}  // namespace
}  // namespace rabuscal::directory
