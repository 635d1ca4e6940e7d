// Minimum sizes and definite heights by kind.
#include "tests/core/layout/layout_fixture.hpp"

#include <limits>

using namespace orvy;

namespace {

// Three flow children of minimum 40 × 50, 60 × 30 and 0 × 0 under a node of
// the given kind, plus a hidden and an absolute child whose minimums never count.
LayoutTree with_children(NodeKind kind, LayoutParams params = { .padding = 10, .gap = 5 })
{
    LayoutTree t(kind, params);
    t.add(0, { .min_w = 40, .min_h = 50 });
    t.add(0, { .min_w = 60, .min_h = 30 });
    t.add(0, { .w = 500, .h = 500 });
    t.tree.hidden_set.insert(t.add(0, { .min_w = 900, .min_h = 900 }));
    t.add(0, { .min_w = 900, .min_h = 900, .placement = Placement::Absolute });
    return t;
}

}

TEST(MinimumSize, a_vertical_container_sums_heights_and_takes_the_widest_child)
{
    NodeMeasure m = measure_node(with_children(NodeKind::Frame).tree, 0);
    EXPECT_EQ(m.min_w, 60 + 20);
    EXPECT_EQ(m.min_h, 50 + 30 + 0 + 2 * 5 + 20);
}

TEST(MinimumSize, a_horizontal_group_sums_widths_and_adds_its_header_to_the_height)
{
    NodeMeasure m = measure_node(with_children(NodeKind::Group, { .padding = 10, .gap = 5, .axis = Axis::Horizontal }).tree, 0);
    EXPECT_EQ(m.min_w, 40 + 60 + 0 + 2 * 5 + 20);
    EXPECT_EQ(m.min_h, 50 + 20 + 30);
}

TEST(MinimumSize, kinds_with_their_own_rules)
{
    struct Case {
        NodeKind kind;
        float min_w, min_h;
    };
    for (Case c : {
             Case { NodeKind::Tabs, 60, 50 + 40 },
             Case { NodeKind::Stack, 60, 50 },
             Case { NodeKind::Accordion, 20 + 60, 0 }, // closed
             Case { NodeKind::Scroll, 20 + 60 + 14, 0 },
             Case { NodeKind::Splitter, 40 + 8 + 60, 50 },
             Case { NodeKind::Dock, 0, 0 },
             Case { NodeKind::Label, 0, 0 },
         }) {
        NodeMeasure m = measure_node(with_children(c.kind).tree, 0);
        EXPECT_EQ(m.min_w, c.min_w) << kind_name(c.kind);
        EXPECT_EQ(m.min_h, c.min_h) << kind_name(c.kind);
    }
}

TEST(MinimumSize, an_open_accordion_counts_header_padding_and_rows)
{
    LayoutTree t = with_children(NodeKind::Accordion);
    t.model<AccordionModel>(0).open = true;
    EXPECT_EQ(measure_node(t.tree, 0).min_h, 40 + 10 + 50 + 30 + 2 * 5);
}

TEST(MinimumSize, grid_and_pack_containers_and_hidden_nodes_have_none)
{
    LayoutTree grid = with_children(NodeKind::Frame, { .padding = 10, .child_layout = ChildLayout::Grid });
    EXPECT_EQ(measure_node(grid.tree, 0).min_w, 0);
    LayoutTree hidden = with_children(NodeKind::Frame);
    hidden.params(0).min_w = 300;
    hidden.tree.hidden_set.insert(0);
    EXPECT_EQ(measure_node(hidden.tree, 0).min_w, 0);
}

TEST(MinimumSize, an_explicit_minimum_replaces_the_intrinsic_one_per_axis)
{
    LayoutTree t = with_children(NodeKind::Frame);
    t.params(0).min_w = 5;
    t.params(0).placement = Placement::Absolute;
    NodeMeasure m = measure_node(t.tree, 0);
    EXPECT_EQ(m.min_w, 5);
    EXPECT_EQ(m.min_h, 0); // absolute: no intrinsic minimum
}

