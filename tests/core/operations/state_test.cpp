#include "core/operations/operations.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using namespace orvy;

namespace {

NodeId add(Tree& tree, NodeKind kind, NodeId parent = 0) { return tree.append(parent, Model(kind)); }

template<class T>
T& model(Tree& tree, NodeId id) { return *tree.node(id).model.as<T>(); }

// Records every value the node's change callback hears.
std::vector<float>& record_changes(Tree& tree, NodeId id, std::vector<float>& heard)
{
    tree.node(id).extras_mut().on_change = [&heard](Tree&, float value) { heard.push_back(value); };
    return heard;
}

float const not_a_number = std::numeric_limits<float>::quiet_NaN();
float const infinity = std::numeric_limits<float>::infinity();

}

TEST(NumericState, slider_clamps_and_gauge_keeps_the_value)
{
    Tree tree;
    NodeId slider = add(tree, NodeKind::Slider), gauge = add(tree, NodeKind::Gauge);
    set_numeric_state(tree, slider, 1.7f);
    set_numeric_state(tree, gauge, 1.7f);
    EXPECT_EQ(model<ValueModel>(tree, slider).value, 1.0f);
    EXPECT_EQ(model<ValueModel>(tree, gauge).value, 1.7f);
    set_numeric_state(tree, slider, not_a_number);
    EXPECT_EQ(model<ValueModel>(tree, slider).value, 0.0f);
}

TEST(NumericState, reports_change_and_dirties_layout_only_when_something_changed)
{
    Tree tree;
    NodeId check = add(tree, NodeKind::Checkbox);
    tree.layout_dirty = false;
    EXPECT_FALSE(set_numeric_state(tree, check, 0.2f));
    EXPECT_FALSE(tree.layout_dirty);
    EXPECT_TRUE(set_numeric_state(tree, check, 0.5f));
    EXPECT_TRUE(tree.layout_dirty);
    EXPECT_TRUE(model<ToggleModel>(tree, check).on);
    // Kinds without a numeric state are left alone.
    EXPECT_FALSE(set_numeric_state(tree, add(tree, NodeKind::Label), 1.0f));
}

TEST(NumericState, radio_turns_its_group_off_but_turning_off_leaves_none_on)
{
    Tree tree;
    NodeId a = add(tree, NodeKind::Radio), b = add(tree, NodeKind::Radio), other_group = add(tree, NodeKind::Radio);
    model<ToggleModel>(tree, other_group).group = 1;
    set_numeric_state(tree, other_group, 1.0f);
    set_numeric_state(tree, a, 1.0f);
    set_numeric_state(tree, b, 1.0f);
    EXPECT_FALSE(model<ToggleModel>(tree, a).on);
    EXPECT_TRUE(model<ToggleModel>(tree, b).on);
    EXPECT_TRUE(model<ToggleModel>(tree, other_group).on);
    set_numeric_state(tree, b, 0.0f);
    EXPECT_FALSE(model<ToggleModel>(tree, a).on);
    EXPECT_FALSE(model<ToggleModel>(tree, b).on);
}

TEST(NumericState, indexes_saturate_against_item_counts)
{
    Tree tree;
    NodeId dropdown = add(tree, NodeKind::Dropdown), list = add(tree, NodeKind::List);
    NodeId pager = add(tree, NodeKind::Pager), rating = add(tree, NodeKind::Rating);
    model<ChoiceModel>(tree, dropdown).items = { u"a", u"b", u"c" };
    model<ListModel>(tree, list).items = { u"a", u"b" };
    model<PagerModel>(tree, pager).total = 4;

    set_numeric_state(tree, dropdown, 9.0f);
    EXPECT_EQ(model<ChoiceModel>(tree, dropdown).selected, 2u);
    set_numeric_state(tree, dropdown, -3.0f);
    EXPECT_EQ(model<ChoiceModel>(tree, dropdown).selected, 0u);
    set_numeric_state(tree, list, infinity);
    EXPECT_EQ(model<ListModel>(tree, list).current, 1u);
    set_numeric_state(tree, list, -1.0f);
    EXPECT_FALSE(model<ListModel>(tree, list).current);
    set_numeric_state(tree, pager, 1e30f);
    EXPECT_EQ(model<PagerModel>(tree, pager).page, 3u);
    set_numeric_state(tree, rating, 7.9f);
    EXPECT_EQ(model<RatingModel>(tree, rating).value, 5u);

    model<ChoiceModel>(tree, dropdown).items.clear();
    set_numeric_state(tree, dropdown, 4.0f);
    EXPECT_EQ(model<ChoiceModel>(tree, dropdown).selected, 0u);
}

