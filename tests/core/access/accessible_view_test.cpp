// The accessible view over a built form: roles, names, states, values,
// items, actions through the pointer path, and the changes it reports.
#include "core/access/detail/items.hpp"
#include "core/access/tree_view.hpp"
#include "core/models/text_field.hpp"
#include "core/operations/operations.hpp"
#include "core/window/window.hpp"

#include "../input/pointer_fixture.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <span>

namespace orvy {
namespace {

using enum AccessibleState;

struct FormFixture : PointerFixture, ::testing::Test {
    NodeId name_label, name_field, ok, agree, volume_label, volume, fruits, grid, files;
    TreeAccessibleView view { tree, input, overlays,
        { .click = [this](PointF point) { click(point.x, point.y); },
            .client_size = [this] { return ClientSize { 800, 600 }; } } };

    FormFixture()
    {
        name_label = add(NodeKind::Label, { 10, 10, 100, 30 });
        model<TextModel>(name_label).text = u"Имя";
        name_field = add(NodeKind::Textbox, { 120, 10, 200, 30 });
        model<TextboxModel>(name_field).placeholder = u"введите имя";
        ok = add(NodeKind::Button, { 10, 50, 100, 30 });
        model<ButtonModel>(ok).caption = u"Ок";
        tree.node(ok).extras_mut().tip = u"Сохранить";
        agree = add(NodeKind::Checkbox, { 120, 50, 200, 30 });
        model<ToggleModel>(agree) = { .caption = u"Согласен", .on = true };
        volume_label = add(NodeKind::Label, { 10, 90, 100, 30 });
        model<TextModel>(volume_label).text = u"Громкость";
        volume = add(NodeKind::Slider, { 120, 90, 200, 30 });
        model<ValueModel>(volume).value = 0.25f;
        fruits = add(NodeKind::List, { 10, 130, 200, 96 });
        model<ListModel>(fruits).items = { u"яблоко", u"груша", u"слива" };
        model<ListModel>(fruits).current = 1;
        grid = add(NodeKind::Table, { 220, 130, 300, 200 });
        model<TableModel>(grid).columns.titles = { u"A", u"B" };
        model<TableModel>(grid).rows = { { u"1", u"2" }, { u"3", u"4" } };
        files = add(NodeKind::Treeview, { 10, 340, 300, 200 });
        model<TreeviewModel>(files).rows = { { .depth = 0, .text = u"src", .leaf = false, .open = false },
            { .depth = 1, .text = u"main.cpp", .leaf = true }, { .depth = 0, .text = u"README", .leaf = true } };
        lay_out();
        view.take_events(); // the reference state
    }

