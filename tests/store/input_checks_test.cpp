#include <gtest/gtest.h>

#include "store/input_checks.h"

using namespace qb::store;

TEST(ReminderDateShape, AcceptsShapeNotDigits) {
    for (const char* ok : {"", "12/25/26", "12/25/2", "12/25/", "ab/cd/ef"})
        EXPECT_TRUE(reminderDateShapeOk(ok)) << ok;
    for (const char* bad : {"12/25/2026", "1/2/26", "12/25", "12/25/ 6", "12-25-26", "/", "12/2"})
        EXPECT_FALSE(reminderDateShapeOk(bad)) << bad;
}

TEST(InputChecks, OnlyTheFirstFailingCheckIsReported) {
    CheckedBoxes boxes;
    EXPECT_FALSE(firstInputRefusal(boxes));
    boxes.quoteChecked[7] = "say \"hi\""; // the day filter, last in the order
    EXPECT_EQ(firstInputRefusal(boxes)->message, "You may not use quotation marks in the text boxes");
    boxes.reminderDate = "1/2/26";
    EXPECT_EQ(firstInputRefusal(boxes)->message, "You must enter the date using the format: MM/DD/YY");
    boxes.directory = "c:\\my notes";
    EXPECT_EQ(firstInputRefusal(boxes)->message, "You may not have spaces in the directory name specified");
}
