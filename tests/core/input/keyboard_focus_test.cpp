#include "core/input/hotkeys.hpp"
#include "core/input/keyboard.hpp"
#include "core/models/text_field.hpp"
#include "pointer_fixture.hpp"

#include <gtest/gtest.h>

#include <algorithm>

using namespace orvy;

namespace {

// Monospaced text 10 px a unit on 20 px lines from the field's top-left
// corner, and an in-memory clipboard.
struct FakeTextServices final : TextServices {
    Tree* tree = nullptr;
    std::u16string clipboard;

    std::u16string_view text_of(NodeId field) { return text_field_of(*tree, field)->text.view(); }
    CaretLine caret_at(NodeId field, std::size_t position) override
    {
        std::u16string_view text = text_of(field).substr(0, position);
        std::size_t line_start = text.rfind(u'\n');
        std::size_t column = line_start == std::u16string_view::npos ? position : position - line_start - 1;
        auto line = static_cast<float>(std::count(text.begin(), text.end(), u'\n'));
        RectF r = tree->node(field).rect;
        return { r.x + 10.0f * static_cast<float>(column), r.y + 20.0f * line, 20.0f };
    }
    std::size_t position_at(NodeId field, PointF point) override
    {
        std::u16string_view text = text_of(field);
        RectF r = tree->node(field).rect;
        auto line = static_cast<std::size_t>(std::max((point.y - r.y) / 20.0f, 0.0f));
        auto column = static_cast<std::size_t>(std::max((point.x - r.x) / 10.0f + 0.5f, 0.0f));
        std::size_t start = 0;
        for (; line > 0; --line) {
            std::size_t next = text.find(u'\n', start);
            if (next == std::u16string_view::npos)
                return text.size();
            start = next + 1;
        }
        std::size_t end = std::min(text.find(u'\n', start), text.size());
        return std::min(start + column, end);
    }
    std::u16string clipboard_text() override { return clipboard; }
    void set_clipboard_text(std::u16string_view text) override { clipboard = text; }
};

struct Keys : PointerFixture {
    KeyboardInput keys { tree, overlays, input };
    FakeTextServices services;
    std::vector<std::string> texts;

    Keys()
    {
        services.tree = &tree;
        keys.set_text_services(&services);
        input.set_text_services(&services);
    }
    NodeId field(std::u16string_view text, bool multiline = false, RectF rect = { 10, 10, 300, 40 })
    {
        NodeId id = add(NodeKind::Textbox, rect);
        model<TextboxModel>(id).text = text;
        tree.node(id).multiline = multiline;
        tree.node(id).extras_mut().on_submit = [this](Tree&, std::string_view utf8) { texts.emplace_back(utf8); };
        return id;
    }
    bool press(std::uint32_t key, std::uint8_t held = 0) { return keys.key_down(key, held); }
    void type(std::u16string_view text)
    {
        for (char16_t unit : text)
            keys.character(unit);
    }
    TextboxModel& box(NodeId id) { return model<TextboxModel>(id); }
};

constexpr std::uint8_t ctrl = key_modifier::control;
constexpr std::uint8_t shift = key_modifier::shift;

}

TEST(TabOrder, walks_focusable_nodes_depth_first_skipping_hidden_and_disabled_subtrees)
{
    Keys f;
    NodeId panel = f.add(NodeKind::Frame, { 0, 0, 400, 400 });
    NodeId button = f.add(NodeKind::Button, { 0, 0, 50, 20 }, panel);
    f.add(NodeKind::Label, { 0, 30, 50, 20 }, panel);
    NodeId text = f.add(NodeKind::Textbox, { 0, 60, 50, 20 }, panel);
    NodeId hidden = f.add(NodeKind::Frame, { hidden_subtree_x - 10, 0, 50, 50 });
    f.add(NodeKind::Button, { hidden_subtree_x - 10, 0, 50, 20 }, hidden);
    NodeId disabled = f.add(NodeKind::Slider, { 0, 100, 50, 20 });
    f.tree.disabled_set.insert(disabled);
    NodeId list = f.add(NodeKind::List, { 0, 130, 50, 60 });
    NodeId check = f.add(NodeKind::Checkbox, { 60, 0, 50, 20 }, panel);
    f.lay_out();
    EXPECT_EQ(tab_order(f.tree), (std::vector<NodeId> { button, text, check, list }));

    f.press(virtual_key::tab);
    EXPECT_EQ(f.input.focus(), button) << "with no focus Tab goes to the first";
    EXPECT_EQ(f.input.visible_focus(), button) << "and the keyboard's focus is shown";
    f.press(virtual_key::tab);
    f.press(virtual_key::tab);
    f.press(virtual_key::tab);
    EXPECT_EQ(f.input.focus(), list);
    f.press(virtual_key::tab);
    EXPECT_EQ(f.input.focus(), button) << "and from the last back to the first";
    f.press(virtual_key::tab, shift);
    EXPECT_EQ(f.input.focus(), list);
    f.input.set_focus(std::nullopt);
    f.press(virtual_key::tab, shift);
    EXPECT_EQ(f.input.focus(), list) << "Shift+Tab with no focus goes to the last";
    f.click(20, 10);
    EXPECT_FALSE(f.input.visible_focus()) << "a press hides the keyboard's focus";
}

