#include <gtest/gtest.h>

#include "platform/clock.h"

using namespace qb::platform;

TEST(ClockText, FixedWidthZeroPadded) {
    const LocalDateTime m{2027, 1, 3, 9, 5, 7};
    EXPECT_EQ(dateText(m), "01-03-2027");
    EXPECT_EQ(timeText(m), "09:05:07");
    EXPECT_EQ(timeText({2026, 12, 6, 23, 59, 59}), "23:59:59");
}

TEST(ClockArithmetic, CarriesAcrossMinutesDaysMonthsAndLeapYears) {
    EXPECT_EQ(addSeconds({2026, 12, 31, 23, 59, 59}, 1), (LocalDateTime{2027, 1, 1, 0, 0, 0}));
    EXPECT_EQ(addSeconds({2028, 2, 28, 23, 59, 58}, 3), (LocalDateTime{2028, 2, 29, 0, 0, 1}));
    EXPECT_EQ(addSeconds({2027, 2, 28, 23, 59, 59}, 1), (LocalDateTime{2027, 3, 1, 0, 0, 0}));
    EXPECT_EQ(addSeconds({2027, 1, 1, 0, 0, 0}, -1), (LocalDateTime{2026, 12, 31, 23, 59, 59}));
}

TEST(SystemClock, GivesAPlausibleLocalMoment) {
    const LocalDateTime now = SystemClock().now();
    EXPECT_GE(now.year, 2020);
    EXPECT_GE(now.month, 1);
    EXPECT_LE(now.month, 12);
    EXPECT_EQ(dateText(now).size(), 10u);
}
