// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/payloads.h"

#include <gtest/gtest.h>

using namespace rabuscal::protocol;

TEST(ReadInt, AcceptsDecimalWithOptionalMinusWithin32Bits) {
    EXPECT_EQ(readInt("007"), 7);
    EXPECT_EQ(readInt("-15"), -15);
    EXPECT_EQ(readInt("2147483647"), 2147483647);
    EXPECT_EQ(readInt("-2147483648"), INT32_MIN);
    for (const char* bad : {"", "-", "+3", "+", "-+3", " 1", "1 ", "1a", "2147483648",
                            "-2147483649", "0x10", "99999999999999999999"})
        EXPECT_THROW(readInt(bad), BadNumber) << bad;
}

TEST(ReadInt, ReportNamesTheTextButStaysShort) {
    try {
        readInt(std::string(8 << 20, 'z'));
        FAIL();
    } catch (const BadNumber& e) {
        EXPECT_LT(std::string(e.what()).size(), 100u);
        EXPECT_EQ(e.text().size(), 8u << 20);
    }
}

TEST(ReadPoint, SplitsAtTheFirstBarAndReadsAtMostTenCharactersOfY) {
    EXPECT_EQ(readPoint("10|20"), (Point{10, 20}));
    EXPECT_EQ(readPoint("-3|450"), (Point{-3, 450}));
    EXPECT_EQ(readPoint("1|0000000012trailing"), (Point{1, 12}));
    EXPECT_THROW(readPoint("1020"), BadNumber);
    EXPECT_THROW(readPoint("1|2|3"), BadNumber);
    EXPECT_THROW(readPoint("|5"), BadNumber);
    EXPECT_THROW(readPoint("+5|+7"), BadNumber) << "the wire writes no plus sign";
    EXPECT_EQ(writePoint(-1, 264), "-1|264");
}

TEST(PixelBlock, PaintsRowByRowFromTheTopLeft) {
    std::string text = "100|50|";
    for (int i = 0; i < 25; ++i) text += std::to_string(i == 3 ? kOffBoard : kWhite - i) + "|";
    text += "0";
    std::vector<std::pair<int, int>> order;
    std::vector<int> colours;
    forEachBlockPixel(text, [&](int x, int y, int colour) {
        order.emplace_back(x, y);
        colours.push_back(colour);
    });
    ASSERT_EQ(order.size(), 25u);
    EXPECT_EQ(order.front(), std::make_pair(98, 48));
    EXPECT_EQ(order[4], std::make_pair(102, 48));
    EXPECT_EQ(order.back(), std::make_pair(102, 52));
    EXPECT_EQ(colours[3], kOffBoard);
    EXPECT_EQ(colours[24], kWhite - 24);
}

TEST(PixelBlock, BadFieldStopsAfterThePixelsBeforeIt) {
    std::string text = "0|0|";
    for (int i = 0; i < 24; ++i) text += "0|";
    text += "0";  // the 25th colour lacks its "|"
    int painted = 0;
    EXPECT_THROW(forEachBlockPixel(text, [&](int, int, int) { ++painted; }), BadNumber);
    EXPECT_EQ(painted, 24);
    EXPECT_THROW(forEachBlockPixel("1|2|x|", [](int, int, int) {}), BadNumber);
}

TEST(PlayerList, EntriesAndNicks) {
    EXPECT_EQ(pointsField(12345, false), "2345");
    EXPECT_EQ(pointsField(5, false), "   5");
    EXPECT_EQ(pointsField(-7, false), "  -7");
    EXPECT_EQ(pointsField(5, true), "xxxx");

    const auto entries = splitPlayerList("xxxx Ana|  10 Bia|  20 c|d|");
    ASSERT_EQ(entries.size(), 4u);  // a nick holding "|" reads as two entries
    EXPECT_EQ(entryNick(entries[0]), "Ana");
    EXPECT_EQ(entryNick(entries[3]), "");
    EXPECT_TRUE(splitPlayerList("").empty());
    // A remainder without its "|" ends the list as a last entry.
    EXPECT_EQ(splitPlayerList("  10 Bia|  20 Ca").back(), "  20 Ca");
    EXPECT_EQ(entryNick("   1 " + std::string(150, 'n')).size(), 100u);
}

TEST(GroupList, ReadsRecordsAndStopsAtAnIncompleteOne) {
    EXPECT_EQ(readGroupList("sala|10.0.0.1^jogo 2|host.lan^"),
              (std::vector<Group>{{"sala", "10.0.0.1"}, {"jogo 2", "host.lan"}}));
    EXPECT_TRUE(readGroupList("").empty());
    EXPECT_EQ(readGroupList("sala|10.0.0.1^resto|sem fim"),
              (std::vector<Group>{{"sala", "10.0.0.1"}}));
    EXPECT_EQ(readGroupList("sem barra"), (std::vector<Group>{}));
    EXPECT_EQ(writeGroupList({{"a", "1.2.3.4"}}), "a|1.2.3.4^");
}

TEST(UpperAscii, ChangesOnlyPlainLetters) {
    EXPECT_EQ(upperAscii("gato"), "GATO");
    EXPECT_EQ(upperAscii("a\xe7\xe3o!"), "A\xe7\xe3O!");  // ação: accents keep their case
}
