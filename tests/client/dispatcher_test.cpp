// SPDX-License-Identifier: GPL-3.0-or-later
// What a player sees of the server's messages: status, joining, the drawer
// announcement, points, the player list, and what a bad number does.

#include <gtest/gtest.h>

#include <algorithm>

#include "client/player_order.h"
#include "client/texts.h"
#include "client_rig.h"

namespace rabuscal::client {
namespace {

using testing::ClientRig;

const std::string kYouDraw = "> Voc\xea \xe9 o M\xe3o De Vaca!!!";

TEST(Dispatcher, CopyNotJoinedActsOnlyOnSysAndOnjAndLeavingResetsPointsAndList) {
    ClientRig rig;
    rig.receive({"pts:100", "lst:  10 bia|", "mdv:bia", "sys:> Esse nick j\xe1 existe."});
    EXPECT_EQ(rig.view.status(), "> Esse nick j\xe1 existe.");
    EXPECT_EQ(rig.client.session().pontos, "0");
    EXPECT_EQ(rig.view.listShown, 0);
    EXPECT_EQ(rig.drawerNick, "");

    rig.receive({"onj:", "pts:100"});
    EXPECT_TRUE(rig.client.session().joined);
    EXPECT_EQ(rig.view.joined, true);
    EXPECT_EQ(rig.view.joinCaption, "Sair do jogo");
    EXPECT_EQ(rig.view.points, "100");

    // Leaving resets the points and the list but keeps the drawer.
    rig.receive({"mdv:bia", "lst:xxxx bia|  10 ana|", "off:"});
    EXPECT_FALSE(rig.client.session().joined);
    EXPECT_EQ(rig.view.joined, false);
    EXPECT_EQ(rig.view.joinCaption, "Entrar no jogo");
    EXPECT_EQ(rig.view.points, "0");
    EXPECT_TRUE(rig.view.list.empty());
    EXPECT_EQ(rig.drawerNick, "bia");
    rig.receive({"pts:50"});
    EXPECT_EQ(rig.view.points, "0") << "no longer joined";
}

TEST(Dispatcher, MessagesOfOneChunkApplyInOrderAndUnknownOrClientOnlyOnesChangeNothing) {
    ClientRig rig;
    rig.join();
    rig.receive({"mdw:100|50", "pts:100", "cls:", "sys:> Valendo...", "PTS:5", "xyz:1", "mup:1|2",
                 "ini:gato", "tnt:gato", "slc:bob", "pt"});
    EXPECT_EQ(rig.view.points, "100");
    EXPECT_EQ(rig.pixel(100, 50), kWhiteValue) << "the clear came after the dot";
    EXPECT_EQ(rig.pixel(1, 2), kWhiteValue);
    EXPECT_EQ(rig.view.page, Page::Default);
    EXPECT_EQ(rig.view.status(), "> Valendo...");
    ASSERT_EQ(rig.view.changes.size(), 1u) << "one repaint per chunk";
    EXPECT_EQ(rig.view.changes[0], QRect(0, 0, Board::kWidth, Board::kHeight));
    EXPECT_TRUE(rig.view.chat.empty());
    EXPECT_TRUE(rig.errors.empty());
}

TEST(Dispatcher, DrawerAnnouncementComparesTheNickExactlyAndEmptyMeansNobody) {
    ClientRig ana("ana");
    EXPECT_TRUE(ana.client.session().drawerControlsShown) << "shown until the first announcement";
    EXPECT_FALSE(ana.view.drawerControls.has_value());
    ana.join();
    ana.receive({"mdv:ana"});
    EXPECT_EQ(ana.drawerNick, "ana");
    EXPECT_EQ(ana.view.status(), kYouDraw);
    EXPECT_EQ(ana.view.drawerControls, true);
    EXPECT_TRUE(ana.client.session().isDrawer());
    ana.receive({"mdv:"});
    EXPECT_EQ(ana.drawerNick, "");
    EXPECT_EQ(ana.view.drawerControls, false);
    EXPECT_FALSE(ana.client.session().isDrawer());
    EXPECT_EQ(ana.view.status(), ">  \xe9 o M\xe3o De Vaca!!!");

    ClientRig other("Ana");
    other.join();
    other.receive({"mdv:ana"});
    EXPECT_EQ(other.view.status(), "> ana \xe9 o M\xe3o De Vaca!!!");
    EXPECT_EQ(other.view.drawerControls, false);
    EXPECT_FALSE(other.client.session().isDrawer());
}

TEST(Dispatcher, PointsAndNoticesAreShownAsReceivedUpToWhatALabelCanShow) {
    ClientRig rig;
    rig.join();
    rig.receive({"pts:007"});
    EXPECT_EQ(rig.view.points, "007");

    const std::string huge(10 << 20, '9');
    rig.receive({"pts:" + huge, "sys:" + huge});
    EXPECT_EQ(rig.view.points, huge.substr(0, texts::kMaximumShownPoints));
    EXPECT_EQ(rig.client.session().pontos, huge) << "kept whole: it is not a number";
    EXPECT_EQ(rig.view.status(), huge.substr(0, texts::kMaximumShownStatus));
    rig.receive({"mdv:" + huge});
    EXPECT_EQ(rig.view.status(), "> " + huge.substr(0, texts::kMaximumShownStatus - 2));
}

TEST(PlayerList, DrawerFirstThenHighestPointsAndOnlyAsManyAsAServerHolds) {
    ClientRig rig;
    rig.join();
    rig.receive({"lst:  10 ana| 100 bob|xxxx cid"});  // the last entry may lack its bar
    EXPECT_EQ(rig.view.list, (std::vector<std::string>{"xxxx cid", " 100 bob", "  10 ana"}));

    rig.receive({"lst:  10 ana|  10 Bia|  10 cid|  10 bia|   5 zeca|"});
    // Equal points: descending nick, letter case aside.
    EXPECT_EQ(rig.view.list[0], "  10 cid");
    EXPECT_EQ(rig.view.list[3], "  10 ana");
    EXPECT_EQ(rig.view.list[4], "   5 zeca");

    rig.receive({"lst:"});
    EXPECT_TRUE(rig.view.list.empty());
    EXPECT_EQ(rig.view.listShown, 3) << "every list replaces the last, selection gone";

    // A huge list: only as many players as a server holds, with short lines.
    std::string payload = "xxxx " + std::string(1000, 'n') + "|";
    for (int i = 0; i < 100000; ++i) payload += "   1 p" + std::to_string(i) + "|";
    const std::vector<std::string> lines = playerListLines(payload);
    ASSERT_EQ(lines.size(), kMaximumListedPlayers);
    EXPECT_EQ(lines.front(), "xxxx " + std::string(100, 'n')) << "the nick as far as it is read";
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "   1 p254"), 1);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "   1 p255"), 0);
}

