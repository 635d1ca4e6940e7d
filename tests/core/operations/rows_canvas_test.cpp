#include "core/operations/operations.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace orvy;

namespace {

NodeId add(Tree& tree, NodeKind kind, RectF rect = { 0, 0, 200, 100 })
{
    NodeId id = tree.append(0, Model(kind));
    tree.node(id).rect = rect;
    return id;
}

template<class T>
T& model(Tree& tree, NodeId id) { return *tree.node(id).model.as<T>(); }

TreeRow row(std::uint32_t depth, bool leaf, bool open = false)
{
    TreeRow r;
    r.depth = depth;
    r.leaf = leaf;
    r.open = open;
    return r;
}

struct Heard {
    std::uint32_t index;
    float first;
};

void record(Tree& tree, NodeId id, UiEvent event, std::vector<Heard>& heard)
{
    tree.register_event(id, event, [&heard](Tree&, std::uint32_t index, float first, float) { heard.push_back({ index, first }); });
}

}

TEST(ColorPicker, top_left_of_the_field_is_white_and_hue_converts_by_sector)
{
    Tree tree;
    NodeId picker = add(tree, NodeKind::Color, { 100, 50, 300, 200 });
    std::vector<float> heard;
    tree.node(picker).extras_mut().on_change = [&heard](Tree&, float value) { heard.push_back(value); };
    pick_color(tree, picker, 100 + 8, 50 + 8, ColorPart::Field);
    EXPECT_EQ(model<ColorModel>(tree, picker).saturation, 0.0f);
    EXPECT_EQ(model<ColorModel>(tree, picker).value, 1.0f);
    EXPECT_EQ(heard.back(), float(0xFFFFFF));
    // Far right of the hue strip is hue 1, red again; a third of the way is green.
    pick_color(tree, picker, 1000, 0, ColorPart::Field);
    pick_color(tree, picker, 1000, 0, ColorPart::HueStrip);
    EXPECT_EQ(heard.back(), float(0xFF0000));
    EXPECT_EQ(hsv_to_rgb(1.0f / 3.0f, 1, 1), 0x00FF00u);
    EXPECT_EQ(hsv_to_rgb(0.5f, 1, 1), 0x00FFFFu);
    EXPECT_EQ(hsv_to_rgb(0.75f, 0.5f, 0.5f), 0x604080u);
    RectF hue = color_hue_rect({ 0, 0, 300, 200 });
    EXPECT_EQ(hue.y, 8 + 158 + 8);
    EXPECT_EQ(hue.w, 230);
}

TEST(Pointer, slider_follows_the_pointer_and_range_thumbs_push_each_other)
{
    Tree tree;
    NodeId slider = add(tree, NodeKind::Slider, { 10, 0, 100, 20 });
    NodeId range = add(tree, NodeKind::Range, { 0, 0, 100, 20 });
    slider_from_pointer(tree, slider, 35);
    EXPECT_FLOAT_EQ(model<ValueModel>(tree, slider).value, 0.25f);
    range_from_pointer(tree, range, 10, RangeThumb::Upper);
    EXPECT_FLOAT_EQ(model<RangeModel>(tree, range).lo, 0.1f);
    EXPECT_FLOAT_EQ(model<RangeModel>(tree, range).hi, 0.1f);
    range_from_pointer(tree, range, 500, RangeThumb::Lower);
    EXPECT_FLOAT_EQ(model<RangeModel>(tree, range).lo, 1.0f);
    EXPECT_FLOAT_EQ(model<RangeModel>(tree, range).hi, 1.0f);
    tree.node(slider).rect.w = 0;
    slider_from_pointer(tree, slider, 0);
    EXPECT_FLOAT_EQ(model<ValueModel>(tree, slider).value, 0.25f);
}

