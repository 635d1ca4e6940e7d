// Absolute placement, grid and pack.
#include "tests/core/layout/layout_fixture.hpp"

using namespace orvy;

namespace {

// A 300 × 200 root with padding 10: the content box is (10, 10, 280, 180).
LayoutTree root_with_content_box(ChildLayout child_layout = ChildLayout::Flow, float gap = 0)
{
    return LayoutTree(NodeKind::Container, { .padding = 10, .gap = gap, .child_layout = child_layout });
}

LayoutParams absolute(LayoutParams params)
{
    params.placement = Placement::Absolute;
    return params;
}

}

TEST(AbsolutePlacement, each_axis_follows_its_edges_and_size)
{
    LayoutTree t = root_with_content_box();
    NodeId centred = t.add(0, absolute({ .w = 100 }));
    NodeId both_edges = t.add(0, absolute({ .left = 20, .top = 5, .right = 30, .bottom = 15 }));
    NodeId from_right = t.add(0, absolute({ .w = 50, .h = 40, .right = 10, .bottom = 20 }));
    NodeId right_only = t.add(0, absolute({ .right = 100 }));
    NodeId left_only = t.add(0, absolute({ .left = 200, .top = 170 }));
    NodeId left_and_size = t.add(0, absolute({ .w = 10, .h = 10, .left = 5, .top = 5 }));
    NodeId overrun = t.add(0, absolute({ .left = 250, .right = 100 }));
    t.run(300, 200);
    EXPECT_EQ(t.rect(centred), (RectF { 100, 10, 100, 180 }));
    EXPECT_EQ(t.rect(both_edges), (RectF { 30, 15, 230, 160 }));
    EXPECT_EQ(t.rect(from_right), (RectF { 230, 130, 50, 40 }));
    EXPECT_EQ(t.rect(right_only), (RectF { 10, 10, 180, 180 }));
    EXPECT_EQ(t.rect(left_only), (RectF { 210, 180, 80, 10 }));
    EXPECT_EQ(t.rect(left_and_size), (RectF { 15, 15, 10, 10 }));
    EXPECT_EQ(t.rect(overrun), (RectF { 260, 10, 0, 180 }));
}

TEST(AbsolutePlacement, placed_children_leave_the_flow_to_their_siblings)
{
    LayoutTree t = root_with_content_box();
    t.add(0, absolute({ .h = 50, .top = 0 }));
    NodeId flowing = t.add(0);
    t.run(300, 200);
    EXPECT_EQ(t.rect(flowing), (RectF { 10, 10, 280, 180 }));
}

TEST(AbsolutePlacement, an_absolute_node_is_still_clamped_by_its_own_limits)
{
    LayoutTree t = root_with_content_box();
    NodeId limited = t.add(0, absolute({ .left = 0, .top = 0, .min_w = 400, .max_h = 20 }));
    t.run(300, 200);
    EXPECT_EQ(t.rect(limited), (RectF { 10, 10, 400, 20 }));
}

TEST(GridLayout, cells_split_the_content_box_by_the_largest_row_and_column)
{
    LayoutTree t = root_with_content_box(ChildLayout::Grid, 10);
    NodeId top_left = t.add(0);
    NodeId bottom_right = t.add(0, { .row = 1, .col = 1 });
    NodeId narrow = t.add(0, { .w = 50, .h = 500 });
    NodeId spanning = t.add(0, { .row = 1, .col_span = 2 });
    t.run(300, 200);
    // Two columns of (280 − 10) / 2 = 135 and two rows of (180 − 10) / 2 = 85.
    EXPECT_EQ(t.rect(top_left), (RectF { 10, 10, 135, 85 }));
    EXPECT_EQ(t.rect(bottom_right), (RectF { 155, 105, 135, 85 }));
    EXPECT_EQ(t.rect(narrow), (RectF { 10, 10, 50, 85 }));
    EXPECT_EQ(t.rect(spanning), (RectF { 10, 105, 280, 85 }));
}

TEST(GridLayout, a_row_span_covers_the_rows_and_a_cell_moved_back_to_the_first_takes_it)
{
    LayoutTree t = root_with_content_box(ChildLayout::Grid, 10);
    NodeId tall = t.add(0, { .row_span = 2 });
    NodeId moved = t.add(0, { .row = 1, .col = 1 });
    t.run(300, 200);
    EXPECT_EQ(t.rect(tall), (RectF { 10, 10, 135, 180 }));
    EXPECT_EQ(t.rect(moved), (RectF { 155, 105, 135, 85 }));

    // Back to one cell each: the grid shrinks to a single cell both share.
    t.params(tall).row_span = 1;
    t.params(moved).row = 0;
    t.params(moved).col = 0;
    t.run(300, 200);
    EXPECT_EQ(t.rect(tall), (RectF { 10, 10, 280, 180 }));
    EXPECT_EQ(t.rect(moved), (RectF { 10, 10, 280, 180 }));
}

