// The canvas's drawing plan: which drawings share a batch, the figures a
// batch fills, the paths a large fill splits into, and the pixels where a
// frame differs from the last.
#include "platform/win32/detail/draw_batches.hpp"
#include "tests/win32/check.hpp"

#include <algorithm>

using namespace orvy;
using namespace orvy::win32;

namespace {

constexpr Color red { 1, 0, 0, 1 };
constexpr Color blue { 0, 0, 1, 1 };
constexpr Color glass { 0, 0, 0, 0.5f };

std::size_t entry_of(DrawPlan& plan, RectF rect, Color color, BatchKind kind = BatchKind::Fill)
{
    std::optional<DrawPlan::Placed> placed = plan.place(rect, kind, color);
    return placed ? placed->entry : static_cast<std::size_t>(-1);
}

}

TEST_CASE(shapes_join_the_batch_of_their_colour_unless_a_drawing_between_overlaps)
{
    DrawPlan plan;
    CHECK(entry_of(plan, { 0, 0, 10, 10 }, red) == 0);
    CHECK(entry_of(plan, { 20, 0, 10, 10 }, blue) == 1);
    // Text beside both: the next red shape passes it and the blue one.
    CHECK(entry_of(plan, { 40, 0, 10, 10 }, red, BatchKind::Single) == 2);
    CHECK(entry_of(plan, { 60, 0, 10, 10 }, red) == 0);
    // Edges meeting on a pixel boundary touch no common pixel.
    CHECK(entry_of(plan, { 30, 0, 10, 10 }, red) == 0);
    // Over the blue shape: it must come after it.
    CHECK(entry_of(plan, { 25, 5, 10, 10 }, red) == 3);
    // Half a pixel into the text's pixels is an overlap too.
    CHECK(entry_of(plan, { 49.5f, 20, 10, 10 }, blue) == 1);
    CHECK(entry_of(plan, { 49.5f, 5, 10, 10 }, blue) == 4);
    CHECK(plan.entries().size() == 5);
    CHECK(plan.entries()[0].parts.size() == 3);
    CHECK((plan.entries()[0].bounds == PixelBox { 0, 0, 70, 10 }));

    // Translucent shapes join only where they do not overlap the batch.
    CHECK(entry_of(plan, { 100, 100, 10, 10 }, glass) == 5);
    CHECK(entry_of(plan, { 120, 100, 10, 10 }, glass) == 5);
    CHECK(entry_of(plan, { 105, 105, 10, 10 }, glass) == 6);
    // Opaque ones overlap their own batch freely, and join the earliest red
    // batch nothing after it overlaps.
    CHECK(entry_of(plan, { 5, 5, 10, 10 }, red) == 0);
    CHECK(entry_of(plan, { 28, 5, 4, 4 }, red) == 3);
}

TEST_CASE(texts_of_a_colour_share_a_batch_only_where_they_do_not_overlap)
{
    // One glyph run blends overlapping glyphs once, where two texts drawn
    // in turn would blend twice: even opaque texts join only beside the batch.
    DrawPlan plan;
    CHECK(entry_of(plan, { 0, 0, 50, 20 }, red, BatchKind::Text) == 0);
    CHECK(entry_of(plan, { 0, 30, 50, 20 }, red, BatchKind::Text) == 0);
    CHECK(entry_of(plan, { 10, 35, 50, 20 }, red, BatchKind::Text) == 1);
    // A fill of the same colour is a batch of another kind.
    CHECK(entry_of(plan, { 0, 60, 50, 20 }, red) == 2);
    CHECK(entry_of(plan, { 100, 0, 50, 20 }, blue, BatchKind::Text) == 3);
    CHECK(plan.entries()[0].parts.size() == 2);
}

TEST_CASE(rows_of_the_same_colours_share_one_batch_per_colour)
{
    // Each row: a background, a button over it, text over the button. Every
    // row's drawings join the first row's batches, whose order they keep.
    DrawPlan plan;
    entry_of(plan, { 0, 0, 1000, 1000 }, glass, BatchKind::Single);
    for (int row = 0; row < 10; ++row) {
        float y = 40.0f * static_cast<float>(row);
        CHECK(entry_of(plan, { 0, y, 200, 36 }, red) == 1);
        CHECK(entry_of(plan, { 10, y + 4, 50, 28 }, blue) == 2);
        entry_of(plan, { 12, y + 6, 40, 20 }, red, BatchKind::Single);
    }
    CHECK(plan.entries().size() == 3 + 10); // the texts each have their own
}

