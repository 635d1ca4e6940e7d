// BoundedCanvas: culling, clamping and flattening of geometry before it
// reaches the backend.
#include "core/paint/bounded_canvas.hpp"

#include "core/image/image.hpp"
#include "core/text/text_engine.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>

namespace orvy {

namespace {

using Box = BoundedCanvas::Box;

constexpr double pi = std::numbers::pi;
// Rounded corners up to this radius keep their arcs: a far edge moves in
// only as far as keeps the corner's shape. Larger corners become polygons.
constexpr double arc_radius_limit = 1024;
// Edges past this distance from the visible area are moved in before any
// arithmetic: a curve of this radius is straight across any screen, and
// doubles keep sub-pixel precision at this magnitude.
constexpr double far_limit = 1.0e12;
// How far a flattened curve may stray from the true one, in pixels.
constexpr double flatness = 0.2;
constexpr std::size_t max_points_per_corner = 2048;

bool finite(PointF p) { return std::isfinite(p.x) && std::isfinite(p.y); }

// The edges of a rectangle; none when any is NaN (including inf - inf).
std::optional<Box> edges(RectF r)
{
    Box box { r.x, r.y, static_cast<double>(r.x) + r.w, static_cast<double>(r.y) + r.h };
    if (std::isnan(box.x0) || std::isnan(box.y0) || std::isnan(box.x1) || std::isnan(box.y1))
        return std::nullopt;
    return box;
}

Box intersection(Box a, Box b)
{
    return { std::max(a.x0, b.x0), std::max(a.y0, b.y0), std::min(a.x1, b.x1), std::min(a.y1, b.y1) };
}

// Touching counts, so zero-width strokes on an edge are kept.
bool overlaps(Box a, Box b) { return a.x0 <= b.x1 && b.x0 <= a.x1 && a.y0 <= b.y1 && b.y0 <= a.y1; }

bool inside(Box inner, Box outer)
{
    return inner.x0 >= outer.x0 && inner.y0 >= outer.y0 && inner.x1 <= outer.x1 && inner.y1 <= outer.y1;
}

bool inside(PointF p, Box outer) { return p.x >= outer.x0 && p.y >= outer.y0 && p.x <= outer.x1 && p.y <= outer.y1; }

RectF to_rect(Box b)
{
    return { static_cast<float>(b.x0), static_cast<float>(b.y0), static_cast<float>(std::max(b.x1 - b.x0, 0.0)),
        static_cast<float>(std::max(b.y1 - b.y0, 0.0)) };
}

struct Point {
    double x = 0, y = 0;
};

// Sutherland-Hodgman: the polygon cut to the box, one edge of the box at a time.
std::vector<Point> clip_polygon(std::vector<Point> polygon, Box box)
{
    auto cut = [&](auto is_in, auto cross) {
        std::vector<Point> out;
        for (std::size_t i = 0; i < polygon.size(); ++i) {
            Point a = polygon[i], b = polygon[(i + 1) % polygon.size()];
            bool a_in = is_in(a), b_in = is_in(b);
            if (a_in)
                out.push_back(a);
            if (a_in != b_in)
                out.push_back(cross(a, b));
        }
        polygon = std::move(out);
    };
    auto at_x = [](Point a, Point b, double x) { return Point { x, a.y + (b.y - a.y) * (x - a.x) / (b.x - a.x) }; };
    auto at_y = [](Point a, Point b, double y) { return Point { a.x + (b.x - a.x) * (y - a.y) / (b.y - a.y), y }; };
    cut([&](Point p) { return p.x >= box.x0; }, [&](Point a, Point b) { return at_x(a, b, box.x0); });
    cut([&](Point p) { return p.x <= box.x1; }, [&](Point a, Point b) { return at_x(a, b, box.x1); });
    cut([&](Point p) { return p.y >= box.y0; }, [&](Point a, Point b) { return at_y(a, b, box.y0); });
    cut([&](Point p) { return p.y <= box.y1; }, [&](Point a, Point b) { return at_y(a, b, box.y1); });
    return polygon;
}

std::vector<PointF> to_points(std::vector<Point> const& points)
{
    std::vector<PointF> out;
    out.reserve(points.size());
    for (Point p : points)
        out.push_back({ static_cast<float>(p.x), static_cast<float>(p.y) });
    return out;
}

// Liang-Barsky: the part of the segment inside the box, if any.
std::optional<std::pair<Point, Point>> clip_segment(Point a, Point b, Box box)
{
    double t0 = 0, t1 = 1, dx = b.x - a.x, dy = b.y - a.y;
    double p[4] = { -dx, dx, -dy, dy };
    double q[4] = { a.x - box.x0, box.x1 - a.x, a.y - box.y0, box.y1 - a.y };
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return std::nullopt;
            continue;
        }
        double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
    }
    if (t0 > t1)
        return std::nullopt;
    return std::pair { Point { a.x + t0 * dx, a.y + t0 * dy }, Point { a.x + t1 * dx, a.y + t1 * dy } };
}

