// The canvas's frames against the same calls drawn another way: the kept
// frame drawn again only where the calls changed against the frame drawn
// whole, and pixels set by copies or left to later fills against every
// pixel shaded by Direct2D.
#include "platform/win32/d2d_canvas.hpp"
#include "tests/win32/check.hpp"
#include "tests/win32/offscreen.hpp"

using namespace orvy;
using namespace orvy::win32_test;
using win32::D2DCanvas;

namespace {

constexpr Color paper { 1, 1, 1, 1 };
constexpr Color veil { 0, 0, 0, 0.5f };
constexpr Color ink { 0.2f, 0.4f, 0.9f, 1 };

// Draws the frame with a canvas that keeps its frame across calls (after
// `before`) and with a fresh one, and returns the pixels that differ.
std::size_t kept_against_whole(Offscreen& offscreen, std::function<void(Canvas&)> const& before,
    std::function<void(Canvas&)> const& paint, D2DCanvas::FrameCalls* calls = nullptr)
{
    D2DCanvas kept;
    offscreen.frame(kept, before);
    Bitmap again = offscreen.frame(kept, paint);
    if (calls)
        *calls = kept.last_frame_calls();
    D2DCanvas whole;
    Bitmap drawn = offscreen.frame(whole, paint);
    return differing_pixels(again, drawn);
}

}

TEST_CASE(a_pop_without_its_push_leaves_the_kept_pixels_outside_the_change_alone)
{
    Offscreen offscreen;
    CHECK(offscreen.ready());
    if (!offscreen.ready())
        return;
    // A translucent veil drawn again over itself would darken; after a
    // pop with no push before it, it must still be left out where nothing
    // changed.
    auto frame = [](Color swatch) {
        return [swatch](Canvas& canvas) {
            canvas.clear(paper);
            canvas.fill_rect({ 10, 10, 40, 40 }, swatch);
            canvas.pop_clip();
            canvas.fill_rect({ 100, 100, 120, 80 }, veil);
            canvas.push_clip({ 0, 0, 300, 300 });
            canvas.pop_clip();
            canvas.pop_clip();
            canvas.fill_rect({ 240, 60, 80, 80 }, veil);
        };
    };
    D2DCanvas::FrameCalls calls;
    std::size_t differing = kept_against_whole(offscreen, frame({ 1, 0, 0, 1 }), frame({ 0, 0, 1, 1 }), &calls);
    std::printf("  damage %dx%d, %zu pixels differ\n", calls.damage.x1 - calls.damage.x0,
        calls.damage.y1 - calls.damage.y0, differing);
    CHECK(calls.damage == (win32::PixelBox { 10, 10, 50, 50 }));
    CHECK(differing == 0);
}


TEST_CASE(inner_areas_a_later_opaque_fill_covers_are_neither_copied_nor_filled)
{
    Offscreen offscreen;
    if (!offscreen.ready())
        return;
    constexpr Color field { 0.09f, 0.1f, 0.13f, 1 };
    constexpr Color border { 0.17f, 0.18f, 0.22f, 1 };
    auto scene = [&](Canvas& canvas) {
        canvas.clear(paper);
        for (int row = 0; row < 3; ++row) {
            float y = 10.0f + 60.0f * static_cast<float>(row);
            // A bordered field: the border's inside lies under the field's.
            canvas.fill_rounded_rect({ 10, y, 160, 40 }, 8, border);
            // Drawn between the two: translucent, and a text-like mark
            // across the border's inside, both gone under the field.
            canvas.fill_rect({ 40, y + 5, 200, 20 }, veil);
            canvas.draw_line({ 20, y + 20 }, { 150, y + 22 }, ink, 1.5f);
            canvas.fill_rounded_rect({ 12.5f, y + 2, 155, 36 }, 6, field);
            // Covered only in part: copied as before.
            canvas.fill_rect({ 200, y, 250, 40 }, border);
            canvas.fill_rect({ 220, y + 2, 100, 36 }, field);
        }
        // A cover cut by a clip off the pixel grid covers only what the clip
        // keeps for sure; an unclipped cover under a translucent one still
        // covers.
        canvas.fill_rect({ 10, 200, 200, 40 }, border);
        canvas.push_clip({ 10, 200, 120.5f, 40 });
        canvas.fill_rect({ 10, 200, 200, 40 }, field);
        canvas.pop_clip();
        canvas.fill_rect({ 10, 260, 200, 40 }, border);
        canvas.fill_rect({ 10, 260, 200, 40 }, field);
        canvas.fill_rect({ 50, 250, 100, 60 }, veil);
    };
    D2DCanvas shaded;
    Bitmap every = offscreen.frame(shaded, scene, false);
    D2DCanvas kept;
    Bitmap copied = offscreen.frame(kept, scene);
    D2DCanvas::FrameCalls const& calls = kept.last_frame_calls();
    std::size_t differing = differing_pixels(copied, every);
    std::printf("  %zu inner areas copied, %zu left to later fills, %zu pixels differ\n", calls.copies,
        calls.covered, differing);
    CHECK(differing == 0);
    // The three fields' borders and the last border; the clipped one is copied.
    CHECK(calls.covered == 4);
    CHECK(calls.copies > 0);
    CHECK(shaded.last_frame_calls().copies == 0 && shaded.last_frame_calls().covered == 0);
}