TEST(CompositeValue, calendar_clamps_month_and_day_but_not_to_the_month_length)
{
    Tree tree;
    NodeId calendar = add(tree, NodeKind::Calendar);
    set_composite_value(tree, calendar, 2026, 0, 0);
    EXPECT_EQ(model<CalendarModel>(tree, calendar).month, 1);
    EXPECT_EQ(model<CalendarModel>(tree, calendar).day, 1);
    set_composite_value(tree, calendar, 2026, 2, 31);
    EXPECT_EQ(model<CalendarModel>(tree, calendar).day, 31);
    set_composite_value(tree, calendar, 1999.9f, 13, 40);
    EXPECT_EQ(model<CalendarModel>(tree, calendar).year, 1999);
    EXPECT_EQ(model<CalendarModel>(tree, calendar).month, 12);
    EXPECT_EQ(model<CalendarModel>(tree, calendar).day, 31);
}

TEST(CompositeValue, time_wraps_and_range_orders_its_bounds)
{
    Tree tree;
    NodeId time = add(tree, NodeKind::Time), range = add(tree, NodeKind::Range);
    set_composite_value(tree, time, 25, 61, 0);
    EXPECT_EQ(model<TimeModel>(tree, time).hour, 1);
    EXPECT_EQ(model<TimeModel>(tree, time).minute, 1);
    set_composite_value(tree, time, -5, not_a_number, 0);
    EXPECT_EQ(model<TimeModel>(tree, time).hour, 0);
    EXPECT_EQ(model<TimeModel>(tree, time).minute, 0);
    set_composite_value(tree, range, 0.9f, -2.0f, 0);
    EXPECT_EQ(model<RangeModel>(tree, range).lo, 0.0f);
    EXPECT_EQ(model<RangeModel>(tree, range).hi, 0.9f);
}

TEST(Calendar, stepping_crosses_years_both_ways_and_resets_the_day)
{
    Tree tree;
    NodeId calendar = add(tree, NodeKind::Calendar);
    set_composite_value(tree, calendar, 2026, 1, 15);
    step_calendar(tree, calendar, -1);
    auto& date = model<CalendarModel>(tree, calendar);
    EXPECT_EQ(date.year, 2025);
    EXPECT_EQ(date.month, 12);
    EXPECT_EQ(date.day, 1);
    step_calendar(tree, calendar, 14);
    EXPECT_EQ(date.year, 2027);
    EXPECT_EQ(date.month, 2);
    step_calendar(tree, calendar, -26);
    EXPECT_EQ(date.year, 2024);
    EXPECT_EQ(date.month, 12);
}

TEST(Time, stepping_wraps_without_carrying_and_reports_hhmm)
{
    Tree tree;
    NodeId time = add(tree, NodeKind::Time);
    std::vector<float> heard;
    record_changes(tree, time, heard);
    set_composite_value(tree, time, 23, 55, 0);
    step_time(tree, time, 0, 5);
    step_time(tree, time, 1, 0);
    step_time(tree, time, -2, -5);
    EXPECT_EQ(heard, (std::vector<float> { 2300, 0, 2255 }));
}

