// The calendar at every size from roomy down to a few pixels: what it draws
// stays inside it, no two texts meet, and a press where a day number is
// drawn picks that day.
#include "core/models/calendar.hpp"
#include "core/paint/painter.hpp"
#include "core/paint/recording_canvas.hpp"
#include "core/text/fixed_advance_text_engine.hpp"
#include "tests/core/input/pointer_fixture.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace orvy {

namespace {

// A rectangle cut down to another; empty (zero size) when they are apart.
RectF intersection(RectF a, RectF b)
{
    float left = std::max(a.x, b.x), top = std::max(a.y, b.y);
    float right = std::min(a.right(), b.right()), bottom = std::min(a.bottom(), b.bottom());
    return { left, top, std::max(right - left, 0.0f), std::max(bottom - top, 0.0f) };
}

bool is_empty(RectF r) { return r.w <= 0 || r.h <= 0; }

// Overlap of more than a rounding error.
bool overlaps(RectF a, RectF b)
{
    RectF both = intersection(a, b);
    return both.w > 0.01f && both.h > 0.01f;
}

bool inside(RectF inner, RectF outer, float slack = 0.01f)
{
    return inner.x >= outer.x - slack && inner.y >= outer.y - slack && inner.right() <= outer.right() + slack
        && inner.bottom() <= outer.bottom() + slack;
}

// One text as it shows: its box, and the part of its glyphs the clips in
// force let through. The deterministic engine gives each code unit half the
// font size and a line 1.25 times it, the lines centred in the box.
struct ShownText {
    std::u16string text;
    RectF box;
    RectF ink;
};

std::vector<ShownText> shown_texts(RecordingCanvas const& canvas)
{
    std::vector<ShownText> shown;
    std::vector<RectF> clips;
    for (DrawCommand const& command : canvas.commands()) {
        if (command.op == DrawOp::PushClip)
            clips.push_back(clips.empty() ? command.rect : intersection(clips.back(), command.rect));
        else if (command.op == DrawOp::PopClip)
            clips.pop_back();
        else if (command.op == DrawOp::DrawText) {
            std::size_t lines = 1, longest = 0, run = 0;
            for (char16_t unit : command.text) {
                run = unit == u'\n' ? 0 : run + 1;
                lines += unit == u'\n';
                longest = std::max(longest, run);
            }
            float width = FixedAdvanceTextEngine::advance(command.font_size) * static_cast<float>(longest);
            float height = FixedAdvanceTextEngine::line_height(command.font_size) * static_cast<float>(lines);
            RectF box = command.rect;
            RectF ink { box.x + (box.w - width) / 2, box.y + (box.h - height) / 2, width, height };
            if (!clips.empty())
                ink = intersection(ink, clips.back());
            shown.push_back({ command.text, box, ink });
        }
    }
    return shown;
}

bool is_number(std::u16string const& text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; });
}

struct CalendarFixture : PointerFixture {
    NodeId calendar = 0;
    FixedAdvanceTextEngine text;
    RecordingCanvas canvas;
    PaintContext context;

    explicit CalendarFixture(RectF rect, CalendarModel date = { 2026, 7, 14 })
    {
        width = 1000;
        height = 1000;
        calendar = add(NodeKind::Calendar, rect);
        model<CalendarModel>(calendar) = date;
        lay_out();
        context.viewport_width = width;
        context.viewport_height = height;
        context.palette = palette_of(ThemeId::Light);
        context.text = &text;
        context.formats = make_frame_formats(text, 0, 20);
        context.now = now;
    }
    std::vector<ShownText> paint()
    {
        canvas.reset();
        paint_node(canvas, context, tree, calendar);
        return shown_texts(canvas);
    }
};

// From wider than the texts need down to a few pixels, in a roomy and in a
// low box (the weekday heads alone need 64 px of height).
std::vector<RectF> calendar_sizes()
{
    std::vector<RectF> sizes;
    for (float w :
        { 420.0f, 350.0f, 240.0f, 200.0f, 160.0f, 134.0f, 120.0f, 100.0f, 77.0f, 50.0f, 30.0f, 13.0f, 6.0f, 1.0f }) {
        for (float h : { 320.0f, 170.0f, 110.0f, 70.0f, 30.0f })
            sizes.push_back({ 40, 30, w, h });
    }
    return sizes;
}

std::string size_name(RectF r) { return std::to_string(r.w) + " x " + std::to_string(r.h); }

}