TEST(TabOrder, leaving_a_text_box_reports_its_text_and_tab_closes_an_open_dropdown)
{
    Keys f;
    NodeId text = f.field(u"abc");
    NodeId dropdown = f.add(NodeKind::Dropdown, { 10, 60, 100, 30 });
    f.model<ChoiceModel>(dropdown).open = true;
    f.tree.open_dropdown = dropdown;
    f.input.set_focus(text);
    f.press(virtual_key::tab);
    EXPECT_EQ(f.input.focus(), dropdown);
    EXPECT_EQ(f.texts, (std::vector<std::string> { "abc" }));
    EXPECT_FALSE(f.tree.open_dropdown);
    EXPECT_FALSE(f.model<ChoiceModel>(dropdown).open);
}

TEST(HotKeys, fire_without_text_focus_and_stay_silent_while_a_text_box_or_a_list_has_it)
{
    Keys f;
    NodeId text = f.field(u"abc", false);
    int fired = 0;
    f.tree.hotkeys.push_back({ 'A', ctrl, [&](Tree&) { ++fired; } });
    EXPECT_TRUE(f.press('A', ctrl));
    EXPECT_EQ(fired, 1);
    f.input.set_focus(text);
    f.box(text).caret = f.box(text).anchor = 1;
    f.press('A', ctrl);
    EXPECT_EQ(fired, 1) << "silent while a text box has the focus";
    EXPECT_EQ(selection_of(f.box(text)), (TextRange { 0, 3 })) << "Ctrl+A selects all instead";
    f.input.set_focus(std::nullopt);
    f.tree.menu_open = true;
    f.press('A', ctrl);
    EXPECT_EQ(fired, 1) << "silent while the context menu is open";
}

TEST(ContextMenuKeys, arrows_move_the_highlight_and_enter_picks_it)
{
    Keys f;
    std::vector<float> picked;
    f.tree.node(f.tree.root).extras_mut().on_change = [&](Tree&, float item) { picked.push_back(item); };
    f.tree.menu_items = { u"a", u"b", u"c" };
    f.tree.menu_open = true;
    f.press(virtual_key::down);
    EXPECT_EQ(f.tree.keyboard_row, 1u) << "Down with nothing highlighted goes to row 1";
    f.press(virtual_key::down);
    f.press(virtual_key::down);
    EXPECT_EQ(f.tree.keyboard_row, 2u) << "not beyond the last";
    f.press(virtual_key::up);
    EXPECT_FALSE(f.press('Q')) << "other keys do nothing";
    f.press(virtual_key::enter);
    EXPECT_FALSE(f.tree.menu_open);
    EXPECT_EQ(picked, (std::vector<float> { 1.0f }));
}

