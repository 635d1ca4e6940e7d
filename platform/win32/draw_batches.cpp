// DrawPlan: batching with the order kept; the figures of each shape.
#include "platform/win32/detail/draw_batches.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace orvy::win32 {

namespace {

// Past this, coordinates are far off screen anyway.
constexpr double pixel_limit = 1 << 30;
// Edges within this of a pixel boundary count as on it, so rounding noise
// in a layout does not make neighbours overlap.
constexpr double edge_slack = 1.0 / 256;

std::int32_t to_pixel(double value)
{
    return static_cast<std::int32_t>(std::clamp(value, -pixel_limit, pixel_limit));
}

// Control-point distance of a cubic Bézier quarter of a circle, per radius.
constexpr float quarter_arc = 0.5522847f;

PointF towards(PointF from, PointF to, float distance)
{
    float dx = to.x - from.x, dy = to.y - from.y;
    float length = std::hypot(dx, dy);
    if (!(length > 0))
        return from;
    return { from.x + dx / length * distance, from.y + dy / length * distance };
}

PointF between(PointF from, PointF to, float share)
{
    return { from.x + (to.x - from.x) * share, from.y + (to.y - from.y) * share };
}

// A rectangle's figure with its corners rounded to ellipse quarters of
// radii rx (along horizontal edges) and ry (along vertical ones), corners
// taken clockwise or counter-clockwise.
Figure rounded_figure(RectF rect, float rx, float ry, bool clockwise)
{
    PointF corners[4] = { { rect.x, rect.y }, { rect.right(), rect.y }, { rect.right(), rect.bottom() },
        { rect.x, rect.bottom() } };
    if (!clockwise)
        std::swap(corners[1], corners[3]);
    auto along = [&](PointF corner, PointF other) {
        return towards(corner, other, corner.y == other.y ? rx : ry);
    };
    Figure figure;
    figure.start = along(corners[0], corners[3]);
    PointF at = figure.start;
    for (int i = 0; i < 4; ++i) {
        PointF corner = corners[i];
        PointF in = along(corner, corners[(i + 3) % 4]);
        PointF out = along(corner, corners[(i + 1) % 4]);
        if (!(in == at))
            figure.segments.push_back({ false, {}, {}, in });
        if (!(in == out))
            figure.segments.push_back(
                { true, between(in, corner, quarter_arc), between(out, corner, quarter_arc), out });
        at = out;
    }
    // The last line back to the start is the figure's closing edge.
    if (!figure.segments.empty() && !figure.segments.back().curve && figure.segments.back().end == figure.start)
        figure.segments.pop_back();
    return figure;
}

RectF grown(RectF rect, float by) { return { rect.x - by, rect.y - by, rect.w + 2 * by, rect.h + 2 * by }; }

bool has_area(RectF rect) { return rect.w > 0 && rect.h > 0; } // false for NaN too

// The outline of `rect` (radius `radius`) stroked `width` wide: the figure
// half the width outside, and the hole half the width inside when any is left.
void append_outline(RectF rect, float radius, float width, std::vector<Figure>& figures)
{
    float half = width / 2;
    RectF outer = grown(rect, half);
    float outer_radius = radius > 0 ? radius + half : 0;
    figures.push_back(rounded_figure(outer, outer_radius, outer_radius, true));
    RectF inner = grown(rect, -half);
    if (has_area(inner)) {
        float inner_radius = std::max(radius - half, 0.0f);
        figures.push_back(rounded_figure(inner, inner_radius, inner_radius, false));
    }
}

}

PixelBox PixelBox::intersected(PixelBox const& other) const
{
    return { std::max(x0, other.x0), std::max(y0, other.y0), std::min(x1, other.x1), std::min(y1, other.y1) };
}

PixelBox PixelBox::united(PixelBox const& other) const
{
    if (is_empty())
        return other;
    if (other.is_empty())
        return *this;
    return { std::min(x0, other.x0), std::min(y0, other.y0), std::max(x1, other.x1), std::max(y1, other.y1) };
}

PixelBox pixels_touched(RectF rect)
{
    if (!(rect.w >= 0 && rect.h >= 0))
        return {};
    return { to_pixel(std::floor(rect.x + edge_slack)), to_pixel(std::floor(rect.y + edge_slack)),
        to_pixel(std::ceil(static_cast<double>(rect.x) + rect.w - edge_slack)),
        to_pixel(std::ceil(static_cast<double>(rect.y) + rect.h - edge_slack)) };
}

PixelBox pixels_inside(RectF rect)
{
    if (!(rect.w >= 0 && rect.h >= 0))
        return {};
    return { to_pixel(std::ceil(rect.x - edge_slack)), to_pixel(std::ceil(rect.y - edge_slack)),
        to_pixel(std::floor(static_cast<double>(rect.x) + rect.w + edge_slack)),
        to_pixel(std::floor(static_cast<double>(rect.y) + rect.h + edge_slack)) };
}

