// Canvas shapes: conversion from their kind name and numbers, colour
// packing, hit testing every shape kind, and the clamped view offset.
#include "core/operations/detail/numbers.hpp"
#include "core/operations/operations.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace orvy {

std::uint32_t pack_rgba(Color color)
{
    auto byte = [](float channel) -> std::uint32_t {
        if (!(channel > 0.0f))
            return 0;
        return static_cast<std::uint32_t>(std::min(std::round(channel * 255.0f), 255.0f));
    };
    return (byte(color.r) << 24) | (byte(color.g) << 16) | (byte(color.b) << 8) | byte(color.a);
}

namespace {

ShapeKind shape_kind(std::string_view name)
{
    if (name == "rect")
        return ShapeKind::Rect;
    if (name == "circle")
        return ShapeKind::Circle;
    if (name == "line")
        return ShapeKind::Line;
    if (name == "arrow")
        return ShapeKind::Arrow;
    if (name == "arc")
        return ShapeKind::Arc;
    if (name == "sector")
        return ShapeKind::Sector;
    if (name == "poly")
        return ShapeKind::Poly;
    return ShapeKind::Label;
}

float distance_to_segment(float px, float py, float x1, float y1, float x2, float y2)
{
    float dx = x2 - x1, dy = y2 - y1;
    float length_squared = dx * dx + dy * dy;
    float t = length_squared > 0.0f ? detail::clamp01(((px - x1) * dx + (py - y1) * dy) / length_squared) : 0.0f;
    return std::hypot(px - (x1 + t * dx), py - (y1 + t * dy));
}

// Even-odd rule: a horizontal ray from the point crosses the edges an odd number of times.
bool polygon_contains(std::vector<float> const& points, float px, float py)
{
    std::size_t n = points.size() / 2;
    if (n < 3)
        return false;
    bool inside = false;
    for (std::size_t i = 0, j = n - 1; i < n; j = i++) {
        float xi = points[2 * i], yi = points[2 * i + 1];
        float xj = points[2 * j], yj = points[2 * j + 1];
        if ((yi > py) != (yj > py) && px < (xj - xi) * (py - yi) / (yj - yi) + xi)
            inside = !inside;
    }
    return inside;
}

bool arc_contains(float const* p, float px, float py)
{
    float dx = px - p[0], dy = py - p[1];
    if (!(std::hypot(dx, dy) <= std::max(p[2], 1.0f)))
        return false;
    float angle = std::atan2(dy, dx) * 180.0f / std::numbers::pi_v<float>;
    float from_start = std::fmod(angle - p[3], 360.0f);
    if (from_start < 0.0f)
        from_start += 360.0f;
    return from_start <= std::abs(p[4]);
}

}

Shape make_shape(std::string_view kind, std::span<float const> numbers, std::optional<Color> color, Text text)
{
    Shape shape;
    shape.kind = shape_kind(kind);
    if (shape.kind == ShapeKind::Poly) {
        // The last number is the stroke; the points are the even-length
        // prefix, so with an even count the last y doubles as the stroke.
        if (!numbers.empty())
            shape.p[0] = numbers.back();
        shape.points.assign(numbers.begin(), numbers.begin() + static_cast<std::ptrdiff_t>(numbers.size() & ~std::size_t { 1 }));
    } else {
        std::copy_n(numbers.begin(), std::min<std::size_t>(numbers.size(), 6), shape.p);
    }
    shape.rgba = color ? pack_rgba(*color) : 0xFFFFFFFFu;
    shape.text = std::move(text);
    return shape;
}

bool shape_contains(Shape const& shape, float x, float y)
{
    float const* p = shape.p;
    switch (shape.kind) {
    case ShapeKind::Rect:
    case ShapeKind::Label:
        return x >= p[0] && x <= p[0] + p[2] && y >= p[1] && y <= p[1] + p[3];
    case ShapeKind::Circle:
        return std::hypot(x - p[0], y - p[1]) <= std::max(p[2], 1.0f);
    case ShapeKind::Line:
    case ShapeKind::Arrow:
        return distance_to_segment(x, y, p[0], p[1], p[2], p[3]) <= std::max(p[4], 4.0f);
    case ShapeKind::Poly:
        return polygon_contains(shape.points, x, y);
    case ShapeKind::Arc:
    case ShapeKind::Sector:
        return arc_contains(p, x, y);
    }
    return false;
}

std::uint32_t canvas_hit(CanvasModel const& canvas, RectF rect, float px, float py)
{
    float x = px - rect.x + canvas.view_x;
    float y = py - rect.y + canvas.view_y;
    // The shape drawn last is on top.
    for (std::size_t i = canvas.shapes.size(); i-- > 0;) {
        if (shape_contains(canvas.shapes[i], x, y))
            return i < no_index ? static_cast<std::uint32_t>(i) : no_index;
    }
    return no_index;
}

namespace {

CanvasModel* canvas_model(Tree& tree, NodeId id)
{
    if (!tree.contains(id) || tree.node(id).kind() != NodeKind::Canvas)
        return nullptr;
    return tree.node(id).model.as<CanvasModel>();
}

}

void clamp_canvas_view(Tree& tree, NodeId id)
{
    auto* canvas = canvas_model(tree, id);
    if (!canvas)
        return;
    RectF rect = tree.node(id).rect;
    float width = std::max(canvas->region_w - rect.w, 0.0f);
    float height = std::max(canvas->region_h - rect.h, 0.0f);
    canvas->view_x = detail::clamp_number(canvas->view_x, canvas->region_x, canvas->region_x + width);
    canvas->view_y = detail::clamp_number(canvas->view_y, canvas->region_y, canvas->region_y + height);
    tree.layout_dirty = true;
}

void set_canvas_region(Tree& tree, NodeId id, float x1, float y1, float x2, float y2)
{
    auto* canvas = canvas_model(tree, id);
    if (!canvas)
        return;
    canvas->region_x = std::min(x1, x2);
    canvas->region_y = std::min(y1, y2);
    canvas->region_w = std::abs(x2 - x1);
    canvas->region_h = std::abs(y2 - y1);
    clamp_canvas_view(tree, id);
}

void set_canvas_view(Tree& tree, NodeId id, float x, float y)
{
    auto* canvas = canvas_model(tree, id);
    if (!canvas)
        return;
    canvas->view_x = x;
    canvas->view_y = y;
    clamp_canvas_view(tree, id);
}

}