TEST(KindKeys, dropdown_opens_moves_and_picks_and_tabs_step_clamped)
{
    Keys f;
    NodeId dropdown = f.add(NodeKind::Dropdown, { 10, 10, 100, 30 });
    f.model<ChoiceModel>(dropdown).items = { u"a", u"b", u"c" };
    f.model<ChoiceModel>(dropdown).selected = 1;
    f.listen_change(dropdown);
    f.input.set_focus(dropdown);
    f.press(virtual_key::space);
    EXPECT_EQ(f.tree.open_dropdown, dropdown);
    EXPECT_EQ(f.tree.keyboard_row, 1u) << "opens with the selection highlighted";
    f.press(virtual_key::down);
    f.press(virtual_key::down);
    f.press(virtual_key::enter);
    EXPECT_FALSE(f.tree.open_dropdown);
    EXPECT_EQ(f.model<ChoiceModel>(dropdown).selected, 2u);

    NodeId tabs = f.add(NodeKind::Tabs, { 10, 50, 300, 200 });
    f.model<ChoiceModel>(tabs).items = { u"x", u"y" };
    f.listen_change(tabs);
    f.input.set_focus(tabs);
    f.press(virtual_key::left);
    f.press(virtual_key::right);
    f.press(virtual_key::right);
    EXPECT_EQ(f.model<ChoiceModel>(tabs).selected, 1u);
    EXPECT_EQ(f.changes, (std::vector<std::pair<NodeId, float>> { { dropdown, 2.0f }, { tabs, 0.0f }, { tabs, 1.0f },
                             { tabs, 1.0f } }));
}

TEST(KindKeys, lists_and_tables_step_their_rows_and_scroll_them_into_view)
{
    Keys f;
    NodeId list = f.add(NodeKind::List, { 0, 0, 200, 64 });
    auto& items = f.model<ListModel>(list);
    items.items = { u"0", u"1", u"2", u"3", u"4" };
    f.listen_change(list);
    f.input.set_focus(list);
    f.press(virtual_key::down);
    EXPECT_EQ(items.current, 1u) << "no current row: Down gives row 1";
    f.press(virtual_key::down);
    f.press(virtual_key::down);
    EXPECT_EQ(items.current, 3u);
    EXPECT_FLOAT_EQ(items.scroll, 3 * 32 + 32 - 64) << "the row's bottom is brought into view";
    f.press(virtual_key::up);
    f.press(virtual_key::up);
    EXPECT_FLOAT_EQ(items.scroll, 32);
    items.multi = true;
    f.listen(list, UiEvent::SelectionChanged);
    f.press(virtual_key::up);
    EXPECT_EQ(items.selection, (std::vector<std::uint32_t> { 0 }));
    EXPECT_EQ(f.fired.size(), 1u);

    NodeId table = f.add(NodeKind::Table, { 0, 100, 200, 100 });
    f.model<TableModel>(table).rows = { { u"a" }, { u"b" } };
    f.input.set_focus(table);
    f.press(virtual_key::up);
    EXPECT_EQ(f.model<TableModel>(table).current, 0u) << "no current row: Up gives row 0";
    f.press(virtual_key::down);
    f.press(virtual_key::down);
    EXPECT_EQ(f.model<TableModel>(table).current, 1u) << "clamped to the rows";
}

TEST(KindKeys, tree_rows_move_open_close_and_go_to_parent_and_child)
{
    Keys f;
    NodeId tree = f.add(NodeKind::Treeview, { 0, 0, 200, 300 });
    auto& rows = f.model<TreeviewModel>(tree).rows;
    rows = { { .depth = 0, .text = u"a" }, { .depth = 1, .text = u"a1", .leaf = true },
        { .depth = 0, .text = u"b" }, { .depth = 1, .text = u"b1", .leaf = true } };
    f.listen(tree, UiEvent::RowOpened);
    f.input.set_focus(tree);
    auto current = [&] { return f.model<TreeviewModel>(tree).current; };
    f.press(virtual_key::down);
    EXPECT_EQ(current(), 0u) << "the children of closed rows are skipped";
    f.press(virtual_key::down);
    EXPECT_EQ(current(), 2u);
    f.press(virtual_key::right);
    EXPECT_TRUE(rows[2].open) << "Right opens a closed row";
    f.press(virtual_key::right);
    EXPECT_EQ(current(), 3u) << "and then goes to its first child";
    f.press(virtual_key::left);
    EXPECT_EQ(current(), 2u) << "Left on a leaf goes to the parent";
    f.press(virtual_key::left);
    EXPECT_FALSE(rows[2].open) << "and on an open row closes it";
    f.press(virtual_key::home);
    EXPECT_EQ(current(), 0u);
    f.press(virtual_key::page_down);
    EXPECT_EQ(current(), 2u) << "clamped to the last visible row";
    EXPECT_EQ(f.fired.size(), 2u);
}