TEST(ListRows, hit_scroll_bar_and_scroll_into_view)
{
    Tree tree;
    NodeId list = add(tree, NodeKind::List, { 0, 100, 200, 96 });
    set_items(tree, list, TextList(10, u"x"));
    EXPECT_EQ(list_item_at(tree, list, 100 + 33), 1u);
    EXPECT_FALSE(list_item_at(tree, list, 99));
    scrollbar_drag(tree, list, 100 + 96);
    EXPECT_EQ(model<ListModel>(tree, list).scroll, 10 * 32 - 96);
    EXPECT_FALSE(list_item_at(tree, list, 100 + 96));
    scroll_into_view(tree, list, 0);
    EXPECT_EQ(model<ListModel>(tree, list).scroll, 0);
    scroll_into_view(tree, list, 5);
    EXPECT_EQ(model<ListModel>(tree, list).scroll, 6 * 32 - 96);
}

TEST(Selection, drops_out_of_range_sorts_dedupes_and_keeps_the_first_given_as_current)
{
    Tree tree;
    NodeId list = add(tree, NodeKind::List);
    set_items(tree, list, TextList(5, u"x"));
    std::vector<std::uint32_t> given { 3, 9, 1, 3 };
    set_selection(tree, list, given);
    EXPECT_EQ(model<ListModel>(tree, list).selection, (std::vector<std::uint32_t> { 1, 3 }));
    EXPECT_EQ(model<ListModel>(tree, list).current, 3u);
    set_selection(tree, list, {});
    EXPECT_FALSE(model<ListModel>(tree, list).current);
}

TEST(TreeRows, closed_ancestors_hide_rows_and_scroll_is_lowered)
{
    Tree tree;
    NodeId view = add(tree, NodeKind::Treeview, { 0, 0, 200, 64 });
    // 0 root (closed) > 1 child (open) > 2 leaf; 3 root leaf
    set_tree_rows(tree, view, { row(0, false), row(1, false, true), row(2, true), row(0, true) });
    EXPECT_EQ(visible_tree_rows(model<TreeviewModel>(tree, view)), (std::vector<std::uint32_t> { 0, 3 }));
    EXPECT_FALSE(tree_row_visible(model<TreeviewModel>(tree, view), 2));

    std::vector<Heard> opened;
    record(tree, view, UiEvent::RowOpened, opened);
    open_tree_rows(tree, view, {}, true);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].index, 0u);
    EXPECT_EQ(opened[0].first, 1.0f);

    model<TreeviewModel>(tree, view).scroll = 64;
    std::vector<std::uint32_t> root { 0 };
    open_tree_rows(tree, view, root, false);
    // Two visible rows fit in 64 pixels, so nothing is left to scroll.
    EXPECT_EQ(model<TreeviewModel>(tree, view).scroll, 0);
}

TEST(TreeRows, seeing_a_row_opens_its_ancestors_and_scrolls_to_it)
{
    Tree tree;
    NodeId view = add(tree, NodeKind::Treeview, { 0, 0, 200, 64 });
    set_tree_rows(tree, view, { row(0, false), row(1, false), row(2, true), row(0, true) });
    std::vector<Heard> opened;
    record(tree, view, UiEvent::RowOpened, opened);
    tree_see(tree, view, 2);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0].index, 0u);
    EXPECT_EQ(opened[1].index, 1u);
    EXPECT_EQ(model<TreeviewModel>(tree, view).scroll, 3 * 32 - 64);
}

TEST(TreeRows, selecting_and_clearing_report_through_selection_and_row_click)
{
    Tree tree;
    NodeId view = add(tree, NodeKind::Treeview);
    set_tree_rows(tree, view, { row(0, true), row(0, true) });
    model<TreeviewModel>(tree, view).multi = true;
    std::vector<Heard> selected, clicked;
    record(tree, view, UiEvent::SelectionChanged, selected);
    record(tree, view, UiEvent::RowClick, clicked);
    tree_select_row(tree, view, 1, 2);
    EXPECT_EQ(model<TreeviewModel>(tree, view).selection, (std::vector<std::uint32_t> { 1 }));
    ASSERT_EQ(clicked.size(), 1u);
    EXPECT_EQ(clicked[0].first, 2.0f);
    tree_clear_selection(tree, view);
    ASSERT_EQ(selected.size(), 2u);
    EXPECT_EQ(selected[1].index, no_index);
    EXPECT_FALSE(model<TreeviewModel>(tree, view).current);
}

