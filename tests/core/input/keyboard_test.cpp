#include "core/frame/frame.hpp"
#include "core/input/keyboard.hpp"
#include "pointer_fixture.hpp"

#include <gtest/gtest.h>

using namespace orvy;

namespace {

struct KeyboardFixture : PointerFixture {
    KeyboardInput keys { tree, overlays, input };
    std::vector<std::int32_t> closed;

    void open_dialog(TextList buttons)
    {
        overlays.dialog = Dialog { .title = u"t", .message = u"m", .buttons = std::move(buttons),
            .on_close = [this](Tree&, std::int32_t index) { closed.push_back(index); } };
    }
    bool press(std::uint32_t key, std::uint8_t held = 0) { return keys.key_down(key, held); }
};

}

TEST(Keyboard, tab_walks_the_message_box_buttons_cyclically_and_enter_presses_the_focused_one)
{
    KeyboardFixture f;
    f.open_dialog({ u"a", u"b", u"c" });
    f.press(virtual_key::tab);
    EXPECT_EQ(f.overlays.dialog->focused_button, 0u) << "the first Tab focuses the first button";
    f.press(virtual_key::tab);
    f.press(virtual_key::tab);
    f.press(virtual_key::tab);
    EXPECT_EQ(f.overlays.dialog->focused_button, 0u) << "and wraps after the last";
    f.press(virtual_key::tab, key_modifier::shift);
    EXPECT_EQ(f.overlays.dialog->focused_button, 2u);
    EXPECT_FALSE(f.press('X')) << "other keys are eaten while the box is open, with nothing to repaint";
    EXPECT_TRUE(f.overlays.dialog);
    f.press(virtual_key::enter);
    EXPECT_FALSE(f.overlays.dialog);
    EXPECT_EQ(f.closed, (std::vector<std::int32_t> { 2 }));

    f.open_dialog({ u"no", u"yes" });
    f.press(virtual_key::tab, key_modifier::shift);
    EXPECT_EQ(f.overlays.dialog->focused_button, 1u) << "Shift+Tab starts from the last";
}

TEST(Keyboard, space_without_focus_presses_the_last_button_and_escape_dismisses)
{
    KeyboardFixture f;
    f.open_dialog({ u"no", u"yes" });
    f.press(virtual_key::space);
    f.open_dialog({ u"ok" });
    f.press(virtual_key::escape);
    EXPECT_EQ(f.closed, (std::vector<std::int32_t> { 1, dialog_dismissed }));
    EXPECT_FALSE(f.overlays.dialog);
}

TEST(Keyboard, escape_hides_a_shown_pop_layer_before_anything_else)
{
    KeyboardFixture f;
    NodeId layer = f.add(NodeKind::Container, { 100, 100, 200, 100 });
    f.listen(layer, UiEvent::LayerClosed);
    apply_request(f.tree, NodeRequest { .node = layer, .a = 100, .b = 100, .kind = RequestKind::PopAt });
    f.lay_out();
    f.input.set_focus(layer);
    f.tree.menu_open = true;

    EXPECT_TRUE(f.press(virtual_key::escape));
    EXPECT_FALSE(f.tree.popup_layer);
    EXPECT_EQ(f.fired.size(), 1u);
    EXPECT_FALSE(f.input.focus());
    EXPECT_TRUE(f.tree.menu_open) << "the layer took this Esc";

    f.press(virtual_key::escape);
    EXPECT_FALSE(f.tree.menu_open);
    EXPECT_EQ(f.fired.size(), 1u);
}

TEST(Keyboard, escape_closes_the_open_lists_and_f12_toggles_the_inspector_only_when_allowed)
{
    KeyboardFixture f;
    NodeId dropdown = f.add(NodeKind::Dropdown, { 0, 0, 100, 30 });
    f.model<ChoiceModel>(dropdown).open = true;
    f.tree.open_dropdown = dropdown;
    NodeId split = f.add(NodeKind::Split, { 0, 40, 100, 30 });
    f.model<SplitModel>(split).open = true;
    f.overlays.open_list = OpenList { .owner = split, .items = { u"x" } };

    f.press(virtual_key::escape);
    EXPECT_FALSE(f.tree.open_dropdown);
    EXPECT_FALSE(f.model<ChoiceModel>(dropdown).open);
    EXPECT_FALSE(f.overlays.open_list);
    EXPECT_FALSE(f.model<SplitModel>(split).open);

    EXPECT_FALSE(f.press(virtual_key::f12));
    EXPECT_FALSE(f.overlays.inspector);
    f.keys.allow_inspector(true);
    f.press(virtual_key::f12);
    EXPECT_TRUE(f.overlays.inspector);
    f.press(virtual_key::f12);
    EXPECT_FALSE(f.overlays.inspector);
}
