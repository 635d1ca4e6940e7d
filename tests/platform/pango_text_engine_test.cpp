#include "platform/linux/cairo_canvas.hpp"
#include "platform/linux/pango_text_engine.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <set>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include <pango/pangocairo.h>

using namespace orvy;
using orvy::linux_platform::PangoTextEngine;
using orvy::linux_platform::PangoTextFormat;

namespace {

class PangoTextEngineTest : public ::testing::Test {
protected:
    std::shared_ptr<TextFormat const> format(TextRole role = TextRole::Paragraph, float size = 20)
    {
        return engine.format(text_format_key(role, 0, size));
    }

    PangoTextEngine engine;
};

}

TEST_F(PangoTextEngineTest, segoe_ui_resolves_to_an_installed_sans_font)
{
    auto made = format();
    auto const& pango = static_cast<PangoTextFormat const&>(*made);
    // Measured first: until the engine has laid out text, the fonts it loads
    // at start-up may still be loading into the thread's font map.
    EXPECT_GT(engine.text_width(u"Segoe", *made), 20.0f);
    PangoFontMap* map = pango_cairo_font_map_get_default();
    PangoContext* context = pango_font_map_create_context(map);
    PangoFont* font = pango_font_map_load_font(map, context, pango.description());
    ASSERT_NE(font, nullptr);
    PangoFontDescription* loaded = pango_font_describe(font);
    std::string family = pango_font_description_get_family(loaded);
    EXPECT_NE(family.find("Sans"), std::string::npos) << family;
    pango_font_description_free(loaded);
    g_object_unref(font);
    g_object_unref(context);
}

TEST_F(PangoTextEngineTest, widths_count_trailing_spaces_and_grow_with_the_size)
{
    auto body = format();
    float word = engine.text_width(u"orvy", *body);
    EXPECT_GT(engine.text_width(u"orvy   ", *body), word + 10);
    EXPECT_EQ(engine.text_width(u"", *body), 0.0f);
    EXPECT_GT(engine.text_width(u"orvy", *format(TextRole::Paragraph, 40)), word * 1.8f);

    TextSize measured = engine.measure(u"orvy ", 20, "Segoe UI");
    EXPECT_GT(measured.width, word);
    EXPECT_GT(measured.height, 15.0f);
    EXPECT_EQ(engine.measure(u"", 0.5f, "Segoe UI").width, 0.0f);
    EXPECT_GT(engine.measure(u"", 0.5f, "Segoe UI").height, 0.0f);
}

TEST_F(PangoTextEngineTest, every_caret_position_hits_back_to_itself)
{
    auto body = format();
    std::u16string text = u"Ок, \U0001F600 orvy";
    std::uint32_t previous_x = 0;
    for (std::uint32_t position = 0; position <= text.size(); ++position) {
        if (position == 5)
            continue; // inside the surrogate pair
        float x = engine.caret_x(text, *body, position);
        EXPECT_GE(x, static_cast<float>(previous_x)) << position;
        previous_x = static_cast<std::uint32_t>(x);
        CaretLine line = engine.caret_line(text, *body, 10000, position);
        EXPECT_EQ(engine.position_at_point(text, *body, 10000, { line.x + 0.5f, line.y + 2 }, 0), position);
    }
    EXPECT_EQ(engine.position_at_point(text, *body, 10000, { 1e6f, 5 }, 0), text.size());
}

TEST_F(PangoTextEngineTest, wrapped_text_has_several_lines_and_selections_cover_each)
{
    auto body = format();
    std::u16string text = u"one two three four five six seven";
    CaretLine first = engine.caret_line(text, *body, 80, 0);
    CaretLine last = engine.caret_line(text, *body, 80, static_cast<std::uint32_t>(text.size()));
    EXPECT_GT(last.y, first.y + first.height * 2);
    auto rects = engine.selection_rects(text, *body, 80, 0, static_cast<std::uint32_t>(text.size()));
    EXPECT_GE(rects.size(), 3u);
    for (RectF const& rect : rects)
        EXPECT_LE(rect.right(), 81.0f);
}