TEST(KindKeys, sliders_step_by_a_twentieth_and_enter_or_space_click_clickables)
{
    Keys f;
    NodeId slider = f.add(NodeKind::Slider, { 0, 0, 100, 20 });
    f.model<ValueModel>(slider).value = 0.98f;
    f.listen_change(slider);
    f.input.set_focus(slider);
    f.press(virtual_key::right);
    EXPECT_FLOAT_EQ(f.model<ValueModel>(slider).value, 1.0f);
    f.press(virtual_key::left);
    EXPECT_FLOAT_EQ(f.model<ValueModel>(slider).value, 0.95f);

    NodeId button = f.add(NodeKind::Button, { 0, 30, 100, 20 });
    f.listen_activate(button);
    NodeId check = f.add(NodeKind::Checkbox, { 0, 60, 100, 20 });
    f.input.set_focus(button);
    f.press(virtual_key::enter);
    f.press(virtual_key::space);
    f.input.set_focus(check);
    f.press(virtual_key::space);
    EXPECT_EQ(f.activations.size(), 2u);
    EXPECT_TRUE(f.model<ToggleModel>(check).on);
}

TEST(TextKeys, typing_editing_and_the_keys_handler_in_a_single_line_box)
{
    Keys f;
    NodeId text = f.field(u"");
    f.listen_change(text);
    f.lay_out();
    f.click(20, 20);
    EXPECT_EQ(f.input.focus(), text);
    f.type(u"жёлтый");
    EXPECT_EQ(f.box(text).text, u"жёлтый");
    f.type(u"\x08");
    f.press(virtual_key::home);
    f.press(virtual_key::right, shift);
    f.press(virtual_key::delete_key);
    EXPECT_EQ(f.box(text).text, u"ёлты");
    f.type(u"\x01\x1B");
    EXPECT_EQ(f.box(text).text, u"ёлты") << "control units are not typed";
    f.press(virtual_key::enter);
    EXPECT_EQ(f.input.focus(), text) << "Enter keeps the focus";
    EXPECT_EQ(f.box(text).text, u"ёлты") << "and inserts nothing in a single-line field";
    f.press(virtual_key::escape);
    EXPECT_FALSE(f.input.focus());
    EXPECT_EQ(f.changes, (std::vector<std::pair<NodeId, float>> { { text, 1.0f }, { text, 0.0f } }));
    EXPECT_EQ(f.texts.back(), "ёлты");
    EXPECT_EQ(f.texts.size(), 8u) << "six characters, a Backspace and a Delete";
    f.type(u"x");
    EXPECT_EQ(f.box(text).text, u"ёлты") << "characters need a focus";
}

TEST(TextKeys, clipboard_shortcuts_copy_crlf_cut_paste_undo_and_redo)
{
    Keys f;
    NodeId area = f.field(u"one\ntwo", true);
    f.input.set_focus(area);
    f.press('A', ctrl);
    f.press('C', ctrl);
    EXPECT_EQ(f.services.clipboard, u"one\r\ntwo");
    f.press('X', ctrl);
    EXPECT_EQ(f.box(area).text, u"");
    f.press('V', ctrl);
    EXPECT_EQ(f.box(area).text, u"one\ntwo") << "one line feed per line";
    f.press('Z', ctrl);
    EXPECT_EQ(f.box(area).text, u"");
    f.press('Z', ctrl);
    EXPECT_EQ(f.box(area).text, u"one\ntwo");
    f.press('Y', ctrl);
    EXPECT_EQ(f.box(area).text, u"");
    EXPECT_EQ(f.texts, (std::vector<std::string> { "", "one\ntwo", "", "one\ntwo", "" }));

    NodeId line = f.field(u"", false, { 10, 200, 300, 40 });
    f.input.set_focus(line);
    f.press('V', ctrl);
    EXPECT_EQ(f.box(line).text, u"onetwo") << "a single-line field joins the lines";
    f.tree.password_set.insert(line);
    f.services.clipboard.clear();
    f.press('A', ctrl);
    f.press('C', ctrl);
    EXPECT_EQ(f.services.clipboard, u"") << "a masked field does not give its text away";
}

