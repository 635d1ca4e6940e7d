// FlatAreaCanvas: the flat area, the boxes drawn on it, and the fills dropped.
#include "core/paint/flat_area_canvas.hpp"

#include "core/text/text_engine.hpp"

#include <algorithm>
#include <cmath>
#include <utility>

namespace orvy {

namespace {

using Box = FlatAreaCanvas::Box;

Box box_of(RectF rect) { return { rect.x, rect.y, rect.x + rect.w, rect.y + rect.h }; }

Box box_of(std::span<PointF const> points)
{
    if (points.empty())
        return {};
    Box box { points[0].x, points[0].y, points[0].x, points[0].y };
    for (PointF point : points) {
        box.x0 = std::min(box.x0, point.x);
        box.y0 = std::min(box.y0, point.y);
        box.x1 = std::max(box.x1, point.x);
        box.y1 = std::max(box.y1, point.y);
    }
    return box;
}

Box grown(Box box, float by) { return { box.x0 - by, box.y0 - by, box.x1 + by, box.y1 + by }; }

Box intersection(Box a, Box b)
{
    return { std::max(a.x0, b.x0), std::max(a.y0, b.y0), std::min(a.x1, b.x1), std::min(a.y1, b.y1) };
}

bool intersect(Box a, Box b) { return a.x0 < b.x1 && b.x0 < a.x1 && a.y0 < b.y1 && b.y0 < a.y1; }

bool inside(Box inner, Box outer)
{
    return inner.x0 >= outer.x0 && inner.y0 >= outer.y0 && inner.x1 <= outer.x1 && inner.y1 <= outer.y1;
}

// The pixels a box covers whole.
Box whole_pixels(Box box) { return { std::ceil(box.x0), std::ceil(box.y0), std::floor(box.x1), std::floor(box.y1) }; }

bool is_opaque(Color color) { return color.a >= 1.0f; }

bool same_color(Color a, Color b) { return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a; }

// How far past its geometry a call may touch pixels: edge coverage, and the
// pen's half width (joins of a polyline may reach further).
constexpr float edge_spread = 1.0f;
float stroke_spread(float width) { return edge_spread + (width > 0 ? width : 0.0f); }
float polyline_spread(float width) { return edge_spread + 5.0f * (width > 0 ? width : 0.0f); }
// Glyph ink may reach a little past a layout's logical box.
constexpr float text_spread = 2.0f;

}

FlatAreaCanvas::FlatAreaCanvas(Canvas& target, float viewport_width, float viewport_height)
    : m_target(target)
    , m_clips { Box { 0, 0, viewport_width, viewport_height } }
{
}

FlatAreaCanvas::~FlatAreaCanvas() { flush_clear(); }

void FlatAreaCanvas::flush_clear()
{
    if (auto color = std::exchange(m_waiting_clear, std::nullopt))
        m_target.clear(*color);
}

void FlatAreaCanvas::flush_clear_around(Box kept)
{
    auto color = std::exchange(m_waiting_clear, std::nullopt);
    if (!color)
        return;
    Box all = clip();
    Box bands[] { { all.x0, all.y0, all.x1, kept.y0 }, { all.x0, kept.y1, all.x1, all.y1 },
        { all.x0, kept.y0, kept.x0, kept.y1 }, { kept.x1, kept.y0, all.x1, kept.y1 } };
    for (Box band : bands) {
        if (band.is_empty())
            continue;
        m_target.push_clip({ band.x0, band.y0, band.x1 - band.x0, band.y1 - band.y0 });
        m_target.clear(*color);
        m_target.pop_clip();
    }
}

bool FlatAreaCanvas::repaints_flat(Box shape, Color color) const
{
    if (!m_flat || !is_opaque(color) || !same_color(color, m_flat->color))
        return false;
    Box painted = intersection(shape, clip());
    if (painted.is_empty() || !inside(painted, m_flat->area))
        return false;
    return std::none_of(m_marks.begin(), m_marks.end(), [&](Box const& drawn) { return intersect(drawn, painted); });
}

void FlatAreaCanvas::mark(Box drawn, float spread)
{
    Box touched = intersection(grown(drawn, spread), grown(clip(), edge_spread));
    if (touched.is_empty() || !m_flat || !intersect(touched, m_flat->area))
        return;
    m_marks.push_back(touched);
}

void FlatAreaCanvas::laid_flat(RectF rect, Color color)
{
    Box area = whole_pixels(intersection(box_of(rect), clip()));
    // A smaller fill stays a mark on the larger flat area around it.
    if (area.is_empty() || (m_flat && area.area() * 2 < m_flat->area.area())) {
        mark(box_of(rect), edge_spread);
        return;
    }
    m_flat = Flat { area, color };
    m_marks.clear();
}

void FlatAreaCanvas::clear(Color color)
{
    m_marks.clear();
    m_waiting_clear.reset();
    if (is_opaque(color)) {
        m_waiting_clear = color;
        m_flat = Flat { whole_pixels(clip()), color };
    } else {
        m_target.clear(color);
        m_flat.reset();
    }
}

void FlatAreaCanvas::fill_rect(RectF rect, Color color) { fill(rect, 0, color, true); }

void FlatAreaCanvas::fill_rounded_rect(RectF rect, float radius, Color color) { fill(rect, radius, color, false); }

void FlatAreaCanvas::fill(RectF rect, float radius, Color color, bool square)
{
    if (repaints_flat(box_of(rect), color)) {
        ++m_dropped;
        return;
    }
    // Without a radius the fill is a plain rectangle, as the backends draw it;
    // an opaque one covers its whole pixels, which a waiting clear can skip.
    bool covers = is_opaque(color) && !(radius > 0);
    Box covered = whole_pixels(intersection(box_of(rect), clip()));
    if (covers && !covered.is_empty())
        flush_clear_around(covered);
    else
        flush_clear();
    if (square)
        m_target.fill_rect(rect, color);
    else
        m_target.fill_rounded_rect(rect, radius, color);
    if (covers)
        laid_flat(rect, color);
    else
        mark(box_of(rect), edge_spread);
}

void FlatAreaCanvas::fill_ellipse(RectF rect, Color color)
{
    if (repaints_flat(box_of(rect), color)) {
        ++m_dropped;
        return;
    }
    flush_clear();
    m_target.fill_ellipse(rect, color);
    mark(box_of(rect), edge_spread);
}

void FlatAreaCanvas::fill_polygon(std::span<PointF const> points, Color color)
{
    if (repaints_flat(box_of(points), color)) {
        ++m_dropped;
        return;
    }
    flush_clear();
    m_target.fill_polygon(points, color);
    mark(box_of(points), edge_spread);
}

void FlatAreaCanvas::stroke_rect(RectF rect, Color color, float width)
{
    flush_clear();
    m_target.stroke_rect(rect, color, width);
    mark(box_of(rect), stroke_spread(width));
}

void FlatAreaCanvas::stroke_rounded_rect(RectF rect, float radius, Color color, float width)
{
    flush_clear();
    m_target.stroke_rounded_rect(rect, radius, color, width);
    mark(box_of(rect), stroke_spread(width));
}

void FlatAreaCanvas::stroke_ellipse(RectF rect, Color color, float width)
{
    flush_clear();
    m_target.stroke_ellipse(rect, color, width);
    mark(box_of(rect), stroke_spread(width));
}

void FlatAreaCanvas::draw_line(PointF from, PointF to, Color color, float width)
{
    flush_clear();
    m_target.draw_line(from, to, color, width);
    PointF ends[] { from, to };
    mark(box_of(ends), stroke_spread(width));
}

void FlatAreaCanvas::stroke_polyline(std::span<PointF const> points, PathShape shape, Color color, float width)
{
    flush_clear();
    m_target.stroke_polyline(points, shape, color, width);
    mark(box_of(points), polyline_spread(width));
}

void FlatAreaCanvas::fill_gradient(RectF rect, float radius, LinearGradient const& gradient)
{
    flush_clear();
    m_target.fill_gradient(rect, radius, gradient);
    mark(box_of(rect), edge_spread);
}

void FlatAreaCanvas::push_clip(RectF rect)
{
    flush_clear();
    m_target.push_clip(rect);
    m_clips.push_back(intersection(clip(), box_of(rect)));
}

void FlatAreaCanvas::pop_clip()
{
    flush_clear();
    m_target.pop_clip();
    if (m_clips.size() > 1)
        m_clips.pop_back();
}

void FlatAreaCanvas::draw_text(TextLayout const& layout, PointF origin, Color color)
{
    flush_clear();
    m_target.draw_text(layout, origin, color);
    // A text larger than its box may stand out of it on any side, as it is aligned.
    TextSize box = layout.box(), size = layout.size();
    float wider = std::max(size.width - box.width, 0.0f), taller = std::max(size.height - box.height, 0.0f);
    mark({ origin.x - wider, origin.y - taller, origin.x + box.width + wider, origin.y + box.height + taller },
        text_spread);
}

void FlatAreaCanvas::draw_bitmap(Bitmap const& bitmap, RectF destination)
{
    flush_clear();
    m_target.draw_bitmap(bitmap, destination);
    mark(box_of(destination), edge_spread);
}

}
