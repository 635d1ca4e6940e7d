#include "core/text/fixed_advance_text_engine.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using namespace orvy;

namespace {

// Size 20: each code unit is 10 px wide, each line 25 px high.
class TextEngineTest : public ::testing::Test {
protected:
    std::shared_ptr<TextFormat const> body(float size = 20)
    {
        return engine.format(text_format_key(TextRole::Paragraph, 0, size));
    }

    FixedAdvanceTextEngine engine;
};

}

TEST_F(TextEngineTest, formats_are_cached_by_key_and_sizes_below_one_become_one)
{
    auto first = body();
    EXPECT_EQ(first, body());
    EXPECT_NE(first, body(21));
    EXPECT_EQ(body(0.2f)->key().size, 1.0f);
    EXPECT_EQ(body(std::nanf(""))->key().size, 1.0f);
    EXPECT_EQ(body(0.2f), body(-5));
}

TEST_F(TextEngineTest, family_ids_resolve_through_the_lookup_and_fall_back_to_segoe_ui)
{
    engine.set_family_lookup([](std::uint16_t id) { return id == 3 ? std::string("Fira") : std::string(); });
    TextFormatKey key = text_format_key(TextRole::Body, 3, 20);
    EXPECT_EQ(engine.format(key)->family_name(), "Fira");

    engine.clear_caches();
    engine.missing_families.insert("Fira");
    EXPECT_EQ(engine.format(key)->family_name(), "Segoe UI");
    key.family = 0;
    EXPECT_EQ(engine.format(key)->family_name(), "Segoe UI");

    engine.missing_families.insert("Segoe UI");
    key.size = 30;
    EXPECT_EQ(engine.format(key), nullptr);
}

TEST_F(TextEngineTest, the_standard_roles_follow_the_base_size)
{
    TextFormatKey title = text_format_key(TextRole::Title, 2, 20);
    EXPECT_EQ(title, (TextFormatKey { 2, 24, 600, TextAlign::Center, ParagraphAlign::Center, WordWrap::Wrap }));
    TextFormatKey heading = text_format_key(TextRole::Heading, 0, 20);
    EXPECT_EQ(heading.wrap, WordWrap::NoWrap);
    EXPECT_EQ(heading.weight, 600);
    EXPECT_EQ(text_format_key(TextRole::Body, 0, 20).paragraph, ParagraphAlign::Center);
    EXPECT_EQ(text_format_key(TextRole::Paragraph, 0, 20).paragraph, ParagraphAlign::Near);
}

TEST_F(TextEngineTest, layouts_are_made_once_per_text_format_and_box)
{
    auto format = body();
    auto a = engine.layout(u"hello", *format, 100, 30);
    EXPECT_EQ(a, engine.layout(u"hello", *format, 100, 30));
    EXPECT_EQ(engine.layouts_created(), 1u);
    EXPECT_NE(a, engine.layout(u"hello", *format, 101, 30));
    EXPECT_NE(a, engine.layout(u"hello", *body(21), 100, 30));
    EXPECT_EQ(engine.layouts_created(), 3u);

    // Boxes below one pixel (and NaN) share the 1 x 1 box.
    auto tiny = engine.layout(u"x", *format, 0, -3);
    EXPECT_EQ(tiny->box(), (TextSize { 1, 1 }));
    EXPECT_EQ(tiny, engine.layout(u"x", *format, std::nanf(""), 0.5f));
}

TEST_F(TextEngineTest, the_layout_cache_is_emptied_when_an_insertion_finds_it_over_the_limit)
{
    auto format = body();
    for (std::size_t i = 0; i <= TextEngine::layout_cache_limit; ++i)
        engine.layout(std::u16string(1, static_cast<char16_t>(0x4E00 + i)), *format, 50, 50);
    EXPECT_EQ(engine.cached_layouts(), TextEngine::layout_cache_limit + 1);

    auto kept = engine.layout(u"first", *format, 50, 50);
    EXPECT_EQ(engine.cached_layouts(), 1u);
    // A layout handed out earlier stays usable after the reset, as does its format.
    engine.clear_caches();
    EXPECT_EQ(kept->text(), u"first");
    EXPECT_EQ(kept->format().key().size, 20.0f);
}

TEST_F(TextEngineTest, text_width_includes_trailing_spaces_and_is_zero_for_empty_text)
{
    auto format = body();
    EXPECT_EQ(engine.text_width(u"abc", *format), 30.0f);
    EXPECT_EQ(engine.text_width(u"abc  ", *format), 50.0f);
    EXPECT_EQ(engine.text_width(u"", *format), 0.0f);
    engine.clear_caches();
    engine.fail_layouts = true;
    EXPECT_EQ(engine.text_width(u"abc", *body()), 0.0f);
}

TEST_F(TextEngineTest, caret_positions_follow_wrapped_lines)
{
    auto format = body();
    EXPECT_EQ(engine.caret_x(u"abcd", *format, 2), 20.0f);
    EXPECT_EQ(engine.caret_x(u"abcd", *format, 99), 40.0f);
    EXPECT_EQ(engine.caret_x(u"", *format, 0), 0.0f);

    // Three code units fit in 30 px: "abc" / "def" / "g".
    EXPECT_EQ(engine.caret_line(u"abcdefg", *format, 30, 4), (CaretLine { 10, 25, 25 }));
    EXPECT_EQ(engine.caret_line(u"abcdefg", *format, 30, 3), (CaretLine { 0, 25, 25 }));
    EXPECT_EQ(engine.caret_line(u"ab\ncd", *format, 300, 2), (CaretLine { 20, 0, 25 }));
    EXPECT_EQ(engine.caret_line(u"ab\ncd", *format, 300, 3), (CaretLine { 0, 25, 25 }));
}

