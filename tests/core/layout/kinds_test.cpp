// The kinds that place their children themselves: tabs, stack, accordion,
// scroll, splitter, group and dock.
#include "tests/core/layout/layout_fixture.hpp"

#include <limits>

using namespace orvy;

TEST(KindRules, tabs_show_the_selected_page_below_the_strip_without_padding)
{
    LayoutTree t(NodeKind::Tabs, { .padding = 10 });
    t.model<ChoiceModel>(0).selected = 1;
    NodeId a = t.add(0), b = t.add(0), c = t.add(0);
    t.run(400, 300);
    EXPECT_EQ(t.rect(a), hidden_rect);
    EXPECT_EQ(t.rect(b), (RectF { 0, 40, 400, 260 }));
    EXPECT_EQ(t.rect(c), hidden_rect);

    t.model<ChoiceModel>(0).selected = 3;
    t.run(400, 30);
    EXPECT_EQ(t.rect(b), hidden_rect);
    t.model<ChoiceModel>(0).selected = 0;
    t.run(400, 30);
    EXPECT_EQ(t.rect(a), (RectF { 0, 40, 400, 0 }));
}

TEST(KindRules, stack_gives_its_whole_rect_to_the_current_page)
{
    LayoutTree t(NodeKind::Stack, { .padding = 10 });
    t.model<StackModel>(0).page = 2;
    NodeId a = t.add(0);
    t.add(0);
    NodeId c = t.add(0);
    t.run(400, 300);
    EXPECT_EQ(t.rect(a), hidden_rect);
    EXPECT_EQ(t.rect(c), (RectF { 0, 0, 400, 300 }));
}

TEST(KindRules, an_open_accordion_stacks_rows_under_its_header)
{
    LayoutTree t(NodeKind::Accordion, { .padding = 10, .gap = 5 });
    t.model<AccordionModel>(0).open = true;
    NodeId plain = t.add(0);
    NodeId fixed = t.add(0, { .h = 50 });
    NodeId gone = t.add(0);
    NodeId tall = t.add(0, { .min_h = 60 });
    t.tree.hidden_set.insert(gone);
    t.run(400, 300);
    EXPECT_EQ(t.rect(plain), (RectF { 10, 40, 380, 36 }));
    EXPECT_EQ(t.rect(fixed), (RectF { 10, 81, 380, 50 }));
    EXPECT_EQ(t.rect(gone), hidden_rect);
    EXPECT_EQ(t.rect(tall), (RectF { 10, 136, 380, 60 }));

    t.model<AccordionModel>(0).open = false;
    t.run(400, 300);
    EXPECT_EQ(t.rect(plain), hidden_rect);
    EXPECT_EQ(t.rect(tall), (RectF { off_screen, off_screen, 0, 60 }));
}

TEST(KindRules, scroll_stacks_rows_from_its_offset_and_records_the_content_height)
{
    LayoutTree t(NodeKind::Scroll, { .padding = 8, .gap = 8 });
    NodeId rows[5];
    for (NodeId& row : rows)
        row = t.add(0, { .h = 50 });
    t.run(200, 100);
    EXPECT_EQ(t.model<ScrollModel>(0).content_height, 298);
    EXPECT_EQ(t.rect(rows[0]), (RectF { 8, 8, 170, 50 }));
    EXPECT_EQ(t.rect(rows[4]), (RectF { 8, 240, 170, 50 }));

    t.model<ScrollModel>(0).offset = 30;
    NodeId loose = t.add(0);
    t.run(200, 100);
    EXPECT_EQ(t.rect(rows[0]).y, -22);
    EXPECT_EQ(t.rect(loose), (RectF { 8, 268, 170, 40 }));
    EXPECT_EQ(t.model<ScrollModel>(0).content_height, 346);
}

TEST(KindRules, a_scroll_with_only_hidden_rows_has_just_its_padding_as_content)
{
    LayoutTree t(NodeKind::Scroll, { .padding = 8, .gap = 8 });
    t.tree.hidden_set.insert(t.add(0));
    t.run(200, 100);
    EXPECT_EQ(t.model<ScrollModel>(0).content_height, 16);
}