TEST(MinimumSize, negative_or_nan_padding_never_makes_a_negative_minimum)
{
    LayoutTree t = with_children(NodeKind::Frame, { .padding = -1000, .gap = std::numeric_limits<float>::quiet_NaN() });
    NodeMeasure m = measure_node(t.tree, 0);
    EXPECT_EQ(m.min_w, 0);
    EXPECT_EQ(m.min_h, 0);
}

TEST(MinimumSize, table_columns_sum_widths_minimums_and_defaults_plus_the_bar)
{
    LayoutTree t(NodeKind::Table);
    Columns& columns = t.model<TableModel>(0).columns;
    columns.titles = { u"a", u"b", u"c", u"d" };
    columns.widths = { 100, 0, 20 };
    columns.minimums = { 0, 60, 30 };
    EXPECT_EQ(measure_node(t.tree, 0).min_w, 100 + 60 + 30 + 40 + 14);
    columns.widths.clear();
    columns.minimums.clear();
    EXPECT_EQ(measure_node(t.tree, 0).min_w, 0);

    LayoutTree tree_view(NodeKind::Treeview);
    tree_view.model<TreeviewModel>(0).columns.widths = { 80 };
    EXPECT_EQ(measure_node(tree_view.tree, 0).min_w, 80 + 14);
}

TEST(DefiniteHeight, fixed_heights_are_clamped_and_hidden_nodes_have_zero)
{
    LayoutTree t(NodeKind::Frame, { .h = 10, .min_h = 25 });
    EXPECT_EQ(measure_node(t.tree, 0).definite_h, 25);
    t.tree.hidden_set.insert(0);
    EXPECT_EQ(measure_node(t.tree, 0).definite_h, 0);
}

TEST(DefiniteHeight, a_container_has_one_only_when_every_flow_child_has_one)
{
    LayoutTree t(NodeKind::Group, { .padding = 10, .gap = 5 });
    t.add(0, { .h = 40 });
    NodeId open = t.add(0, { .h = 60 });
    t.add(0, { .placement = Placement::Absolute });
    EXPECT_EQ(measure_node(t.tree, 0).definite_h, 30 + 20 + 40 + 5 + 60);
    t.params(0).axis = Axis::Horizontal;
    EXPECT_EQ(measure_node(t.tree, 0).definite_h, 30 + 20 + 60);
    t.params(open).h.reset();
    EXPECT_EQ(measure_node(t.tree, 0).definite_h, std::nullopt);
    t.tree.hidden_set.insert(open);
    EXPECT_EQ(measure_node(t.tree, 0).definite_h, 30 + 20 + 40);

    LayoutTree empty(NodeKind::Container);
    EXPECT_EQ(measure_node(empty.tree, 0).definite_h, std::nullopt);
    LayoutTree packed(NodeKind::Container, { .child_layout = ChildLayout::Pack });
    packed.add(0, { .h = 10 });
    EXPECT_EQ(measure_node(packed.tree, 0).definite_h, std::nullopt);
}

TEST(DefiniteHeight, an_accordion_is_its_header_when_closed_and_its_rows_when_open)
{
    LayoutTree t(NodeKind::Accordion, { .padding = 10, .gap = 5 });
    t.add(0, { .h = 50 });
    t.add(0);
    EXPECT_EQ(measure_node(t.tree, 0).definite_h, 40);
    t.model<AccordionModel>(0).open = true;
    EXPECT_EQ(measure_node(t.tree, 0).definite_h, 10 + 40 + 50 + 36 + 5);
}

TEST(DefiniteHeight, nested_accordions_stack_inside_a_vertical_frame)
{
    LayoutTree t(NodeKind::Frame, { .gap = 4 });
    NodeId first = t.add(0, NodeKind::Accordion);
    NodeId second = t.add(0, NodeKind::Accordion);
    t.model<AccordionModel>(second).open = true;
    t.add(second, { .h = 20 });
    // A heavy filler leaves the sections a sliver, which their definite
    // heights raise to a closed header and an open section with one row.
    NodeId filler = t.add(0, { .grow = 1000 });
    t.run(200, 400);
    EXPECT_EQ(t.rect(first), (RectF { 0, 0, 200, 40 }));
    EXPECT_EQ(t.rect(second), (RectF { 0, 44, 200, 60 }));
    EXPECT_EQ(t.rect(filler).y, 108);
}