TEST(GridLayout, the_last_column_is_legal_and_cells_never_go_negative)
{
    LayoutTree t = root_with_content_box(ChildLayout::Grid, 2);
    NodeId last = t.add(0, { .col = 255 });
    t.run(300, 200);
    EXPECT_EQ(t.rect(last), (RectF { 10 + 255 * 2.0f, 10, 0, 180 }));
}

TEST(GridLayout, hidden_and_absolute_children_do_not_count_as_cells)
{
    LayoutTree t = root_with_content_box(ChildLayout::Grid);
    NodeId only = t.add(0);
    t.tree.hidden_set.insert(t.add(0, { .col = 3 }));
    t.add(0, absolute({ .row = 5 }));
    t.run(300, 200);
    EXPECT_EQ(t.rect(only), (RectF { 10, 10, 280, 180 }));
}

TEST(PackLayout, children_take_slots_off_the_cavity_in_document_order)
{
    LayoutTree t = root_with_content_box(ChildLayout::Pack);
    NodeId header = t.add(0, { .h = 40, .pack_side = PackSide::Top, .pack_fill = PackFill::Both });
    NodeId side = t.add(0, { .w = 50, .pack_side = PackSide::Left, .pack_fill = PackFill::Both });
    NodeId footer = t.add(0, { .h = 30, .pack_side = PackSide::Bottom, .pack_fill = PackFill::Both });
    NodeId rest = t.add(0, { .pack_expand = true, .pack_side = PackSide::Right, .pack_fill = PackFill::Both });
    t.run(300, 200);
    EXPECT_EQ(t.rect(header), (RectF { 10, 10, 280, 40 }));
    EXPECT_EQ(t.rect(side), (RectF { 10, 50, 50, 140 }));
    EXPECT_EQ(t.rect(footer), (RectF { 60, 160, 230, 30 }));
    EXPECT_EQ(t.rect(rest), (RectF { 60, 50, 230, 110 }));
}

TEST(PackLayout, expanders_share_what_the_natural_sizes_leave)
{
    LayoutTree t = root_with_content_box(ChildLayout::Pack, 10);
    NodeId fixed = t.add(0, { .h = 20, .pack_fill = PackFill::Both });
    NodeId first = t.add(0, { .pack_expand = true, .pack_fill = PackFill::Both });
    NodeId second = t.add(0, { .pack_expand = true, .pack_fill = PackFill::Both });
    t.run(300, 200);
    // 180 − (20 + 10) − 10 − 10 = 130 shared by two.
    EXPECT_EQ(t.rect(fixed), (RectF { 10, 10, 280, 20 }));
    EXPECT_EQ(t.rect(first), (RectF { 10, 40, 280, 65 }));
    EXPECT_EQ(t.rect(second), (RectF { 10, 115, 280, 65 }));
}

TEST(PackLayout, fill_decides_which_axes_keep_the_slot)
{
    struct Case {
        PackFill fill;
        RectF expected;
    };
    // The slot is (10, 10, 280, 40); the child asks for 100 × 40.
    for (Case c : { Case { PackFill::None, { 100, 10, 100, 40 } }, Case { PackFill::X, { 10, 10, 280, 40 } },
             Case { PackFill::Y, { 100, 10, 100, 40 } }, Case { PackFill::Both, { 10, 10, 280, 40 } } }) {
        LayoutTree t = root_with_content_box(ChildLayout::Pack);
        NodeId child = t.add(0, { .w = 100, .h = 40, .pack_fill = c.fill });
        t.run(300, 200);
        EXPECT_EQ(t.rect(child), c.expected);
    }
}

TEST(PackLayout, a_fixed_height_is_centred_in_a_taller_side_slot)
{
    LayoutTree t = root_with_content_box(ChildLayout::Pack);
    NodeId child = t.add(0, { .w = 60, .h = 100, .pack_side = PackSide::Left, .pack_fill = PackFill::Y });
    NodeId other = t.add(0, { .w = 60, .h = 100, .pack_side = PackSide::Right, .pack_fill = PackFill::X });
    t.run(300, 200);
    EXPECT_EQ(t.rect(child), (RectF { 10, 10, 60, 180 }));
    EXPECT_EQ(t.rect(other), (RectF { 230, 50, 60, 100 }));
}

TEST(PackLayout, slots_never_exceed_the_cavity)
{
    LayoutTree t = root_with_content_box(ChildLayout::Pack);
    NodeId big = t.add(0, { .h = 150, .pack_fill = PackFill::Both });
    NodeId squeezed = t.add(0, { .h = 100, .pack_side = PackSide::Bottom, .pack_fill = PackFill::Both });
    NodeId none_left = t.add(0, { .h = 10, .pack_fill = PackFill::Both });
    t.run(300, 200);
    EXPECT_EQ(t.rect(big), (RectF { 10, 10, 280, 150 }));
    EXPECT_EQ(t.rect(squeezed), (RectF { 10, 160, 280, 30 }));
    EXPECT_EQ(t.rect(none_left), (RectF { 10, 160, 280, 0 }));
}