TEST_CASE(the_batch_search_stops_at_the_lookback)
{
    DrawPlan plan;
    entry_of(plan, { 0, 0, 1, 1 }, red);
    for (std::size_t i = 0; i < DrawPlan::lookback; ++i)
        entry_of(plan, { 10.0f + 2 * i, 0, 1, 1 }, Color { 0, 0, static_cast<float>(i) / 100, 1 });
    CHECK(entry_of(plan, { 0, 5, 1, 1 }, red) == DrawPlan::lookback + 1);
    plan.reset();
    CHECK(plan.entries().empty() && plan.clip_depth() == 0);
}

TEST_CASE(clips_are_part_of_a_batch_only_where_a_shape_reaches_past_them)
{
    DrawPlan plan;
    plan.push_clip({ 0, 0, 100, 100 });
    plan.push_clip({ 50, -20, 100, 100 }); // intersected: 50, 0, 50, 80
    CHECK(plan.clip_depth() == 2);
    CHECK(entry_of(plan, { 60, 10, 10, 10 }, red) == 0);
    CHECK(!plan.entries()[0].clip.clipped);
    // Reaching past the clip: clipped, and only its visible pixels count.
    CHECK(entry_of(plan, { 90, 10, 30, 10 }, red) == 1);
    CHECK(plan.entries()[1].clip.clipped);
    CHECK((plan.entries()[1].clip.rect == RectF { 50, 0, 50, 80 }));
    CHECK((plan.entries()[1].bounds == PixelBox { 90, 10, 100, 20 }));
    // A fractional clip edge leaves the pixel it cuts to the clip.
    plan.pop_clip();
    plan.push_clip({ 0.5f, 0, 50, 50 });
    CHECK(entry_of(plan, { 0.5f, 0, 10, 10 }, red) == 2);
    CHECK(plan.entries()[2].clip.clipped);
    // Out of sight: nothing to draw.
    CHECK(!plan.place({ 200, 200, 10, 10 }, BatchKind::Fill, red));
    plan.push_clip({ 10, 10, -5, 5 });
    CHECK(!plan.place({ 0, 0, 50, 50 }, BatchKind::Fill, red));
    plan.pop_clip();
    plan.pop_clip();
    plan.pop_clip();
    plan.pop_clip(); // one pop too many does nothing
    CHECK(entry_of(plan, { 300, 300, 10, 10 }, red) == 0);
}

namespace {

std::vector<Figure> figures_of(BatchShape const& shape)
{
    std::vector<Figure> figures;
    append_figures(shape, figures);
    return figures;
}

std::size_t curves(Figure const& figure)
{
    std::size_t count = 0;
    for (Figure::Segment const& segment : figure.segments)
        count += segment.curve;
    return count;
}

}

