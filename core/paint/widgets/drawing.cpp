// Painter of the drawing canvas: its background and its shapes in list
// order, offset by the view.
#include "core/paint/detail/node_paint.hpp"

#include <numbers>

namespace orvy::detail {

namespace {

constexpr float degrees = std::numbers::pi_v<float> / 180;

// Arc points around the centre; angles grow clockwise on screen.
void arc_points(std::vector<PointF>& points, PointF centre, float radius, float start, float sweep)
{
    float magnitude = std::fabs(sweep);
    int n = std::isnan(magnitude) ? 2 : static_cast<int>(std::clamp(std::ceil(magnitude / 4), 2.0f, 180.0f));
    for (int i = 0; i <= n; ++i) {
        float angle = (start + static_cast<float>(i) * sweep / static_cast<float>(n)) * degrees;
        points.push_back({ centre.x + radius * std::cos(angle), centre.y + radius * std::sin(angle) });
    }
}

void paint_shape(NodePaint const& p, Shape const& shape, PointF o, std::vector<PointF>& points)
{
    Color color = Color::from_rgba8(shape.rgba);
    float const* s = shape.p;
    switch (shape.kind) {
    case ShapeKind::Rect: {
        RectF box { o.x + s[0], o.y + s[1], s[2], s[3] };
        if (s[5] > 0)
            p.canvas.stroke_rect(box, color, s[5]);
        else
            p.canvas.fill_rounded_rect(box, s[4], color);
        break;
    }
    case ShapeKind::Circle: {
        RectF box { o.x + s[0] - s[2], o.y + s[1] - s[2], 2 * s[2], 2 * s[2] };
        if (s[3] > 0)
            p.canvas.stroke_ellipse(box, color, std::max(s[3], 0.1f));
        else
            p.canvas.fill_ellipse(box, color);
        break;
    }
    case ShapeKind::Line:
        p.canvas.draw_line({ o.x + s[0], o.y + s[1] }, { o.x + s[2], o.y + s[3] }, color, std::max(s[4], 1.0f));
        break;
    case ShapeKind::Label:
        p.text(shape.text, p.formats.body, { o.x + s[0], o.y + s[1], std::max(s[2], 1.0f), std::max(s[3], 1.0f) },
            color);
        break;
    case ShapeKind::Arrow: {
        float head = s[5] > 0 ? s[5] : 12;
        PointF from { o.x + s[0], o.y + s[1] }, tip { o.x + s[2], o.y + s[3] };
        float length = std::max(std::hypot(tip.x - from.x, tip.y - from.y), 0.001f);
        PointF d { (tip.x - from.x) / length, (tip.y - from.y) / length };
        PointF base { tip.x - head * d.x, tip.y - head * d.y };
        p.canvas.draw_line(from, base, color, std::max(s[4], 1.0f));
        PointF triangle[3] = { tip, { base.x - d.y * head / 2, base.y + d.x * head / 2 },
            { base.x + d.y * head / 2, base.y - d.x * head / 2 } };
        p.canvas.fill_polygon(triangle, color);
        break;
    }
    case ShapeKind::Arc:
        points.clear();
        arc_points(points, { o.x + s[0], o.y + s[1] }, s[2], s[3], s[4]);
        p.canvas.stroke_polyline(points, PathShape::Open, color, std::max(s[5], 1.0f));
        break;
    case ShapeKind::Sector:
        points.clear();
        points.push_back({ o.x + s[0], o.y + s[1] });
        arc_points(points, { o.x + s[0], o.y + s[1] }, s[2], s[3], s[4]);
        p.canvas.fill_polygon(points, color);
        break;
    case ShapeKind::Poly: {
        points.clear();
        for (std::size_t i = 0; i + 1 < shape.points.size(); i += 2)
            points.push_back({ o.x + shape.points[i], o.y + shape.points[i + 1] });
        if (s[0] > 0)
            p.canvas.stroke_polyline(points, PathShape::Closed, color, std::max(s[0], 0.1f));
        else
            p.canvas.fill_polygon(points, color);
        break;
    }
    }
}

}

void paint_canvas(NodePaint const& p)
{
    auto const* model = p.node.model.as<CanvasModel>();
    if (!model)
        return;
    p.fill(p.r, p.radius_or(8), p.background_or(p.palette().surface()));
    p.canvas.push_clip(p.r);
    PointF origin { p.r.x - model->view_x, p.r.y - model->view_y };
    // Scratch for arcs and polygons, kept between frames.
    thread_local std::vector<PointF> points;
    for (Shape const& shape : model->shapes)
        paint_shape(p, shape, origin, points);
    p.canvas.pop_clip();
}

}
