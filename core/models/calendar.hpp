// Gregorian calendar maths and the calendar widget's geometry, shared by its
// model, its pointer input and its painting.
#pragma once

#include "core/base/geometry.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>

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

// The month a calendar shows: its own, December for one outside 1..12.
constexpr std::int32_t calendar_shown_month(std::int32_t month) { return month >= 1 && month <= 12 ? month : 12; }

// The width of each arrow zone at the ends of the header: 40 px, and a third
// of a calendar narrower than three zones, so the two never overlap and the
// month title keeps the middle.
inline float calendar_arrow_width(float width) { return std::min(40.0f, std::max(width, 0.0f) / 3); }

// The day grid below the header and the weekday row: seven columns of w / 7
// and six rows of max((h − 64) / 6, 1). A day's cell is its slot less a
// margin on every side that is 2 px in a roomy slot and shrinks with a
// cramped one (a twelfth of the slot's smaller side, at least half a pixel,
// never more than a quarter), so cells never touch or turn inside out at any
// size. Painting draws the cells and pointer input picks them through this
// one description.
struct CalendarGrid {
    static constexpr int columns = 7;
    static constexpr int rows = 6;

    PointF origin;
    float column = 0;
    float row = 0;
    float margin = 0;

    RectF slot(int index) const
    {
        return { origin.x + static_cast<float>(index % columns) * column,
            origin.y + static_cast<float>(index / columns) * row, column, row };
    }
    RectF cell(int index) const
    {
        RectF s = slot(index);
        return { s.x + margin, s.y + margin, std::max(s.w - 2 * margin, 0.0f), std::max(s.h - 2 * margin, 0.0f) };
    }
    // The slot (row × 7 + column) under a point, none outside the grid.
    std::optional<int> slot_at(PointF point) const
    {
        double c = std::floor((static_cast<double>(point.x) - origin.x) / column);
        double r = std::floor((static_cast<double>(point.y) - origin.y) / row);
        if (!(c >= 0 && c < columns && r >= 0 && r < rows))
            return std::nullopt;
        return static_cast<int>(r) * columns + static_cast<int>(c);
    }
};

inline CalendarGrid calendar_grid(RectF rect)
{
    float top = calendar_header + calendar_weekday_row;
    CalendarGrid grid { { rect.x, rect.y + top }, rect.w / 7, std::max((rect.h - top) / 6, 1.0f), 0 };
    float side = std::min(grid.column, grid.row);
    grid.margin = side > 0 ? std::min(std::clamp(side / 12, 0.5f, 2.0f), side / 4) : 0.0f;
    return grid;
}

// The slot of a day of the month: the first day sits in its weekday's column.
constexpr int calendar_slot_of(std::int64_t year, std::int32_t month, int day)
{
    return weekday_monday_first(year, month, 1) + day - 1;
}

}
