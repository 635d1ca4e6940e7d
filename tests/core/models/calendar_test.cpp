// Calendar maths checked against dates whose weekdays are known.
#include "core/models/calendar.hpp"

#include <gtest/gtest.h>

namespace orvy {

TEST(Calendar, leap_years_follow_the_gregorian_rule)
{
    EXPECT_TRUE(is_leap_year(2024));
    EXPECT_TRUE(is_leap_year(2000));
    EXPECT_FALSE(is_leap_year(1900));
    EXPECT_FALSE(is_leap_year(2026));
    EXPECT_EQ(days_in_month(2024, 2), 29);
    EXPECT_EQ(days_in_month(1900, 2), 28);
    EXPECT_EQ(days_in_month(2026, 12), 31);
}

TEST(Calendar, a_month_outside_the_year_has_thirty_days_instead_of_reading_past_the_table)
{
    EXPECT_EQ(days_in_month(2026, 0), 30);
    EXPECT_EQ(days_in_month(2026, 13), 30);
}

TEST(Calendar, weekdays_count_from_monday)
{
    EXPECT_EQ(weekday_monday_first(1970, 1, 1), 3); // Thursday
    EXPECT_EQ(weekday_monday_first(2000, 1, 1), 5); // Saturday
    EXPECT_EQ(weekday_monday_first(2000, 2, 29), 1); // Tuesday
    EXPECT_EQ(weekday_monday_first(2026, 7, 1), 2); // Wednesday
    EXPECT_EQ(weekday_monday_first(1969, 12, 31), 2); // Wednesday, before the epoch
}

}