// The angles (radians, increasing) of the part of the quarter arc from
// `start` to `start + pi/2` of the ellipse (centre, rx, ry) that may lie
// in the box; none when no point of the arc can.
std::optional<std::pair<double, double>> arc_range_in(Point centre, double rx, double ry, double start, Box box)
{
    // In the space scaled by 1/rx and 1/ry the arc is part of the unit circle.
    Box scaled { (box.x0 - centre.x) / rx, (box.y0 - centre.y) / ry, (box.x1 - centre.x) / rx,
        (box.y1 - centre.y) / ry };
    double near_x = std::clamp(0.0, scaled.x0, scaled.x1), near_y = std::clamp(0.0, scaled.y0, scaled.y1);
    double far_x = std::max(std::abs(scaled.x0), std::abs(scaled.x1));
    double far_y = std::max(std::abs(scaled.y0), std::abs(scaled.y1));
    if (std::hypot(near_x, near_y) > 1 || std::hypot(far_x, far_y) < 1)
        return std::nullopt;
    double low = start, high = start + pi / 2;
    if (near_x != 0 || near_y != 0) {
        // The box does not hold the centre: it is seen within less than a half turn.
        double middle = std::atan2((scaled.y0 + scaled.y1) / 2, (scaled.x0 + scaled.x1) / 2);
        double least = 0, most = 0;
        for (Point corner : { Point { scaled.x0, scaled.y0 }, Point { scaled.x1, scaled.y0 },
                 Point { scaled.x0, scaled.y1 }, Point { scaled.x1, scaled.y1 } }) {
            double turn = std::remainder(std::atan2(corner.y, corner.x) - middle, 2 * pi);
            least = std::min(least, turn);
            most = std::max(most, turn);
        }
        // Align the seen range with the arc's, a whole turn either way.
        double seen_low = middle + least, seen_high = middle + most;
        double shift = std::round((start + pi / 4 - (seen_low + seen_high) / 2) / (2 * pi)) * 2 * pi;
        low = std::max(low, seen_low + shift);
        high = std::min(high, seen_high + shift);
        if (low > high)
            return std::nullopt;
    }
    return std::pair { low, high };
}

}

BoundedCanvas::BoundedCanvas(Canvas& target, float viewport_width, float viewport_height)
    : m_target(target)
{
    double width = std::isfinite(viewport_width) ? std::max(0.0f, viewport_width) : 0.0;
    double height = std::isfinite(viewport_height) ? std::max(0.0f, viewport_height) : 0.0;
    m_visible.push_back({ 0, 0, width, height });
}

void BoundedCanvas::clear(Color color) { m_target.clear(color); }

void BoundedCanvas::fill_rect(RectF rect, Color color)
{
    auto box = edges(rect);
    if (!box || box->is_empty() || !overlaps(*box, visible()))
        return;
    if (inside(*box, visible().grown(pass_margin)))
        m_target.fill_rect(rect, color);
    else
        m_target.fill_rect(to_rect(intersection(*box, visible().grown(2))), color);
}