RectF BatchShape::bounds() const
{
    switch (kind) {
    case Kind::RectOutline:
    case Kind::RoundedOutline: return grown(rect, width / 2);
    case Kind::Line: {
        float pad = width / 2;
        float x0 = std::min(from.x, to.x), y0 = std::min(from.y, to.y);
        return { x0 - pad, y0 - pad, std::max(from.x, to.x) - x0 + width, std::max(from.y, to.y) - y0 + width };
    }
    case Kind::Rect:
    case Kind::RoundedRect:
    case Kind::Ellipse: break;
    }
    return rect;
}

double Figure::orientation() const
{
    double twice = 0;
    PointF previous = start;
    auto edge = [&](PointF next) {
        twice += static_cast<double>(previous.x) * next.y - static_cast<double>(next.x) * previous.y;
        previous = next;
    };
    for (Segment const& segment : segments)
        edge(segment.end);
    edge(start);
    return twice;
}

void append_figures(BatchShape const& shape, std::vector<Figure>& figures)
{
    switch (shape.kind) {
    case BatchShape::Kind::Rect:
    case BatchShape::Kind::RoundedRect:
        if (has_area(shape.rect))
            figures.push_back(rounded_figure(shape.rect, shape.radius, shape.radius, true));
        return;
    case BatchShape::Kind::Ellipse:
        if (has_area(shape.rect))
            figures.push_back(rounded_figure(shape.rect, shape.rect.w / 2, shape.rect.h / 2, true));
        return;
    case BatchShape::Kind::RectOutline:
    case BatchShape::Kind::RoundedOutline:
        if (shape.rect.w >= 0 && shape.rect.h >= 0 && shape.width > 0)
            append_outline(shape.rect, shape.radius, shape.width, figures);
        return;
    case BatchShape::Kind::Line: {
        // A line with flat ends: the rectangle along it, half the width each side.
        PointF along = towards({ 0, 0 }, { shape.to.x - shape.from.x, shape.to.y - shape.from.y }, shape.width / 2);
        if (!(shape.width > 0) || along == PointF {})
            return;
        PointF side { -along.y, along.x };
        Figure figure;
        figure.start = { shape.from.x + side.x, shape.from.y + side.y };
        for (PointF point : { PointF { shape.to.x + side.x, shape.to.y + side.y },
                 PointF { shape.to.x - side.x, shape.to.y - side.y },
                 PointF { shape.from.x - side.x, shape.from.y - side.y } })
            figure.segments.push_back({ false, {}, {}, point });
        if (figure.orientation() < 0) {
            std::swap(figure.start, figure.segments[1].end);
        }
        figures.push_back(std::move(figure));
        return;
    }
    }
}

PixelBox solid_interior(BatchShape const& shape)
{
    RectF rect = shape.rect;
    float r = shape.radius;
    switch (shape.kind) {
    case BatchShape::Kind::Rect: return pixels_inside(rect);
    case BatchShape::Kind::RoundedRect:
        if (rect.w >= rect.h)
            return pixels_inside({ rect.x + r, rect.y, rect.w - 2 * r, rect.h });
        return pixels_inside({ rect.x, rect.y + r, rect.w, rect.h - 2 * r });
    case BatchShape::Kind::RectOutline:
    case BatchShape::Kind::RoundedOutline:
    case BatchShape::Kind::Ellipse:
    case BatchShape::Kind::Line: break;
    }
    return {};
}

Figure hole_figure(PixelBox const& box)
{
    auto x0 = static_cast<float>(box.x0), y0 = static_cast<float>(box.y0);
    return rounded_figure({ x0, y0, static_cast<float>(box.x1) - x0, static_cast<float>(box.y1) - y0 }, 0, 0, false);
}

std::size_t curve_count(BatchShape const& shape)
{
    std::vector<Figure> figures;
    append_figures(shape, figures);
    std::size_t count = 0;
    for (Figure const& figure : figures)
        count += static_cast<std::size_t>(std::count_if(figure.segments.begin(), figure.segments.end(),
            [](Figure::Segment const& segment) { return segment.curve; }));
    return count;
}

