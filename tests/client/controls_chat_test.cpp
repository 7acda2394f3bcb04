// SPDX-License-Identifier: GPL-3.0-or-later
// The drawer's round controls and the chat window's input and entries.

#include <gtest/gtest.h>

#include "client_rig.h"

namespace rabuscal::client {
namespace {

using testing::ClientRig;

// Refusing a copy that is not the drawer is checked through the windows, in
// OneCopy.RoundControlsRefuseWhoIsNotTheDrawerAndDisconnectingKeepsTheJoinCaption.
TEST(StartRound, RefusalsComeInOrderThenThePhraseGoesOutAndThePictureIsLaid) {
    ClientRig nobody("");
    nobody.join();
    nobody.client.roundControls().btOkpMouseUp("gato");
    EXPECT_EQ(nobody.view.status(), "> Voc\xea n\xe3o \xe9 o M\xe3o De Vaca para iniciar um jogo.")
        << "an empty DrawerNick is nobody";

    ClientRig ana("ana");
    ana.joinAsDrawer("0");
    ana.receive({"mdw:5|5"});
    ana.client.roundControls().btDesMouseDown();
    ana.client.roundControls().btOkpMouseUp("");
    EXPECT_EQ(ana.view.status(), "> Defina uma frase para jogar.");
    EXPECT_EQ(ana.view.page, Page::Desenho);
    ana.client.roundControls().btOkpMouseUp("a\xe7\xe3o $-$pts:999");
    EXPECT_EQ(ana.takeSent(), std::vector<std::string>{"$-$ini:a\xe7\xe3o $- $pts:999"});
    EXPECT_EQ(ana.view.page, Page::Default);
    EXPECT_EQ(ana.pixel(5, 5), kWhiteValue) << "the empty picture is white";

    ana.receive({"pts:5"});
    ana.client.roundControls().btOkpMouseUp("gato");
    EXPECT_EQ(ana.view.status(), "> Jogo j\xe1 est\xe1 em andamento.");
    EXPECT_TRUE(ana.link.sent.empty());

    // Not connected: nothing goes out, the board is still prepared.
    ana.link.up = false;
    ana.receive({"pts:0", "mdw:5|5"});
    ana.client.roundControls().btOkpMouseUp("gato");
    EXPECT_EQ(ana.pixel(5, 5), kWhiteValue);
}

TEST(HandOver, RefusalsAndTheChosenNick) {
    ClientRig ana("ana");
    ana.joinAsDrawer();
    ana.client.roundControls().btTrocMouseDown(std::nullopt);
    EXPECT_EQ(ana.view.status(), "> Selecione um jogador.");

    ana.view.statuses.clear();
    ana.client.roundControls().btTrocMouseDown("xxxx ana");
    EXPECT_TRUE(ana.link.sent.empty()) << "the drawer's own line";
    EXPECT_TRUE(ana.view.statuses.empty());

    ana.client.roundControls().btTrocMouseDown("  40 bia");
    const std::string longNick(120, 'n');
    ana.client.roundControls().btTrocMouseDown("  10 " + longNick);
    EXPECT_EQ(ana.takeSent(),
              (std::vector<std::string>{"$-$mdv:bia", "$-$mdv:" + std::string(100, 'n')}));
}

TEST(Guess, RefusalsThenTheGuessAsTypedAndNothingOffline) {
    ClientRig ana("ana");
    ana.joinAsDrawer("0");
    EXPECT_FALSE(ana.client.chatInput().btTentarMouseDown("gato"));
    EXPECT_EQ(ana.view.status(), "> N\xe3o tem jogo em andamento.");
    ana.receive({"pts:100"});
    EXPECT_FALSE(ana.client.chatInput().btTentarMouseDown("gato"));
    EXPECT_EQ(ana.view.status(), "> O M\xe3o De Vaca n\xe3o pode jogar.");

    ClientRig bia("bia");
    bia.receive({"onj:", "mdv:ana", "pts:100"});
    EXPECT_TRUE(bia.client.chatInput().btTentarMouseDown(" Gato$-$avs:x "));
    EXPECT_EQ(bia.takeSent(), std::vector<std::string>{"$-$tnt: Gato$- $avs:x "});

    bia.link.up = false;
    const auto shown = bia.view.statuses.size();
    bia.client.roundControls().btTermMouseDown();
    EXPECT_EQ(bia.view.statuses.size(), shown) << "ending offline shows not even a refusal";
    EXPECT_FALSE(bia.client.chatInput().btTentarMouseDown("gato")) << "Frase keeps its text";
}

TEST(ChatLine, EnterSendsWhileJoinedAndTheReleaseAlwaysClears) {
    ClientRig bia("bia$-$");
    ChatInput& input = bia.client.chatInput();
    input.FraseKeyDown(ChatInput::kEnterKey, "oi");
    EXPECT_TRUE(bia.link.sent.empty()) << "not joined";
    EXPECT_TRUE(input.FraseKeyUp(ChatInput::kEnterKey));
    EXPECT_FALSE(input.FraseKeyUp('A'));

    bia.join();
    input.FraseKeyDown('A', "oi");
    input.FraseKeyDown(ChatInput::kEnterKey, "");
    input.FraseKeyDown(ChatInput::kEnterKey, "$-$mdv:bia");
    // An end that would run into the next separator gets a blank.
    input.FraseKeyDown(ChatInput::kEnterKey, "custa 5$-");
    input.FraseKeyDown(ChatInput::kEnterKey, "custa 5$");
    EXPECT_EQ(bia.takeSent(),
              (std::vector<std::string>{
                  "$-$msg:bia$- $ falou: ", "$-$msg:bia$- $ falou: $- $mdv:bia",
                  "$-$msg:bia$- $ falou: custa 5$- ", "$-$msg:bia$- $ falou: custa 5$ "}));
}

TEST(ChatEntries, SpeechHeadingEndsAtTheFirstColonBlankBoldThenTextIndented) {
    ClientRig rig;
    rig.join();
    rig.receive({"msg:bia falou: oi: tudo bem?", "avs:bia tentou \"gato\" e... ACERTOU !",
                 "msg:a: b falou: c", "msg:sem separador"});
    ASSERT_EQ(rig.view.chat.size(), 4u);
    const auto& speech = rig.view.chat[0].paragraphs;
    ASSERT_EQ(speech.size(), 3u);
    EXPECT_EQ(speech[0], (ChatParagraph{"", 0, 0, kNavy, false})) << "the chat's own look";
    EXPECT_EQ(speech[1], (ChatParagraph{"bia falou:", 3, 17, kBlack, true}));
    EXPECT_EQ(speech[2], (ChatParagraph{"oi: tudo bem?", 15, 0, kBlack, false}));

    const auto& notice = rig.view.chat[1].paragraphs;
    ASSERT_EQ(notice.size(), 2u);
    EXPECT_EQ(notice[0], (ChatParagraph{"", 15, 0, kBlack, false})) << "keeps the last look";
    EXPECT_EQ(notice[1],
              (ChatParagraph{"bia tentou \"gato\" e... ACERTOU !", 3, 0, kMaroon, true}));
    EXPECT_EQ(rig.view.chat[2].paragraphs[1].text, "a:");
    EXPECT_EQ(rig.view.chat[2].paragraphs[2].text, "b falou: c");
    EXPECT_EQ(rig.view.chat[3].paragraphs[1].text, "sem separador");
    EXPECT_EQ(rig.view.chat[3].paragraphs[2].text, "");
}

TEST(ChatEntries, OneChunkIsShownAtOnceWithOnlyWhatTheChatKeepsAndTextsCut) {
    ClientRig rig;
    rig.join();
    std::string chunk;
    for (int i = 0; i < 4000; ++i) chunk += "$-$avs:aviso " + std::to_string(i);
    chunk += "$-$msg:" + std::string(10000, 'h') + ": " + std::string(1 << 20, 't');
    rig.client.CliRead(chunk);
    EXPECT_EQ(rig.view.chatBatches, 1);
    std::size_t lines = 0;
    for (const ChatEntry& entry : rig.view.chat) lines += entry.paragraphs.size();
    EXPECT_LE(lines, kMaximumChatLines);
    EXPECT_GT(lines, kMaximumChatLines - 3);
    EXPECT_EQ(rig.view.chat.front().paragraphs[1].text, "aviso 1502") << "the newest entries";
    const auto& speech = rig.view.chat.back().paragraphs;
    EXPECT_EQ(speech[1].text, std::string(kMaximumShownText, 'h') + "...");
    EXPECT_EQ(speech[2].text, std::string(kMaximumShownText, 't') + "...");

    rig.receive({"pts:5"});
    EXPECT_EQ(rig.view.chatBatches, 1) << "a chunk without chat shows nothing in it";
}

}  // namespace
}  // namespace rabuscal::client
