// BoundedCanvas: stands in front of a backend's Canvas and hands it only
// geometry it can draw quickly: finite, and cut to what can be visible.
#pragma once

#include "core/paint/canvas.hpp"

#include <vector>

namespace orvy {

// Layout keeps 32-bit floats, so a script can place a node at 1e15, give it
// an infinite radius or a NaN padding. Backends rasterise in fixed point
// (Cairo: 24.8 bits) and tessellate arcs by their radius, so such geometry
// crashes or hangs them. Every call here is checked against the visible
// area (the viewport cut by the clips pushed so far):
// - NaN in a position or size draws nothing; an infinite one reaches past
//   every edge, as layout treats it; a NaN radius is no radius.
// - Shapes that cannot touch the visible area are dropped.
// - Shapes that reach far past it are cut down to it plus a margin that
//   keeps everything visible the same: rectangles and rounded rectangles
//   of moderate radius move their far edges in; ellipses and corners of
//   huge radius become polygons of the visible part of their outline;
//   bitmaps are cropped to their visible part; text that cannot show is
//   not drawn.
// Geometry near the visible area passes through untouched.
class BoundedCanvas final : public Canvas {
public:
    // How far past the visible area geometry may reach unchanged.
    static constexpr float pass_margin = 65536.0f;

    BoundedCanvas(Canvas& target, float viewport_width, float viewport_height);

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

    // Edges in double precision; x0 > x1 or y0 > y1 is empty.
    struct Box {
        double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
        bool is_empty() const { return !(x0 < x1) || !(y0 < y1); }
        Box grown(double by) const { return { x0 - by, y0 - by, x1 + by, y1 + by }; }
    };

private:
    Box const& visible() const { return m_visible.back(); }
    void rounded(RectF rect, float radius, Color color, float width, bool fill);
    void elliptic_polygon(Box box, double rx, double ry, Color color, float width, bool fill);

    Canvas& m_target;
    std::vector<Box> m_visible; // the viewport, then one per clip pushed
};

}
