#include "core/models/text_field.hpp"

#include <gtest/gtest.h>

using namespace orvy;

namespace {

TextboxModel field(std::u16string_view text, std::size_t caret, std::size_t anchor)
{
    TextboxModel box;
    box.text = text;
    box.caret = caret;
    box.anchor = anchor;
    return box;
}

TextboxModel field(std::u16string_view text) { return field(text, text.size(), text.size()); }

void type(TextboxModel& box, std::u16string_view text)
{
    for (char16_t unit : text)
        replace_selection(box, std::u16string_view(&unit, 1), TextEdit::Kind::Typing);
}

// An emoji outside the basic plane: two code units.
constexpr char16_t const* smile = u"\U0001F600";

}

TEST(TextField, caret_steps_collapse_a_selection_first_and_shift_extends_it)
{
    struct Case {
        std::u16string_view text;
        std::size_t caret, anchor;
        CaretStep step;
        bool shift;
        std::size_t want_caret, want_anchor;
    };
    Case const cases[] = {
        { u"hello", 3, 3, CaretStep::Left, false, 2, 2 },
        { u"hello", 0, 0, CaretStep::Left, false, 0, 0 },      // not below 0
        { u"hello", 5, 5, CaretStep::Right, false, 5, 5 },     // not beyond the length
        { u"hello", 4, 1, CaretStep::Left, false, 1, 1 },      // a selection collapses to its left end
        { u"hello", 1, 4, CaretStep::Right, false, 4, 4 },     // and to its right end
        { u"hello", 4, 1, CaretStep::Left, true, 3, 1 },       // Shift moves the caret only
        { u"hello", 2, 2, CaretStep::Home, true, 0, 2 },
        { u"hello", 2, 2, CaretStep::End, false, 5, 5 },
        { u"a\nbc", 3, 3, CaretStep::Home, false, 0, 0 },      // Home and End span the whole text
        { u"a\U0001F600b", 3, 3, CaretStep::Left, false, 1, 1 }, // a surrogate pair is one step
        { u"a\U0001F600b", 1, 1, CaretStep::Right, false, 3, 3 },
    };
    for (Case const& c : cases) {
        TextboxModel box = field(c.text, c.caret, c.anchor);
        step_caret(box, c.step, c.shift);
        EXPECT_EQ(box.caret, c.want_caret) << "caret " << c.caret << " anchor " << c.anchor << " step " << int(c.step);
        EXPECT_EQ(box.anchor, c.want_anchor) << "caret " << c.caret << " anchor " << c.anchor << " step " << int(c.step);
    }
}

TEST(TextField, deletions_take_the_selection_or_one_whole_character)
{
    struct Case {
        std::u16string_view text;
        std::size_t caret, anchor;
        bool backward;
        std::u16string_view want;
        std::size_t want_caret;
    };
    Case const cases[] = {
        { u"abc", 2, 2, true, u"ac", 1 },
        { u"abc", 0, 0, true, u"abc", 0 },
        { u"abc", 1, 1, false, u"ac", 1 },
        { u"abc", 3, 3, false, u"abc", 3 },
        { u"abcd", 3, 1, true, u"ad", 1 },
        { u"abcd", 1, 3, false, u"ad", 1 },
        { u"a\U0001F600b", 3, 3, true, u"ab", 1 },  // Backspace after an emoji removes both halves
        { u"a\U0001F600b", 1, 1, false, u"ab", 1 }, // and so does Delete before it
    };
    for (Case const& c : cases) {
        TextboxModel box = field(c.text, c.caret, c.anchor);
        bool changed = c.backward ? delete_backward(box) : delete_forward(box);
        EXPECT_EQ(changed, c.want != c.text);
        EXPECT_EQ(box.text, c.want);
        EXPECT_EQ(box.caret, c.want_caret);
        EXPECT_EQ(box.anchor, c.want_caret);
    }
}

TEST(TextField, word_selection_spans_letters_digits_and_underscore_in_any_script)
{
    struct Case {
        std::u16string_view text;
        std::size_t at;
        TextRange want;
    };
    Case const cases[] = {
        { u"hello world", 2, { 0, 5 } },
        { u"hello world", 8, { 6, 11 } },
        { u"hello world", 5, { 5, 6 } },        // a space selects itself
        { u"hello world", 40, { 6, 11 } },      // past the end: the last unit
        { u"snake_case2 x", 3, { 0, 11 } },
        { u"жёлтый цвет", 1, { 0, 6 } },
        { u"a,b", 1, { 1, 2 } },
        { u"ab\U0001F600cd", 0, { 0, 2 } },     // a surrogate ends the word
        { u"ab\U0001F600cd", 5, { 4, 6 } },
        { u"", 0, { 0, 0 } },
    };
    for (Case const& c : cases)
        EXPECT_EQ(word_at(c.text, c.at), c.want) << "at " << c.at;
}

TEST(TextField, typing_joins_one_undo_step_per_word_and_redo_replays_it)
{
    TextboxModel box = field(u"");
    type(box, u"hello world");
    EXPECT_EQ(box.undo.size(), 2u) << "\"hello \" and \"world\"";
    EXPECT_TRUE(undo(box));
    EXPECT_EQ(box.text, u"hello ");
    EXPECT_EQ(box.caret, 6u);
    EXPECT_TRUE(undo(box));
    EXPECT_EQ(box.text, u"");
    EXPECT_FALSE(undo(box)) << "an empty history does nothing";
    EXPECT_TRUE(redo(box));
    EXPECT_TRUE(redo(box));
    EXPECT_EQ(box.text, u"hello world");
    EXPECT_EQ(box.caret, 11u);
    EXPECT_FALSE(redo(box));

    // Moving the caret ends the run: what is typed next is its own step.
    step_caret(box, CaretStep::Left, false);
    type(box, u"X");
    step_caret(box, CaretStep::End, false);
    type(box, u"!");
    EXPECT_EQ(box.text, u"hello worlXd!");
    undo(box);
    EXPECT_EQ(box.text, u"hello worlXd");
    EXPECT_TRUE(box.redo.size() == 1);
    type(box, u"?");
    EXPECT_TRUE(box.redo.empty()) << "a new edit forgets what could be redone";
}