    AccessibleInfo info(NodeId id) { return view.describe({ id }); }
    std::vector<AccessibleEvent> events_of(AccessibleEventKind kind)
    {
        std::vector<AccessibleEvent> matching;
        for (AccessibleEvent& event : view.take_events()) {
            if (event.kind == kind)
                matching.push_back(std::move(event));
        }
        return matching;
    }
};

TEST_F(FormFixture, kinds_map_to_roles_with_their_names)
{
    EXPECT_EQ(info(name_label).role, AccessibleRole::Label);
    EXPECT_EQ(info(ok).role, AccessibleRole::PushButton);
    EXPECT_EQ(info(ok).name, u"Ок");
    EXPECT_EQ(info(ok).description, u"Сохранить");
    EXPECT_EQ(info(agree).role, AccessibleRole::CheckBox);
    EXPECT_EQ(info(agree).name, u"Согласен");
    // Fields without words of their own are named by the label before them.
    EXPECT_EQ(info(volume).role, AccessibleRole::Slider);
    EXPECT_EQ(info(volume).name, u"Громкость");
    EXPECT_EQ(info(name_field).role, AccessibleRole::Entry);
    EXPECT_EQ(info(name_field).name, u"Имя");
    EXPECT_EQ(info(fruits).role, AccessibleRole::List);
    EXPECT_EQ(info(grid).role, AccessibleRole::Table);
    EXPECT_EQ(info(files).role, AccessibleRole::Tree);
    tree.password_set.insert(name_field);
    EXPECT_EQ(info(name_field).role, AccessibleRole::PasswordText);
    EXPECT_EQ(view.text({ name_field })->text, u"");
}

TEST_F(FormFixture, a_field_without_a_label_is_named_by_its_placeholder_then_its_tip)
{
    model<TextModel>(name_label).text.clear();
    tree.node(name_label).model = Model(NodeKind::Separator);
    EXPECT_EQ(info(name_field).name, u"введите имя");
    model<TextboxModel>(name_field).placeholder.clear();
    tree.node(name_field).extras_mut().tip = u"подсказка";
    EXPECT_EQ(info(name_field).name, u"подсказка");
}

TEST_F(FormFixture, states_follow_the_models_and_the_tree_sets)
{
    AccessibleStates states = info(agree).states;
    EXPECT_TRUE(states.has(Checkable) && states.has(Checked) && states.has(Enabled) && states.has(Showing));
    EXPECT_TRUE(info(ok).states.has(Focusable));
    EXPECT_TRUE(info(name_field).states.has(Editable) && info(name_field).states.has(SingleLine));
    EXPECT_FALSE(info(name_label).states.has(Focusable));

    tree.disabled_set.insert(agree);
    tree.disabled_flags.clear();
    EXPECT_FALSE(info(agree).states.has(Enabled));
    EXPECT_FALSE(info(agree).states.has(Focusable));
    tree.hidden_set.insert(ok);
    lay_out();
    EXPECT_FALSE(info(ok).states.has(Showing));
    auto children = view.children(view.root());
    EXPECT_EQ(std::count(children.begin(), children.end(), AccessibleRef { ok }), 0);
}

TEST_F(FormFixture, values_and_value_ranges)
{
    auto value = info(volume).value;
    ASSERT_TRUE(value);
    EXPECT_FLOAT_EQ(value->current, 0.25);
    EXPECT_EQ(value->minimum, 0.0);
    EXPECT_EQ(value->maximum, 1.0);
    // A gauge is not clamped: its range grows to hold the value.
    NodeId gauge = add(NodeKind::Gauge, { 400, 10, 50, 50 });
    set_numeric_state(tree, gauge, 1.7f);
    EXPECT_FLOAT_EQ(info(gauge).value->maximum, 1.7);
    EXPECT_FALSE(info(ok).value);
}

TEST_F(FormFixture, lists_tables_and_trees_have_items_with_selection_and_expansion)
{
    auto items = view.children({ fruits });
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(view.describe(items[1]).role, AccessibleRole::ListItem);
    EXPECT_EQ(view.describe(items[1]).name, u"груша");
    EXPECT_TRUE(view.describe(items[1]).states.has(Selected));
    EXPECT_EQ(view.selected_children({ fruits }), std::vector<std::size_t> { 1 });
    // Rows lie one under the other from the top of the list.
    EXPECT_EQ(view.describe(items[2]).extents.y, 130 + 2 * list_row_height);

    auto rows = view.children({ grid });
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(view.describe(rows[0]).role, AccessibleRole::TableRow);
    auto cells = view.children(rows[1]);
    ASSERT_EQ(cells.size(), 2u);
    EXPECT_EQ(view.describe(cells[1]).role, AccessibleRole::TableCell);
    EXPECT_EQ(view.describe(cells[1]).name, u"4");
    EXPECT_EQ(view.describe(cells[1]).description, u"B");
    EXPECT_EQ(view.parent(cells[1]), rows[1]);

    // A closed tree row hides its children.
    auto tree_items = view.children({ files });
    ASSERT_EQ(tree_items.size(), 2u);
    AccessibleInfo src = view.describe(tree_items[0]);
    EXPECT_EQ(src.role, AccessibleRole::TreeItem);
    EXPECT_TRUE(src.states.has(Expandable) && src.states.has(Collapsed));
    ASSERT_EQ(src.actions.size(), 2u);
    EXPECT_TRUE(view.do_action(tree_items[0], 1));
    EXPECT_EQ(view.children({ files }).size(), 3u);
    EXPECT_TRUE(view.describe(tree_items[0]).states.has(Expanded));
}

TEST_F(FormFixture, actions_click_through_the_pointer_path)
{
    listen_activate(ok);
    AccessibleInfo button = info(ok);
    ASSERT_EQ(button.actions.size(), 1u);
    EXPECT_EQ(button.actions[0], "click");
    EXPECT_TRUE(view.do_action({ ok }, 0));
    EXPECT_EQ(activations, std::vector<NodeId> { ok });
    EXPECT_FALSE(view.do_action({ ok }, 1));

    EXPECT_TRUE(view.do_action({ agree }, 0));
    EXPECT_FALSE(model<ToggleModel>(agree).on);

    // Clicking a list item selects it as the pointer does.
    listen(fruits, UiEvent::SelectionChanged);
    EXPECT_TRUE(view.do_action({ fruits, 2 }, 0));
    EXPECT_EQ(model<ListModel>(fruits).current, 2u);
    ASSERT_EQ(fired.size(), 1u);
    EXPECT_EQ(fired[0].index, 2u);
}

TEST_F(FormFixture, values_and_texts_set_from_outside_reach_the_handlers)
{
    listen_change(volume);
    EXPECT_TRUE(view.set_value({ volume }, 2.0));
    EXPECT_FLOAT_EQ(model<ValueModel>(volume).value, 1.0f);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_FLOAT_EQ(changes[0].second, 1.0f);
    EXPECT_FALSE(view.set_value({ volume }, std::nan("")));

    std::vector<std::string> submitted;
    tree.node(name_field).extras_mut().on_submit = [&](Tree&, std::string_view text) { submitted.emplace_back(text); };
    EXPECT_TRUE(view.set_text({ name_field }, u"Анна"));
    EXPECT_TRUE(view.replace_text({ name_field }, 4, 4, u" Мария\nИвановна"));
    // A single-line field drops the line break.
    EXPECT_EQ(model<TextboxModel>(name_field).text, u"Анна МарияИвановна");
    EXPECT_EQ(view.text({ name_field })->caret, 18u);
    EXPECT_EQ(submitted.back(), "Анна МарияИвановна");
    EXPECT_TRUE(undo(model<TextboxModel>(name_field)));
    EXPECT_EQ(model<TextboxModel>(name_field).text, u"Анна");
    EXPECT_FALSE(view.set_text({ ok }, u"x"));
}

TEST_F(FormFixture, changes_are_reported_once_as_events)
{
    EXPECT_TRUE(view.take_events().empty());

    model<ToggleModel>(agree).on = false;
    auto states = events_of(AccessibleEventKind::StateChanged);
    ASSERT_EQ(states.size(), 1u);
    EXPECT_EQ(states[0].target, AccessibleRef { agree });
    EXPECT_EQ(states[0].state, Checked);
    EXPECT_FALSE(states[0].on);

    set_numeric_state(tree, volume, 0.5f);
    EXPECT_EQ(events_of(AccessibleEventKind::ValueChanged).size(), 1u);

    input.set_focus(name_field);
    auto focus = events_of(AccessibleEventKind::Focus);
    ASSERT_EQ(focus.size(), 1u);
    EXPECT_EQ(focus[0].target, AccessibleRef { name_field });

    auto& box = model<TextboxModel>(name_field);
    box.text = u"abcd";
    view.take_events();
    box.text = u"aXYd";
    box.caret = 3;
    auto events = view.take_events();
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].kind, AccessibleEventKind::TextRemoved);
    EXPECT_EQ(events[0].offset, 1u);
    EXPECT_EQ(events[0].text, u"bc");
    EXPECT_EQ(events[1].kind, AccessibleEventKind::TextInserted);
    EXPECT_EQ(events[1].text, u"XY");
    EXPECT_EQ(events[2].kind, AccessibleEventKind::CaretMoved);
    EXPECT_EQ(events[2].offset, 3u);