void BoundedCanvas::stroke_rect(RectF rect, Color color, float width)
{
    auto box = edges(rect);
    if (!box || !(box->x0 <= box->x1) || !(box->y0 <= box->y1) || !(width > 0))
        return;
    double half = static_cast<double>(width) / 2;
    Box outer = box->grown(half);
    if (!overlaps(outer, visible()) || inside(visible(), box->grown(-half)))
        return;
    if (inside(outer, visible().grown(pass_margin)) && width <= pass_margin) {
        m_target.stroke_rect(rect, color, width);
        return;
    }
    // The stroke as the four bands it covers (square corners, as a rectangle's
    // mitred stroke has), each cut by fill_rect.
    double inner_top = box->y0 + half, inner_bottom = box->y1 - half;
    if (!(inner_top < inner_bottom) || !(box->x0 + half < box->x1 - half)) {
        fill_rect(to_rect(intersection(outer, visible().grown(2))), color);
        return;
    }
    Box bands[] = { { outer.x0, outer.y0, outer.x1, inner_top }, { outer.x0, inner_bottom, outer.x1, outer.y1 },
        { outer.x0, inner_top, box->x0 + half, inner_bottom }, { box->x1 - half, inner_top, outer.x1, inner_bottom } };
    for (Box band : bands)
        fill_rect(to_rect(intersection(band, visible().grown(2))), color);
}

void BoundedCanvas::fill_rounded_rect(RectF rect, float radius, Color color) { rounded(rect, radius, color, 0, true); }

void BoundedCanvas::stroke_rounded_rect(RectF rect, float radius, Color color, float width)
{
    rounded(rect, radius, color, width, false);
}

void BoundedCanvas::rounded(RectF rect, float radius, Color color, float width, bool fill)
{
    auto box = edges(rect);
    if (!box)
        return;
    if (fill ? box->is_empty() : !(box->x0 <= box->x1 && box->y0 <= box->y1 && width > 0))
        return;
    double reach = fill ? 0.0 : std::min<double>(width, pass_margin) / 2;
    if (!overlaps(box->grown(reach), visible()))
        return;
    // The radius the backends draw: at most half of each side, NaN as none.
    double r = std::isnan(radius) ? 0.0 : std::clamp<double>(radius, 0, std::min(box->x1 - box->x0, box->y1 - box->y0) / 2);
    if (inside(box->grown(reach), visible().grown(pass_margin)) && r <= pass_margin && width <= pass_margin) {
        // The radius as given when it is an ordinary number; infinity and NaN
        // as what they draw.
        float kept = radius >= 0 && radius <= pass_margin ? radius : static_cast<float>(r);
        if (fill)
            m_target.fill_rounded_rect(rect, kept, color);
        else
            m_target.stroke_rounded_rect(rect, kept, color, width);
        return;
    }
    if (r <= arc_radius_limit) {
        // Far edges move in to twice the radius past the visible area: the
        // corners there stay out of sight and the others keep their radius.
        RectF cut = to_rect(intersection(*box, visible().grown(2 * r + reach + 2)));
        if (fill)
            m_target.fill_rounded_rect(cut, static_cast<float>(r), color);
        else
            m_target.stroke_rounded_rect(cut, static_cast<float>(r), color, static_cast<float>(2 * reach));
        return;
    }
    elliptic_polygon(*box, r, r, color, static_cast<float>(2 * reach), fill);
}

void BoundedCanvas::fill_ellipse(RectF rect, Color color)
{
    auto box = edges(rect);
    if (!box || box->is_empty() || !overlaps(*box, visible()))
        return;
    if (inside(*box, visible().grown(pass_margin))) {
        m_target.fill_ellipse(rect, color);
        return;
    }
    elliptic_polygon(*box, (box->x1 - box->x0) / 2, (box->y1 - box->y0) / 2, color, 0, true);
}

void BoundedCanvas::stroke_ellipse(RectF rect, Color color, float width)
{
    auto box = edges(rect);
    if (!box || box->is_empty() || !(width > 0))
        return;
    double reach = std::min<double>(width, pass_margin) / 2;
    if (!overlaps(box->grown(reach), visible()))
        return;
    if (inside(box->grown(reach), visible().grown(pass_margin)) && width <= pass_margin) {
        m_target.stroke_ellipse(rect, color, width);
        return;
    }
    elliptic_polygon(*box, (box->x1 - box->x0) / 2, (box->y1 - box->y0) / 2, color, static_cast<float>(2 * reach),
        false);
}

