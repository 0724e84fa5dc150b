#include "print/printouts.h"

#include <gtest/gtest.h>

namespace qb::print {
namespace {

using Items = PrintedItems;

TEST(RecordPrintout, PrintsTheDateLineAndTheTextAsOneItemBetweenSpacerLines) {
    EXPECT_EQ(recordPrintout("12/25/26", "Buy tickets\r\nfor the show"),
              (Items{"   ", "Reminder date : 12/25/26", "  ", "Buy tickets\r\nfor the show", "  ", " "}));
}

TEST(RecordPrintout, EmptyFieldsKeepAllSixLines) {
    EXPECT_EQ(recordPrintout("", "Call the bank"),
              (Items{"   ", "Reminder date : ", "  ", "Call the bank", "  ", " "}));
    EXPECT_EQ(recordPrintout("", ""), (Items{"   ", "Reminder date : ", "  ", "", "  ", " "}));
}

TEST(RecordPrintout, KeepsTheTextByteForByte) {
    // A trailing CR LF (as imported records have) and Windows-1252 letters pass through untouched.
    const std::string text = "Caf\xE9 \x80 5\r\n";
    EXPECT_EQ(recordPrintout("01/02/03", text)[3], text);
}

TEST(ReminderPrintout, DateLineHasFourSpacesBetweenDateAndTime) {
    EXPECT_EQ(reminderPrintout("Reminder dated: 12/06/26\r\n\r\nFeed the cat\r\n", "12-06-2026", "14:03:59"),
              (Items{"   ", "The set of reminders was printed on: 12-06-2026    14:03:59", "  ",
                     "Reminder dated: 12/06/26\r\n\r\nFeed the cat\r\n", " "}));
}

TEST(ReminderPrintout, AnEmptyListStillPrintsFiveLines) {
    EXPECT_EQ(reminderPrintout("", "01-01-2027", "00:00:00"),
              (Items{"   ", "The set of reminders was printed on: 01-01-2027    00:00:00", "  ", "", " "}));
}

} // namespace
} // namespace qb::print