    set_numeric_state(tree, fruits, 0);
    auto selected = view.take_events();
    ASSERT_EQ(selected.size(), 3u);
    EXPECT_EQ(selected[0].target, (AccessibleRef { fruits, 1 }));
    EXPECT_FALSE(selected[0].on);
    EXPECT_EQ(selected[1].target, (AccessibleRef { fruits, 0 }));
    EXPECT_TRUE(selected[1].on);
    EXPECT_EQ(selected[2].kind, AccessibleEventKind::SelectionChanged);
}

TEST_F(FormFixture, new_subtrees_and_dialogs_are_announced)
{
    NodeId panel = add(NodeKind::Frame, { 400, 300, 100, 100 });
    add(NodeKind::Button, { 410, 310, 50, 30 }, panel);
    lay_out();
    auto added = events_of(AccessibleEventKind::ChildrenAdded);
    ASSERT_EQ(added.size(), 1u);
    EXPECT_EQ(added[0].target, AccessibleRef { 0 });
    EXPECT_EQ(added[0].child, AccessibleRef { panel });

    overlays.dialog = Dialog { .title = u"Внимание", .message = u"Файл изменён", .buttons = { u"Да", u"Нет" } };
    auto events = view.take_events();
    auto announced = std::find_if(events.begin(), events.end(),
        [](AccessibleEvent const& e) { return e.kind == AccessibleEventKind::Announcement; });
    ASSERT_NE(announced, events.end());
    AccessibleInfo dialog = view.describe(announced->target);
    EXPECT_EQ(dialog.role, AccessibleRole::Alert);
    EXPECT_EQ(dialog.name, u"Внимание");
    EXPECT_EQ(dialog.description, u"Файл изменён");
    ASSERT_EQ(view.children(announced->target).size(), 2u);
    // The open message box holds the focus.
    EXPECT_EQ(view.focus(), announced->target);
    // A notification joining it is announced alone.
    overlays.notification = Notification { .message = u"Сохранено" };
    auto toast = events_of(AccessibleEventKind::Announcement);
    ASSERT_EQ(toast.size(), 1u);
    EXPECT_EQ(view.describe(toast[0].target).role, AccessibleRole::Notification);
    EXPECT_EQ(view.describe(toast[0].target).name, u"Сохранено");
    overlays.dialog.reset();
    EXPECT_FALSE(view.is_valid(announced->target));
}