TEST(CalendarPaint, nothing_is_drawn_outside_the_calendar_and_no_two_texts_meet_at_any_size)
{
    for (RectF rect : calendar_sizes()) {
        SCOPED_TRACE(size_name(rect));
        CalendarFixture f(rect);
        std::vector<ShownText> shown = f.paint();
        EXPECT_EQ(f.canvas.clip_depth(), 0u);
        EXPECT_EQ(f.canvas.unmatched_pops(), 0u);
        for (std::size_t i = 0; i < shown.size(); ++i) {
            if (is_empty(shown[i].ink))
                continue;
            EXPECT_TRUE(inside(shown[i].ink, rect)) << "text " << i;
            for (std::size_t j = i + 1; j < shown.size(); ++j)
                EXPECT_FALSE(overlaps(shown[i].ink, shown[j].ink)) << "texts " << i << " and " << j;
        }
        // The selected day's fill stays in its cell, itself inside the calendar.
        for (DrawCommand const& fill : f.canvas.of(DrawOp::FillRect))
            EXPECT_EQ(fill.clip_depth, 1u);
    }
}

TEST(CalendarPaint, day_numbers_keep_to_their_cells_and_shrink_only_when_cramped)
{
    float roomy_size = 0;
    for (RectF rect : calendar_sizes()) {
        SCOPED_TRACE(size_name(rect));
        CalendarFixture f(rect);
        std::vector<ShownText> shown = f.paint();
        int numbers = 0;
        for (ShownText const& day : shown) {
            if (!is_number(day.text))
                continue;
            ++numbers;
            EXPECT_TRUE(inside(day.ink, day.box)) << std::string(day.text.begin(), day.text.end());
        }
        EXPECT_EQ(numbers, 31); // every day of July is drawn, however small
        if (rect.w == 420.0f && rect.h == 320.0f) {
            // Roomy: the numbers keep the heading size and the 2 px margin of their cells.
            for (DrawCommand const& command : f.canvas.of(DrawOp::DrawText)) {
                if (is_number(command.text))
                    roomy_size = command.font_size;
            }
            RectF first_day = calendar_grid(rect).cell(calendar_slot_of(2026, 7, 1));
            EXPECT_FLOAT_EQ(first_day.w, 60 - 4);
            EXPECT_FLOAT_EQ(first_day.h, (320 - 64) / 6.0f - 4);
        }
    }
    EXPECT_FLOAT_EQ(roomy_size, 24.0f);
}

TEST(CalendarPaint, cells_are_inset_from_their_slots_and_never_meet)
{
    for (RectF rect : calendar_sizes()) {
        SCOPED_TRACE(size_name(rect));
        CalendarGrid grid = calendar_grid(rect);
        for (int slot = 0; slot < 42; ++slot) {
            RectF cell = grid.cell(slot);
            EXPECT_GE(cell.w, 0.0f);
            EXPECT_GE(cell.h, 0.0f);
            EXPECT_TRUE(inside(cell, grid.slot(slot)));
            if (slot % 7 < 6) {
                EXPECT_LT(cell.right(), grid.cell(slot + 1).x);
            }
            if (slot < 35) {
                EXPECT_LT(cell.bottom(), grid.cell(slot + 7).y);
            }
        }
    }
}

TEST(CalendarPaint, a_press_on_a_drawn_day_number_picks_that_day_at_every_size)
{
    for (RectF rect : calendar_sizes()) {
        // Text boxes are laid out at least 1 px wide, so below a pixel per
        // column the drawn box no longer tells where the cell is.
        if (rect.w < 7)
            continue;
        SCOPED_TRACE(size_name(rect));
        CalendarFixture f(rect);
        for (ShownText const& day : f.paint()) {
            if (!is_number(day.text) || day.box.h < 0.5f || day.box.y + day.box.h / 2 >= rect.bottom())
                continue; // drawn below a calendar too low for its grid, and clipped away
            int number = std::stoi(std::string(day.text.begin(), day.text.end()));
            f.model<CalendarModel>(f.calendar).day = number == 1 ? 2 : 1;
            f.wait(500); // no double click
            f.click(day.box.x + day.box.w / 2, day.box.y + day.box.h / 2);
            EXPECT_EQ(f.model<CalendarModel>(f.calendar).day, number);
        }
    }
}

TEST(CalendarPaint, the_arrow_zones_never_overlap_and_step_the_month)
{
    for (float w : { 350.0f, 100.0f, 60.0f, 9.0f }) {
        SCOPED_TRACE(w);
        CalendarFixture f({ 0, 0, w, 300 });
        float arrow = calendar_arrow_width(w);
        EXPECT_LE(2 * arrow, w);
        f.click(arrow / 2, 20);
        EXPECT_EQ(f.model<CalendarModel>(f.calendar).month, 6u);
        f.wait(500);
        f.click(w - arrow / 2, 20);
        f.wait(500);
        f.click(w - arrow / 2, 20);
        EXPECT_EQ(f.model<CalendarModel>(f.calendar).month, 8u);
    }
}

}
