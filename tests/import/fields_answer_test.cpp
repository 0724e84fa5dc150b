#include <gtest/gtest.h>

#include "import/fields_answer.h"

using namespace qb::import;

TEST(FieldsAnswer, SortsAsTextBetweenOneAndFourNines) {
    for (const char* accepted : {"1", "100", "9999", "250", "10000", "1x", "9", "5 ", "1e9", "2.5", "1\xC3\xA9"})
        EXPECT_TRUE(answerSortsInRange(accepted)) << accepted;
    // Characters beyond ASCII sort after every digit, as their codes are higher.
    for (const char* asked : {"", "0", "-1", " 5", "A", "99999", "0.4", "+3", ".5", "9a", "\xC3\xA9"})
        EXPECT_FALSE(answerSortsInRange(asked)) << asked;
}

TEST(FieldsAnswer, ConvertsDecimalsRoundingHalvesToEvenWithinSixteenBits) {
    const std::pair<const char*, std::optional<int>> cases[] = {
        {"1", 1},
        {"250", 250},
        {"10000", 10000},
        {"0003", 3},
        {"7.", 7},
        {"2.5", 2},
        {"3.5", 4},
        {"2.500", 2},
        {"2.5001", 3},
        {"1.49999", 1},
        {"0.6", 1},
        {"32767", 32767},
        {"32767.4", 32767},
        {"32767.5", {}},
        {"32768", {}},
        {"0.5", {}},
        {"0", {}},
        {"100000000000000000000", {}},
        {"00000000000000000000012", 12},
        {"5x", {}},
        {"1e9", {}},
        {"1.0e-3", {}},
        {"", {}},
        {".5", {}},
        {"5 ", {}},
        {" 5", {}},
        {"-1", {}},
        {"+2", {}},
        {"1,5", {}},
        {"1.2.3", {}},
        {"&H10", {}},
        {".", {}},
    };
    for (const auto& [answer, fields] : cases)
        EXPECT_EQ(fieldsPerRecord(answer), fields) << '"' << answer << '"';
}
