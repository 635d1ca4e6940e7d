#include "core/paint/flat_area_canvas.hpp"
#include "core/paint/recording_canvas.hpp"
#include "core/text/fixed_advance_text_engine.hpp"

#include <gtest/gtest.h>

using namespace orvy;

namespace {

constexpr Color panel { 0.2f, 0.3f, 0.4f, 1 };
constexpr Color ink { 1, 1, 1, 1 };

struct Flat {
    RecordingCanvas target;
    FlatAreaCanvas canvas { target, 400, 300 };

    std::size_t fills() const
    {
        return target.of(DrawOp::FillRect).size() + target.of(DrawOp::FillRoundedRect).size()
            + target.of(DrawOp::FillEllipse).size() + target.of(DrawOp::FillPolygon).size();
    }
};

}

TEST(FlatAreaCanvas, drops_same_colour_fills_inside_a_panel_until_something_is_drawn_under_them)
{
    Flat f;
    f.canvas.clear({ 0, 0, 0, 1 });
    f.canvas.fill_rect({ 10, 10, 380, 280 }, panel);
    // Rows of the panel's colour, square or rounded, and an ellipse: no pixel changes.
    f.canvas.fill_rect({ 10, 10, 380, 36 }, panel);
    f.canvas.fill_rounded_rect({ 10, 50, 380, 36 }, 6, panel);
    f.canvas.fill_ellipse({ 20, 100, 30, 30 }, panel);
    EXPECT_EQ(f.canvas.dropped(), 3u);
    // Text in the second row: a row over it repaints, one beside it does not.
    FixedAdvanceTextEngine engine;
    auto format = engine.format(text_format_key(TextRole::Title, 0, 20));
    f.canvas.draw_text(*engine.layout(u"Ок", *format, 100, 30), { 20, 52 }, ink);
    f.canvas.fill_rect({ 10, 50, 380, 36 }, panel);
    f.canvas.fill_rect({ 10, 90, 380, 36 }, panel);
    EXPECT_EQ(f.canvas.dropped(), 4u);
    EXPECT_EQ(f.fills(), 2u);
}

TEST(FlatAreaCanvas, keeps_fills_that_could_change_a_pixel)
{
    Flat f;
    f.canvas.clear({ 0, 0, 0, 1 });
    f.canvas.fill_rect({ 10.5f, 10, 380, 280 }, panel);
    f.canvas.fill_rect({ 10.5f, 20, 50, 20 }, panel);                   // the half-covered left column
    f.canvas.fill_rect({ 20, 20, 50, 20 }, { 0.2f, 0.3f, 0.4f, 0.5f }); // translucent
    f.canvas.fill_rect({ 20, 50, 50, 20 }, { 0.2f, 0.3f, 0.41f, 1 });   // another colour
    f.canvas.fill_rect({ 370, 20, 50, 20 }, panel);                     // reaching out of the panel
    EXPECT_EQ(f.canvas.dropped(), 0u);

    // A panel filled under a clip is flat only inside the clip.
    Flat clipped;
    clipped.canvas.push_clip({ 0, 0, 200, 100 });
    clipped.canvas.fill_rect({ 0, 0, 400, 300 }, panel);
    clipped.canvas.pop_clip();
    clipped.canvas.fill_rect({ 10, 10, 50, 50 }, panel);
    clipped.canvas.fill_rect({ 10, 120, 50, 50 }, panel);
    EXPECT_EQ(clipped.canvas.dropped(), 1u);

    // A translucent clear leaves nothing known.
    Flat glass;
    glass.canvas.clear({ 0, 0, 0, 0.5f });
    glass.canvas.fill_rect({ 10, 10, 50, 50 }, { 0, 0, 0, 1 });
    glass.canvas.fill_rect({ 20, 20, 10, 10 }, { 0, 0, 0, 0.5f });
    EXPECT_EQ(glass.canvas.dropped(), 0u);
}

TEST(FlatAreaCanvas, a_large_fill_becomes_the_flat_area_and_strokes_mark_their_pen)
{
    Flat f;
    f.canvas.clear(panel);
    // A small fill of another colour stays a mark on the cleared window.
    f.canvas.fill_rect({ 100, 100, 20, 20 }, ink);
    f.canvas.fill_rect({ 105, 105, 10, 10 }, panel);
    f.canvas.fill_rect({ 200, 100, 20, 20 }, panel);
    EXPECT_EQ(f.canvas.dropped(), 1u);
    // A stroke reaches half its width past the rectangle.
    f.canvas.stroke_rect({ 10, 10, 50, 50 }, ink, 6);
    f.canvas.fill_rect({ 62, 10, 20, 20 }, panel);
    f.canvas.fill_rect({ 68, 40, 20, 20 }, panel);
    EXPECT_EQ(f.canvas.dropped(), 2u);
    // A window-sized fill of another colour is the new flat area.
    f.canvas.fill_rect({ 0, 0, 400, 300 }, ink);
    f.canvas.fill_rect({ 10, 10, 50, 50 }, ink);
    EXPECT_EQ(f.canvas.dropped(), 3u);
    EXPECT_EQ(f.target.of(DrawOp::StrokeRect).size(), 1u);
}

TEST(FlatAreaCanvas, a_clear_waits_and_leaves_out_the_panel_filled_next)
{
    Flat f;
    f.canvas.clear({ 0, 0, 0, 1 });
    EXPECT_TRUE(f.target.commands().empty());
    f.canvas.fill_rect({ 10.5f, 20, 300, 200 }, panel);
    // The bands around the panel's whole pixels, each under a clip of its own.
    auto clears = f.target.of(DrawOp::Clear);
    ASSERT_EQ(clears.size(), 4u);
    auto clips = f.target.of(DrawOp::PushClip);
    ASSERT_EQ(clips.size(), 4u);
    EXPECT_EQ(clips[0].rect, (RectF { 0, 0, 400, 20 }));
    EXPECT_EQ(clips[1].rect, (RectF { 0, 220, 400, 80 }));
    EXPECT_EQ(clips[2].rect, (RectF { 0, 20, 11, 200 }));
    EXPECT_EQ(clips[3].rect, (RectF { 310, 20, 90, 200 }));
    EXPECT_EQ(f.target.commands().back().op, DrawOp::FillRect);

    // Anything else first, or nothing at all, gets the whole clear.
    Flat text;
    text.canvas.clear({ 0, 0, 0, 1 });
    text.canvas.fill_rounded_rect({ 10, 10, 300, 200 }, 8, panel);
    EXPECT_EQ(text.target.commands().front().op, DrawOp::Clear);
    EXPECT_EQ(text.target.of(DrawOp::PushClip).size(), 0u);
    RecordingCanvas empty;
    {
        FlatAreaCanvas canvas(empty, 400, 300);
        canvas.clear({ 0, 0, 0, 1 });
    }
    EXPECT_EQ(empty.of(DrawOp::Clear).size(), 1u);
}