TEST(KindRules, splitter_halves_split_around_the_gutter)
{
    LayoutTree t(NodeKind::Splitter, { .padding = 10 });
    NodeId a = t.add(0), b = t.add(0), extra = t.add(0);
    t.run(408, 100);
    EXPECT_EQ(t.rect(a), (RectF { 0, 0, 200, 100 }));
    EXPECT_EQ(t.rect(b), (RectF { 208, 0, 200, 100 }));
    EXPECT_EQ(t.rect(extra), hidden_rect);

    t.tree.hidden_set.insert(b);
    t.run(408, 100);
    EXPECT_EQ(t.rect(a), (RectF { 0, 0, 408, 100 }));
    EXPECT_EQ(t.rect(b), hidden_rect);
    // The ratio belongs to the two-pane split: hiding a pane must not lose it.
    EXPECT_EQ(t.model<SplitterModel>(0).ratio, 0.5f);
    t.tree.hidden_set.clear();
    t.run(408, 100);
    EXPECT_EQ(t.rect(b), (RectF { 208, 0, 200, 100 }));
}

TEST(KindRules, splitter_limits_move_the_divider_and_store_the_ratio)
{
    LayoutTree t(NodeKind::Splitter);
    NodeId a = t.add(0, { .min_w = 300 }), b = t.add(0);
    t.run(408, 100);
    EXPECT_EQ(t.rect(a), (RectF { 0, 0, 300, 100 }));
    EXPECT_EQ(t.rect(b), (RectF { 308, 0, 100, 100 }));
    EXPECT_EQ(t.model<SplitterModel>(0).ratio, 0.75f);

    // The second pane's maximum wins over the first pane's wish.
    t.params(a).min_w = 0;
    t.params(b).max_w = 100;
    t.model<SplitterModel>(0).ratio = 0.25f;
    t.run(408, 100);
    EXPECT_EQ(t.rect(a).w, 300);
    EXPECT_EQ(t.model<SplitterModel>(0).ratio, 0.75f);

    // A tiny drift stays within tolerance and the stored ratio is kept.
    t.params(b).max_w = std::numeric_limits<float>::infinity();
    t.params(a).min_w = 100.1f;
    t.model<SplitterModel>(0).ratio = 0.25f;
    t.run(408, 100);
    EXPECT_EQ(t.rect(a).w, 100.1f);
    EXPECT_EQ(t.model<SplitterModel>(0).ratio, 0.25f);
}

TEST(KindRules, a_horizontal_splitter_stacks_its_panes)
{
    LayoutTree t(NodeKind::Splitter);
    t.model<SplitterModel>(0) = { .vertical = false, .ratio = 0.25f };
    NodeId a = t.add(0), b = t.add(0, { .min_h = 170 });
    t.run(100, 208);
    EXPECT_EQ(t.rect(a), (RectF { 0, 0, 100, 30 }));
    EXPECT_EQ(t.rect(b), (RectF { 0, 38, 100, 170 }));
    EXPECT_EQ(t.model<SplitterModel>(0).ratio, 0.15f);
}

TEST(KindRules, group_and_open_dock_lower_the_content_box_by_their_header)
{
    LayoutTree group(NodeKind::Group, { .padding = 10 });
    NodeId in_group = group.add(0);
    group.run(200, 200);
    EXPECT_EQ(group.rect(in_group), (RectF { 10, 40, 180, 150 }));

    LayoutTree dock(NodeKind::Dock, { .padding = 10 });
    NodeId in_dock = dock.add(0);
    dock.run(200, 200);
    EXPECT_EQ(dock.rect(in_dock), (RectF { 10, 42, 180, 148 }));
    dock.model<DockModel>(0).open = false;
    dock.run(200, 200);
    EXPECT_EQ(dock.rect(in_dock), hidden_rect);
}

TEST(KindRules, leaf_kinds_with_children_use_the_general_rule)
{
    LayoutTree t(NodeKind::Button, { .padding = 4 });
    NodeId icon = t.add(0, NodeKind::Image, { .w = 16, .h = 16 });
    t.params(0).cross = Cross::Center;
    t.params(0).justify = Justify::Center;
    t.run(100, 40);
    EXPECT_EQ(t.rect(icon), (RectF { 42, 12, 16, 16 }));
}