std::vector<std::vector<std::size_t>> fill_groups(std::span<BatchShape const> shapes, std::size_t curve_limit)
{
    struct Group {
        std::vector<std::size_t> members;
        std::vector<PixelBox> boxes; // the pixels each member touches
        PixelBox bounds;
        std::size_t curves = 0;
    };
    std::vector<Group> groups;
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        PixelBox box = pixels_touched(shapes[i].bounds());
        std::size_t curves = curve_count(shapes[i]);
        // The groups holding a shape that shares a pixel with this one
        // become one, the earliest; the shape joins it.
        std::optional<std::size_t> home;
        for (std::size_t g = 0; g < groups.size();) {
            Group& group = groups[g];
            bool touches = group.bounds.intersects(box)
                && std::any_of(group.boxes.begin(), group.boxes.end(),
                    [&](PixelBox const& other) { return other.intersects(box); });
            if (!touches) {
                ++g;
                continue;
            }
            if (!home) {
                home = g++;
                continue;
            }
            Group& into = groups[*home];
            into.members.insert(into.members.end(), group.members.begin(), group.members.end());
            into.boxes.insert(into.boxes.end(), group.boxes.begin(), group.boxes.end());
            into.bounds = into.bounds.united(group.bounds);
            into.curves += group.curves;
            groups.erase(groups.begin() + static_cast<std::ptrdiff_t>(g));
        }
        // Apart from every other shape: the last group while it has room.
        if (!home && !groups.empty() && groups.back().curves + curves <= curve_limit)
            home = groups.size() - 1;
        if (!home) {
            groups.emplace_back();
            home = groups.size() - 1;
        }
        Group& group = groups[*home];
        group.members.push_back(i);
        group.boxes.push_back(box);
        group.bounds = group.bounds.united(box);
        group.curves += curves;
    }
    std::vector<std::vector<std::size_t>> result;
    result.reserve(groups.size());
    for (Group& group : groups) {
        std::sort(group.members.begin(), group.members.end());
        result.push_back(std::move(group.members));
    }
    return result;
}

void ClipStack::push(RectF rect)
{
    rect.w = std::max(rect.w, 0.0f);
    rect.h = std::max(rect.h, 0.0f);
    if (!m_clips.empty()) {
        RectF outer = m_clips.back();
        float x0 = std::max(rect.x, outer.x), y0 = std::max(rect.y, outer.y);
        float x1 = std::min(rect.right(), outer.right()), y1 = std::min(rect.bottom(), outer.bottom());
        rect = { x0, y0, std::max(x1 - x0, 0.0f), std::max(y1 - y0, 0.0f) };
    }
    m_clips.push_back(rect);
}

void ClipStack::pop()
{
    if (!m_clips.empty())
        m_clips.pop_back();
}

std::optional<DrawPlan::Placed> DrawPlan::place(RectF bounds, std::optional<RectF> current, BatchKind kind,
    Color color, float width)
{
    PixelBox touched = pixels_touched(bounds);
    ClipKey clip;
    if (current) {
        if (!pixels_inside(*current).contains(touched)) {
            clip = { true, *current };
            touched = touched.intersected(pixels_touched(*current));
        }
    }
    if (touched.is_empty())
        return std::nullopt;

    // The earliest batch the drawing may join: later batches stay free of
    // it, so drawings that must come after it can still join theirs.
    bool opaque = color.a >= 1.0f && kind != BatchKind::Text;
    std::size_t stop = m_entries.size() > lookback ? m_entries.size() - lookback : 0;
    std::optional<std::size_t> chosen;
    for (std::size_t i = m_entries.size(); kind != BatchKind::Single && i-- > stop;) {
        Entry const& entry = m_entries[i];
        bool overlaps = entry.bounds.intersects(touched)
            && std::any_of(entry.parts.begin(), entry.parts.end(),
                [&](PixelBox const& part) { return part.intersects(touched); });
        if (entry.kind == kind && entry.color == color && entry.width == width && entry.clip == clip
            && (opaque || !overlaps))
            chosen = i;
        if (overlaps)
            break;
    }
    if (chosen) {
        Entry& entry = m_entries[*chosen];
        entry.parts.push_back(touched);
        entry.bounds = entry.bounds.united(touched);
        return Placed { *chosen, false };
    }
    m_entries.push_back({ kind, color, width, clip, touched, { touched } });
    return Placed { m_entries.size() - 1, true };
}

void DrawPlan::reset()
{
    m_entries.clear();
    m_clips.clear();
}

Signature& Signature::add(std::uint64_t value)
{
    for (int i = 0; i < 8; ++i) {
        m_value ^= (value >> (8 * i)) & 0xFF;
        m_value *= 1099511628211ull;
    }
    return *this;
}

Signature& Signature::add(float value)
{
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return add(std::uint64_t { bits });
}

PixelBox changed_pixels(std::span<Trace const> last, std::span<Trace const> now)
{
    std::size_t same_start = 0;
    while (same_start < now.size() && same_start < last.size() && now[same_start] == last[same_start])
        ++same_start;
    std::size_t same_end = 0;
    while (same_end < now.size() - same_start && same_end < last.size() - same_start
        && now[now.size() - 1 - same_end] == last[last.size() - 1 - same_end])
        ++same_end;
    PixelBox changed;
    for (Trace const& trace : now.subspan(same_start, now.size() - same_start - same_end))
        changed = changed.united(trace.reach);
    for (Trace const& trace : last.subspan(same_start, last.size() - same_start - same_end))
        changed = changed.united(trace.reach);
    return changed;
}

}
