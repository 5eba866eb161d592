#include "base/Cp1252.h"

#include <gtest/gtest.h>

TEST(Cp1252, EveryByteSurvivesTheRoundTrip) {
    std::string all, back;
    for (int b = 0; b < 256; ++b) all += char(b);
    ASSERT_TRUE(Utf8ToCp1252(Cp1252ToUtf8(all), back)); EXPECT_EQ(back, all);
}

TEST(Cp1252, TableMapsBothWays) {
    const std::pair<unsigned char, char32_t> cases[] = {
        {0x80, 0x20AC}, {0x81, 0x0081}, {0x8D, 0x008D}, {0x8F, 0x008F}, {0x90, 0x0090}, {0x9D, 0x009D},
        {0x8A, 0x0160}, {0x9F, 0x0178}, {0x96, 0x2013}, {0xC4, 0x00C4}, {0xDF, 0x00DF}, {0x41, 0x0041}};
    for (const auto& [byte, cp] : cases) {
        EXPECT_EQ(Cp1252ToUnicode(byte), cp) << int(byte);
        EXPECT_EQ(UnicodeToCp1252(cp), byte) << int(byte);
    }
}

TEST(Cp1252, RefusesCharactersWithoutByte) {
    std::string out; std::size_t bad = 99;
    EXPECT_FALSE(Utf8ToCp1252("ab\xE2\x86\x92" "c", out, &bad)); // U+2192 arrow
    EXPECT_EQ(bad, 2u);
    EXPECT_FALSE(Utf8ToCp1252("\xC3", out));                      // truncated sequence
    EXPECT_FALSE(Utf8ToCp1252("\xC0\x80", out));                  // overlong NUL
    EXPECT_TRUE(Utf8ToCp1252("\xC3\xA4\xE2\x82\xAC", out));       // ä€
    EXPECT_EQ(out, "\xE4\x80");
}

TEST(Cp1252, LowerCasingFollowsTheCodePage) {
    EXPECT_EQ(LowerCp1252(std::string("AZ\xC0\xC4\xD6\xDC\xDE")), "az\xE0\xE4\xF6\xFC\xFE");
    // Multiplication sign, sharp s and the lower-case letters stay.
    EXPECT_EQ(LowerCp1252(std::string("\xD7\xDF\xE4z1")), "\xD7\xDF\xE4z1");
    EXPECT_EQ(LowerCp1252(std::string("\x8A\x8C\x8E\x9F")), "\x9A\x9C\x9E\xFF");
}