TEST_F(FormFixture, the_deepest_object_under_a_point_is_found)
{
    EXPECT_EQ(view.at_point({ 50, 60 }), AccessibleRef { ok });
    EXPECT_EQ(view.at_point({ 50, 130 + 32 + 5 }), (AccessibleRef { fruits, 1 }));
    EXPECT_EQ(view.at_point({ 790, 590 }), view.root());
}


TEST_F(FormFixture, replaced_items_are_reported_as_children_removed_and_added)
{
    model<ListModel>(fruits).items = { u"яблоко", u"киви", u"манго", u"слива" };
    auto events = view.take_events();
    std::vector<std::pair<AccessibleEventKind, std::size_t>> children;
    for (AccessibleEvent const& event : events) {
        if (event.kind == AccessibleEventKind::ChildrenAdded || event.kind == AccessibleEventKind::ChildrenRemoved) {
            EXPECT_EQ(event.target, AccessibleRef { fruits });
            EXPECT_EQ(event.child, (AccessibleRef { fruits, static_cast<std::uint32_t>(event.offset) }));
            children.emplace_back(event.kind, event.offset);
        }
    }
    // Only the middle changed: the pear goes, the kiwi and the mango come.
    using enum AccessibleEventKind;
    EXPECT_EQ(children, (std::vector<std::pair<AccessibleEventKind, std::size_t>> {
                           { ChildrenRemoved, 1 }, { ChildrenAdded, 1 }, { ChildrenAdded, 2 } }));

    // Opening a tree row shows its children: they are added.
    std::uint32_t row = 0;
    open_tree_rows(tree, files, std::span(&row, 1), true);
    auto opened = events_of(AccessibleEventKind::ChildrenAdded);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].child, (AccessibleRef { files, 1 }));
}

