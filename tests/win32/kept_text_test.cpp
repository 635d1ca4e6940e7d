// Texts kept across frames against the same frames drawn without keeping
// any: the same pixels whatever moved or changed colour, fewer glyphs drawn,
// and the pages within their bound.
#include "platform/win32/d2d_canvas.hpp"
#include "platform/win32/dwrite_text_engine.hpp"
#include "tests/win32/check.hpp"
#include "tests/win32/offscreen.hpp"
#include "tests/win32/support.hpp"

using namespace orvy;
using namespace orvy::win32_test;
using win32::D2DCanvas;

namespace {

// A label on a panel of its own colour, its text at the left or centred
// in its box (whose origin then lies far left of the glyphs).
struct Label {
    std::u16string text;
    PointF origin;
    Color ink;
    Color panel;
    bool centred = false;
};

struct Scene {
    mutable win32::DWriteTextEngine engine; // its layout cache changes as it lays out
    std::shared_ptr<TextFormat const> format = engine.format(text_format_key(TextRole::Body, 0, 16));
    std::shared_ptr<TextFormat const> centred = engine.format([] {
        TextFormatKey key = text_format_key(TextRole::Body, 0, 16);
        key.align = TextAlign::Center;
        return key;
    }());
    std::vector<Label> labels;

    void paint(Canvas& canvas) const
    {
        canvas.clear({ 0.95f, 0.95f, 0.95f, 1 });
        for (Label const& label : labels) {
            canvas.fill_rect({ label.origin.x - 6, label.origin.y - 5, 150, 30 }, label.panel);
            if (auto layout = engine.layout(label.text, label.centred ? *centred : *format, 140, 22))
                canvas.draw_text(*layout, label.origin, label.ink);
        }
    }
};

constexpr Color ink { 0.1f, 0.1f, 0.15f, 1 };
constexpr Color paper { 1, 1, 1, 1 };
constexpr Color blue { 0.2f, 0.4f, 0.9f, 1 };

// Draws each scene with a canvas that keeps texts and one that does not,
// and checks that they give the same pixels.
struct Comparison {
    Offscreen& offscreen;
    D2DCanvas kept;
    D2DCanvas direct;

    explicit Comparison(Offscreen& screen)
        : offscreen(screen)
    {
        direct.keep_texts(false);
    }
    D2DCanvas::FrameCalls frame(Scene const& scene, char const* what)
    {
        kept.redraw_all();
        direct.redraw_all();
        Bitmap with = offscreen.frame(kept, [&](Canvas& canvas) { scene.paint(canvas); });
        Bitmap without = offscreen.frame(direct, [&](Canvas& canvas) { scene.paint(canvas); });
        std::size_t differing = differing_pixels(with, without);
        D2DCanvas::FrameCalls const& calls = kept.last_frame_calls();
        std::printf("  %s: %zu texts drawn, %zu copied, %zu pixels differ\n", what, calls.texts, calls.kept_texts,
            differing);
        CHECK(differing == 0);
        return calls;
    }
};

}

TEST_CASE(kept_texts_give_the_pixels_of_drawing_them_whatever_changed_since)
{
    Offscreen offscreen;
    CHECK(offscreen.ready());
    Scene scene;
    CHECK(scene.format && scene.centred);
    if (!offscreen.ready() || !scene.format || !scene.centred)
        return;
    // Whole and fractional origins, two panel colours, two scripts.
    scene.labels = {
        { u"Save the file", { 20, 20 }, ink, paper },
        { u"Привет, мир", { 20.5f, 70.25f }, ink, paper },
        { u"Options 12 345", { 200.75f, 20 }, paper, blue },
        { u"Cancel", { 200, 70.5f }, ink, paper },
        { u"Центр", { 20.25f, 120 }, ink, paper, true },
    };
    Comparison compare(offscreen);
    D2DCanvas::FrameCalls first = compare.frame(scene, "first frame");
    CHECK(first.texts == 5 && first.kept_texts == 5);
    D2DCanvas::FrameCalls again = compare.frame(scene, "drawn again");
    CHECK(again.texts == 0 && again.glyph_runs == 0 && again.kept_texts == 5);
    CHECK(compare.kept.kept_texts().entry_count() == 5);

    // Moved by whole pixels: the same texts, copied elsewhere.
    for (Label& label : scene.labels)
        label.origin = { label.origin.x + 7, label.origin.y + 101 };
    D2DCanvas::FrameCalls moved = compare.frame(scene, "moved by whole pixels");
    CHECK(moved.texts == 0 && moved.kept_texts == 5);

    // Each changed another way: none may come from the slot it had.
    scene.labels[0].ink = blue;
    scene.labels[1].panel = { 1, 1, 0.8f, 1 };
    scene.labels[2].origin.x += 0.25f;
    scene.labels[3].origin.y += 0.5f;
    D2DCanvas::FrameCalls changed = compare.frame(scene, "colour, panel and place in the pixel changed");
    CHECK(changed.texts == 4 && changed.kept_texts == 5);
    CHECK(compare.kept.kept_texts().entry_count() == 9);
}