TEST(Accordion, opening_one_of_a_group_closes_the_others_and_tells_each)
{
    Tree tree;
    NodeId first = add(tree, NodeKind::Accordion), second = add(tree, NodeKind::Accordion);
    NodeId ungrouped = add(tree, NodeKind::Accordion);
    model<AccordionModel>(tree, first).group = 1;
    model<AccordionModel>(tree, second).group = 1;
    std::vector<float> heard_first, heard_second;
    record_changes(tree, first, heard_first);
    record_changes(tree, second, heard_second);
    set_accordion_open(tree, ungrouped, true);
    set_accordion_open(tree, first, true);
    set_accordion_open(tree, second, true);
    EXPECT_EQ(heard_first, (std::vector<float> { 1.0f, 0.0f }));
    EXPECT_EQ(heard_second, (std::vector<float> { 1.0f }));
    EXPECT_FALSE(model<AccordionModel>(tree, first).open);
    EXPECT_TRUE(model<AccordionModel>(tree, ungrouped).open);
    EXPECT_FALSE(set_accordion_open(tree, second, true));
    EXPECT_EQ(heard_second.size(), 1u);
}

TEST(Accordion, a_callback_that_appends_nodes_does_not_break_the_group_walk)
{
    Tree tree;
    NodeId first = add(tree, NodeKind::Accordion), second = add(tree, NodeKind::Accordion);
    model<AccordionModel>(tree, first).group = 2;
    model<AccordionModel>(tree, second).group = 2;
    model<AccordionModel>(tree, first).open = true;
    tree.node(first).extras_mut().on_change = [](Tree& t, float) {
        for (int i = 0; i < 100; ++i)
            t.append(0, Model(NodeKind::Label));
    };
    set_accordion_open(tree, second, true);
    EXPECT_TRUE(model<AccordionModel>(tree, second).open);
    EXPECT_EQ(tree.size(), 103u);
}

TEST(Items, an_equal_list_keeps_the_selection_and_a_new_one_resets_it)
{
    Tree tree;
    NodeId dropdown = add(tree, NodeKind::Dropdown);
    set_items(tree, dropdown, { u"a", u"b" });
    set_numeric_state(tree, dropdown, 1);
    EXPECT_FALSE(set_items(tree, dropdown, { u"a", u"b" }));
    EXPECT_EQ(model<ChoiceModel>(tree, dropdown).selected, 1u);
    EXPECT_TRUE(set_items(tree, dropdown, { u"a", u"c" }));
    EXPECT_EQ(model<ChoiceModel>(tree, dropdown).selected, 0u);
}

TEST(Text, textbox_moves_caret_to_the_end_and_labels_leave_layout_clean)
{
    Tree tree;
    NodeId box = add(tree, NodeKind::Textbox), label = add(tree, NodeKind::Label);
    model<TextboxModel>(tree, box).scroll_x = 30;
    set_text(tree, box, u"héllo");
    EXPECT_EQ(model<TextboxModel>(tree, box).caret, 5u);
    EXPECT_EQ(model<TextboxModel>(tree, box).anchor, 5u);
    EXPECT_EQ(model<TextboxModel>(tree, box).scroll_x, 0.0f);
    tree.layout_dirty = false;
    EXPECT_TRUE(set_text(tree, label, u"x"));
    EXPECT_FALSE(tree.layout_dirty);
}

TEST(Dock, toggling_switches_between_its_size_and_the_closed_extent)
{
    Tree tree;
    NodeId left = add(tree, NodeKind::Dock), top = add(tree, NodeKind::Dock);
    model<DockModel>(tree, top).side = DockSide::Top;
    model<DockModel>(tree, top).size = 120;
    toggle_dock(tree, left);
    EXPECT_FALSE(model<DockModel>(tree, left).open);
    EXPECT_EQ(tree.node(left).layout.w, closed_dock_extent);
    toggle_dock(tree, left);
    EXPECT_EQ(tree.node(left).layout.w, 260.0f);
    toggle_dock(tree, top);
    toggle_dock(tree, top);
    EXPECT_EQ(tree.node(top).layout.h, 120.0f);
    EXPECT_FALSE(tree.node(top).layout.w);
}

