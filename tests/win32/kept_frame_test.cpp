// The kept frame drawn again only where the calls changed, against the same
// frames drawn whole: the same pixels whatever the calls do with clips.
#include "platform/win32/d2d_canvas.hpp"
#include "tests/win32/check.hpp"
#include "tests/win32/offscreen.hpp"

using namespace orvy;
using namespace orvy::win32_test;
using win32::D2DCanvas;

namespace {

constexpr Color paper { 1, 1, 1, 1 };
constexpr Color veil { 0, 0, 0, 0.5f };

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