void BoundedCanvas::elliptic_polygon(Box box, double rx, double ry, Color color, float width, bool fill)
{
    double reach = fill ? 0.0 : static_cast<double>(width) / 2;
    Box zone = visible().grown(reach + 2);
    // Step 1: far edges come in to where doubles stay precise; the corner
    // radii shrink with them if they must.
    Box near = intersection(box, visible().grown(far_limit));
    rx = std::min(rx, (near.x1 - near.x0) / 2);
    ry = std::min(ry, (near.y1 - near.y0) / 2);
    if (!(rx > 0) || !(ry > 0)) {
        if (fill)
            fill_rect(to_rect(near), color);
        else
            stroke_rect(to_rect(near), color, width);
        return;
    }
    // Step 2: the outline, corner by corner clockwise from the top right;
    // each quarter arc by its two ends, plus points along the part of it
    // that can be visible, spaced so the chords stray at most `flatness`.
    double step = 2 * std::sqrt(2 * flatness / std::max(rx, ry));
    struct Corner {
        Point centre;
        double start;
    };
    Corner corners[] = { { { near.x1 - rx, near.y0 + ry }, -pi / 2 }, { { near.x1 - rx, near.y1 - ry }, 0 },
        { { near.x0 + rx, near.y1 - ry }, pi / 2 }, { { near.x0 + rx, near.y0 + ry }, pi } };
    std::vector<Point> outline;
    auto at = [&](Corner const& corner, double angle) {
        return Point { corner.centre.x + rx * std::cos(angle), corner.centre.y + ry * std::sin(angle) };
    };
    for (Corner const& corner : corners) {
        outline.push_back(at(corner, corner.start));
        if (auto range = arc_range_in(corner.centre, rx, ry, corner.start, zone)) {
            auto count = static_cast<std::size_t>(
                std::clamp(std::ceil((range->second - range->first) / step), 1.0, double(max_points_per_corner)));
            for (std::size_t i = 0; i <= count; ++i)
                outline.push_back(at(corner, range->first + (range->second - range->first) * double(i) / double(count)));
        }
        outline.push_back(at(corner, corner.start + pi / 2));
    }
    // Step 3: cut to the zone; for a stroke the cut edges lie out of sight
    // by more than half the stroke.
    std::vector<Point> cut = clip_polygon(std::move(outline), zone);
    if (cut.size() < 3)
        return;
    std::vector<PointF> points = to_points(cut);
    if (fill)
        m_target.fill_polygon(points, color);
    else
        m_target.stroke_polyline(points, PathShape::Closed, color, width);
}

void BoundedCanvas::draw_line(PointF from, PointF to, Color color, float width)
{
    if (!finite(from) || !finite(to) || !(width > 0))
        return;
    Box pass = visible().grown(pass_margin);
    if (inside(from, pass) && inside(to, pass) && width <= pass_margin) {
        m_target.draw_line(from, to, color, width);
        return;
    }
    width = std::min(width, pass_margin);
    auto part = clip_segment({ from.x, from.y }, { to.x, to.y }, visible().grown(width / 2.0 + 2));
    if (!part)
        return;
    m_target.draw_line({ static_cast<float>(part->first.x), static_cast<float>(part->first.y) },
        { static_cast<float>(part->second.x), static_cast<float>(part->second.y) }, color, width);
}

void BoundedCanvas::stroke_polyline(std::span<PointF const> points, PathShape shape, Color color, float width)
{
    if (points.size() < 2 || !(width > 0))
        return;
    Box pass = visible().grown(pass_margin);
    bool near = width <= pass_margin
        && std::all_of(points.begin(), points.end(), [&](PointF p) { return finite(p) && inside(p, pass); });
    if (near) {
        m_target.stroke_polyline(points, shape, color, width);
        return;
    }
    // Segment by segment: the joins of far-away segments do not show.
    for (std::size_t i = 0; i + 1 < points.size(); ++i)
        draw_line(points[i], points[i + 1], color, width);
    if (shape == PathShape::Closed && points.size() > 2)
        draw_line(points.back(), points.front(), color, width);
}