TEST_F(PangoTextEngineTest, box_alignment_centres_titles_both_ways)
{
    auto title = format(TextRole::Heading);
    auto laid = engine.layout(u"Ок", *title, 200, 100);
    TextSize size = laid->size();
    CaretLine start = laid->caret_at(0);
    EXPECT_NEAR(start.x, (200 - size.width) / 2, 0.5f);
    EXPECT_NEAR(start.y, (100 - size.height) / 2, 0.5f);
}

TEST(CairoCanvas, fills_clip_and_text_land_where_asked)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 100, 60);
    auto at = [&](int x, int y) {
        cairo_surface_flush(surface);
        auto* row = cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface);
        return *reinterpret_cast<std::uint32_t*>(row + x * 4);
    };
    PangoTextEngine engine;
    auto format = engine.format(text_format_key(TextRole::Title, 0, 20));

    linux_platform::CairoCanvas canvas;
    canvas.begin(surface);
    canvas.clear(Color { 0, 0, 0, 1 });
    canvas.push_clip({ 0, 0, 50, 60 });
    canvas.fill_rect({ 10, 10, 80, 10 }, Color { 1, 0, 0, 1 });
    canvas.pop_clip();
    canvas.pop_clip(); // unmatched: ignored, drawing goes on
    canvas.fill_rounded_rect({ 0, 30, 40, 30 }, 12, Color { 0, 1, 0, 1 });
    canvas.draw_text(*engine.layout(u"W", *format, 40, 30), { 55, 25 }, Color { 1, 1, 1, 1 });
    canvas.end();

    EXPECT_EQ(at(20, 15), 0xFFFF0000u);
    EXPECT_EQ(at(70, 15), 0xFF000000u); // clipped away
    EXPECT_EQ(at(20, 45), 0xFF00FF00u);
    EXPECT_EQ(at(0, 59), 0xFF000000u); // outside the rounded corner
    int lit = 0;
    for (int y = 25; y < 55; ++y)
        for (int x = 55; x < 95; ++x)
            lit += at(x, y) != 0xFF000000u;
    EXPECT_GT(lit, 20);
    cairo_surface_destroy(surface);
}

TEST_F(PangoTextEngineTest, measure_does_not_overflow_past_two_million_pixels)
{
    float one = engine.measure(std::u16string(100, u'W'), 15, "Segoe UI").width / 100;
    TextSize long_line = engine.measure(std::u16string(150000, u'W'), 15, "Segoe UI");
    EXPECT_NEAR(long_line.width, 150000 * one, 150000 * one * 0.01f);
    EXPECT_NEAR(long_line.height, engine.measure(u"W", 15, "Segoe UI").height, 1.0f);
    float big = engine.measure(std::u16string(10, u'W'), 1000, "Segoe UI").width / 10;
    EXPECT_NEAR(engine.measure(std::u16string(3000, u'W'), 1000, "Segoe UI").width, 3000 * big, 3000 * big * 0.01f);
}

TEST_F(PangoTextEngineTest, a_long_word_wraps_as_full_lines_that_fit_and_keeps_its_text_positions)
{
    auto body = format(TextRole::Paragraph, 15);
    std::u16string word(20000, u'W');
    float one = engine.text_width(std::u16string(100, u'W'), *body) / 100;
    auto laid = engine.layout(u"Начало " + word, *body, 300, 100000);
    ASSERT_TRUE(laid);
    EXPECT_LE(laid->size().width, 300.0f);
    // Lines are full: as many as the word's width needs (Pango's own
    // breaking of long words adds a hyphen to each line and needs more).
    auto per_line = static_cast<std::size_t>(300 / one);
    float line_height = laid->caret_at(0).height;
    std::size_t lines = static_cast<std::size_t>(std::lround(laid->size().height / line_height));
    EXPECT_EQ(lines, 1 + (word.size() + per_line - 1) / per_line);
    // Positions are those of the text, not of the added break opportunities.
    for (std::uint32_t position : { 0u, 7u, 8u, 15u, 5000u, 20007u }) {
        CaretLine caret = laid->caret_at(position);
        EXPECT_EQ(laid->position_at({ caret.x + 0.1f, caret.y + caret.height / 2 }), position) << position;
    }
}

