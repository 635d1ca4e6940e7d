// The paragraph index kept in step by edits: lengths, positions and the
// running totals of heights must equal an index built from scratch.
#include "core/models/paragraphs.hpp"
#include "core/models/text_field.hpp"

#include <gtest/gtest.h>

#include <random>

using namespace orvy;

namespace {

// Index and text agree with a fresh scan: paragraph bounds, the paragraph of
// every position, and tops that are the plain sum of the heights before.
void expect_in_step(TextboxModel const& box)
{
    ParagraphIndex const& kept = paragraph_index(box);
    ParagraphIndex fresh(box.text.view());
    ASSERT_EQ(kept.count(), fresh.count());
    ASSERT_EQ(kept.text_size(), box.text.size());
    float top = 0;
    for (std::size_t i = 0; i < kept.count(); ++i) {
        ASSERT_EQ(kept.start_of(i), fresh.start_of(i)) << i;
        ASSERT_EQ(kept.end_of(i), fresh.end_of(i)) << i;
        ASSERT_EQ(kept.top_of(i), top) << i;
        ASSERT_EQ(kept.paragraph_at(top), i);
        ASSERT_EQ(kept.paragraph_at(top + kept.height_of(i) - 0.25f), i);
        top += kept.height_of(i);
    }
    EXPECT_EQ(kept.height(), top);
    EXPECT_EQ(kept.paragraph_at(-5), 0u);
    EXPECT_EQ(kept.paragraph_at(top + 100), kept.count() - 1);
    for (std::size_t position = 0; position <= box.text.size(); ++position)
        ASSERT_EQ(kept.paragraph_of(position), fresh.paragraph_of(position)) << position;
}

}

TEST(ParagraphIndex, bounds_and_positions_of_a_scanned_text)
{
    ParagraphIndex index(u"ab\n\ncd\n");
    ASSERT_EQ(index.count(), 4u);
    std::size_t const starts[] = { 0, 3, 4, 7 }, ends[] = { 2, 3, 6, 7 };
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(index.start_of(i), starts[i]);
        EXPECT_EQ(index.end_of(i), ends[i]);
    }
    // A line feed belongs to the paragraph it ends.
    std::size_t const paragraphs[] = { 0, 0, 0, 1, 2, 2, 2, 3 };
    for (std::size_t position = 0; position < 8; ++position)
        EXPECT_EQ(index.paragraph_of(position), paragraphs[position]) << position;
}

TEST(ParagraphIndex, heights_count_one_line_until_measured_and_reset_with_the_format)
{
    ParagraphIndex index(u"a\nb\nc");
    index.measure_with(1, 100, 20);
    EXPECT_EQ(index.height(), 60);
    index.set_height(1, 45);
    EXPECT_EQ(index.top_of(2), 65);
    EXPECT_EQ(index.paragraph_at(64.5f), 1u);
    EXPECT_EQ(index.paragraph_at(65), 2u);
    index.measure_with(1, 100, 20); // the same measure keeps them
    EXPECT_TRUE(index.is_measured(1));
    index.measure_with(1, 80, 20); // another wrap width forgets them
    EXPECT_FALSE(index.is_measured(1));
    EXPECT_EQ(index.height(), 60);
}

// Random typing, Enter, deletions across lines, pastes with line feeds,
// emoji and undo/redo, with paragraphs measured between the edits: after
// every step the kept index equals one built from the text.
TEST(ParagraphIndex, edits_keep_it_equal_to_a_fresh_scan)
{
    TextboxModel box;
    box.text = u"first line\nsecond \U0001F600 line\n\nfourth";
    ParagraphIndex& index = paragraph_index(box);
    index.measure_with(1, 100, 18);
    std::mt19937 random(7);
    auto pick = [&](std::size_t bound) { return static_cast<std::size_t>(random() % (bound + 1)); };
    std::u16string_view const pieces[] = { u"x", u" ", u"\n", u"\U0001F600", u"one\ntwo\n\nthree", u"\n\n" };
    for (int step = 0; step < 400; ++step) {
        place_caret(box, pick(box.text.size()), false);
        switch (random() % 6) {
        case 0:
        case 1: replace_selection(box, pieces[random() % 6], TextEdit::Kind::Typing); break;
        case 2: delete_backward(box); break;
        case 3:
            place_caret(box, pick(box.text.size()), true);
            delete_forward(box);
            break;
        case 4: undo(box); break;
        case 5: redo(box); break;
        }
        ParagraphIndex& kept = paragraph_index(box);
        ASSERT_EQ(&kept, &index) << "the index was rebuilt instead of kept in step at step " << step;
        // Measure a few paragraphs with whole and fractional heights.
        for (int i = 0; i < 3; ++i)
            kept.set_height(pick(kept.count() - 1), 18.0f * static_cast<float>(1 + random() % 3) + 0.25f);
        expect_in_step(box);
        if (testing::Test::HasFatalFailure())
            FAIL() << "at step " << step;
    }
}

// A text of many blocks of paragraphs: Enter, pastes of hundreds of lines
// and deletions across blocks split and remake blocks, and the index still
// equals a fresh scan after each.
TEST(ParagraphIndex, edits_across_blocks_keep_it_equal_to_a_fresh_scan)
{
    TextboxModel box;
    std::u16string lines;
    for (int i = 0; i < 700; ++i)
        lines += i % 5 == 0 ? u"\n" : u"line\n";
    box.text = lines;
    ParagraphIndex& index = paragraph_index(box);
    index.measure_with(1, 100, 18);
    std::u16string many(300, u'\n');
    std::mt19937 random(11);
    auto pick = [&](std::size_t bound) { return static_cast<std::size_t>(random() % (bound + 1)); };
    for (int step = 0; step < 60; ++step) {
        place_caret(box, pick(box.text.size()), false);
        switch (random() % 5) {
        case 0: replace_selection(box, u"\n", TextEdit::Kind::Typing); break;
        case 1: replace_selection(box, many); break;
        case 2:
            place_caret(box, pick(box.text.size()), true);
            delete_forward(box);
            break;
        case 3: undo(box); break;
        case 4: redo(box); break;
        }
        ASSERT_EQ(&paragraph_index(box), &index) << "rebuilt at step " << step;
        for (int i = 0; i < 20; ++i)
            index.set_height(pick(index.count() - 1), 18.0f * static_cast<float>(1 + random() % 3) + 0.5f);
        expect_in_step(box);
        if (testing::Test::HasFatalFailure())
            FAIL() << "at step " << step;
    }
}
