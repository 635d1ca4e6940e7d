// Flow layout: shares by weight, justify, cross alignment, limits and the
// entry's dirty check.
#include "tests/core/layout/layout_fixture.hpp"

#include <limits>

using namespace orvy;

namespace {

// A 300 × 300 root with padding 10 and gap 5: the content box is (10, 10, 280, 280).
LayoutTree padded_root(Axis axis = Axis::Vertical)
{
    return LayoutTree(NodeKind::Container, { .padding = 10, .gap = 5, .axis = axis });
}

}

TEST(FlowLayout, children_without_sizes_share_the_content_height_equally)
{
    LayoutTree t = padded_root();
    NodeId a = t.add(0), b = t.add(0), c = t.add(0);
    t.run(300, 300);
    EXPECT_EQ(t.rect(0), (RectF { 0, 0, 300, 300 }));
    EXPECT_EQ(t.rect(a), (RectF { 10, 10, 280, 90 }));
    EXPECT_EQ(t.rect(b), (RectF { 10, 105, 280, 90 }));
    EXPECT_EQ(t.rect(c), (RectF { 10, 200, 280, 90 }));
}

TEST(FlowLayout, grow_splits_free_space_by_weight)
{
    LayoutTree t = padded_root();
    NodeId a = t.add(0), b = t.add(0, { .grow = 2 }), c = t.add(0, { .grow = -3 });
    t.run(300, 300);
    EXPECT_EQ(t.rect(a), (RectF { 10, 10, 280, 67.5f }));
    EXPECT_EQ(t.rect(b), (RectF { 10, 82.5f, 280, 135 }));
    EXPECT_EQ(t.rect(c), (RectF { 10, 222.5f, 280, 67.5f }));
}

TEST(FlowLayout, horizontal_flow_gives_fixed_widths_first_and_the_rest_to_flexible_children)
{
    LayoutTree t = padded_root(Axis::Horizontal);
    NodeId fixed = t.add(0, { .w = 100 }), flexible = t.add(0), tall = t.add(0, { .h = 50 });
    t.run(300, 300);
    // 280 − 100 − 2 gaps of 5 leaves 170 for the two flexible children.
    EXPECT_EQ(t.rect(fixed), (RectF { 10, 10, 100, 280 }));
    EXPECT_EQ(t.rect(flexible), (RectF { 115, 10, 85, 280 }));
    EXPECT_EQ(t.rect(tall), (RectF { 205, 10, 85, 50 }));
}

TEST(FlowLayout, justify_distributes_leftover_when_every_child_is_fixed)
{
    struct Case {
        Justify justify;
        float y0, y1, y2;
    };
    // Three children of 50 and two gaps of 5 leave 120 of the 280.
    for (Case c : { Case { Justify::Start, 10, 65, 120 }, Case { Justify::Center, 70, 125, 180 },
             Case { Justify::End, 130, 185, 240 }, Case { Justify::Between, 10, 125, 240 } }) {
        LayoutTree t = padded_root();
        t.params(0).justify = c.justify;
        NodeId a = t.add(0, { .h = 50 }), b = t.add(0, { .h = 50 }), d = t.add(0, { .h = 50 });
        t.run(300, 300);
        EXPECT_EQ(t.rect(a).y, c.y0);
        EXPECT_EQ(t.rect(b).y, c.y1);
        EXPECT_EQ(t.rect(d).y, c.y2);
    }
}

TEST(FlowLayout, one_flexible_child_leaves_nothing_for_justify)
{
    LayoutTree t = padded_root();
    t.params(0).justify = Justify::End;
    NodeId a = t.add(0, { .h = 50 }), b = t.add(0);
    t.run(300, 300);
    EXPECT_EQ(t.rect(a), (RectF { 10, 10, 280, 50 }));
    EXPECT_EQ(t.rect(b), (RectF { 10, 65, 280, 225 }));
}

TEST(FlowLayout, btw_with_a_single_child_starts_at_the_top)
{
    LayoutTree t = padded_root();
    t.params(0).justify = Justify::Between;
    NodeId a = t.add(0, { .h = 50 });
    t.run(300, 300);
    EXPECT_EQ(t.rect(a).y, 10);
}

TEST(FlowLayout, cross_alignment_places_fixed_and_limited_children)
{
    struct Case {
        Cross cross;
        float fixed_x, limited_x, free_x, free_w;
    };
    for (Case c : { Case { Cross::Stretch, 10, 10, 10, 280 }, Case { Cross::Start, 10, 10, 10, 280 },
             Case { Cross::Center, 100, 125, 10, 280 }, Case { Cross::End, 190, 240, 10, 280 } }) {
        LayoutTree t = padded_root();
        t.params(0).cross = c.cross;
        NodeId fixed = t.add(0, { .w = 100 });
        NodeId limited = t.add(0, { .max_w = 50 });
        NodeId free = t.add(0);
        t.run(300, 300);
        EXPECT_EQ(t.rect(fixed).x, c.fixed_x);
        EXPECT_EQ(t.rect(fixed).w, 100);
        EXPECT_EQ(t.rect(limited).x, c.limited_x);
        EXPECT_EQ(t.rect(limited).w, 50);
        EXPECT_EQ(t.rect(free).x, c.free_x);
        EXPECT_EQ(t.rect(free).w, c.free_w);
    }
}

