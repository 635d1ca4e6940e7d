// Column edges of tables and trees under the pointer, and the property grid's
// press and wheel.
#include "pointer_fixture.hpp"

namespace orvy {

namespace {

// Every code unit is 10 px wide.
struct TenPixelText final : TextServices {
    CaretLine caret_at(NodeId, std::size_t) override { return {}; }
    std::size_t position_at(NodeId, PointF) override { return 0; }
    std::u16string clipboard_text() override { return {}; }
    void set_clipboard_text(std::u16string_view) override { }
    float text_width(NodeId, std::u16string_view text) override { return 10.0f * static_cast<float>(text.size()); }
};

// A 314 px table leaves 300 px to three flexible columns of 100 px: the
// edges between them are at x = 100 and x = 200, in the 34 px header.
struct ColumnFixture : PointerFixture {
    TenPixelText text;
    NodeId table = add(NodeKind::Table, { 0, 0, 314, 300 });

    ColumnFixture()
    {
        input.set_text_services(&text);
        auto& model = this->model<TableModel>(table);
        model.columns.titles = { u"A", u"B", u"C" };
        model.rows = { { u"abc", u"", u"x" }, { u"abcdefgh", u"", u"y" } };
        tree.resizable_columns_set.insert(table);
        listen(table, UiEvent::ColumnsChanged);
        lay_out();
    }
    std::vector<float> const& widths() { return model<TableModel>(table).columns.widths; }
    std::vector<ColumnSpan> spans() { return column_layout(tree, table); }
    Fired columns_changed(std::uint32_t column) const { return { table, UiEvent::ColumnsChanged, column, 0, 0 }; }
};

}

TEST(PointerColumns, the_cursor_is_a_hand_over_a_resizable_edge_in_the_header_and_while_dragging)
{
    ColumnFixture f;
    f.move(103, 10);
    EXPECT_EQ(f.input.cursor_kind(), CursorKind::Hand);
    f.move(196, 33);
    EXPECT_EQ(f.input.cursor_kind(), CursorKind::Hand);
    f.move(50, 10); // inside a title
    EXPECT_EQ(f.input.cursor_kind(), CursorKind::Arrow);
    f.move(100, 100); // on the edge, but below the header
    EXPECT_EQ(f.input.cursor_kind(), CursorKind::Arrow);
    f.move(300, 10); // the last column's right edge moves nothing
    EXPECT_EQ(f.input.cursor_kind(), CursorKind::Arrow);

    f.down(100, 10);
    f.move(50, 200);
    EXPECT_EQ(f.input.cursor_kind(), CursorKind::Hand);
    f.up();
    EXPECT_EQ(f.input.cursor_kind(), CursorKind::Arrow);

    f.move(50, 10); // the dragged edge
    EXPECT_EQ(f.input.cursor_kind(), CursorKind::Hand);
    f.tree.resizable_columns_set.erase(f.table);
    f.move(50, 10);
    EXPECT_EQ(f.input.cursor_kind(), CursorKind::Arrow);
}

TEST(PointerColumns, a_dragged_edge_moves_width_between_the_column_and_its_neighbour_within_their_minimums)
{
    ColumnFixture f;
    f.down(102, 10);
    EXPECT_TRUE(f.move(150, 200));
    EXPECT_EQ(f.widths(), (std::vector<float> { 148, 52 }));
    f.move(400, 10); // the neighbour keeps its 40 px
    EXPECT_EQ(f.widths(), (std::vector<float> { 160, 40 }));
    f.move(-50, 10); // the column keeps its own 40 px
    EXPECT_EQ(f.widths(), (std::vector<float> { 40, 160 }));
    EXPECT_TRUE(f.fired.empty());
    EXPECT_TRUE(f.up());
    EXPECT_EQ(f.fired, (std::vector<Fired> { f.columns_changed(0) }));
    // The third column stays flexible and keeps its place and width.
    auto spans = f.spans();
    EXPECT_FLOAT_EQ(spans[2].x, 200);
    EXPECT_FLOAT_EQ(spans[2].w, 100);
    // No row was picked by the press in the header.
    EXPECT_FALSE(f.model<TableModel>(f.table).current);
}

TEST(PointerColumns, set_minimums_bound_the_drag_and_a_press_without_a_change_reports_nothing)
{
    ColumnFixture f;
    auto& columns = f.model<TableModel>(f.table).columns;
    columns.widths = { 0, 120, 0 };
    columns.minimums = { 0, 0, 90 };
    // The flexible columns share 300 − 120 − 40 − 90 = 50 px: 65, 120 and
    // 115 px wide, so the second edge sits at 185.
    f.down(185, 5);
    f.move(125, 5);
    EXPECT_EQ(f.widths(), (std::vector<float> { 0, 60, 175 }));
    f.move(400, 5);
    EXPECT_EQ(f.widths(), (std::vector<float> { 0, 145, 90 }));
    f.up();
    EXPECT_EQ(f.fired, (std::vector<Fired> { f.columns_changed(1) }));

    f.fired.clear();
    f.wait(1000);
    f.down(210, 5);
    EXPECT_EQ(f.input.drag().kind, DragKind::ColumnEdge);
    f.up();
    EXPECT_TRUE(f.fired.empty());
}

TEST(PointerColumns, a_double_press_fits_the_column_to_its_widest_cell_plus_24)
{
    ColumnFixture f;
    f.down(100, 10);
    f.up();
    f.wait(399);
    f.down(103, 14); // within 6 px on both axes
    // "abcdefgh" is 80 px wide.
    EXPECT_EQ(f.widths(), (std::vector<float> { 104, 96 }));
    EXPECT_EQ(f.fired, (std::vector<Fired> { f.columns_changed(0) }));
    EXPECT_EQ(f.input.drag().kind, DragKind::None);
    f.up();
    EXPECT_EQ(f.fired.size(), 1u);

    // An empty column fits to its minimum, a wide one to what its neighbour leaves.
    auto fit = [&](float x) {
        f.wait(1000);
        f.click(x, 10);
        f.wait(100);
        f.click(x, 10);
    };
    fit(200);
    EXPECT_EQ(f.widths(), (std::vector<float> { 104, 40, 156 }));
    f.model<TableModel>(f.table).rows = { { u"abc", std::u16string(100, u'w'), u"x" }, { u"abcdefgh", u"", u"y" } };
    fit(144);
    EXPECT_EQ(f.widths(), (std::vector<float> { 104, 156, 40 }));
    EXPECT_EQ(f.fired.size(), 3u);
}

TEST(PointerColumns, presses_400_ms_apart_drag_twice_instead_of_fitting)
{
    ColumnFixture f;
    f.click(100, 10);
    f.wait(400);
    f.down(100, 10);
    EXPECT_EQ(f.input.drag().kind, DragKind::ColumnEdge);
    EXPECT_TRUE(f.widths().empty());
}

TEST(PointerColumns, a_tree_fits_its_first_column_with_the_indentation_expander_and_icon)
{
    PointerFixture f;
    TenPixelText text;
    f.input.set_text_services(&text);
    NodeId view = f.add(NodeKind::Treeview, { 0, 0, 414, 300 });
    auto& model = f.model<TreeviewModel>(view);
    model.columns.titles = { u"Имя", u"Размер" };
    model.rows.push_back(TreeRow { .depth = 0, .text = u"root", .leaf = false, .open = true, .values = { u"1" } });
    model.rows.push_back(TreeRow { .depth = 3, .text = u"leaf", .leaf = true, .values = { u"22" }, .icon = u"i.png" });
    f.tree.resizable_columns_set.insert(view);
    f.lay_out();
    // Two flexible columns of 200 px; the edge is at 200.
    f.click(200, 10);
    f.wait(50);
    f.down(200, 10);
    // 3 × 18 indentation + 22 expander + 30 icon + 40 text + 24.
    EXPECT_EQ(model.columns.widths, (std::vector<float> { 170, 230 }));
}

TEST(PointerColumns, the_fit_measures_only_the_longest_texts_of_a_huge_column)
{
    Tree tree;
    NodeId table = tree.append(0, Model(NodeKind::Table));
    auto& model = *tree.node(table).model.as<TableModel>();
    model.columns.titles = { u"A", u"B" };
    for (std::size_t i = 0; i < 100000; ++i)
        model.rows.push_back({ i == 76543 ? u"the longest text of all" : u"short", u"" });
    std::size_t measured = 0;
    float width = fitted_column_width(tree, table, 0, [&](NodeId, std::u16string_view text) {
        ++measured;
        return 10.0f * static_cast<float>(text.size());
    });
    EXPECT_FLOAT_EQ(width, 230 + 24);
    EXPECT_LE(measured, 2048u);
}

TEST(PointerPropertyGrid, a_press_selects_the_row_under_it_and_reports_it)
{
    PointerFixture f;
    NodeId grid = f.add(NodeKind::Propgrid, { 0, 100, 300, 100 });
    f.model<PropgridModel>(grid).rows.assign(10, { u"ключ", u"значение" });
    f.model<PropgridModel>(grid).scroll = 40;
    f.lay_out();
    f.listen_change(grid);
    f.click(50, 110); // 10 + 40 px into the rows: row 1
    EXPECT_EQ(f.model<PropgridModel>(grid).current, 1u);
    f.model<PropgridModel>(grid).rows.resize(2);
    f.click(50, 190); // row 4 does not exist any more
    EXPECT_EQ(f.model<PropgridModel>(grid).current, 1u);
    EXPECT_EQ(f.changes, (std::vector<std::pair<NodeId, float>> { { grid, 1.0f } }));
}

TEST(PointerPropertyGrid, the_wheel_scrolls_it_by_32_px_within_its_rows)
{
    PointerFixture f;
    NodeId scroll = f.add(NodeKind::Scroll, { 0, 0, 400, 400 });
    NodeId grid = f.add(NodeKind::Propgrid, { 0, 0, 300, 100 }, scroll);
    f.model<PropgridModel>(grid).rows.assign(10, { u"k", u"v" });
    f.lay_out();
    f.move(50, 50);
    EXPECT_TRUE(f.input.wheel(f.context(), -120));
    EXPECT_FLOAT_EQ(f.model<PropgridModel>(grid).scroll, 32);
    f.input.wheel(f.context(), -1200);
    EXPECT_FLOAT_EQ(f.model<PropgridModel>(grid).scroll, 320 - 100);
    EXPECT_FALSE(f.input.wheel(f.context(), -120));
    f.input.wheel(f.context(), 240);
    EXPECT_FLOAT_EQ(f.model<PropgridModel>(grid).scroll, 220 - 64);
    EXPECT_FLOAT_EQ(f.model<ScrollModel>(scroll).offset, 0);
}

TEST(PointerPropertyGrid, new_rows_drop_a_vanished_current_row_and_lower_the_scroll)
{
    Tree tree;
    NodeId grid = tree.append(0, Model(NodeKind::Propgrid));
    tree.node(grid).rect = { 0, 0, 200, 100 };
    auto& model = *tree.node(grid).model.as<PropgridModel>();
    model.rows.assign(10, { u"k", u"v" });
    model.current = 8;
    model.scroll = 220;
    set_property_rows(tree, grid, std::vector<std::pair<Text, Text>>(4, { u"k", u"v" }));
    EXPECT_FALSE(model.current);
    EXPECT_FLOAT_EQ(model.scroll, 128 - 100);
}

TEST(PointerOpenList, a_split_buttons_list_is_as_wide_as_the_button)
{
    PointerFixture f;
    NodeId split = f.add(NodeKind::Split, { 100, 0, 150, 40 });
    f.model<SplitModel>(split).options = { u"один", u"два" };
    f.lay_out();
    f.listen_change(split);
    f.click(240, 20); // the arrow part
    ASSERT_TRUE(f.overlays.open_list);
    EXPECT_EQ(menu_list_rect(*f.overlays.open_list), (RectF { 100, 40, 150, 68 }));
    f.click(260, 80); // right of the list, where a 220 px list would reach
    EXPECT_TRUE(f.changes.empty());
    f.click(240, 20);
    f.click(240, 80);
    EXPECT_EQ(f.changes, (std::vector<std::pair<NodeId, float>> { { split, 1.0f } }));
}

}
