#include <gtest/gtest.h>
#include <random>

#include "platform/cp1252.h"
#include "search/search_criteria.h"

using namespace qb::search;
using qb::store::Record;

namespace {

bool found(std::string_view s1, std::string_view s2, std::string_view date, const Record& record) {
    return matches(SearchCriteria::fromTyped(s1, s2, date), record);
}

} // namespace

// Either string or the date is enough; each criterion is sought in its own field only, as one whole substring.
TEST(MatchRule, EitherStringOrTheDateIsEnoughEachAWholeSubstringOfItsOwnField) {
    const Record record{"12/25/26", "Buy tickets for the show"};
    EXPECT_TRUE(found("tickets", "", "", record));
    EXPECT_TRUE(found("", "show", "", record));
    EXPECT_TRUE(found("tickets", "absent", "", record)); // S1 but not S2
    EXPECT_TRUE(found("absent", "show", "", record));
    EXPECT_TRUE(found("absent", "absent", "12/25/", record)); // the date alone
    EXPECT_FALSE(found("absent", "also absent", "01/01/", record));
    EXPECT_FALSE(found("", "", "", record)); // no criterion, no match
    const Record call{"12/25/26", "call 01/02/03"};
    EXPECT_FALSE(found("12/25", "", "", call));    // a string only in the reminder date
    EXPECT_FALSE(found("", "", "01/02/03", call)); // a date only in the text
    EXPECT_FALSE(found("", "", "12/25/26", Record{"", "12/25/26"}));
    EXPECT_FALSE(found("", "", "12/25/26", Record{"", ""})); // no reminder date never matches a date
    const Record car{"", "Red Car parked"};
    EXPECT_FALSE(found("red  car", "", "", car)); // two spaces
    EXPECT_FALSE(found("car red", "", "", car));  // never split into words
    EXPECT_TRUE(found(" car ", "", "", car));
    EXPECT_FALSE(found(" red", "", "", car)); // the leading space counts
    EXPECT_TRUE(found("ed", "", "", car));    // inside a word
    EXPECT_FALSE(found("parked!", "", "", car));
    EXPECT_TRUE(found("two\r\nlines", "", "", Record{"", "has two\r\nlines"}));
    EXPECT_TRUE(found("", "", "12/25/", Record{"12/25/26", "x"})); // a date is a substring of the reminder date
    EXPECT_TRUE(found("", "", "12/25/", Record{"12/25/36", "x"}));
    EXPECT_FALSE(found("", "", "12/25/26", Record{"12/25/2", "x"}));
    EXPECT_TRUE(found("", "", "12/25/2", Record{"12/25/26", "x"}));
}

TEST(MatchRule, CaseIsIgnoredAlsoForAccentedLetters) {
    EXPECT_TRUE(found("red car", "", "", Record{"", "My Red Car."}));
    EXPECT_TRUE(found("RED CAR", "", "", Record{"", "my red car"}));
    // é É, ÿ Ÿ, š Š, œ Œ, ž Ž in Windows-1252, both ways round
    const std::pair<const char*, const char*> pairs[] = {
        {"\xE9", "\xC9"}, {"\xFF", "\x9F"}, {"\x9A", "\x8A"}, {"\x9C", "\x8C"}, {"\x9E", "\x8E"}};
    for (const auto& [lower, upper] : pairs) {
        EXPECT_TRUE(found(lower, "", "", Record{"", std::string("x") + upper + "y"})) << lower;
        EXPECT_TRUE(found(upper, "", "", Record{"", std::string("x") + lower + "y"})) << upper;
    }
    // Only letters change: the sign ÷ (0xF7) is not the upper case of × (0xD7).
    EXPECT_FALSE(found("\xF7", "", "", Record{"", "\xD7"}));
    EXPECT_FALSE(found("e", "", "", Record{"", "\xC9"})); // accents are not dropped
}

TEST(FilePattern, IsPlainConcatenationWithTheLastYearCharacter) {
    EXPECT_EQ(filePattern("c:\\quill", "12", "25", "26"), "c:\\quill\\1225*.6*");
    EXPECT_EQ(filePattern("c:\\quill", "12", "25", "6"), "c:\\quill\\1225*.6*");
    EXPECT_EQ(filePattern("c:\\quill", "", "", ""), "c:\\quill\\*.*");
    EXPECT_EQ(filePattern("c:\\quill", "", "", "26"), "c:\\quill\\*.6*");
    EXPECT_EQ(filePattern("c:\\quill", "5", "", ""), "c:\\quill\\5*.*"); // as typed, not padded
    EXPECT_EQ(filePattern("c:\\quill", " 1", "", ""), "c:\\quill\\ 1*.*");
    EXPECT_EQ(filePattern("c:\\quill", "", "25", ""), "c:\\quill\\??25*.*");
}

TEST(MatchRule, UpperCaseAgreesWithTheCodePageForEveryCharacter) {
    // Each character as the first and as the last of a criterion, short texts and long ones.
    const auto upper = [](int c) {
        return static_cast<char>(qb::platform::cp1252ToUpper(static_cast<unsigned char>(c)));
    };
    for (const std::size_t length : {std::size_t{1}, std::size_t{20}}) {
        for (int a = 1; a < 256; ++a) {
            for (int b = 0; b < 256; ++b) {
                const bool same = upper(a) == upper(b);
                const std::string around(length, static_cast<char>(b));
                const std::string text = around + "Q" + around;
                ASSERT_EQ(containsUpperCased(text, std::string(1, upper(a)) + "Q"), same) << a << " " << b;
                ASSERT_EQ(containsUpperCased(text, std::string("Q") + upper(a)), same) << a << " " << b;
            }
        }
    }
}

TEST(MatchRule, AgreesWithUpperCasingTheWholeText) {
    // Texts over a few letters, so that partial matches, repeats and overlaps are frequent.
    std::mt19937 random(7);
    const std::string letters = "aAbB\xE9\xC9 ";
    const auto make = [&](std::size_t length) {
        std::string s;
        for (std::size_t i = 0; i < length; ++i)
            s += letters[random() % letters.size()];
        return s;
    };
    for (int round = 0; round < 20000; ++round) {
        const std::string text = make(random() % 60); // long ones are searched sixteen places at a time
        const std::string needle = qb::platform::cp1252ToUpper(make(1 + random() % 4));
        const bool expected = qb::platform::cp1252ToUpper(text).find(needle) != std::string::npos;
        ASSERT_EQ(found(needle, "", "", Record{"", text}), expected) << text << " / " << needle;
    }
}
