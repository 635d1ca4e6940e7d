// CairoCanvas: each Canvas call as a Cairo path and fill or stroke.
#include "platform/linux/cairo_canvas.hpp"

#include "core/image/image.hpp"
#include "platform/linux/pango_text_engine.hpp"

#include <algorithm>
#include <limits>
#include <memory>
#include <numbers>
#include <utility>

namespace orvy::linux_platform {

namespace {

bool has_area(RectF rect) { return rect.w > 0 && rect.h > 0; } // false for NaN too

// Rows a recorded call may touch (top, bottom), with two more each way for
// antialiasing, and `reach` more where a stroke or its joins stand out.
using Rows = std::pair<float, float>;
constexpr Rows all_rows { -std::numeric_limits<float>::infinity(), std::numeric_limits<float>::infinity() };
Rows rows_of(float top, float bottom, float reach = 0) { return { top - reach - 2, bottom + reach + 2 }; }
Rows rows_of(RectF rect, float reach = 0) { return rows_of(rect.y, rect.y + rect.h, reach); }
Rows rows_of(std::span<PointF const> points, float reach)
{
    if (points.empty())
        return all_rows;
    auto [low, high] = std::minmax_element(points.begin(), points.end(),
        [](PointF a, PointF b) { return a.y < b.y; });
    return rows_of(low->y, high->y, reach);
}

}

void CairoCanvas::begin(SurfaceSource source)
{
    end();
    m_recording = false;
    m_calls.clear();
    m_source = std::move(source);
    m_in_frame = true;
    m_untouched = true;
    m_waiting_clear.reset();
    m_flat_frame.reset();
}

void CairoCanvas::begin(cairo_surface_t* surface)
{
    begin([surface] { return surface; });
}

void CairoCanvas::begin_recording()
{
    begin(SurfaceSource {});
    m_recording = true;
}

void CairoCanvas::drop_recording()
{
    m_calls.clear();
    m_calls.shrink_to_fit();
}

void CairoCanvas::record_flat_frame()
{
    if (!m_flat_frame)
        return;
    Color color = *m_flat_frame;
    bool defers = std::exchange(m_defers_clear, false);
    begin_recording();
    clear(color);
    end();
    m_defers_clear = defers;
}

bool CairoCanvas::replay(cairo_surface_t* surface, int top)
{
    std::vector<Recorded> calls = std::move(m_calls);
    std::optional<Color> flat = m_flat_frame;
    // The surface's rows are the frame's from `top` on: a whole-pixel shift,
    // which moves every edge and glyph without changing how it is drawn.
    double offset_x = 0, offset_y = 0;
    cairo_surface_get_device_offset(surface, &offset_x, &offset_y);
    cairo_surface_set_device_offset(surface, offset_x, offset_y - top);
    bool defers = std::exchange(m_defers_clear, false);
    begin(surface);
    // Calls that cannot touch these rows are left out; NaN rows are kept.
    auto first = static_cast<float>(top), last = static_cast<float>(top + cairo_image_surface_get_height(surface));
    for (Recorded const& recorded : calls) {
        if (!(recorded.rows.second < first || recorded.rows.first > last))
            recorded.call(*this);
    }
    bool drawn = !m_cairo || cairo_status(m_cairo) == CAIRO_STATUS_SUCCESS;
    end();
    m_defers_clear = defers;
    cairo_surface_set_device_offset(surface, offset_x, offset_y);
    m_calls = std::move(calls);
    m_flat_frame = flat;
    return drawn;
}

bool CairoCanvas::recorded(Call call, std::pair<float, float> rows)
{
    if (!m_recording || !m_in_frame)
        return false;
    m_untouched = false;
    if (std::optional<Color> waiting = std::exchange(m_waiting_clear, std::nullopt))
        m_calls.push_back({ [color = *waiting](CairoCanvas& canvas) { canvas.clear(color); }, all_rows });
    m_calls.push_back({ std::move(call), rows });
    return true;
}

void CairoCanvas::end()
{
    if (!m_in_frame)
        return;
    m_in_frame = false;
    m_source = nullptr;
    m_flat_frame = std::exchange(m_waiting_clear, std::nullopt);
    if (!m_cairo)
        return;
    for (; m_clip_depth > 0; --m_clip_depth)
        cairo_restore(m_cairo);
    cairo_surface_flush(cairo_get_target(m_cairo));
    cairo_destroy(m_cairo);
    m_cairo = nullptr;
}

bool CairoCanvas::drawing()
{
    if (!m_in_frame)
        return false;
    m_untouched = false;
    if (!m_cairo) {
        cairo_surface_t* surface = m_source ? std::exchange(m_source, nullptr)() : nullptr;
        if (!surface) {
            m_waiting_clear.reset(); // more than the clear was to be drawn
            return false;
        }
        m_cairo = cairo_create(surface);
        // Even-odd filling, as polygons are filled on every platform.
        cairo_set_fill_rule(m_cairo, CAIRO_FILL_RULE_EVEN_ODD);
    }
    if (std::optional<Color> waiting = std::exchange(m_waiting_clear, std::nullopt))
        paint_color(*waiting);
    return true;
}

void CairoCanvas::fill_flat_frame(SurfaceSource source)
{
    if (!m_flat_frame)
        return;
    Color color = *m_flat_frame;
    bool defers = std::exchange(m_defers_clear, false);
    begin(std::move(source));
    clear(color);
    end();
    m_defers_clear = defers;
}

void CairoCanvas::set_color(Color color) { cairo_set_source_rgba(m_cairo, color.r, color.g, color.b, color.a); }

void CairoCanvas::rounded_path(RectF rect, float radius)
{
    double r = std::min<double>({ radius, rect.w / 2.0, rect.h / 2.0 });
    if (!(r > 0.0)) {
        cairo_rectangle(m_cairo, rect.x, rect.y, rect.w, rect.h);
        return;
    }
    constexpr double quarter = std::numbers::pi / 2;
    double left = rect.x, top = rect.y, right = rect.x + rect.w, bottom = rect.y + rect.h;
    cairo_new_sub_path(m_cairo);
    cairo_arc(m_cairo, right - r, top + r, r, -quarter, 0);
    cairo_arc(m_cairo, right - r, bottom - r, r, 0, quarter);
    cairo_arc(m_cairo, left + r, bottom - r, r, quarter, 2 * quarter);
    cairo_arc(m_cairo, left + r, top + r, r, 2 * quarter, 3 * quarter);
    cairo_close_path(m_cairo);
}

void CairoCanvas::stroke_with(Color color, float width)
{
    set_color(color);
    cairo_set_line_width(m_cairo, width);
    cairo_stroke(m_cairo);
}

void CairoCanvas::clear(Color color)
{
    if (m_in_frame && m_defers_clear && m_untouched) {
        m_waiting_clear = color;
        return;
    }
    if (recorded([color](CairoCanvas& canvas) { canvas.clear(color); }))
        return;
    if (!drawing())
        return;
    paint_color(color);
}

void CairoCanvas::paint_color(Color color)
{
    cairo_save(m_cairo);
    cairo_set_operator(m_cairo, CAIRO_OPERATOR_SOURCE);
    set_color(color);
    cairo_paint(m_cairo);
    cairo_restore(m_cairo);
}

void CairoCanvas::fill_rect(RectF rect, Color color) { fill_rounded_rect(rect, 0, color); }

void CairoCanvas::stroke_rect(RectF rect, Color color, float width) { stroke_rounded_rect(rect, 0, color, width); }

void CairoCanvas::fill_rounded_rect(RectF rect, float radius, Color color)
{
    if (recorded([=](CairoCanvas& canvas) { canvas.fill_rounded_rect(rect, radius, color); },
            rows_of(rect)))
        return;
    if (!drawing() || !has_area(rect))
        return;
    rounded_path(rect, radius);
    set_color(color);
    cairo_fill(m_cairo);
}

void CairoCanvas::stroke_rounded_rect(RectF rect, float radius, Color color, float width)
{
    if (recorded([=](CairoCanvas& canvas) { canvas.stroke_rounded_rect(rect, radius, color, width); },
            rows_of(rect, width)))
        return;
    if (!drawing() || !(rect.w >= 0 && rect.h >= 0) || !(width > 0))
        return;
    rounded_path(rect, radius);
    stroke_with(color, width);
}

void CairoCanvas::fill_ellipse(RectF rect, Color color)
{
    if (recorded([=](CairoCanvas& canvas) { canvas.fill_ellipse(rect, color); }, rows_of(rect)))
        return;
    if (!drawing() || !has_area(rect))
        return;
    cairo_save(m_cairo);
    cairo_translate(m_cairo, rect.x + rect.w / 2.0, rect.y + rect.h / 2.0);
    cairo_scale(m_cairo, rect.w / 2.0, rect.h / 2.0);
    cairo_arc(m_cairo, 0, 0, 1, 0, 2 * std::numbers::pi);
    cairo_restore(m_cairo);
    set_color(color);
    cairo_fill(m_cairo);
}

void CairoCanvas::stroke_ellipse(RectF rect, Color color, float width)
{
    if (recorded([=](CairoCanvas& canvas) { canvas.stroke_ellipse(rect, color, width); }, rows_of(rect, width)))
        return;
    if (!drawing() || !has_area(rect) || !(width > 0))
        return;
    // The path is built in the scaled space; the stroke happens after the
    // restore so that the pen stays round.
    cairo_save(m_cairo);
    cairo_translate(m_cairo, rect.x + rect.w / 2.0, rect.y + rect.h / 2.0);
    cairo_scale(m_cairo, rect.w / 2.0, rect.h / 2.0);
    cairo_arc(m_cairo, 0, 0, 1, 0, 2 * std::numbers::pi);
    cairo_restore(m_cairo);
    stroke_with(color, width);
}

void CairoCanvas::draw_line(PointF from, PointF to, Color color, float width)
{
    if (recorded([=](CairoCanvas& canvas) { canvas.draw_line(from, to, color, width); },
            rows_of(std::min(from.y, to.y), std::max(from.y, to.y), width)))
        return;
    if (!drawing() || !(width > 0))
        return;
    cairo_move_to(m_cairo, from.x, from.y);
    cairo_line_to(m_cairo, to.x, to.y);
    stroke_with(color, width);
}

void CairoCanvas::stroke_polyline(std::span<PointF const> points, PathShape shape, Color color, float width)
{
    if (recorded([kept = std::vector<PointF>(points.begin(), points.end()), shape, color, width](CairoCanvas& canvas) {
            canvas.stroke_polyline(kept, shape, color, width);
        }, rows_of(points, width * 5)))
        return;
    if (!drawing() || points.size() < 2 || !(width > 0))
        return;
    cairo_move_to(m_cairo, points[0].x, points[0].y);
    for (PointF point : points.subspan(1))
        cairo_line_to(m_cairo, point.x, point.y);
    if (shape == PathShape::Closed)
        cairo_close_path(m_cairo);
    stroke_with(color, width);
}

void CairoCanvas::fill_polygon(std::span<PointF const> points, Color color)
{
    if (recorded([kept = std::vector<PointF>(points.begin(), points.end()), color](CairoCanvas& canvas) {
            canvas.fill_polygon(kept, color);
        }, rows_of(points, 0)))
        return;
    if (!drawing() || points.size() < 3)
        return;
    cairo_move_to(m_cairo, points[0].x, points[0].y);
    for (PointF point : points.subspan(1))
        cairo_line_to(m_cairo, point.x, point.y);
    cairo_close_path(m_cairo);
    set_color(color);
    cairo_fill(m_cairo);
}

void CairoCanvas::fill_gradient(RectF rect, float radius, LinearGradient const& gradient)
{
    if (recorded([=](CairoCanvas& canvas) { canvas.fill_gradient(rect, radius, gradient); }, rows_of(rect)))
        return;
    if (!drawing() || !has_area(rect))
        return;
    cairo_pattern_t* pattern
        = cairo_pattern_create_linear(gradient.start.x, gradient.start.y, gradient.end.x, gradient.end.y);
    Color from = gradient.from, to = gradient.to;
    cairo_pattern_add_color_stop_rgba(pattern, 0, from.r, from.g, from.b, from.a);
    cairo_pattern_add_color_stop_rgba(pattern, 1, to.r, to.g, to.b, to.a);
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
    rounded_path(rect, radius);
    cairo_set_source(m_cairo, pattern);
    cairo_fill(m_cairo);
    cairo_pattern_destroy(pattern);
}

void CairoCanvas::push_clip(RectF rect)
{
    if (recorded([rect](CairoCanvas& canvas) { canvas.push_clip(rect); }))
        return;
    if (!drawing())
        return;
    cairo_save(m_cairo);
    ++m_clip_depth;
    // Aliased, so the clip edge falls on whole pixels and costs no mask.
    cairo_set_antialias(m_cairo, CAIRO_ANTIALIAS_NONE);
    cairo_rectangle(m_cairo, rect.x, rect.y, std::max(rect.w, 0.0f), std::max(rect.h, 0.0f));
    cairo_clip(m_cairo);
    cairo_set_antialias(m_cairo, CAIRO_ANTIALIAS_DEFAULT);
}

void CairoCanvas::pop_clip()
{
    if (recorded([](CairoCanvas& canvas) { canvas.pop_clip(); }))
        return;
    // A pop without a push would put the context into an error state that
    // silently drops the rest of the frame.
    if (!drawing() || m_clip_depth == 0)
        return;
    cairo_restore(m_cairo);
    --m_clip_depth;
}

void CairoCanvas::draw_text(TextLayout const& layout, PointF origin, Color color)
{
    auto const* pango = dynamic_cast<PangoTextLayout const*>(&layout);
    if (m_recording && m_in_frame) {
        // The layout may go from the engine's cache before the frame is played.
        // Wherever the alignment puts the text in its box, it lies within
        // the box widened by the text's own size.
        std::function<void(cairo_t*)> show = pango ? pango->drawing_at(origin) : nullptr;
        float height = layout.size().height;
        recorded([show = std::move(show), color](CairoCanvas& canvas) {
            if (!canvas.drawing() || !show)
                return;
            canvas.set_color(color);
            show(canvas.m_cairo);
        }, rows_of(origin.y - height, origin.y + layout.box().height + height));
        return;
    }
    if (!drawing())
        return;
    if (!pango)
        return;
    set_color(color);
    pango->draw(m_cairo, origin);
}

void CairoCanvas::draw_bitmap(Bitmap const& bitmap, RectF destination)
{
    // The bitmap may be a part cut for this call alone: the recording keeps a copy.
    if (m_recording && m_in_frame && !bitmap.is_empty() && has_area(destination)) {
        auto kept = std::make_shared<Bitmap const>(bitmap);
        recorded([kept, destination](CairoCanvas& canvas) { canvas.draw_bitmap(*kept, destination); },
            rows_of(destination));
        return;
    }
    if (recorded([](CairoCanvas& canvas) { canvas.drawing(); }))
        return;
    if (!drawing() || bitmap.is_empty() || !has_area(destination))
        return;
    int stride = bitmap.width * 4;
    if (cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, bitmap.width) != stride
        || bitmap.pixels.size() < static_cast<std::size_t>(stride) * static_cast<std::size_t>(bitmap.height))
        return;
    // Cairo only reads a source surface, whatever its signature says.
    cairo_surface_t* source = cairo_image_surface_create_for_data(const_cast<unsigned char*>(bitmap.pixels.data()),
        CAIRO_FORMAT_ARGB32, bitmap.width, bitmap.height, stride);
    cairo_pattern_t* pattern = cairo_pattern_create_for_surface(source);
    cairo_matrix_t matrix;
    cairo_matrix_init_scale(&matrix, bitmap.width / static_cast<double>(destination.w),
        bitmap.height / static_cast<double>(destination.h));
    cairo_matrix_translate(&matrix, -destination.x, -destination.y);
    cairo_pattern_set_matrix(pattern, &matrix);
    cairo_pattern_set_filter(pattern, CAIRO_FILTER_BILINEAR);
    // Padding keeps the edges opaque when scaling instead of fading them out.
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
    cairo_rectangle(m_cairo, destination.x, destination.y, destination.w, destination.h);
    cairo_set_source(m_cairo, pattern);
    cairo_fill(m_cairo);
    cairo_pattern_destroy(pattern);
    cairo_surface_destroy(source);
}

}
