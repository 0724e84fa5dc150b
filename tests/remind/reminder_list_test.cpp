#include <gtest/gtest.h>

#include "remind/reminder_list.h"

using namespace qb::remind;
using qb::store::Record;

TEST(ReminderList, EntriesFollowEachOtherInTheOrderAdded) {
    ReminderList list;
    EXPECT_EQ(list.text(), "");
    list.add({"12/06/26", "Call Ann\r\nabout the car"});
    list.add({"12/06/26", "Dentist"});
    EXPECT_EQ(list.text(), "Reminder dated: 12/06/26\r\n\r\nCall Ann\r\nabout the car\r\n\r\n"
                           "--------------------\r\n\r\n"
                           "Reminder dated: 12/06/26\r\n\r\nDentist\r\n\r\n--------------------\r\n\r\n");
}

TEST(ReminderList, KeepsTheLastCharactersCuttingMidEntry) {
    // Whatever the batches, the list equals "append, then keep the last limit characters" after every entry.
    for (std::size_t limit : {std::size_t{1}, std::size_t{50}, std::size_t{97}, kReminderListLimit}) {
        ReminderList list(limit);
        std::string naive;
        for (int i = 0; i < 2000; ++i) {
            const Record record{"12/06/26", "entry " + std::to_string(i) + std::string(i % 37, 'x')};
            list.add(record);
            naive += reminderEntry(record);
            if (naive.size() > limit)
                naive.erase(0, naive.size() - limit);
            if (i % 97 == 0 || i == 1999) {
                ASSERT_EQ(list.text(), naive) << "limit " << limit << " after " << i;
            }
        }
        EXPECT_EQ(list.text().size(), limit);
    }
}

TEST(ReminderList, TheDefaultLimitIsThirtyThousandAndKeepsTheLatest) {
    ReminderList list;
    const Record big{"12/06/26", std::string(29990, 'a')};
    list.add(big);
    EXPECT_EQ(list.text(), reminderEntry(big).substr(reminderEntry(big).size() - 30000)); // starts mid-entry
    list.add({"12/06/26", "latest"});
    const std::string text = list.text();
    EXPECT_EQ(text.size(), 30000u);
    EXPECT_TRUE(text.ends_with("Reminder dated: 12/06/26\r\n\r\nlatest\r\n\r\n--------------------\r\n\r\n"));
}