void BoundedCanvas::fill_polygon(std::span<PointF const> points, Color color)
{
    if (points.size() < 3 || !std::all_of(points.begin(), points.end(), finite))
        return;
    Box pass = visible().grown(pass_margin);
    if (std::all_of(points.begin(), points.end(), [&](PointF p) { return inside(p, pass); })) {
        m_target.fill_polygon(points, color);
        return;
    }
    std::vector<Point> polygon;
    for (PointF p : points)
        polygon.push_back({ p.x, p.y });
    std::vector<Point> cut = clip_polygon(std::move(polygon), visible().grown(2));
    if (cut.size() >= 3)
        m_target.fill_polygon(to_points(cut), color);
}

void BoundedCanvas::fill_gradient(RectF rect, float radius, LinearGradient const& gradient)
{
    auto box = edges(rect);
    if (!box || box->is_empty() || !overlaps(*box, visible()))
        return;
    Box pass = visible().grown(pass_margin);
    bool near_points = finite(gradient.start) && finite(gradient.end) && inside(gradient.start, pass)
        && inside(gradient.end, pass);
    double r = std::isnan(radius) ? 0.0 : std::clamp<double>(radius, 0, std::min(box->x1 - box->x0, box->y1 - box->y0) / 2);
    if (inside(*box, pass) && near_points && r <= pass_margin) {
        m_target.fill_gradient(rect, radius >= 0 && radius <= pass_margin ? radius : static_cast<float>(r), gradient);
        return;
    }
    // A corner too large to keep is drawn at the largest kept radius.
    r = std::min(r, arc_radius_limit);
    Box cut = intersection(*box, visible().grown(2 * r + 2));
    // The gradient line is moved next to what is drawn, with the colours it
    // has there: along the line the colour depends only on the projection.
    LinearGradient near = gradient;
    double sx = gradient.start.x, sy = gradient.start.y;
    double dx = static_cast<double>(gradient.end.x) - sx, dy = static_cast<double>(gradient.end.y) - sy;
    double length2 = dx * dx + dy * dy;
    if (!(length2 > 0) || !std::isfinite(length2) || !finite(gradient.start)) {
        m_target.fill_rounded_rect(to_rect(cut), static_cast<float>(r), gradient.to);
        return;
    }
    auto along = [&](double x, double y) { return ((x - sx) * dx + (y - sy) * dy) / length2; };
    double low = 1, high = 0;
    for (Point corner : { Point { cut.x0, cut.y0 }, Point { cut.x1, cut.y0 }, Point { cut.x0, cut.y1 },
             Point { cut.x1, cut.y1 } }) {
        double t = std::clamp(along(corner.x, corner.y), 0.0, 1.0);
        low = std::min(low, t);
        high = std::max(high, t);
    }
    auto mix = [&](double t) {
        auto f = static_cast<float>(t);
        Color a = gradient.from, b = gradient.to;
        return Color { a.r + (b.r - a.r) * f, a.g + (b.g - a.g) * f, a.b + (b.b - a.b) * f, a.a + (b.a - a.a) * f };
    };
    Point centre { (cut.x0 + cut.x1) / 2, (cut.y0 + cut.y1) / 2 };
    double t_centre = along(centre.x, centre.y);
    near.from = mix(low);
    near.to = mix(high);
    near.start = { static_cast<float>(centre.x + (low - t_centre) * dx), static_cast<float>(centre.y + (low - t_centre) * dy) };
    near.end = { static_cast<float>(centre.x + (high - t_centre) * dx), static_cast<float>(centre.y + (high - t_centre) * dy) };
    if (!(high > low) || !finite(near.start) || !finite(near.end)) {
        m_target.fill_rounded_rect(to_rect(cut), static_cast<float>(r), near.from);
        return;
    }
    m_target.fill_gradient(to_rect(cut), static_cast<float>(r), near);
}