TEST(Spin, value_is_clamped_and_written_as_integer_or_float_by_step)
{
    Tree tree;
    NodeId spin = tree.append(0, Model(NodeKind::Container, SpinModel {}));
    add(tree, NodeKind::Button, spin);
    NodeId label = add(tree, NodeKind::Label, spin);
    add(tree, NodeKind::Button, spin);
    set_spin_value(tree, label, 150.7f);
    EXPECT_EQ(model<TextModel>(tree, label).text, u"100");
    model<SpinModel>(tree, spin).step = 0.5f;
    set_spin_value(tree, spin, 2.25f);
    EXPECT_EQ(model<TextModel>(tree, label).text, u"2.25");
    std::vector<float> heard;
    record_changes(tree, spin, heard);
    step_spin(tree, spin, -1);
    EXPECT_EQ(model<TextModel>(tree, label).text, u"1.75");
    EXPECT_EQ(heard, (std::vector<float> { 1.75f }));
    EXPECT_FALSE(set_spin_value(tree, add(tree, NodeKind::Label), 3));
}

TEST(NodeSets, show_and_enable_dirty_layout_while_ghost_does_not)
{
    Tree tree;
    NodeId node = add(tree, NodeKind::Frame);
    tree.layout_dirty = false;
    EXPECT_TRUE(set_ghost(tree, node, true));
    EXPECT_FALSE(tree.layout_dirty);
    EXPECT_TRUE(set_shown(tree, node, false));
    EXPECT_TRUE(tree.hidden_set.contains(node));
    EXPECT_TRUE(tree.layout_dirty);
    EXPECT_FALSE(set_enabled(tree, node, true));
    EXPECT_TRUE(set_enabled(tree, node, false));
    EXPECT_TRUE(tree.disabled_set.contains(node));
}

TEST(BoundLayout, placement_spacing_and_depth_replace_only_what_they_name)
{
    Tree tree;
    NodeId box = add(tree, NodeKind::Container);
    tree.node(box).layout.right = 5.0f;
    place_at(tree, box, { 10, 20, 30, 40 });
    LayoutParams const& layout = tree.node(box).layout;
    EXPECT_EQ(layout.placement, Placement::Absolute);
    EXPECT_EQ(layout.left, 10.0f);
    EXPECT_EQ(layout.h, 40.0f);
    EXPECT_FALSE(layout.right);
    set_spacing(tree, box, 6.0f, std::nullopt);
    set_spacing(tree, box, std::nullopt, 3.0f);
    EXPECT_EQ(layout.padding, 6.0f);
    EXPECT_EQ(layout.gap, 3.0f);
    set_depth(tree, box, not_a_number);
    EXPECT_EQ(layout.z, 0);
    set_depth(tree, box, infinity);
    EXPECT_EQ(layout.z, 2147483520);
    EXPECT_TRUE(tree.layout_dirty);
}

TEST(BoundContent, image_source_dirties_layout_only_when_it_changes_and_other_kinds_are_left_alone)
{
    Tree tree;
    NodeId image = tree.append(0, Model(NodeKind::Image, ImageModel { .source = "a.png" }));
    NodeId chart = add(tree, NodeKind::Chart);
    tree.layout_dirty = false;
    set_image_source(tree, image, "a.png");
    EXPECT_FALSE(tree.layout_dirty);
    set_image_source(tree, image, "b.png");
    EXPECT_TRUE(tree.layout_dirty);
    EXPECT_EQ(model<ImageModel>(tree, image).source, "b.png");
    set_chart_data(tree, chart, { 1, 2 });
    set_chart_data(tree, image, { 3 });
    set_canvas_shapes(tree, chart, {});
    EXPECT_EQ(model<ChartModel>(tree, chart).data, (std::vector<float> { 1, 2 }));
}