TEST(Columns, fixed_columns_keep_width_and_flexible_ones_share_the_rest)
{
    std::vector<float> widths { 100, 0, -5 };
    std::vector<float> minimums { 120, 60 };
    auto columns = column_layout({ 10, 0, 414, 100 }, 4, widths, minimums);
    ASSERT_EQ(columns.size(), 4u);
    // 400 usable: fixed 120; bases 60, 40, 40 share 140 more, 140/3 each.
    EXPECT_FLOAT_EQ(columns[0].w, 120);
    EXPECT_FLOAT_EQ(columns[1].w, 60 + 140.0f / 3);
    EXPECT_FLOAT_EQ(columns[2].w, 40 + 140.0f / 3);
    EXPECT_FLOAT_EQ(columns[1].x, 130);
    EXPECT_EQ(column_at(columns, 10), 0u);
    EXPECT_EQ(column_at(columns, 131), 1u);
    EXPECT_EQ(column_at(columns, 5000), 3u);
    // Too narrow: flexible columns keep their base.
    auto narrow = column_layout({ 0, 0, 50, 0 }, 2, {}, {});
    EXPECT_FLOAT_EQ(narrow[1].w, 40);
    EXPECT_EQ(column_layout({}, 0, {}, {}).size(), 1u);
}

TEST(Table, click_below_the_header_selects_the_row_and_reports_the_column)
{
    Tree tree;
    NodeId table = add(tree, NodeKind::Table, { 0, 0, 214, 200 });
    model<TableModel>(tree, table).columns.titles = { u"a", u"b" };
    TextRows rows;
    rows.assign(5, { u"1", u"2" });
    set_table_rows(tree, table, std::move(rows));
    std::vector<float> changes;
    std::vector<Heard> clicks;
    tree.node(table).extras_mut().on_change = [&changes](Tree&, float value) { changes.push_back(value); };
    record(tree, table, UiEvent::RowClick, clicks);
    table_click(tree, table, 150, 20);
    EXPECT_TRUE(changes.empty());
    table_click(tree, table, 150, 34 + 61);
    EXPECT_EQ(model<TableModel>(tree, table).current, 2u);
    EXPECT_EQ(changes, (std::vector<float> { 2 }));
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0].first, 1.0f);
    table_click(tree, table, 150, 34 + 5 * 30 + 1);
    EXPECT_EQ(changes.size(), 1u);
}

TEST(CanvasShapes, conversion_fills_slots_packs_colour_and_reads_poly_stroke_last)
{
    std::vector<float> numbers { 1, 2, 3, 4, 5, 6, 7, 8 };
    Shape rect = make_shape("rect", numbers, Color { 1, 0.5f, -1, 2 }, u"t");
    EXPECT_EQ(rect.kind, ShapeKind::Rect);
    EXPECT_EQ(rect.p[5], 6);
    EXPECT_EQ(rect.rgba, 0xFF8000FFu);
    EXPECT_EQ(make_shape("bogus", {}, std::nullopt, u"").kind, ShapeKind::Label);
    EXPECT_EQ(make_shape("bogus", {}, std::nullopt, u"").rgba, 0xFFFFFFFFu);
    std::vector<float> odd { 0, 0, 10, 0, 0, 10, 3 };
    Shape poly = make_shape("poly", odd, std::nullopt, u"");
    EXPECT_EQ(poly.points.size(), 6u);
    EXPECT_EQ(poly.p[0], 3);
    Shape even = make_shape("poly", numbers, std::nullopt, u"");
    EXPECT_EQ(even.points.size(), 8u);
    EXPECT_EQ(even.p[0], 8);
}

