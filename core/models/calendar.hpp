// Gregorian calendar maths and the calendar widget's geometry, shared by its
// model, its pointer input and its painting.
#pragma once

#include <cstdint>

namespace orvy {

// The month title row and the weekday row above the day grid.
inline constexpr float calendar_header = 40.0f;
inline constexpr float calendar_weekday_row = 24.0f;

constexpr bool is_leap_year(std::int64_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

// 30 for a month outside 1..12, so a bad month never indexes out of the table.
constexpr std::int32_t days_in_month(std::int64_t year, std::int32_t month)
{
    constexpr std::int32_t lengths[12] { 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
    if (month < 1 || month > 12)
        return 30;
    return month == 2 && is_leap_year(year) ? 29 : lengths[month - 1];
}

// Monday 0 … Sunday 6 of a date of the proleptic Gregorian calendar, by the
// days since 1970-01-01 (a Thursday).
constexpr std::int32_t weekday_monday_first(std::int64_t year, std::int32_t month, std::int32_t day)
{
    std::int64_t y = month <= 2 ? year - 1 : year;
    std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    std::int64_t year_of_era = y - era * 400;
    std::int64_t day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    std::int64_t day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
    std::int64_t days = era * 146097 + day_of_era - 719468;
    return static_cast<std::int32_t>(((days + 3) % 7 + 7) % 7);
}

}