TEST_CASE(texts_over_more_than_one_colour_are_drawn_directly)
{
    Offscreen offscreen;
    Scene scene;
    if (!offscreen.ready() || !scene.format)
        return;
    scene.labels = { { u"on its panel", { 30, 30 }, ink, paper } };
    Comparison compare(offscreen);
    auto layout = scene.engine.layout(u"half in the clip", *scene.format, 180, 22);
    CHECK(layout != nullptr);
    if (!layout)
        return;
    auto paint = [&](Canvas& canvas) {
        scene.paint(canvas);
        // Across two panels; over a gradient; under a translucent veil; cut
        // by a clip off the pixel grid; and one drawn over another text.
        canvas.fill_rect({ 20, 100, 60, 30 }, paper);
        canvas.fill_rect({ 80, 100, 100, 30 }, blue);
        canvas.fill_gradient({ 20, 150, 200, 30 }, 0, { { 20, 150 }, { 220, 150 }, paper, blue });
        canvas.fill_rect({ 20, 200, 200, 30 }, paper);
        canvas.fill_rect({ 20, 200, 200, 30 }, { 0, 0, 0, 0.3f });
        canvas.fill_rect({ 20, 250, 200, 30 }, paper);
        for (float y : { 105.0f, 155.0f, 205.0f })
            canvas.draw_text(*layout, { 30, y }, ink);
        canvas.push_clip({ 20, 250, 60.5f, 30 });
        canvas.draw_text(*layout, { 30, 255 }, ink);
        canvas.pop_clip();
        canvas.draw_text(*layout, { 32, 32 }, blue);
    };
    for (int round = 0; round < 2; ++round) {
        compare.kept.redraw_all();
        compare.direct.redraw_all();
        Bitmap with = offscreen.frame(compare.kept, paint);
        Bitmap without = offscreen.frame(compare.direct, paint);
        D2DCanvas::FrameCalls const& calls = compare.kept.last_frame_calls();
        std::printf("  round %d: %zu texts drawn, %zu copied, %zu pixels differ\n", round, calls.texts,
            calls.kept_texts, differing_pixels(with, without));
        CHECK(differing_pixels(with, without) == 0);
        // Only the text on its own panel is copied; the one drawn over it
        // is not, and the label beneath is drawn no differently for it.
        CHECK(calls.kept_texts == 1);
        CHECK(calls.texts == (round == 0 ? 6u : 5u));
    }
}

TEST_CASE(the_kept_texts_pages_hold_to_their_bound_and_the_rest_is_drawn)
{
    Offscreen offscreen;
    Scene scene;
    if (!offscreen.ready() || !scene.format)
        return;
    Comparison compare(offscreen);
    // Two small pages: room for a few labels a frame.
    compare.kept.set_kept_text_limits({ .page_width = 160, .page_height = 48, .pages = 2 });
    auto labels = [&](int first) {
        scene.labels.clear();
        for (int i = 0; i < 24; ++i) {
            scene.labels.push_back({ u"Label " + std::u16string(1, static_cast<char16_t>(u'A' + first + i)),
                { 10.0f + 160.0f * static_cast<float>(i % 3), 10.0f + 42.0f * static_cast<float>(i / 3) }, ink,
                paper });
        }
    };
    labels(0);
    D2DCanvas::FrameCalls full = compare.frame(scene, "24 labels, room for fewer");
    win32::TextAtlas const& atlas = compare.kept.kept_texts();
    CHECK(full.kept_texts > 0 && full.kept_texts < 24);
    CHECK(full.texts == 24); // the kept ones into their pages, the rest into the frame
    CHECK(atlas.page_count() == 2);
    labels(24);
    D2DCanvas::FrameCalls others = compare.frame(scene, "24 other labels");
    CHECK(others.kept_texts > 0 && atlas.evictions() > 0 && atlas.page_count() == 2);
    labels(0);
    compare.frame(scene, "the first labels again");
    CHECK(atlas.page_count() == 2);
}