TEST(FlowLayout, a_fixed_cross_size_is_capped_by_the_content_box)
{
    LayoutTree t = padded_root();
    t.params(0).cross = Cross::Center;
    NodeId wide = t.add(0, { .w = 1000 });
    t.run(300, 300);
    EXPECT_EQ(t.rect(wide).x, 10);
    EXPECT_EQ(t.rect(wide).w, 280);
}

TEST(FlowLayout, minimum_and_maximum_clamp_the_main_size)
{
    LayoutTree t = padded_root();
    NodeId low = t.add(0, { .min_h = 120 });
    NodeId capped = t.add(0, { .max_h = 40 });
    NodeId plain = t.add(0);
    NodeId crossed = t.add(0, { .min_h = 60, .max_h = 40 });
    t.run(300, 300);
    // The unit is (280 − 15) / 4 = 66.25; limits apply after the share is taken.
    EXPECT_EQ(t.rect(low), (RectF { 10, 10, 280, 120 }));
    EXPECT_EQ(t.rect(capped), (RectF { 10, 135, 280, 40 }));
    EXPECT_EQ(t.rect(plain), (RectF { 10, 180, 280, 66.25f }));
    // The minimum wins over a smaller maximum.
    EXPECT_EQ(t.rect(crossed), (RectF { 10, 251.25f, 280, 60 }));
}

TEST(FlowLayout, a_flexible_child_grows_to_its_definite_height_in_a_vertical_flow)
{
    LayoutTree t = padded_root();
    NodeId column = t.add(0);
    t.add(column, { .h = 100 });
    t.add(column, { .h = 100 });
    NodeId after = t.add(0);
    t.run(300, 300);
    EXPECT_EQ(t.rect(column), (RectF { 10, 10, 280, 200 }));
    EXPECT_EQ(t.rect(after), (RectF { 10, 215, 280, 137.5f }));
}

TEST(FlowLayout, a_hidden_child_takes_no_room_and_its_subtree_lies_off_screen)
{
    LayoutTree t = padded_root();
    NodeId a = t.add(0), gone = t.add(0), c = t.add(0);
    NodeId inside = t.add(gone, { .h = 20, .padding = 3 });
    t.tree.hidden_set.insert(gone);
    t.run(300, 300);
    EXPECT_EQ(t.rect(a), (RectF { 10, 10, 280, 137.5f }));
    EXPECT_EQ(t.rect(c), (RectF { 10, 152.5f, 280, 137.5f }));
    EXPECT_EQ(t.rect(gone), hidden_rect);
    EXPECT_EQ(t.rect(inside), (RectF { off_screen, off_screen, 0, 20 }));
}

TEST(FlowLayout, the_root_never_shrinks_below_its_minimum)
{
    LayoutTree t;
    t.params(0).min_w = 500;
    t.run(300, 300);
    EXPECT_EQ(t.rect(0), (RectF { 0, 0, 500, 300 }));
}

TEST(FlowLayout, a_nan_maximum_gives_way_to_the_minimum)
{
    LayoutTree t = padded_root();
    float nan = std::numeric_limits<float>::quiet_NaN();
    NodeId a = t.add(0, { .min_h = 30, .max_h = nan });
    NodeId b = t.add(0, { .w = nan });
    t.run(300, 300);
    EXPECT_EQ(t.rect(a).h, 30);
    // A NaN fixed width never beats the content width.
    EXPECT_EQ(t.rect(b).w, 280);
}

TEST(LayoutEntry, runs_only_when_dirty_or_resized)
{
    LayoutTree t;
    NodeId a = t.add(0);
    EXPECT_TRUE(layout(t.tree, { 0, 0, 100, 100 }));
    EXPECT_FALSE(t.tree.layout_dirty);
    EXPECT_EQ(t.tree.last_layout_rect, (RectF { 0, 0, 100, 100 }));
    EXPECT_FALSE(layout(t.tree, { 0, 0, 100, 100 }));
    EXPECT_TRUE(layout(t.tree, { 0, 0, 120, 100 }));
    EXPECT_EQ(t.rect(a).w, 120);
    t.params(a).h = 10;
    t.tree.layout_dirty = true;
    EXPECT_TRUE(layout(t.tree, { 0, 0, 120, 100 }));
    EXPECT_EQ(t.rect(a).h, 10);
}
