// SPDX-License-Identifier: GPL-3.0-or-later
// The directory client's rules without a socket: a fake link records what
// would go out, a recorder what the windows would be told.

#include "directory/client/directory_client.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace rabuscal::directory {
namespace {

using Texts = std::vector<std::string>;

struct FakeLink : DirectoryLink {
    bool active() const override { return up; }
    void send(std::string_view message) override { sent += message; }
    void open() override { ++opens; }
    bool up = false;
    std::string sent;
    int opens = 0;
};

struct Recorder : DirectoryView {
    void showMainStatus(std::string_view text) override { main.emplace_back(text); }
    void showServerStatus(std::string_view text) override { server.emplace_back(text); }
    void showLamp(Lamp colour) override { lamps.push_back(colour); }
    void showGroups() override { ++groupChanges; }
    void reportLost() override { ++lost; }
    void reportFailure() override { ++failures; }
    Texts main, server;
    std::vector<Lamp> lamps;
    int groupChanges = 0, lost = 0, failures = 0;
};

class DirectoryClientRules : public ::testing::Test {
  protected:
    void connect() {
        link.up = true;
        client.connected();
    }
    FakeLink link;
    Recorder seen;
    DirectoryClient client{link, seen};
};

// Only the last request made while connecting goes out, once: checked
// against the real service by
// DirectoryConnectionTest.TwoRequestsMadeWhileConnectingSendOnlyTheSecond.
TEST_F(DirectoryClientRules, ConnectedEachRequestGoesOutAtOnceAndDeactivationRelistsWhenConnected) {
    client.activateGroup("dois");
    connect();
    const int opens = link.opens;
    client.askGroups();
    client.activateGroup("sala");
    EXPECT_EQ(link.sent, "j#gatv:rabuscal|doisj#gjgs:rabuscalj#gatv:rabuscal|sala");
    EXPECT_EQ(client.pendingMessage(), "j#gatv:rabuscal|sala") << "stays stored";
    EXPECT_EQ(link.opens, opens);

    client.received("j#glsg:sala|1.2.3.4^");
    link.sent.clear();
    client.deactivateGroup("sala");
    EXPECT_TRUE(client.Grupos().empty());
    EXPECT_TRUE(client.GroupAddresses().empty());
    EXPECT_EQ(link.sent, "j#gdtv:rabuscal|salaj#gjgs:rabuscal");
    EXPECT_EQ(client.pendingMessage(), "j#gdtv:rabuscal|sala");
    link.up = false;
    link.sent.clear();
    client.deactivateGroup("sala");
    EXPECT_EQ(link.sent, "") << "the list is asked for only on a connected link";
    EXPECT_EQ(link.opens, opens + 1);
}

TEST_F(DirectoryClientRules, LinkEventsAndRepliesShowTheirTextsLampsAndLists) {
    client.askGroups();
    client.connecting();
    EXPECT_EQ(seen.main, (Texts{"", "Acessando servidor principal..."}));
    EXPECT_EQ(client.lamp(), Lamp::Red);

    connect();
    client.received("");
    EXPECT_EQ(client.lamp(), Lamp::Red) << "an empty read is no chunk";
    client.received("j#gsys:Grupo sala ativado.j#gmsg:Ol\xe1!");
    EXPECT_EQ(client.lamp(), Lamp::Lime);
    // A reply cut by the network waits for its rest, or for a quiet moment.
    client.received("j#gxyz:nadaj#glsg:um|1.2");
    client.received(".3.4^dois|5.6.7.8^");
    EXPECT_TRUE(client.Grupos().empty());
    client.quiet();
    EXPECT_EQ(seen.server, Texts{">>> Grupo sala ativado."});
    EXPECT_EQ(seen.main.back(), ">>> Ol\xe1!");
    EXPECT_EQ(client.Grupos(), (Texts{"um", "dois"}));
    EXPECT_EQ(client.GroupAddresses(), (Texts{"1.2.3.4", "5.6.7.8"}));
    EXPECT_EQ(client.addressAt(1), "5.6.7.8");
    EXPECT_EQ(client.addressAt(2), "");
    EXPECT_EQ(client.addressAt(-1), "");

    // A last record without its "^" or its "|" is left out.
    client.received("j#glsg:um|1.2.3.4^tr\xeas|9.9");
    EXPECT_EQ(client.Grupos(), Texts{"um"});
    client.received("j#glsg:um|1.2.3.4^sem barra");
    EXPECT_EQ(client.Grupos(), Texts{"um"});
    EXPECT_EQ(client.GroupAddresses(), Texts{"1.2.3.4"});
    client.received("j#glsg:");
    EXPECT_TRUE(client.Grupos().empty());
    EXPECT_TRUE(client.GroupAddresses().empty());
    EXPECT_EQ(seen.groupChanges, 4);
    client.failed();
    EXPECT_EQ(client.lamp(), Lamp::Lime) << "still connected";

    link.up = false;
    client.disconnected();
    EXPECT_EQ(seen.main.back(), "Desconectado.");
    client.askGroups();
    client.failed();
    EXPECT_EQ(seen.main.back(), "Falha no acesso ao servidor.");
    EXPECT_EQ(seen.lamps,
              (std::vector<Lamp>{Lamp::Red, Lamp::Lime, Lamp::Maroon, Lamp::Red, Lamp::Maroon}));
    EXPECT_EQ(seen.lost, 1);
    EXPECT_EQ(seen.failures, 2);
}

}  // namespace
}  // namespace rabuscal::directory
