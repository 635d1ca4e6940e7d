// Canvas: the drawing surface a frame is painted on, implemented by each backend.
#pragma once

#include "core/base/geometry.hpp"
#include "core/base/style.hpp"

#include <cstdint>
#include <span>

namespace orvy {

class TextLayout;
struct Bitmap;

// A two-stop linear gradient: `from` at `start`, `to` at `end`, extended
// with the end colours beyond the two points.
struct LinearGradient {
    PointF start;
    PointF end;
    Color from;
    Color to;

    friend bool operator==(LinearGradient const&, LinearGradient const&) = default;
};

// The gradient line of a rectangle for each direction: 0 top to bottom,
// 1 left to right, 2 top-left to bottom-right, 3 bottom-left to top-right.
inline LinearGradient gradient_across(RectF rect, GradientDirection direction, Color from, Color to)
{
    switch (direction) {
    case GradientDirection::Horizontal: return { { rect.x, rect.y }, { rect.right(), rect.y }, from, to };
    case GradientDirection::Diagonal: return { { rect.x, rect.y }, { rect.right(), rect.bottom() }, from, to };
    case GradientDirection::DiagonalUp: return { { rect.x, rect.bottom() }, { rect.right(), rect.y }, from, to };
    case GradientDirection::Default: break;
    }
    return { { rect.x, rect.y }, { rect.x, rect.bottom() }, from, to };
}

enum class PathShape : std::uint8_t { Open, Closed };

// Every call draws at once with straight (not premultiplied) colours; one
// unit is one pixel of the window's client area. Calls with empty or
// degenerate geometry draw nothing. Clips nest: each push intersects with the
// current clip and must be matched by one pop.
class Canvas {
public:
    virtual ~Canvas() = default;

    // Replaces every pixel inside the current clip, alpha included.
    virtual void clear(Color color) = 0;

    virtual void fill_rect(RectF rect, Color color) = 0;
    virtual void stroke_rect(RectF rect, Color color, float width) = 0;
    virtual void fill_rounded_rect(RectF rect, float radius, Color color) = 0;
    virtual void stroke_rounded_rect(RectF rect, float radius, Color color, float width) = 0;
    // The ellipse inscribed in the rectangle.
    virtual void fill_ellipse(RectF rect, Color color) = 0;
    virtual void stroke_ellipse(RectF rect, Color color, float width) = 0;
    virtual void draw_line(PointF from, PointF to, Color color, float width) = 0;
    virtual void stroke_polyline(std::span<PointF const> points, PathShape shape, Color color, float width) = 0;
    virtual void fill_polygon(std::span<PointF const> points, Color color) = 0;
    // Fills the rounded rectangle (radius 0: square corners) with the gradient.
    virtual void fill_gradient(RectF rect, float radius, LinearGradient const& gradient) = 0;

    // Axis-aligned, aliased clip.
    virtual void push_clip(RectF rect) = 0;
    virtual void pop_clip() = 0;

    // Draws a layout made by the window's TextEngine with its top-left at origin.
    virtual void draw_text(TextLayout const& layout, PointF origin, Color color) = 0;
    // Scales the whole bitmap into the rectangle with linear filtering.
    virtual void draw_bitmap(Bitmap const& bitmap, RectF destination) = 0;
};

}
