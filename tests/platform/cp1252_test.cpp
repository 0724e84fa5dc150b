#include <gtest/gtest.h>

#include "platform/cp1252.h"

using namespace qb::platform;

TEST(Cp1252, EveryByteRoundTripsThroughUtf8) {
    for (int b = 0; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        const Cp1252Conversion back = utf8ToCp1252(cp1252ToUtf8(byte));
        ASSERT_TRUE(back.ok()) << "byte " << b;
        EXPECT_EQ(back.bytes, byte) << "byte " << b;
    }
}

TEST(Cp1252, MapsTheHighRangeToItsCharacters) {
    EXPECT_EQ(cp1252ToUnicode(0x80), U'\u20AC');
    EXPECT_EQ(cp1252ToUnicode(0x9F), U'\u0178');
    EXPECT_EQ(cp1252ToUnicode(0x81), U'\u0081'); // unassigned: the C1 control of the same value
    EXPECT_EQ(cp1252ToUnicode(0xE9), U'\u00E9');
    EXPECT_EQ(cp1252ToUtf8("\x80"), "\u20AC");
}

TEST(Cp1252, RefusesCharactersItCannotHoldAndBadUtf8) {
    const Cp1252Conversion check = utf8ToCp1252("ok \u2713 no");
    EXPECT_FALSE(check.ok());
    EXPECT_EQ(*check.unmappable, U'\u2713');
    EXPECT_EQ(*utf8ToCp1252("\xC3").unmappable, U'\uFFFD');         // truncated sequence
    EXPECT_EQ(*utf8ToCp1252("\xC0\xAF").unmappable, U'\uFFFD');     // overlong
    EXPECT_EQ(*utf8ToCp1252("\xED\xA0\x80").unmappable, U'\uFFFD'); // surrogate
    EXPECT_EQ(utf8ToCp1252("caf\u00E9 \u20AC").bytes, "caf\xE9 \x80");
}

TEST(Cp1252, UpperCaseCoversAccentedLetters) {
    EXPECT_EQ(cp1252ToUpper("red car \xE9\xFF\x9A\x9C\x9E"), "RED CAR \xC9\x9F\x8A\x8C\x8E");
    EXPECT_EQ(cp1252ToUpper("\xF7\xDF\xB5"), "\xF7\xDF\xB5"); // division sign, sharp s and micro have no upper case
}

TEST(Cp1252, ValidatesUtf8) {
    EXPECT_TRUE(isValidUtf8("plain \u00E9\u20AC\U0001F600"));
    EXPECT_FALSE(isValidUtf8("caf\xE9"));
}
