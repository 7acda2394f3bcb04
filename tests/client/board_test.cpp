// SPDX-License-Identifier: GPL-3.0-or-later
// The board: what every copy shows of the relayed strokes and blocks, and
// what the drawer's pointer sends.

#include <gtest/gtest.h>

#include <algorithm>

#include "client/texts.h"
#include "client_rig.h"

namespace rabuscal::client {
namespace {

using testing::ClientRig;

constexpr std::int32_t W = kWhiteValue, B = kBlackValue;

// A "blc" payload centred on (x, y): `first` colours, then `fill` up to
// `count` colours, then the closing 0.
std::string block(int x, int y, std::vector<std::int64_t> first = {}, std::int64_t fill = 16777215,
                  std::size_t count = 25) {
    first.resize(count, fill);
    std::string p = std::to_string(x) + "|" + std::to_string(y);
    for (std::int64_t colour : first) p += "|" + std::to_string(colour);
    return p + "|0";
}

// Rows of '#' (black) and '.' (white) around (x, y), radius r.
std::string around(const ClientRig& rig, int x, int y, int r = 2) {
    std::string out;
    for (int row = y - r; row <= y + r; ++row) {
        for (int col = x - r; col <= x + r; ++col) out += rig.pixel(col, row) == B ? '#' : '.';
        out += '\n';
    }
    return out;
}

// A joined copy that only replays what the server relays.
class BoardReplay : public ::testing::Test {
  protected:
    BoardReplay() { rig.join(); }
    ClientRig rig;
};

// This copy draws, with 100 points at stake.
class Drawer : public ::testing::Test {
  protected:
    Drawer() { rig.joinAsDrawer("100"); }
    ClientRig rig{"ana"};
};

TEST_F(BoardReplay, APressLeavesARoundDotAndMovesDrawFromTheSharedPenPosition) {
    rig.receive({"mdw:100|50"});
    EXPECT_EQ(around(rig, 100, 50),
              ".....\n"
              "..#..\n"
              ".###.\n"
              "..#..\n"
              ".....\n");
    ASSERT_EQ(rig.view.changes.size(), 1u);
    EXPECT_EQ(rig.view.changes[0], QRect(99, 49, 3, 3));

    rig.view.changes.clear();
    rig.receive({"mdw:10|10", "mov:20|10", "mov:20|30"});
    for (int x = 9; x <= 21; ++x) EXPECT_EQ(rig.pixel(x, 10), B) << x;
    for (int y = 10; y <= 31; ++y) EXPECT_EQ(rig.pixel(20, y), B) << y;
    EXPECT_EQ(rig.pixel(15, 12), W);
    EXPECT_EQ(rig.pixel(8, 10), W);
    QRect repainted;
    for (const QRect& r : rig.view.changes) repainted |= r;
    EXPECT_EQ(repainted, QRect(QPoint(9, 9), QPoint(21, 31)));

    // A later "mov" starts wherever the last message left the pen.
    rig.receive({"mov:40|30"});
    EXPECT_EQ(rig.pixel(30, 30), B);
}

TEST_F(BoardReplay, DiagonalLinesStayConnectedAndStrokesPastTheEdgeAreClipped) {
    rig.receive({"mdw:0|0", "mov:449|263"});
    // Every column from 0 to 449 holds ink; one line with no gaps.
    for (int x = 0; x < Board::kWidth; ++x) {
        bool inked = false;
        for (int y = 0; y < Board::kHeight; ++y) inked = inked || rig.pixel(x, y) == B;
        ASSERT_TRUE(inked) << x;
    }
    EXPECT_EQ(rig.pixel(449, 263), B);

    rig.receive({"cls:"});
    rig.receive({"mdw:440|100", "mov:2000000000|100"});
    EXPECT_EQ(rig.pixel(449, 100), B);
    EXPECT_EQ(rig.view.changes.back(), QRect(QPoint(439, 99), QPoint(449, 101)));

    // Nearly corner to corner of the 32-bit plane (y keeps ten characters,
    // sign included): bounded work, and the segment still crosses the board
    // on its diagonal.
    rig.receive({"cls:", "mdw:-2147483648|-2147483648", "mov:2147483647|2147483647"});
    EXPECT_EQ(rig.pixel(100, 100), W) << "y was read as -214748364";
    rig.receive({"cls:", "mdw:-999999999|-999999999", "mov:2147483647|2147483647"});
    EXPECT_EQ(rig.pixel(100, 100), B);
    EXPECT_EQ(rig.pixel(100, 90), W);
    rig.receive({"cls:", "mdw:-5|-5", "mov:-500|-9"});
    EXPECT_EQ(rig.view.changes.back(), QRect(0, 0, Board::kWidth, Board::kHeight))
        << "only the clear changed";
}

TEST_F(BoardReplay, BlocksPaintBlackAndWhiteRowByRowAndSkipWhatFallsOffTheBoard) {
    rig.receive({"mdw:100|50", "mov:102|50"});
    rig.receive({"blc:" + block(100, 50)});
    for (int y = 48; y <= 52; ++y)
        for (int x = 98; x <= 102; ++x) EXPECT_EQ(rig.pixel(x, y), W);
    EXPECT_EQ(rig.pixel(103, 50), B) << "the dot's edge outside the block stays";
    EXPECT_EQ(rig.view.changes.back(), QRect(98, 48, 5, 5));

    // The first five colours land on the top row; any value but white is black.
    rig.receive({"blc:" + block(200, 100, {0, 16777214, -1, 5})});
    EXPECT_EQ(around(rig, 200, 100),
              "####.\n"
              ".....\n"
              ".....\n"
              ".....\n"
              ".....\n");

    rig.receive({"blc:" + block(0, 0, {}, 0)});
    EXPECT_EQ(rig.pixel(0, 0), B);
    EXPECT_EQ(rig.pixel(2, 2), B);
    EXPECT_EQ(rig.pixel(3, 0), W);
    EXPECT_TRUE(rig.errors.empty());
}

TEST_F(BoardReplay, BadPayloadsFailAtTheFirstUnreadableValue) {
    rig.receive({"mdw:10"});
    rig.receive({"mdw:1a|2"});
    rig.receive({"mov:|5"});
    EXPECT_EQ(rig.errors.size(), 3u);

    // y is read from at most ten characters.
    rig.receive({"mdw:30|00000000405"});
    EXPECT_EQ(rig.pixel(30, 40), B);
    rig.receive({"mdw:30|99999999999"});
    EXPECT_EQ(rig.errors.size(), 4u) << "ten nines do not fit 32 bits";

    // A short block: the pixels read before the failure stay set.
    rig.errors.clear();
    rig.receive({"blc:" + block(100, 100, {}, 0, 7), "pts:5"});
    EXPECT_EQ(rig.errors.size(), 1u) << "the closing 0 lacks its bar";
    EXPECT_EQ(rig.pixel(98, 98), B);
    EXPECT_EQ(rig.pixel(99, 99), B);
    EXPECT_EQ(rig.pixel(100, 99), W) << "the 8th value is the closing 0";
    EXPECT_EQ(rig.view.points, "0");
}

TEST_F(Drawer, ClickWithoutMovingSendsTheDotAndTheStake) {
    rig.board().TelaMouseDown(false, 120, 60);
    rig.board().TelaMouseUp(false, 120, 60);
    EXPECT_EQ(rig.takeSent(),
              (std::vector<std::string>{"$-$mdw:120|60", "$-$pts:100", "$-$mup:120|60"}));
    EXPECT_EQ(rig.client.board().strokeLayer().pixel(121, 60), B);
    EXPECT_EQ(rig.pixel(120, 60), W) << "the board waits for the relayed message";
}

int stakeAfter(std::string_view points, int moves) {
    ClientRig rig("ana");
    rig.joinAsDrawer(points);
    rig.board().TelaMouseDown(false, 0, 0);
    for (int i = 0; i < moves; ++i) rig.board().TelaMouseMove(false, i, i);
    rig.board().TelaMouseUp(false, moves, moves);
    const auto sent = rig.takeSent();
    EXPECT_EQ(sent.size(), static_cast<std::size_t>(moves) + 3);
    EXPECT_EQ(std::count_if(sent.begin(), sent.end(),
                            [](const std::string& m) { return m.starts_with("$-$mov:"); }),
              moves);
    const std::string& pts = sent[sent.size() - 2];
    EXPECT_TRUE(pts.starts_with("$-$pts:"));
    return std::stoi(pts.substr(7));
}

TEST(Drawing, EveryMoveCostsFiveHundredthsDownToZero) {
    EXPECT_EQ(stakeAfter("100", 21), 98);
    EXPECT_EQ(stakeAfter("1", 19), 0);
    EXPECT_EQ(stakeAfter("1", 25), 0);
    EXPECT_EQ(stakeAfter("0", 40), 0);
    EXPECT_EQ(stakeAfter("-3", 10), -3) << "a negative stake is left alone";
    EXPECT_EQ(stakeAfter("2147483647", 1), 2147483646) << "no overflow in hundredths";
}

// Refusing to start a stroke is checked through the windows, in
// OneCopy.RoundControlsRefuseWhoIsNotTheDrawerAndDisconnectingKeepsTheJoinCaption.
TEST_F(Drawer, AStartedStrokeEndsWithThePressesStakeWhateverIsAnnouncedMeanwhile) {
    rig.board().TelaMouseDown(false, 5, 5);
    rig.receive({"pts:90", "mdv:bia"});  // a miss and another drawer meanwhile
    rig.board().TelaMouseMove(false, 6, 6);
    rig.board().TelaMouseUp(false, 6, 6);
    const auto sent = rig.takeSent();
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(sent[2], "$-$pts:99");
}

TEST(Drawing, ABadPointsCaptionIsReportedAndStartsNoStroke) {
    ClientRig rig("ana");
    rig.joinAsDrawer("oops");
    rig.board().TelaMouseDown(false, 5, 5);
    EXPECT_EQ(rig.errors.size(), 1u);
    EXPECT_FALSE(rig.board().Stroking());
    EXPECT_TRUE(rig.link.sent.empty());
}

TEST_F(Drawer, ShiftBlocksSendTheBoardsOwnPixelsWithMinusOneOutside) {
    rig.board().TelaMouseDown(true, 10, 20);
    rig.board().TelaMouseMove(true, 10, 20);
    rig.board().TelaMouseMove(true, 0, 0);
    rig.board().TelaMouseUp(true, 0, 0);
    const auto sent = rig.takeSent();
    ASSERT_EQ(sent.size(), 3u) << "no mdw and no mup with Shift held";
    EXPECT_EQ(sent[0], "$-$blc:" + block(10, 20));
    EXPECT_EQ(sent[2], "$-$pts:99");

    // At the corner: 16 of the 25 positions lie off the board.
    std::string corner = sent[1].substr(std::string("$-$blc:0|0").size());
    std::size_t minusOnes = 0;
    for (std::size_t at = corner.find("|-1|"); at != std::string::npos;
         at = corner.find("|-1|", at + 1))
        ++minusOnes;
    EXPECT_EQ(minusOnes, 16u);
    EXPECT_EQ(rig.view.cursor, BoardCursor::Drag);

    // The relayed corner block paints the on-board part only.
    rig.receive({sent[1].substr(3)});
    EXPECT_EQ(rig.pixel(0, 0), W);
    EXPECT_TRUE(rig.errors.empty());
}

TEST_F(Drawer, ShiftBlocksReleasingShiftMidStrokeDrawsFromTheLastPoint) {
    rig.board().TelaMouseDown(true, 50, 50);
    rig.board().TelaMouseMove(false, 60, 50);
    EXPECT_EQ(rig.takeSent(), std::vector<std::string>{"$-$mov:60|50"});
    EXPECT_EQ(rig.board().strokeLayer().pixel(55, 50), B);
    EXPECT_EQ(rig.view.cursor, BoardCursor::Arrow);
}

TEST_F(Drawer, ShiftBlocksGreyTemplateGoesOutTrueAndComesBackBlack) {
    QImage grey(Board::kWidth, Board::kHeight, QImage::Format_RGB32);
    grey.fill(qRgb(128, 128, 128));
    rig.board().setGalleryPicture(grey);
    rig.receive({"cls:"});
    rig.board().btFndMouseDown();
    EXPECT_EQ(rig.pixel(10, 10), 128 * 65536 + 128 * 256 + 128);

    rig.board().TelaMouseDown(true, 10, 10);
    rig.board().TelaMouseMove(true, 10, 10);
    const std::string block = rig.takeSent()[0];
    EXPECT_NE(block.find("|8421504|"), std::string::npos);
    EXPECT_EQ(rig.board().strokeLayer().pixel(10, 10), B);
    rig.receive({block.substr(3)});
    EXPECT_EQ(rig.pixel(10, 10), B);
}

TEST_F(Drawer, BackgroundToggleLaysThePictureAndBringsBackOwnStrokes) {
    EXPECT_EQ(rig.board().galleryPicture().isNull(), true);
    rig.board().TelaMouseDown(false, 30, 30);  // an earlier round's stroke
    rig.board().TelaMouseUp(false, 30, 30);
    rig.receive({"cls:"});  // a new round clears the board only
    EXPECT_EQ(rig.pixel(30, 30), W);

    rig.board().btFndMouseDown();
    EXPECT_TRUE(rig.board().BackgroundShown());
    EXPECT_EQ(rig.view.backgroundCaption, "Fundo vis:");
    EXPECT_EQ(rig.board().galleryPicture().size(),
              QSize(Board::kGalleryWidth, Board::kGalleryHeight));

    rig.board().btFndMouseDown();
    EXPECT_FALSE(rig.board().BackgroundShown());
    EXPECT_EQ(rig.view.backgroundCaption, "Fundo inv:");
    EXPECT_EQ(rig.pixel(30, 30), B) << "the stroke layer came back";
    EXPECT_TRUE(rig.link.sent.size() == 3u) << "toggling sends nothing";
}

TEST(Background, SmallerPictureDarkensOnlyItsOwnAreaOrWhenLaidReplacesTheBoard) {
    ClientRig shown("ana"), laid("ana");
    for (ClientRig* rig : {&shown, &laid}) {
        rig->join();
        rig->receive({"mdw:300|200"});
        QImage picture(100, 50, QImage::Format_RGB32);
        picture.fill(qRgb(10, 20, 30));
        rig->board().setGalleryPicture(picture);
    }
    shown.board().btFndMouseDown();
    EXPECT_EQ(shown.pixel(5, 5), 30 * 65536 + 20 * 256 + 10);
    EXPECT_EQ(shown.pixel(150, 5), W);
    EXPECT_EQ(shown.pixel(300, 200), B);
    EXPECT_EQ(shown.view.changes.back(), QRect(0, 0, 100, 50));

    laid.board().layGalleryPicture();
    EXPECT_EQ(laid.pixel(0, 0), 30 * 65536 + 20 * 256 + 10);
    EXPECT_EQ(laid.pixel(300, 200), W) << "outside the picture the board is white";
    EXPECT_EQ(laid.view.page, Page::Default);
}

TEST(ClearButton, ClearsOwnBoardAndTellsOthersOnlyFromTheDrawer) {
    ClientRig bia("bia");
    bia.receive({"onj:", "mdv:ana", "mdw:5|5"});
    bia.board().btClsMouseDown();
    EXPECT_EQ(bia.pixel(5, 5), W);
    EXPECT_TRUE(bia.link.sent.empty());

    ClientRig ana("ana");
    ana.joinAsDrawer();
    ana.board().btFndMouseDown();
    ana.board().btClsMouseDown();
    EXPECT_FALSE(ana.board().BackgroundShown());
    EXPECT_EQ(ana.view.backgroundCaption, "Fundo vis:") << "the caption is left as it was";
    EXPECT_EQ(ana.takeSent(), std::vector<std::string>{"$-$cls:"});
}

}  // namespace
}  // namespace rabuscal::client