TEST(TextField, backspaces_in_a_row_are_one_step_and_undo_restores_the_caret)
{
    TextboxModel box = field(u"abcdef");
    delete_backward(box);
    delete_backward(box);
    delete_backward(box);
    EXPECT_EQ(box.text, u"abc");
    EXPECT_EQ(box.undo.size(), 1u);
    undo(box);
    EXPECT_EQ(box.text, u"abcdef");
    EXPECT_EQ(box.caret, 6u);
    EXPECT_EQ(box.anchor, 6u);

    // Typing over a selection and on is one step that undo takes back whole.
    box = field(u"one two", 7, 4);
    type(box, u"22");
    EXPECT_EQ(box.text, u"one 22");
    EXPECT_EQ(box.undo.size(), 1u);
    undo(box);
    EXPECT_EQ(box.text, u"one two");
    EXPECT_EQ(box.caret, 7u);
    // A pasted text is a step of its own.
    replace_selection(box, u"!");
    type(box, u"x");
    EXPECT_EQ(box.undo.size(), 2u);
}

TEST(TextField, an_emoji_typed_half_by_half_is_one_character_for_the_caret_and_for_undo)
{
    TextboxModel box = field(u"ab", 1, 1);
    type(box, smile);
    EXPECT_EQ(box.text, u"a\U0001F600b");
    EXPECT_EQ(box.caret, 3u);
    EXPECT_EQ(box.undo.size(), 1u);
    place_caret(box, 2, false);
    EXPECT_EQ(box.caret, 3u) << "the caret never stops between the halves";
    select_range(box, { 2, 2 });
    EXPECT_EQ(box.caret, 3u);
    undo(box);
    EXPECT_EQ(box.text, u"ab");
}

TEST(TextField, the_history_is_bounded_and_an_edit_costs_only_what_it_changes)
{
    TextboxModel box = field(std::u16string(100000, u'x'));
    for (std::size_t i = 0; i < undo_limit + 20; ++i) {
        box.caret = box.anchor = 0;
        replace_selection(box, u"y");
    }
    EXPECT_EQ(box.undo.size(), undo_limit);
    for (TextEdit const& edit : box.undo)
        EXPECT_LE(edit.removed.size() + edit.inserted.size(), 1u);
}

TEST(TextField, clipboard_forms_use_crlf_out_and_drop_control_units_in)
{
    EXPECT_EQ(clipboard_form(u"a\nb\n"), u"a\r\nb\r\n");
    EXPECT_EQ(pasted_form(u"a\r\nb\tc\x01", true), u"a\nbc");
    EXPECT_EQ(pasted_form(u"a\r\nb\r\n", false), u"ab") << "a single-line field joins the lines";
    EXPECT_EQ(committed_form(u"\x1B" u"жёлтый\n"), u"жёлтый");

    // Copying then pasting a two-line selection gives back one line feed per line.
    EXPECT_EQ(pasted_form(clipboard_form(u"one\ntwo"), true), u"one\ntwo");
}

TEST(TextField, every_change_grows_the_revision_and_preedit_is_not_text)
{
    TextboxModel box = field(u"ab");
    std::uint64_t seen = box.revision;
    auto grew = [&] {
        bool grown = box.revision > seen;
        seen = box.revision;
        return grown;
    };
    EXPECT_TRUE(set_preedit(box, u"ж"));
    EXPECT_TRUE(grew());
    EXPECT_EQ(box.text, u"ab");
    EXPECT_FALSE(set_preedit(box, u"ж"));
    EXPECT_FALSE(grew());
    replace_selection(box, u"жё");
    EXPECT_TRUE(grew());
    EXPECT_TRUE(box.preedit.empty()) << "committing ends the composition";
    step_caret(box, CaretStep::Home, false);
    EXPECT_TRUE(grew());
    select_all(box);
    EXPECT_TRUE(grew());
    EXPECT_EQ(selection_of(box), (TextRange { 0, 4 }));
    EXPECT_EQ(selected_text(box), u"abжё");
}

// The gap follows the edits; the text reads the same whichever side of the
// gap a piece lies on or spans.
TEST(TextBuffer, pieces_read_the_same_wherever_the_gap_is)
{
    TextBuffer buffer(u"hello world");
    buffer.replace(5, 0, u",");   // gap after "hello,"
    buffer.replace(0, 1, u"H");   // gap after "H"
    EXPECT_EQ(buffer, u"Hello, world");
    EXPECT_EQ(buffer.substr(3, 6), u"lo, wo");
    std::u16string_view left = buffer.view(0, 3);
    EXPECT_EQ(buffer.view(4, 4), u"o, w"); // spans no gap: the piece before stays
    EXPECT_EQ(left, u"Hel");
    EXPECT_EQ(buffer.view(0, 100), u"Hello, world");
    buffer.replace(12, 0, std::u16string(200, u'!')); // grows past its room
    buffer.replace(5, 200, u"");
    EXPECT_EQ(buffer.view(), u"Hello!!!!!!!");
    EXPECT_EQ(buffer[5], u'!');
    buffer = buffer.view(1, 4); // assigned from a piece of itself
    EXPECT_EQ(buffer, u"ello");
}
