// D2DCanvas: the Canvas drawn with a Direct2D 1.1 device context, one
// solid-colour brush re-coloured for every fill and outline.
#pragma once

#include "core/paint/canvas.hpp"
#include "platform/win32/detail/com.hpp"

#include <d2d1_1.h>

#include <unordered_map>

namespace orvy::win32 {

class D2DCanvas final : public Canvas {
public:
    D2DCanvas() = default;
    ~D2DCanvas() override { end(); }
    D2DCanvas(D2DCanvas const&) = delete;
    D2DCanvas& operator=(D2DCanvas const&) = delete;

    // Drawing goes to the context between begin and end (inside its
    // BeginDraw and EndDraw); end closes any clip left open.
    void begin(ID2D1DeviceContext* context, ID2D1Factory1* factory);
    void end();
    // Device bitmaps made from core's bitmaps belong to one context.
    void forget_bitmaps() { m_bitmaps.clear(); }

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

    // Device bitmaps are kept for at most this many of core's bitmaps.
    static constexpr std::size_t bitmap_cache_limit = 256;

private:
    // The frame's brush in the colour; null when it could not be made, so
    // fills and outlines are skipped while text still draws.
    ID2D1SolidColorBrush* brush(Color color);
    ComPtr<ID2D1PathGeometry> path(std::span<PointF const> points, bool closed);
    ID2D1Bitmap* device_bitmap(Bitmap const& bitmap);

    struct CachedBitmap {
        std::uint8_t const* pixels = nullptr;
        std::int32_t width = 0;
        std::int32_t height = 0;
        ComPtr<ID2D1Bitmap> device;
    };

    ID2D1DeviceContext* m_context = nullptr;
    ID2D1Factory1* m_factory = nullptr;
    ComPtr<ID2D1SolidColorBrush> m_brush;
    bool m_brush_failed = false;
    std::size_t m_clip_depth = 0;
    std::unordered_map<Bitmap const*, CachedBitmap> m_bitmaps;
};

}
