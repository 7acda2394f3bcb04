// SPDX-License-Identifier: GPL-3.0-or-later
#include "wire_text/text_codec.h"

#include <gtest/gtest.h>

TEST(TextCodec, PortugueseLettersTravelAsOneByteEach) {
    EXPECT_EQ(toWire(QStringLiteral("Mão De Vaca")), std::string("M\xE3o De Vaca"));
    EXPECT_EQ(toWire(QStringLiteral("Conexões ação ÇÉ")), std::string("Conex\xF5"
                                                                      "es a\xE7\xE3o \xC7\xC9"));
    EXPECT_EQ(fromWire("Voc\xEA n\xE3o"), QStringLiteral("Você não"));
}

TEST(TextCodec, CodePageSignsBetween80And9FMapBothWays) {
    const QString signs = QStringLiteral("€‚ƒ„…†‡ˆ‰Š‹ŒŽ‘’“”•–—˜™š›œžŸ");
    const std::string bytes = toWire(signs);
    ASSERT_EQ(bytes.size(), 27u);
    EXPECT_EQ(static_cast<unsigned char>(bytes.front()), 0x80);
    EXPECT_EQ(static_cast<unsigned char>(bytes.back()), 0x9F);
    EXPECT_EQ(fromWire(bytes), signs);
}

TEST(TextCodec, CharacterOutsideCodePageBecomesOneQuestionMark) {
    EXPECT_EQ(toWire(QStringLiteral("a日b")), "a?b");
    // Outside the basic plane: two UTF-16 units, still one character.
    EXPECT_EQ(toWire(QString::fromUcs4(U"x\U0001F600y")), "x?y");
    EXPECT_EQ(toWire(QString(QChar(0xD800))), "?");
}

// The real substitute control character 0x1A included.
TEST(TextCodec, EveryByteSurvivesTheRoundTrip) {
    std::string all;
    for (int byte = 0; byte < 256; ++byte) all.push_back(static_cast<char>(byte));
    const QString text = fromWire(all);
    EXPECT_EQ(text.size(), 256);
    EXPECT_EQ(toWire(text), all);
}