// A binding hands its value to these setters after every callback; one that
// returns what the node already has must leave the layout clean and report
// no change, or an idle window repaints on every tick.
TEST(BoundLayout, the_same_placement_spacing_or_depth_again_is_no_change)
{
    Tree tree;
    NodeId box = add(tree, NodeKind::Container);
    EXPECT_TRUE(place_at(tree, box, { 10, 20, 30, 40 }));
    EXPECT_TRUE(set_spacing(tree, box, 6.0f, 3.0f));
    EXPECT_TRUE(set_depth(tree, box, 2.6f));
    tree.layout_dirty = false;
    EXPECT_FALSE(place_at(tree, box, { 10, 20, 30, 40 }));
    EXPECT_FALSE(set_spacing(tree, box, 6.0f, 3.0f));
    EXPECT_FALSE(set_spacing(tree, box, std::nullopt, std::nullopt));
    EXPECT_FALSE(set_depth(tree, box, 2.2f)); // the same whole depth
    EXPECT_FALSE(tree.layout_dirty);
    EXPECT_TRUE(place_at(tree, box, { 10, 20, 30, 41 }));
    EXPECT_TRUE(tree.layout_dirty);
    EXPECT_FALSE(place_at(tree, NodeId { 99 }, { 0, 0, 1, 1 })); // no such node
}

TEST(BoundContent, equal_rows_shapes_and_data_are_no_change_and_new_ones_are)
{
    Tree tree;
    NodeId chart = add(tree, NodeKind::Chart);
    NodeId canvas = add(tree, NodeKind::Canvas);
    NodeId table = add(tree, NodeKind::Table);
    NodeId rows = add(tree, NodeKind::Treeview);
    NodeId grid = add(tree, NodeKind::Propgrid);
    NodeId image = tree.append(0, Model(NodeKind::Image, ImageModel { .source = "a.png" }));
    auto shapes = [] {
        return std::vector<Shape> { make_shape("rect", std::vector<float> { 1, 2, 3, 4 }, std::nullopt, {}) };
    };
    auto tree_rows = [] { return std::vector<TreeRow> { { 0, u"корень", false, true }, { 1, u"лист", true } }; };
    EXPECT_TRUE(set_chart_data(tree, chart, { 1, not_a_number }));
    EXPECT_TRUE(set_canvas_shapes(tree, canvas, shapes()));
    EXPECT_TRUE(set_table_rows(tree, table, TextRows { { u"a", u"b" } }));
    EXPECT_TRUE(set_tree_rows(tree, rows, tree_rows()));
    EXPECT_TRUE(set_property_rows(tree, grid, { { u"k", u"v" } }));
    EXPECT_TRUE(set_image_fit(tree, image, ImageFit::Cover));
    tree.layout_dirty = false;
    EXPECT_FALSE(set_chart_data(tree, chart, { 1, not_a_number })); // a NaN read again is the same value
    EXPECT_FALSE(set_canvas_shapes(tree, canvas, shapes()));
    EXPECT_FALSE(set_table_rows(tree, table, TextRows { { u"a", u"b" } }));
    EXPECT_FALSE(set_tree_rows(tree, rows, tree_rows()));
    EXPECT_FALSE(set_property_rows(tree, grid, { { u"k", u"v" } }));
    EXPECT_FALSE(set_image_fit(tree, image, ImageFit::Cover));
    EXPECT_FALSE(set_image_source(tree, image, "a.png"));
    EXPECT_FALSE(tree.layout_dirty);
    // The same number of rows with one cell changed is a change.
    EXPECT_TRUE(set_table_rows(tree, table, TextRows { { u"a", u"c" } }));
    auto opened = tree_rows();
    opened[0].open = false;
    EXPECT_TRUE(set_tree_rows(tree, rows, opened));
    EXPECT_TRUE(set_chart_data(tree, chart, { 1, 2 }));
    EXPECT_FALSE(set_chart_data(tree, table, { 1 })); // not a chart
}