TEST(TextKeys, up_and_down_follow_the_lines_of_a_multi_line_field_and_enter_breaks_a_line)
{
    Keys f;
    NodeId area = f.field(u"abcd\nab\nabcdef", true, { 0, 0, 300, 200 });
    f.input.set_focus(area);
    f.box(area).caret = f.box(area).anchor = 3;
    f.press(virtual_key::down);
    EXPECT_EQ(f.box(area).caret, 7u) << "the short line's end";
    f.press(virtual_key::down, shift);
    EXPECT_EQ(f.box(area).caret, 10u);
    EXPECT_EQ(f.box(area).anchor, 7u);
    f.press(virtual_key::up);
    f.press(virtual_key::up);
    EXPECT_EQ(f.box(area).caret, 2u);
    f.press(virtual_key::up);
    EXPECT_EQ(f.box(area).caret, 2u) << "the first line stays";
    f.press(virtual_key::enter);
    EXPECT_EQ(f.box(area).text, u"ab\ncd\nab\nabcdef");
}

TEST(TerminalKeys, enter_submits_the_input_line_even_when_empty)
{
    Keys f;
    NodeId term = f.add(NodeKind::Term, { 0, 0, 300, 200 });
    std::vector<std::string> commands;
    f.tree.node(term).extras_mut().on_submit = [&](Tree&, std::string_view command) { commands.emplace_back(command); };
    f.input.set_focus(term);
    f.type(u"lss\x08");
    f.press(virtual_key::enter);
    f.type(u"\r");
    f.type(u"\r");
    EXPECT_EQ(commands, (std::vector<std::string> { "ls", "" }));
    EXPECT_EQ(f.model<TermModel>(term).lines, (TextList { u"$ ls", u"$ " }));
    EXPECT_TRUE(f.model<TermModel>(term).input.text.empty());
    EXPECT_TRUE(f.model<TermModel>(term).input.undo.empty());
}

TEST(InputMethod, composition_shows_apart_from_the_text_and_the_result_is_one_undo_step)
{
    Keys f;
    NodeId text = f.field(u"ab");
    f.input.set_focus(text);
    f.box(text).caret = f.box(text).anchor = 1;
    EXPECT_TRUE(f.keys.input_method_preedit(u"ж"));
    EXPECT_EQ(f.box(text).preedit, u"ж");
    EXPECT_EQ(f.box(text).text, u"ab");
    EXPECT_TRUE(f.keys.input_method_result(u"жёлтый\x01"));
    EXPECT_EQ(f.box(text).text, u"aжёлтыйb");
    EXPECT_TRUE(f.box(text).preedit.empty());
    EXPECT_EQ(f.box(text).undo.size(), 1u);
    EXPECT_EQ(f.texts, (std::vector<std::string> { "aжёлтыйb" }));
    f.keys.input_method_preedit(u"x");
    f.input.set_focus(std::nullopt);
    EXPECT_TRUE(f.box(text).preedit.empty()) << "losing the focus ends the composition";
}

TEST(PointerOnText, a_press_places_the_caret_a_drag_selects_and_a_double_press_takes_a_word)
{
    Keys f;
    NodeId text = f.field(u"hello world", false, { 0, 0, 300, 40 });
    f.lay_out();
    f.down(32, 10);
    EXPECT_EQ(f.box(text).caret, 3u);
    f.move(71, 10);
    f.up();
    EXPECT_EQ(selection_of(f.box(text)), (TextRange { 3, 7 }));
    f.move(90, 10);
    EXPECT_EQ(f.box(text).caret, 7u) << "moves after the release no longer select";
    f.wait(500);
    f.down(72, 10);
    f.up();
    f.wait(100);
    f.down(72, 10);
    EXPECT_EQ(selection_of(f.box(text)), (TextRange { 6, 11 }));
}

TEST(FocusRequests, focus_with_text_replaces_and_selects_and_none_clears)
{
    Keys f;
    NodeId text = f.field(u"old");
    f.tree.focus_requests.push({ .node = text, .text = u"x", .select_all = true });
    EXPECT_TRUE(f.keys.take_focus_requests());
    EXPECT_EQ(f.input.focus(), text);
    EXPECT_EQ(f.box(text).text, u"x");
    EXPECT_EQ(selection_of(f.box(text)), (TextRange { 0, 1 }));
    f.tree.focus_requests.push({ .node = text, .select_all = false });
    f.tree.focus_requests.push({});
    f.keys.take_focus_requests();
    EXPECT_FALSE(f.input.focus());
    EXPECT_EQ(f.box(text).caret, 1u);
    EXPECT_EQ(f.box(text).anchor, 1u);
}
