// Presses, releases and clicks replayed on small trees: buttons and toggles,
// double presses, ghosts, lists, overlays and the context menu.
#include "pointer_fixture.hpp"

namespace orvy {

TEST(PointerClick, release_over_the_pressed_button_clicks_and_elsewhere_does_not)
{
    PointerFixture f;
    NodeId button = f.add(NodeKind::Button, { 10, 10, 100, 40 });
    f.lay_out();
    f.listen_activate(button);

    // down inside, up inside -> click
    f.click(50, 30);
    EXPECT_EQ(f.activations.size(), 1u);
    // down inside, up outside -> nothing
    f.down(50, 30);
    f.move(300, 300);
    EXPECT_EQ(f.input.pressed(), button);
    f.up();
    EXPECT_EQ(f.activations.size(), 1u);
    // down inside, away, back, up -> click
    f.down(50, 30);
    f.move(300, 300);
    f.move(60, 20);
    f.up();
    EXPECT_EQ(f.activations.size(), 2u);
    EXPECT_FALSE(f.input.pressed());
}

TEST(PointerClick, toggles_flip_and_a_radio_turns_off_its_group)
{
    PointerFixture f;
    NodeId check = f.add(NodeKind::Checkbox, { 0, 0, 100, 30 });
    NodeId first = f.add(NodeKind::Radio, { 0, 40, 100, 30 });
    NodeId second = f.add(NodeKind::Radio, { 0, 80, 100, 30 });
    NodeId other_group = f.add(NodeKind::Radio, { 0, 120, 100, 30 });
    f.model<ToggleModel>(other_group).group = 7;
    f.model<ToggleModel>(other_group).on = true;
    f.lay_out();
    f.listen_activate(check);
    f.listen_change(second);

    f.click(10, 10);
    EXPECT_TRUE(f.model<ToggleModel>(check).on);
    EXPECT_EQ(f.activations, std::vector<NodeId> { check });
    f.click(10, 10);
    EXPECT_FALSE(f.model<ToggleModel>(check).on);

    f.click(10, 50);
    f.click(10, 90);
    EXPECT_FALSE(f.model<ToggleModel>(first).on);
    EXPECT_TRUE(f.model<ToggleModel>(second).on);
    EXPECT_TRUE(f.model<ToggleModel>(other_group).on);
    EXPECT_EQ(f.changes, (std::vector<std::pair<NodeId, float>> { { second, 1.0f } }));
}

TEST(PointerClick, presses_399_ms_apart_on_a_canvas_are_a_double_click_and_400_ms_are_not)
{
    PointerFixture f;
    NodeId canvas = f.add(NodeKind::Canvas, { 100, 100, 200, 200 });
    f.lay_out();
    f.listen(canvas, UiEvent::PointerDown);
    f.listen(canvas, UiEvent::DoubleClick);
    f.listen(canvas, UiEvent::PointerUp);

    f.click(110, 120);
    f.wait(399);
    f.click(115, 125);
    ASSERT_EQ(f.fired.size(), 5u);
    EXPECT_EQ(f.fired[0], (Fired { canvas, UiEvent::PointerDown, no_index, 10, 20 }));
    EXPECT_EQ(f.fired[3].event, UiEvent::DoubleClick);
    EXPECT_EQ(f.fired[4], (Fired { canvas, UiEvent::PointerUp, no_index, 15, 25 }));

    f.fired.clear();
    f.wait(400);
    f.click(115, 125);
    f.wait(100);
    f.click(121, 125); // 6 px away is not near enough
    for (Fired const& event : f.fired)
        EXPECT_NE(event.event, UiEvent::DoubleClick);
}

TEST(PointerClick, a_click_goes_through_a_ghost_node_to_the_node_below)
{
    PointerFixture f;
    NodeId button = f.add(NodeKind::Button, { 0, 0, 200, 100 });
    NodeId cover = f.add(NodeKind::Frame, { 0, 0, 200, 100 });
    f.tree.ghost_set.insert(cover);
    f.lay_out();
    f.listen_activate(button);
    f.click(50, 50);
    EXPECT_EQ(f.activations, std::vector<NodeId> { button });
}

TEST(PointerClick, list_rows_follow_control_and_shift_in_a_multi_selection_list)
{
    PointerFixture f;
    NodeId list = f.add(NodeKind::List, { 0, 0, 300, 320 });
    auto& model = f.model<ListModel>(list);
    model.items = { u"a", u"b", u"c", u"d", u"e" };
    model.multi = true;
    f.lay_out();
    f.listen(list, UiEvent::SelectionChanged);

    f.click(50, 40); // row 1
    f.modifiers = key_modifier::shift;
    f.click(50, 140); // row 4
    EXPECT_EQ(model.selection, (std::vector<std::uint32_t> { 1, 2, 3, 4 }));
    f.modifiers = key_modifier::control;
    f.wait(500);
    f.click(50, 80); // row 2 off
    EXPECT_EQ(model.selection, (std::vector<std::uint32_t> { 1, 3, 4 }));
    EXPECT_EQ(model.current, 2u);
    EXPECT_EQ(f.fired.size(), 3u);
}

TEST(PointerClick, a_dropdown_opens_on_press_and_a_row_of_its_list_selects)
{
    PointerFixture f;
    NodeId dropdown = f.add(NodeKind::Dropdown, { 10, 10, 200, 40 });
    f.model<ChoiceModel>(dropdown).items = { u"one", u"two", u"three" };
    f.lay_out();
    f.listen_change(dropdown);

    f.click(50, 30);
    EXPECT_EQ(f.tree.open_dropdown, dropdown);
    EXPECT_TRUE(f.model<ChoiceModel>(dropdown).open);
    f.click(50, 50 + 40 + 10); // the list starts at 50 with 40 px rows: row 1
    EXPECT_EQ(f.model<ChoiceModel>(dropdown).selected, 1u);
    EXPECT_FALSE(f.tree.open_dropdown);
    EXPECT_EQ(f.changes, (std::vector<std::pair<NodeId, float>> { { dropdown, 1.0f } }));
}

TEST(PointerClick, a_menu_bar_pick_reports_menu_times_1000_plus_item)
{
    PointerFixture f;
    NodeId bar = f.add(NodeKind::Menubar, { 0, 0, 800, 30 });
    f.model<MenubarModel>(bar).menus = { { u"File", { u"Open" } }, { u"Edit", { u"Cut", u"Copy", u"Paste" } } };
    f.lay_out();
    f.listen_change(bar);

    f.click(130, 15);
    ASSERT_TRUE(f.overlays.open_list);
    EXPECT_EQ(f.overlays.open_list->position, (PointF { 120, 30 }));
    f.click(150, 30 + 34 * 2 + 5);
    EXPECT_FALSE(f.overlays.open_list);
    EXPECT_EQ(f.changes, (std::vector<std::pair<NodeId, float>> { { bar, 1002.0f } }));
}

TEST(PointerClick, the_context_menu_stays_inside_the_client_area_and_delivers_its_pick_to_the_root)
{
    PointerFixture f;
    f.tree.menu_items = { u"a", u"b", u"c" };
    f.lay_out();
    f.listen_change(f.tree.root);

    EXPECT_TRUE(f.input.right_down(f.context(), { 790, 590 }));
    EXPECT_TRUE(f.tree.menu_open);
    EXPECT_EQ(f.tree.menu_pos, (PointF { 800 - 220, 600 - 90 }));
    f.click(600, 510 + 30 + 5);
    EXPECT_FALSE(f.tree.menu_open);
    EXPECT_EQ(f.changes, (std::vector<std::pair<NodeId, float>> { { f.tree.root, 1.0f } }));

    f.width = 100;
    f.height = 50;
    f.input.right_down(f.context(), { 40, 30 });
    EXPECT_EQ(f.tree.menu_pos, (PointF { 0, 0 }));
}

TEST(PointerClick, right_click_reaches_the_nearest_ancestor_with_a_handler)
{
    PointerFixture f;
    NodeId panel = f.add(NodeKind::Frame, { 0, 0, 400, 400 });
    NodeId label = f.add(NodeKind::Label, { 10, 10, 100, 30 }, panel);
    f.lay_out();
    f.listen(panel, UiEvent::RightClick);
    EXPECT_TRUE(f.input.right_down(f.context(), { 20, 20 }));
    EXPECT_EQ(f.fired, (std::vector<Fired> { { panel, UiEvent::RightClick, 0, 20, 20 } }));
    (void)label;
}

TEST(PointerClick, the_message_box_eats_presses_and_closes_on_a_button)
{
    PointerFixture f;
    NodeId button = f.add(NodeKind::Button, { 0, 0, 800, 600 });
    f.lay_out();
    f.listen_activate(button);
    std::optional<std::uint32_t> closed;
    f.overlays.dialog = Dialog { .title = u"t", .message = u"m", .buttons = { u"No", u"Yes" },
        .on_close = [&closed](Tree&, std::int32_t index) { closed = index; } };

    f.click(5, 5);
    EXPECT_TRUE(f.overlays.dialog);
    EXPECT_TRUE(f.activations.empty());
    RectF yes = dialog_button(dialog_panel(800, 600), 1, 2);
    f.click(yes.x + 5, yes.y + 5);
    EXPECT_FALSE(f.overlays.dialog);
    EXPECT_EQ(closed, 1u);
    EXPECT_TRUE(f.activations.empty());
}

TEST(PointerClick, tabs_calendar_pager_and_rating_pick_where_pressed)
{
    PointerFixture f;
    NodeId tabs = f.add(NodeKind::Tabs, { 0, 0, 300, 200 });
    f.model<ChoiceModel>(tabs).items = { u"a", u"b", u"c" };
    NodeId calendar = f.add(NodeKind::Calendar, { 300, 0, 350, 304 });
    NodeId pager = f.add(NodeKind::Pager, { 0, 300, 300, 40 });
    f.model<PagerModel>(pager) = { .page = 0, .total = 3 };
    NodeId rating = f.add(NodeKind::Rating, { 0, 400, 100, 20 });
    f.lay_out();

    f.click(250, 20);
    EXPECT_EQ(f.model<ChoiceModel>(tabs).selected, 2u);
    // July 2026 starts on a Wednesday: the first row's third cell is the 1st.
    f.click(300 + 50 * 2 + 5, 64 + 5);
    EXPECT_EQ(f.model<CalendarModel>(calendar).day, 1u);
    f.wait(500);
    f.click(300 + 50 * 4 + 5, 64 + 40 * 4 + 5);
    EXPECT_EQ(f.model<CalendarModel>(calendar).day, 31u);
    f.click(330, 10); // the previous month arrow
    EXPECT_EQ(f.model<CalendarModel>(calendar).month, 6u);
    f.click(4 * 40 + 5, 310); // "next" past the last page
    EXPECT_EQ(f.model<PagerModel>(pager).page, 1u);
    f.click(3 * 40 + 5, 310);
    EXPECT_EQ(f.model<PagerModel>(pager).page, 2u);
    f.click(65, 410);
    EXPECT_EQ(f.model<RatingModel>(rating).value, 4u);
}

TEST(PointerClick, cursor_follows_the_hovered_kind)
{
    PointerFixture f;
    f.add(NodeKind::Button, { 0, 0, 100, 30 });
    f.add(NodeKind::Textbox, { 0, 40, 100, 30 });
    f.add(NodeKind::Tabs, { 0, 80, 100, 30 });
    f.add(NodeKind::Label, { 0, 120, 100, 30 });
    f.lay_out();
    f.move(10, 10);
    EXPECT_EQ(f.input.cursor_kind(), CursorKind::Hand);
    f.move(10, 50);
    EXPECT_EQ(f.input.cursor_kind(), CursorKind::TextBeam);
    f.move(10, 90);
    EXPECT_EQ(f.input.cursor_kind(), CursorKind::Hand);
    f.move(10, 130);
    EXPECT_EQ(f.input.cursor_kind(), CursorKind::Arrow);
}

}
