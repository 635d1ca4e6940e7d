#include "core/input/hotkeys.hpp"
#include "core/window/host.hpp"

#include <gtest/gtest.h>

using namespace orvy;

namespace {

constexpr std::uint8_t ctrl = key_modifier::control;
constexpr std::uint8_t shift = key_modifier::shift;
constexpr std::uint8_t alt = key_modifier::alt;

}

TEST(HotKeyGrammar, valid_specifications_give_their_key_and_modifiers)
{
    struct Case {
        std::u16string_view spec;
        HotKeySpec want;
    };
    Case const cases[] = {
        { u"Ctrl+Shift+F5", { 0x74, ctrl | shift } },
        { u" ctrl + shift + f5 ", { 0x74, ctrl | shift } },
        { u"CONTROL+s", { 'S', ctrl } },
        { u"Ctrl+Shift+S", { 'S', ctrl | shift } },
        { u"alt+7", { '7', alt } },
        { u"ctrl+f12", { 0x7B, ctrl } },
        { u"f24", { 0x87, 0 } },
        { u"f01", { 0x70, 0 } },
        { u"ctrl+plus", { 0xBB, ctrl } },
        { u"ctrl+minus", { 0xBD, ctrl } },
        { u"shift+pageup", { 0x21, shift } },
        { u"pagedown", { 0x22, 0 } },
        { u"return", { 0x0D, 0 } },
        { u"escape", { 0x1B, 0 } },
        { u"esc", { 0x1B, 0 } },
        { u"space", { 0x20, 0 } },
        { u"backspace", { 0x08, 0 } },
        { u"del", { 0x2E, 0 } },
        { u"ins", { 0x2D, 0 } },
        { u"ctrl++a", { 'A', ctrl } },       // empty pieces are skipped
        { u"a+b", { 'B', 0 } },              // a later key replaces an earlier one
        { u"ctrl\u00A0+\u2003up", { 0x26, ctrl } }, // Unicode white space is trimmed
    };
    for (Case const& c : cases) {
        auto parsed = parse_hotkey(c.spec);
        ASSERT_TRUE(parsed) << std::string(c.spec.begin(), c.spec.end());
        EXPECT_EQ(*parsed, c.want);
    }
}

TEST(HotKeyGrammar, unknown_pieces_and_specifications_without_a_key_are_refused)
{
    for (std::u16string_view spec :
        { u"ctrl+f25", u"ctrl+", u"shift", u"ctrl+f0", u"ctrl+ab", u"", u"+", u"ctrl+ж", u"hyper+a", u"ctrl+fx" })
        EXPECT_FALSE(parse_hotkey(spec)) << std::string(spec.begin(), spec.end());
}

TEST(HotKeyMatching, the_first_exact_match_runs_and_keypad_signs_count_as_the_main_keys)
{
    Tree tree;
    std::vector<int> ran;
    tree.hotkeys.push_back({ 0xBD, ctrl, [&](Tree&) { ran.push_back(1); } });
    tree.hotkeys.push_back({ 0xBD, ctrl, [&](Tree&) { ran.push_back(2); } });
    tree.hotkeys.push_back({ 0xBB, 0, [&](Tree&) { ran.push_back(3); } });
    EXPECT_TRUE(run_hotkey(tree, 0xBD, ctrl));
    EXPECT_TRUE(run_hotkey(tree, 0x6D, ctrl)) << "keypad minus";
    EXPECT_TRUE(run_hotkey(tree, 0x6B, 0)) << "keypad plus";
    EXPECT_FALSE(run_hotkey(tree, 0xBD, ctrl | shift)) << "modifiers must be equal, not included";
    EXPECT_FALSE(run_hotkey(tree, 0xBB, ctrl));
    EXPECT_EQ(ran, (std::vector<int> { 1, 1, 3 }));
}

TEST(HotKeyMatching, a_handler_adding_hot_keys_appends_them_after_the_table)
{
    Tree tree;
    int later = 0;
    tree.hotkeys.push_back({ 'A', 0, [&](Tree& t) {
                                EXPECT_TRUE(t.hotkeys.empty()) << "the table is out while its handler runs";
                                t.hotkeys.push_back({ 'B', 0, [&](Tree&) { ++later; } });
                            } });
    tree.hotkeys.push_back({ 'C', 0, nullptr });
    run_hotkey(tree, 'A', 0);
    ASSERT_EQ(tree.hotkeys.size(), 3u);
    EXPECT_EQ(tree.hotkeys[1].key, static_cast<std::uint32_t>('C'));
    EXPECT_EQ(tree.hotkeys[2].key, static_cast<std::uint32_t>('B'));
    run_hotkey(tree, 'B', 0);
    EXPECT_EQ(later, 1);
}
