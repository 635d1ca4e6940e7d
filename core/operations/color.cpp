// The colour picker (HSV to RGB, field and hue-strip geometry, picking from
// the pointer) and sliders and ranges driven by the pointer.
#include "core/operations/detail/numbers.hpp"
#include "core/operations/operations.hpp"

#include <algorithm>
#include <cmath>

namespace orvy {

using detail::clamp01;

std::uint32_t hsv_to_rgb(float hue, float saturation, float value)
{
    hue = clamp01(hue);
    saturation = clamp01(saturation);
    value = clamp01(value);
    float chroma = value * saturation;
    float second = chroma * (1.0f - std::abs(std::fmod(6.0f * hue, 2.0f) - 1.0f));
    float r = 0, g = 0, b = 0;
    // Sectors in order: red-yellow, yellow-green, green-cyan, cyan-blue,
    // blue-magenta, magenta-red; hue 1 is red again.
    switch (static_cast<int>(6.0f * hue) % 6) {
    case 0: r = chroma, g = second; break;
    case 1: r = second, g = chroma; break;
    case 2: g = chroma, b = second; break;
    case 3: g = second, b = chroma; break;
    case 4: r = second, b = chroma; break;
    default: r = chroma, b = second; break;
    }
    float lift = value - chroma;
    auto byte = [lift](float channel) {
        return static_cast<std::uint32_t>(std::clamp(std::round((channel + lift) * 255.0f), 0.0f, 255.0f));
    };
    return (byte(r) << 16) | (byte(g) << 8) | byte(b);
}

// 8 pixels of margin left and top; on the right 24 of margins and a 46-pixel
// column; below 24 of margins and the 18-pixel hue strip.
RectF color_field_rect(RectF rect)
{
    return { rect.x + 8.0f, rect.y + 8.0f, std::max(rect.w - 70.0f, 1.0f), std::max(rect.h - 42.0f, 1.0f) };
}

RectF color_hue_rect(RectF rect)
{
    RectF field = color_field_rect(rect);
    return { field.x, field.bottom() + 8.0f, field.w, 18.0f };
}

void pick_color(Tree& tree, NodeId id, float px, float py, ColorPart part)
{
    if (!tree.contains(id) || tree.node(id).kind() != NodeKind::Color)
        return;
    RectF field = color_field_rect(tree.node(id).rect);
    auto* color = tree.node(id).model.as<ColorModel>();
    float across = clamp01((px - field.x) / field.w);
    if (part == ColorPart::HueStrip) {
        color->hue = across;
    } else {
        color->saturation = across;
        color->value = 1.0f - clamp01((py - field.y) / field.h);
    }
    std::uint32_t rgb = hsv_to_rgb(color->hue, color->saturation, color->value);
    tree.layout_dirty = true;
    // 0xFFFFFF and below are exact as 32-bit floats.
    tree.fire_change(id, static_cast<float>(rgb));
}

void slider_from_pointer(Tree& tree, NodeId id, float px)
{
    if (!tree.contains(id) || tree.node(id).kind() != NodeKind::Slider)
        return;
    RectF rect = tree.node(id).rect;
    if (!(rect.w > 0.0f))
        return;
    float f = clamp01((px - rect.x) / rect.w);
    tree.node(id).model.as<ValueModel>()->value = f;
    tree.layout_dirty = true;
    tree.fire_change(id, f);
}

void range_from_pointer(Tree& tree, NodeId id, float px, RangeThumb thumb)
{
    if (!tree.contains(id) || tree.node(id).kind() != NodeKind::Range)
        return;
    RectF rect = tree.node(id).rect;
    if (!(rect.w > 0.0f))
        return;
    float f = clamp01((px - rect.x) / rect.w);
    auto* range = tree.node(id).model.as<RangeModel>();
    // A thumb dragged past the other pushes it along.
    float first = thumb == RangeThumb::Upper ? std::min(range->lo, f) : f;
    float second = thumb == RangeThumb::Upper ? f : std::max(range->hi, f);
    first = clamp01(first);
    second = clamp01(second);
    range->lo = std::min(first, second);
    range->hi = std::max(first, second);
    tree.layout_dirty = true;
    tree.fire_change(id, f);
}

}