TEST_F(PangoTextEngineTest, a_word_wider_than_its_box_breaks_between_characters_without_added_hyphens)
{
    // Four lines' worth of one word: a hyphen ending each line would take a
    // character's room and need a fifth line.
    auto body = format(TextRole::Paragraph, 15);
    float one = engine.text_width(std::u16string(100, u'W'), *body) / 100;
    for (std::size_t per_line : { 3u, 7u }) {
        auto laid = engine.layout(std::u16string(per_line * 4, u'W'), *body, per_line * one + 0.5f, 1000);
        ASSERT_TRUE(laid);
        float line_height = laid->caret_at(0).height;
        EXPECT_EQ(std::lround(laid->size().height / line_height), 4) << per_line;
        EXPECT_LE(laid->size().width, per_line * one + 0.5f);
    }
}

// A thread's first engine loads its fonts on a thread of its own; what it
// measures at once, or an engine dropped before it measured anything, must
// be what a later engine of the thread sees.
TEST(PangoTextEngineFirstFonts, first_engines_of_fresh_threads_measure_as_later_ones_do)
{
    auto measure = [](PangoTextEngine& engine) {
        auto body = engine.format(text_format_key(TextRole::Body, 0, 20));
        auto title = engine.format(text_format_key(TextRole::Title, 0, 20));
        return std::vector<float> { engine.text_width(u"Row 12 Go", *body), engine.text_width(u"Ag", *title),
            engine.measure(u"orvy", 15, "DejaVu Serif").width };
    };
    std::vector<std::vector<float>> first(4), later(4), after_dropped(4);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < first.size(); ++i) {
        threads.emplace_back([&, i] {
            if (i % 2) {
                PangoTextEngine dropped;
            }
            {
                PangoTextEngine engine;
                (i % 2 ? after_dropped : first)[i] = measure(engine);
            }
            PangoTextEngine engine;
            later[i] = measure(engine);
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (std::size_t i = 0; i < first.size(); ++i) {
        ASSERT_EQ(later[i].size(), 3u);
        EXPECT_GT(later[i][0], 40.0f);
        EXPECT_EQ(i % 2 ? after_dropped[i] : first[i], later[i]) << i;
        EXPECT_EQ(later[i], later[0]) << i;
    }
}

TEST(PangoTextEngineFonts, a_thread_without_prepared_fonts_loads_them_when_text_is_first_laid_out)
{
    // The process's threads by id: threads of earlier tests that end meanwhile
    // must not count against the ones the engine starts.
    auto threads = [] {
        std::set<std::string> ids;
        for (auto const& entry : std::filesystem::directory_iterator("/proc/self/task"))
            ids.insert(entry.path().filename().string());
        return ids;
    };
    std::size_t made_with = 0;
    float width = 0;
    // A thread of its own: the first engine of a thread is the one that would load fonts.
    std::thread([&] {
        std::set<std::string> before = threads();
        PangoTextEngine engine;
        for (std::string const& id : threads())
            made_with += before.count(id) == 0;
        auto format = engine.format(text_format_key(TextRole::Body, 0, 14));
        width = engine.layout(u"Шрифты", *format, 400, 40)->size().width;
    }).join();
    EXPECT_EQ(made_with, 0u) << "a window with nothing in it starts without a font thread";
    EXPECT_GT(width, 20.0f) << "the fonts load when text is laid out";
}

// Prepared fonts are once per process: the case runs in a process of its own
// (gtest re-runs the test binary for it).
TEST(PangoTextEnginePreparedFonts, a_process_forked_while_fonts_load_exits_without_waiting_for_them)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            static std::mutex mutex;
            static std::condition_variable changed;
            static bool released = false;
            // Loading that does not end until the parent lets it: the child
            // is forked while it runs and has no thread that would end it.
            linux_platform::prepare_first_fonts_with([](PangoContext*) {
                std::unique_lock lock(mutex);
                changed.wait(lock, [] { return released; });
            });
            pid_t child = ::fork();
            if (child == 0)
                std::exit(0); // runs the exit handlers, which wait for loading in the process that started it
            int status = 0;
            bool ok = child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status)
                && WEXITSTATUS(status) == 0;
            {
                std::lock_guard lock(mutex);
                released = true;
            }
            changed.notify_all();
            std::exit(ok ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}
