#include <gtest/gtest.h>

#include "import/fields_answer.h"

using namespace qb::import;

TEST(FieldsAnswer, SortsAsTextBetweenOneAndFourNines) {
    for (const char* accepted : {"1", "100", "9999", "250", "10000", "1x", "9", "5 ", "1e9", "2.5"})
        EXPECT_TRUE(answerSortsInRange(accepted)) << accepted;
    for (const char* asked : {"", "0", "-1", " 5", "A", "99999", "0.4", "+3", ".5", "9a"})
        EXPECT_FALSE(answerSortsInRange(asked)) << asked;
    // Characters beyond ASCII sort after every digit, as their codes are higher.
    EXPECT_FALSE(answerSortsInRange("\xC3\xA9"));
    EXPECT_TRUE(answerSortsInRange("1\xC3\xA9"));
}

TEST(FieldsAnswer, RoundsHalvesToTheEvenNeighbour) {
    EXPECT_EQ(fieldsPerRecord("2.5"), 2);
    EXPECT_EQ(fieldsPerRecord("3.5"), 4);
    EXPECT_EQ(fieldsPerRecord("2.500"), 2);
    EXPECT_EQ(fieldsPerRecord("2.5001"), 3);
    EXPECT_EQ(fieldsPerRecord("1.49999"), 1);
    EXPECT_EQ(fieldsPerRecord("1.6"), 2);
    EXPECT_EQ(fieldsPerRecord("0.6"), 1);
    EXPECT_EQ(fieldsPerRecord("7."), 7);
}

TEST(FieldsAnswer, AcceptsWholeNumbersUpToTheSixteenBitLimit) {
    EXPECT_EQ(fieldsPerRecord("1"), 1);
    EXPECT_EQ(fieldsPerRecord("250"), 250);
    EXPECT_EQ(fieldsPerRecord("10000"), 10000);
    EXPECT_EQ(fieldsPerRecord("0003"), 3);
    EXPECT_EQ(fieldsPerRecord("32767"), 32767);
    EXPECT_EQ(fieldsPerRecord("32767.4"), 32767);
    EXPECT_EQ(fieldsPerRecord("32767.5"), std::nullopt);
    EXPECT_EQ(fieldsPerRecord("32768"), std::nullopt);
    EXPECT_EQ(fieldsPerRecord("100000000000000000000"), std::nullopt);
    EXPECT_EQ(fieldsPerRecord("00000000000000000000012"), 12);
}

TEST(FieldsAnswer, RefusesOtherNotationsAndZero) {
    for (const char* refused :
         {"5x", "1e9", "1.0e-3", "0.4", "0.5", "0", "", ".", ".5", "5 ", " 5", "-1", "+2", "1,5", "1.2.3", "&H10"})
        EXPECT_EQ(fieldsPerRecord(refused), std::nullopt) << refused;
}