TEST(CanvasShapes, hit_test_covers_every_kind)
{
    auto shape = [](char const* kind, std::vector<float> numbers) { return make_shape(kind, numbers, std::nullopt, u""); };
    EXPECT_TRUE(shape_contains(shape("rect", { 0, 0, 10, 10 }), 10, 10));
    EXPECT_FALSE(shape_contains(shape("rect", { 0, 0, 10, 10 }), 10.1f, 5));
    EXPECT_TRUE(shape_contains(shape("text", { 0, 0, 10, 10 }), 5, 5));
    EXPECT_TRUE(shape_contains(shape("circle", { 50, 50, 10 }), 57, 57));
    EXPECT_FALSE(shape_contains(shape("circle", { 50, 50, 10 }), 58, 58));
    EXPECT_TRUE(shape_contains(shape("circle", { 50, 50, 0 }), 50.9f, 50)); // radius at least 1
    EXPECT_TRUE(shape_contains(shape("line", { 0, 0, 100, 0, 1 }), 50, 4)); // width at least 4
    EXPECT_FALSE(shape_contains(shape("line", { 0, 0, 100, 0, 1 }), 105, 0));
    EXPECT_TRUE(shape_contains(shape("arrow", { 0, 0, 0, 100, 8 }), 7, 100));
    EXPECT_TRUE(shape_contains(shape("line", { 5, 5, 5, 5, 0 }), 8, 5)); // zero-length segment
    Shape triangle = shape("poly", { 0, 0, 10, 0, 0, 10, 1 });
    EXPECT_TRUE(shape_contains(triangle, 2, 2));
    EXPECT_FALSE(shape_contains(triangle, 8, 8));
    EXPECT_FALSE(shape_contains(shape("poly", { 0, 0, 10, 10, 1 }), 5, 5)); // two points enclose nothing
    // Quarter from 0 to 90 degrees: y grows downwards.
    EXPECT_TRUE(shape_contains(shape("arc", { 0, 0, 10, 0, 90, 1 }), 3, 3));
    EXPECT_FALSE(shape_contains(shape("arc", { 0, 0, 10, 0, 90, 1 }), -3, 3));
    EXPECT_TRUE(shape_contains(shape("sector", { 0, 0, 10, 270, -180 }), 3, 3)); // |sweep| counts
    EXPECT_TRUE(shape_contains(shape("sector", { 0, 0, 10, -90, 90 }), 3, -3));
    EXPECT_FALSE(shape_contains(shape("sector", { 0, 0, 10, 0, 360 }), 11, 0));
}

TEST(CanvasShapes, hit_test_uses_view_offset_and_the_last_shape_wins)
{
    CanvasModel canvas;
    canvas.shapes.push_back(make_shape("rect", std::vector<float> { 0, 0, 100, 100 }, std::nullopt, u""));
    canvas.shapes.push_back(make_shape("circle", std::vector<float> { 50, 50, 10 }, std::nullopt, u""));
    RectF rect { 20, 20, 100, 100 };
    EXPECT_EQ(canvas_hit(canvas, rect, 70, 70), 1u);
    EXPECT_EQ(canvas_hit(canvas, rect, 25, 25), 0u);
    canvas.view_x = 500;
    EXPECT_EQ(canvas_hit(canvas, rect, 70, 70), no_index);
}

TEST(CanvasView, offset_is_clamped_into_the_region_less_the_canvas_size)
{
    Tree tree;
    NodeId canvas = add(tree, NodeKind::Canvas, { 0, 0, 100, 50 });
    set_canvas_region(tree, canvas, 300, 200, -100, 0);
    auto& m = model<CanvasModel>(tree, canvas);
    EXPECT_EQ(m.region_x, -100);
    EXPECT_EQ(m.region_w, 400);
    set_canvas_view(tree, canvas, 1000, -1000);
    EXPECT_EQ(m.view_x, 200);
    EXPECT_EQ(m.view_y, 0);
    set_canvas_region(tree, canvas, 0, 0, 10, 10); // smaller than the canvas
    EXPECT_EQ(m.view_x, 0);
    EXPECT_EQ(m.view_y, 0);
}