void BoundedCanvas::push_clip(RectF rect)
{
    auto box = edges(rect);
    Box clip = box ? intersection(visible(), *box) : Box { visible().x0, visible().y0, visible().x0, visible().y0 };
    // A clip that shows nothing collapses to a point of the visible area: a
    // box far outside it would hand the backend its far coordinates.
    if (clip.is_empty())
        clip = { visible().x0, visible().y0, visible().x0, visible().y0 };
    m_visible.push_back(clip);
    m_target.push_clip(box && inside(*box, visible().grown(pass_margin)) ? rect : to_rect(clip));
}

void BoundedCanvas::pop_clip()
{
    if (m_visible.size() > 1)
        m_visible.pop_back();
    m_target.pop_clip();
}

void BoundedCanvas::draw_text(TextLayout const& layout, PointF origin, Color color)
{
    if (!finite(origin) || visible().is_empty())
        return;
    // Wherever the alignment puts the text in its box, it lies within the
    // box widened by the text's own size.
    TextSize size = layout.size();
    TextSize box = layout.box();
    Box reach { origin.x - static_cast<double>(size.width), origin.y - static_cast<double>(size.height),
        origin.x + static_cast<double>(box.width) + size.width, origin.y + static_cast<double>(box.height) + size.height };
    if (std::isnan(reach.x0) || std::isnan(reach.y0) || std::isnan(reach.x1) || std::isnan(reach.y1)
        || !overlaps(reach, visible()))
        return;
    m_target.draw_text(layout, origin, color);
}

void BoundedCanvas::draw_bitmap(Bitmap const& bitmap, RectF destination)
{
    auto box = edges(destination);
    if (bitmap.is_empty() || !box || box->is_empty() || !overlaps(*box, visible())
        || bitmap.pixels.size() < static_cast<std::size_t>(bitmap.width) * static_cast<std::size_t>(bitmap.height) * 4)
        return;
    if (inside(*box, visible().grown(pass_margin))) {
        m_target.draw_bitmap(bitmap, destination);
        return;
    }
    // Only the source pixels that land in sight (and one more around them,
    // for the filter) are drawn.
    Box seen = intersection(*box, visible().grown(2));
    double scale_x = (box->x1 - box->x0) / bitmap.width, scale_y = (box->y1 - box->y0) / bitmap.height;
    auto pixel = [](double at, double scale, std::int32_t count, bool up) {
        double value = up ? std::ceil(at / scale) + 1 : std::floor(at / scale) - 1;
        return static_cast<std::int32_t>(std::clamp(value, 0.0, static_cast<double>(count)));
    };
    std::int32_t u0 = pixel(seen.x0 - box->x0, scale_x, bitmap.width, false);
    std::int32_t u1 = pixel(seen.x1 - box->x0, scale_x, bitmap.width, true);
    std::int32_t v0 = pixel(seen.y0 - box->y0, scale_y, bitmap.height, false);
    std::int32_t v1 = pixel(seen.y1 - box->y0, scale_y, bitmap.height, true);
    if (u1 <= u0 || v1 <= v0)
        return;
    Bitmap part { u1 - u0, v1 - v0, {} };
    part.pixels.reserve(static_cast<std::size_t>(part.width) * static_cast<std::size_t>(part.height) * 4);
    for (std::int32_t row = v0; row < v1; ++row) {
        auto begin = bitmap.pixels.begin() + (static_cast<std::ptrdiff_t>(row) * bitmap.width + u0) * 4;
        part.pixels.insert(part.pixels.end(), begin, begin + static_cast<std::ptrdiff_t>(part.width) * 4);
    }
    Box placed { box->x0 + u0 * scale_x, box->y0 + v0 * scale_y, box->x0 + u1 * scale_x, box->y0 + v1 * scale_y };
    // Source pixels larger than the screen still reach far past it.
    placed = intersection(placed, visible().grown(pass_margin));
    m_target.draw_bitmap(part, to_rect(placed));
}

}