TEST_F(FormFixture, item_summaries_agree_with_the_items_described)
{
    // The per-frame comparison reads names and selection from one pass over
    // each model; they must be what the items themselves report.
    model<TreeviewModel>(files).multi = true;
    model<TreeviewModel>(files).selection = { 1, 2, 7 }; // row 1 is hidden, 7 does not exist
    model<TableModel>(grid).current = 1;
    for (NodeId id : { fruits, grid, files }) {
        std::vector<AccessibleRef> items = detail::accessible_items(tree, id);
        std::vector<detail::ItemSummary> summaries = detail::summarize_items(tree, id);
        ASSERT_EQ(summaries.size(), items.size());
        std::vector<std::size_t> selected;
        for (std::size_t i = 0; i < items.size(); ++i) {
            AccessibleInfo item = view.describe(items[i]);
            EXPECT_EQ(summaries[i].item, items[i].item);
            EXPECT_EQ(summaries[i].name, item.name);
            EXPECT_EQ(summaries[i].selected, item.states.has(Selected));
            if (item.states.has(Selected))
                selected.push_back(i);
        }
        EXPECT_EQ(view.selected_children({ id }), selected);
    }
    EXPECT_EQ(view.selected_children({ files }), std::vector<std::size_t> { 1 }); // README, the second visible row
}

TEST(AccessibleWindowRole, modal_windows_are_dialogs_and_push_windows_notifications)
{
    EXPECT_EQ(accessible_window_role(WindowOptions {}), AccessibleRole::Frame);
    EXPECT_EQ(accessible_window_role(WindowOptions { .modal = true }), AccessibleRole::Dialog);
    EXPECT_EQ(accessible_window_role(WindowOptions { .takes_focus = false }), AccessibleRole::Notification);
}

// Text laid out at ten pixels a unit, wrapping after five units.
struct TextExtentsFixture : FormFixture {
    TextExtentsFixture()
    {
        model<TextboxModel>(name_field).text = u"Анна Мария";
        laid.take_events();
    }
    TreeAccessibleView laid { tree, input, overlays,
            { .client_size = [] { return ClientSize { 800, 600 }; },
                .caret_at = [](NodeId, std::size_t position) {
                    return CaretLine { 132.0f + 10.0f * static_cast<float>(position % 5),
                        16.0f + 20.0f * static_cast<float>(position / 5), 18 };
                },
                .position_at = [](NodeId, PointF point) {
                    return static_cast<std::size_t>(std::lround((point.x - 132) / 10));
                } } };
};

TEST_F(TextExtentsFixture, text_extents_come_from_the_layout)
{
    EXPECT_EQ(laid.text_extents({ name_field }, 1, 2), (RectF { 142, 16, 10, 18 }));
    EXPECT_EQ(laid.text_extents({ name_field }, 0, 3), (RectF { 132, 16, 30, 18 }));
    // The last character of a line reaches to the field's right edge.
    EXPECT_EQ(laid.text_extents({ name_field }, 4, 5), (RectF { 172, 16, 148, 18 }));
    // A range over lines covers the field's width.
    EXPECT_EQ(laid.text_extents({ name_field }, 2, 8), (RectF { 120, 16, 200, 38 }));
    // Past the end is clamped; labels have no layout of their own.
    EXPECT_EQ(laid.text_extents({ name_field }, 10, 99), (RectF { 132, 56, 0, 18 }));
    EXPECT_FALSE(laid.text_extents({ name_label }, 0, 1));

    EXPECT_EQ(laid.text_offset_at({ name_field }, { 153, 20 }), 2u);
    EXPECT_FALSE(laid.text_offset_at({ name_field }, { 20, 20 }));
    EXPECT_FALSE(laid.text_offset_at({ ok }, { 50, 60 }));
}
}
}