TEST(PlayerOrder, BlanksSymbolsDigitsLettersAndCaseOrAccentsOnlyBetweenOtherwiseEqualNicks) {
    // á and ç compare as a and c, the plain letter first; Ã and ã are one
    // letter; þ comes after z.
    const std::pair<std::string_view, std::string_view> ascending[] = {
        {" ", "!"},           {"!", "0"},        {"9", "a"},     {"  99 x", " 100 x"},
        {"9999 x", "xxxx a"}, {"ab", "abc"},     {"ANA", "anb"}, {"ANA", "ana"},
        {"\341bel", "agata"}, {"ana", "\341na"}, {"\347", "d"},  {"\303o", "\343p"},
        {"zz", "\376"}};
    for (const auto& [low, high] : ascending) {
        EXPECT_LT(comparePlayerLines(low, high), 0) << low << " before " << high;
        EXPECT_GT(comparePlayerLines(high, low), 0) << high << " after " << low;
    }
    EXPECT_EQ(comparePlayerLines("ana", "ana"), 0);
}

// Connecting, failing and dropping on real sockets:
// Games.JoiningAnnouncesTheFirstPlayerAsDrawerAndALostServerKeepsLampAndJoinedFlag and
// OneCopy.UnreachableServerTurnsTheLampMaroonAndTheNextPressTriesAgain.
TEST(ConnectionEvents, AnErrorOnAnEstablishedConnectionKeepsTheLampAndADisconnectThePoints) {
    ClientRig rig;
    rig.client.setLamp(Lamp::Red);
    rig.client.CliConnect();
    EXPECT_EQ(rig.view.lamp, Lamp::Red) << "connecting leaves the lamp red";
    rig.receive({"onj:", "pts:40"});
    EXPECT_EQ(rig.view.lamp, Lamp::Lime);
    rig.client.CliError();
    EXPECT_EQ(rig.view.lamp, Lamp::Lime) << "an established connection keeps its colour";
    rig.link.up = false;
    rig.client.CliDisconnect();
    EXPECT_TRUE(rig.client.session().joined) << "only the lobby clears the joined flag";
    EXPECT_EQ(rig.view.points, "40");
}

TEST(BadNumbers, StopTheChunkAndAreReportedOnce) {
    ClientRig rig;
    rig.join();
    rig.receive({"mdw:10|20", "mov:x|5", "pts:50", "mov:30|20"});
    EXPECT_EQ(rig.pixel(10, 20), 0) << "messages before it keep their effect";
    EXPECT_EQ(rig.pixel(25, 20), kWhiteValue);
    EXPECT_EQ(rig.view.points, "0") << "the rest of the chunk is dropped";
    ASSERT_EQ(rig.errors.size(), 1u);
    EXPECT_NE(rig.errors[0].find("'x'"), std::string::npos);
    EXPECT_EQ(rig.view.changes.size(), 1u) << "what was drawn is still repainted";

    rig.receive({"pts:50"});
    EXPECT_EQ(rig.view.points, "50") << "the connection goes on";
}

TEST(Reader, MessagesCutByTheNetworkAreReadWholeAndANewConnectionStartsAfresh) {
    ClientRig rig;
    rig.join();
    rig.client.CliRead("$-$pt");
    rig.client.CliRead("s:100$-$cls:$-$msg:ana falou: bom d");
    EXPECT_EQ(rig.view.points, "100") << "a cut header waits for its rest";

    rig.client.CliRead("ia$-$pts:9");
    ASSERT_EQ(rig.view.chat.size(), 1u);
    EXPECT_EQ(rig.view.chat[0].paragraphs[2].text, "bom dia");
    rig.client.CliRead("0");
    EXPECT_EQ(rig.view.points, "100") << "the last message of a read waits";
    rig.client.CliQuiet();
    EXPECT_EQ(rig.view.points, "90") << "until the stream is quiet";

    rig.client.CliRead("$-$cls:$-$pts:30");
    rig.client.CliDisconnect();
    EXPECT_EQ(rig.view.points, "30") << "or ends";

    rig.client.CliRead("$-$pt");
    rig.client.CliConnect();
    rig.client.CliRead("$-$pts:20");
    EXPECT_EQ(rig.view.points, "20") << "a new connection starts a fresh stream";
}

}  // namespace
}  // namespace rabuscal::client