TEST_CASE(outlines_are_filled_rings_and_every_outer_figure_runs_clockwise)
{
    std::vector<Figure> rect = figures_of({ .kind = BatchShape::Kind::Rect, .rect = { 10, 10, 20, 10 } });
    CHECK(rect.size() == 1);
    CHECK(rect[0].orientation() == 2 * 200.0);
    CHECK(rect[0].segments.size() == 3 && curves(rect[0]) == 0); // the fourth edge closes it

    // A 2-wide outline: 1 outside, 1 inside, the hole running the other way.
    std::vector<Figure> ring
        = figures_of({ .kind = BatchShape::Kind::RectOutline, .rect = { 10, 10, 20, 10 }, .width = 2 });
    CHECK(ring.size() == 2);
    CHECK(ring[0].orientation() == 2 * 22.0 * 12.0);
    CHECK(ring[1].orientation() == -2 * 18.0 * 8.0);
    // Wider than the rectangle: no hole is left.
    CHECK(figures_of({ .kind = BatchShape::Kind::RectOutline, .rect = { 0, 0, 4, 20 }, .width = 6 }).size() == 1);

    // Rounded corners: four quarter curves; the hole's radius shrinks by half
    // the width, to square corners once the width passes the radius.
    std::vector<Figure> rounded = figures_of(
        { .kind = BatchShape::Kind::RoundedOutline, .rect = { 0, 0, 40, 20 }, .radius = 4, .width = 2 });
    CHECK(rounded.size() == 2 && curves(rounded[0]) == 4 && curves(rounded[1]) == 4);
    CHECK(rounded[0].orientation() > 0 && rounded[1].orientation() < 0);
    std::vector<Figure> square_hole = figures_of(
        { .kind = BatchShape::Kind::RoundedOutline, .rect = { 0, 0, 40, 20 }, .radius = 1, .width = 4 });
    CHECK(curves(square_hole[0]) == 4 && curves(square_hole[1]) == 0);
    std::vector<Figure> ellipse = figures_of({ .kind = BatchShape::Kind::Ellipse, .rect = { 0, 0, 30, 10 } });
    CHECK(ellipse.size() == 1 && curves(ellipse[0]) == 4 && ellipse[0].orientation() > 0);

    // Lines in either direction: the same clockwise rectangle along them.
    for (auto [from, to] : { std::pair { PointF { 0, 5 }, PointF { 10, 5 } }, { PointF { 10, 5 }, PointF { 0, 5 } },
             { PointF { 3, 0 }, PointF { 3, 8 } } }) {
        std::vector<Figure> line
            = figures_of({ .kind = BatchShape::Kind::Line, .width = 2, .from = from, .to = to });
        CHECK(line.size() == 1 && line[0].orientation() > 0);
    }
    CHECK((BatchShape { .kind = BatchShape::Kind::Line, .width = 2, .from = { 0, 5 }, .to = { 10, 5 } }.bounds()
        == RectF { -1, 4, 12, 2 }));
    // Nothing without area.
    CHECK(figures_of({ .kind = BatchShape::Kind::Rect, .rect = { 0, 0, 0, 5 } }).empty());
    CHECK(figures_of({ .kind = BatchShape::Kind::Line, .width = 2, .from = { 1, 1 }, .to = { 1, 1 } }).empty());
}

TEST_CASE(a_fill_leaves_out_only_whole_pixels_it_covers_fully)
{
    // A rectangle off the pixel grid: the pixels inside its edges.
    CHECK((solid_interior({ .kind = BatchShape::Kind::Rect, .rect = { 10.5f, 10, 20, 10.25f } })
        == PixelBox { 11, 10, 30, 20 }));
    // A wide rounded rectangle: the band between its corners, full height;
    // a tall one: the band between its corners, full width.
    CHECK((solid_interior({ .kind = BatchShape::Kind::RoundedRect, .rect = { 0, 0, 100, 30 }, .radius = 6 })
        == PixelBox { 6, 0, 94, 30 }));
    CHECK((solid_interior({ .kind = BatchShape::Kind::RoundedRect, .rect = { 0, 0, 30, 100 }, .radius = 6 })
        == PixelBox { 0, 6, 30, 94 }));
    CHECK(solid_interior({ .kind = BatchShape::Kind::RoundedRect, .rect = { 0, 0, 10, 10 }, .radius = 5 }).is_empty());
    // Ellipses and outlines leave nothing out.
    CHECK(solid_interior({ .kind = BatchShape::Kind::Ellipse, .rect = { 0, 0, 100, 100 } }).is_empty());
    CHECK(solid_interior({ .kind = BatchShape::Kind::RectOutline, .rect = { 0, 0, 100, 100 }, .width = 2 }).is_empty());
    // The hole runs against the outer figures, on the box's edges.
    Figure hole = hole_figure({ 6, 0, 94, 30 });
    CHECK(hole.orientation() == -2 * 88.0 * 30.0);
    CHECK(hole.start == (PointF { 6, 0 }));
}

