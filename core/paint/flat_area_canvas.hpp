// FlatAreaCanvas: stands in front of a backend's Canvas and drops fills that
// would paint an area with the colour it already has.
#pragma once

#include "core/paint/canvas.hpp"

#include <optional>
#include <vector>

namespace orvy {

// Containers fill their whole rectangle with their background, so a row of
// a form repaints the pixels its column already filled with the same colour,
// and a window's clear is followed by a panel of the window's size. Filling
// with a colour cannot change pixels that hold that exact colour, whatever
// the shape and its edge coverage. So the canvas keeps one flat area: the
// whole pixels the last large opaque rectangle fill (or clear) covered
// inside the clip, with its colour, and the box of everything drawn since.
// An opaque fill of that colour lying inside the flat area and clear of
// every box drawn since is dropped; every other call passes on unchanged,
// so the pixels are the same as without this canvas.
// An opaque clear waits for the next call: when that is an opaque rectangle
// fill (a window's panel), only the pixels around the panel are cleared.
class FlatAreaCanvas final : public Canvas {
public:
    FlatAreaCanvas(Canvas& target, float viewport_width, float viewport_height);
    ~FlatAreaCanvas() override;
    FlatAreaCanvas(FlatAreaCanvas const&) = delete;
    FlatAreaCanvas& operator=(FlatAreaCanvas const&) = delete;

    void clear(Color color) override;
    void fill_rect(RectF rect, Color color) override;
    void stroke_rect(RectF rect, Color color, float width) override;
    void fill_rounded_rect(RectF rect, float radius, Color color) override;
    void stroke_rounded_rect(RectF rect, float radius, Color color, float width) override;
    void fill_ellipse(RectF rect, Color color) override;
    void stroke_ellipse(RectF rect, Color color, float width) override;
    void draw_line(PointF from, PointF to, Color color, float width) override;
    void stroke_polyline(std::span<PointF const> points, PathShape shape, Color color, float width) override;
    void fill_polygon(std::span<PointF const> points, Color color) override;
    void fill_gradient(RectF rect, float radius, LinearGradient const& gradient) override;
    void push_clip(RectF rect) override;
    void pop_clip() override;
    void draw_text(TextLayout const& layout, PointF origin, Color color) override;
    void draw_bitmap(Bitmap const& bitmap, RectF destination) override;

    // Fills dropped so far.
    std::size_t dropped() const { return m_dropped; }

    // Edges in pixels; x0 >= x1 or y0 >= y1 is empty.
    struct Box {
        float x0 = 0, y0 = 0, x1 = 0, y1 = 0;
        bool is_empty() const { return !(x0 < x1) || !(y0 < y1); }
        float area() const { return is_empty() ? 0.0f : (x1 - x0) * (y1 - y0); }
    };

private:
    struct Flat {
        Box area;
        Color color;
    };

    Box const& clip() const { return m_clips.back(); }
    // True when the fill of `shape` with `color` would change no pixel.
    bool repaints_flat(Box shape, Color color) const;
    // Records what a call may have drawn on: the box grown by `spread`, inside the clip.
    void mark(Box drawn, float spread);
    // Both kinds of rectangle fill; `square` passes it on as a fill_rect.
    void fill(RectF rect, float radius, Color color, bool square);
    // After an opaque rectangle fill: its whole pixels may become the flat area.
    void laid_flat(RectF rect, Color color);
    // Carries out a waiting clear, all of it or only around `kept`.
    void flush_clear();
    void flush_clear_around(Box kept);

    Canvas& m_target;
    std::vector<Box> m_clips; // the viewport, then one per clip pushed
    std::optional<Flat> m_flat;
    std::optional<Color> m_waiting_clear; // of the current clip
    std::vector<Box> m_marks; // drawn since the flat area was laid
    std::size_t m_dropped = 0;
};

}
