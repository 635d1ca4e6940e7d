// CairoCanvas: the Canvas drawn with Cairo onto an image surface.
#pragma once

#include "core/paint/canvas.hpp"

#include <cairo.h>

namespace orvy::linux_platform {

class CairoCanvas final : public Canvas {
public:
    CairoCanvas() = default;
    ~CairoCanvas() override { end(); }
    CairoCanvas(CairoCanvas const&) = delete;
    CairoCanvas& operator=(CairoCanvas const&) = delete;

    // Drawing goes to the surface between begin and end; end closes any
    // clip left open.
    void begin(cairo_surface_t* surface);
    void end();

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

private:
    bool drawing() const { return m_cairo != nullptr; }
    void set_color(Color color);
    void rounded_path(RectF rect, float radius);
    void stroke_with(Color color, float width);

    cairo_t* m_cairo = nullptr;
    std::size_t m_clip_depth = 0;
};

}