TEST_F(TextEngineTest, hit_tests_degrade_to_the_documented_defaults_without_a_layout)
{
    engine.fail_layouts = true;
    auto format = body();
    EXPECT_EQ(engine.caret_line(u"abc", *format, 100, 1), (CaretLine { 0, 0, 22 }));
    EXPECT_EQ(engine.position_at_point(u"abc", *format, 100, { 25, 5 }, 2), 2u);
    EXPECT_TRUE(engine.selection_rects(u"abc", *format, 100, 0, 2).empty());
}

TEST_F(TextEngineTest, points_map_to_the_nearest_position_within_the_text)
{
    auto format = body();
    EXPECT_EQ(engine.position_at_point(u"abcdef", *format, 1000, { 26, 3 }, 0), 3u);
    EXPECT_EQ(engine.position_at_point(u"abcdef", *format, 1000, { -50, -50 }, 4), 0u);
    EXPECT_EQ(engine.position_at_point(u"abcdef", *format, 1000, { 5000, 3 }, 0), 6u);
    EXPECT_EQ(engine.position_at_point(u"abcdef", *format, 30, { 14, 30 }, 0), 4u);
}

TEST_F(TextEngineTest, selection_rectangles_cover_each_line_piece)
{
    auto format = body();
    auto rects = engine.selection_rects(u"abcdefg", *format, 30, 5, 1);
    ASSERT_EQ(rects.size(), 2u);
    EXPECT_EQ(rects[0], (RectF { 10, 0, 20, 25 }));
    EXPECT_EQ(rects[1], (RectF { 0, 25, 20, 25 }));
    EXPECT_TRUE(engine.selection_rects(u"abc", *format, 30, 2, 2).empty());
    EXPECT_EQ(engine.selection_rects(u"abc", *format, 300, 1, 99).size(), 1u);
}

TEST_F(TextEngineTest, measure_raises_small_sizes_to_one_and_counts_trailing_spaces)
{
    EXPECT_EQ(engine.measure(u"ab ", 20, "Segoe UI"), (TextSize { 30, 25 }));
    EXPECT_EQ(engine.measure(u"ab", 0.1f, "Segoe UI"), (TextSize { 1, 1.25f }));
    EXPECT_EQ(engine.measure(u"", 20, "Segoe UI").width, 0.0f);
    engine.missing_families.insert("Nope");
    EXPECT_EQ(engine.measure(u"ab", 20, "Nope"), (TextSize {}));
    EXPECT_EQ(engine.cached_layouts(), 0u);
}

TEST_F(TextEngineTest, measure_sums_a_line_too_long_for_one_layout_and_keeps_its_lines)
{
    // 300 000 units of 7.5 px: 2.25 million pixels, past what one layout may hold.
    std::u16string line(300000, u'W');
    EXPECT_EQ(engine.measure(line, 15, "Segoe UI"), (TextSize { 2250000, 18.75f }));
    std::u16string text = u"ab\r\n" + line + u"\ncd\n";
    EXPECT_EQ(engine.measure(text, 15, "Segoe UI"), (TextSize { 2250000, 4 * 18.75f }));
    // Many short lines are measured together, and a surrogate pair is never cut.
    std::size_t before = engine.layouts_created();
    std::u16string lines;
    for (int i = 0; i < 20000; ++i)
        lines += u"ab\U0001F600\n";
    TextSize measured = engine.measure(lines, 15, "Segoe UI");
    EXPECT_EQ(measured.width, 4 * 7.5f);
    EXPECT_EQ(measured.height, 20001 * 18.75f);
    EXPECT_LT(engine.layouts_created() - before, 50u);
}

TEST(LongWordBreaks, a_word_wider_than_the_line_is_cut_where_lines_fill_and_words_that_fit_are_left)
{
    // "ab cdefghij k": advances 10 each, width 35; breaks allowed before c and k.
    std::u16string text = u"ab cdefghij k";
    std::vector<float> advances(text.size(), 10.0f);
    std::vector<CharacterBreak> breaks(text.size());
    breaks[3].may_break = breaks[12].may_break = true;
    breaks[6].may_cut = false; // inside a cluster: the cut moves on to the next character
    EXPECT_EQ(long_word_breaks(advances, breaks, 35), (std::vector<std::uint32_t> { 7, 10 }));
    EXPECT_TRUE(long_word_breaks(advances, breaks, 200).empty());
}

TEST(LongWordBreaks, the_pieces_of_a_long_word_fit_and_their_number_grows_linearly)
{
    for (std::size_t length : { 1000u, 60000u }) {
        std::vector<float> advances(length);
        for (std::size_t i = 0; i < length; ++i)
            advances[i] = 5.0f + static_cast<float>(i % 7);
        std::vector<CharacterBreak> breaks(length);
        std::vector<std::uint32_t> cuts = long_word_breaks(advances, breaks, 300);
        cuts.push_back(static_cast<std::uint32_t>(length));
        std::size_t start = 0;
        for (std::uint32_t cut : cuts) {
            float piece = 0;
            for (std::size_t i = start; i < cut; ++i)
                piece += advances[i];
            EXPECT_LE(piece, 300.0f);
            if (cut < length) {
                EXPECT_GT(piece + advances[cut], 300.0f); // each line as full as it can be
            }
            start = cut;
        }
        EXPECT_NEAR(static_cast<double>(cuts.size()), static_cast<double>(length) * 8.0 / 300.0, length / 300.0 + 1);
    }
}