TEST_CASE(a_frame_changes_where_its_calls_differ_from_the_last_frames)
{
    std::vector<Trace> last { { 1, { 0, 0, 100, 100 } }, { 2, { 10, 10, 20, 20 } }, { 3, { 50, 50, 60, 60 } },
        { 4, { 80, 0, 90, 10 } } };
    CHECK(changed_pixels(last, last).is_empty());
    // One call drawn differently: its old and new pixels.
    std::vector<Trace> moved = last;
    moved[2] = { 3, { 52, 50, 62, 60 } };
    CHECK((changed_pixels(last, moved) == PixelBox { 50, 50, 62, 60 }));
    // A call more and a call less: what lies between the first and last
    // difference, in either frame.
    std::vector<Trace> more = last;
    more.insert(more.begin() + 2, { 9, { 30, 30, 35, 35 } });
    CHECK((changed_pixels(last, more) == PixelBox { 30, 30, 35, 35 }));
    CHECK((changed_pixels(more, last) == PixelBox { 30, 30, 35, 35 }));
    // Two calls swapped in order: both count.
    std::vector<Trace> swapped = last;
    std::swap(swapped[1], swapped[2]);
    CHECK((changed_pixels(last, swapped) == PixelBox { 10, 10, 60, 60 }));
    // A frame of repeated calls that loses one at the end.
    std::vector<Trace> same { { 5, { 0, 0, 1, 1 } }, { 5, { 0, 0, 1, 1 } } };
    CHECK((changed_pixels(same, std::span(same).first(1)) == PixelBox { 0, 0, 1, 1 }));
    CHECK((changed_pixels({}, last) == PixelBox { 0, 0, 100, 100 }));
}

TEST_CASE(a_fill_past_the_curve_limit_splits_into_groups_that_keep_touching_shapes_together)
{
    auto rounded = [](float x, float y) {
        return BatchShape { .kind = BatchShape::Kind::RoundedRect, .rect = { x, y, 20, 10 }, .radius = 4 };
    };
    CHECK(curve_count(rounded(0, 0)) == 4);
    CHECK(curve_count({ .kind = BatchShape::Kind::Rect, .rect = { 0, 0, 5, 5 } }) == 0);
    CHECK(curve_count({ .kind = BatchShape::Kind::RoundedOutline, .rect = { 0, 0, 40, 20 }, .radius = 4, .width = 2 })
        == 8);
    using Group = std::vector<std::size_t>;
    // Ten apart, eight curves a group: two by two, in order.
    std::vector<BatchShape> shapes;
    for (int i = 0; i < 10; ++i)
        shapes.push_back(rounded(30.0f * static_cast<float>(i), 0));
    std::vector<Group> groups = fill_groups(shapes, 8);
    CHECK(groups.size() == 5);
    CHECK((groups.front() == Group { 0, 1 } && groups.back() == Group { 8, 9 }));
    CHECK(fill_groups(shapes, 40).size() == 1);
    // Straight shapes hold no curves.
    std::vector<BatchShape> straight(50, { .kind = BatchShape::Kind::Rect, .rect = { 0, 0, 5, 5 } });
    CHECK(fill_groups(straight, 8).size() == 1);
    // A shape sharing pixels with a full group joins it all the same; one
    // sharing pixels with two groups joins them into one.
    shapes.push_back(rounded(15, 5));   // over the first and the second
    shapes.push_back(rounded(45, 5));   // over the second and the third
    shapes.push_back(rounded(1000, 0)); // apart, and the last group is full
    // Meeting a full group's shape on a pixel boundary shares no pixel with
    // it: the last group takes the shape. Half a pixel into it does.
    shapes.push_back(rounded(250, 10));
    shapes.push_back(rounded(275, 9.5f));
    groups = fill_groups(shapes, 8);
    CHECK((groups == std::vector<Group> { { 0, 1, 2, 3, 10, 11 }, { 4, 5 }, { 6, 7 }, { 8, 9, 14 }, { 12, 13 } }));
    // Every shape in exactly one group, whatever the limit.
    for (std::size_t limit : { 0, 4, 12 }) {
        std::vector<std::size_t> seen;
        for (Group const& group : fill_groups(shapes, limit))
            seen.insert(seen.end(), group.begin(), group.end());
        std::sort(seen.begin(), seen.end());
        CHECK(seen.size() == shapes.size() && std::adjacent_find(seen.begin(), seen.end()) == seen.end());
    }
    CHECK(fill_groups({}, 8).empty());
}
