// Painters of the value displays and pickers: gauge, dial, meter, spinner,
// rating, chart, pager, breadcrumbs, time and colour picker.
#include "core/operations/operations.hpp"
#include "core/paint/detail/node_paint.hpp"

#include <numbers>

namespace orvy::detail {

namespace {

constexpr float pi = std::numbers::pi_v<float>;

struct Span {
    std::size_t first = 0;
    std::size_t last = 0; // one past
};

// The cells i of a row of `count` cells, cell i starting at start + i·step,
// that can be seen in the viewport: huge counts cost only what shows.
Span visible_cells(PaintContext const& context, float start, float step, float cell, std::size_t count)
{
    if (!(step > 0))
        return { 0, std::min<std::size_t>(count, 1) };
    double low = (-48.0 - cell - start) / step;
    double high = (context.viewport_width + 48.0 - start) / step + 1;
    std::size_t first = clamp_index(std::floor(low), count);
    std::size_t last = clamp_index(std::ceil(high), count);
    return { first, std::max(first, last) };
}

struct Ring {
    PointF centre;
    float side = 0;
    float radius = 0;
};

Ring ring_of(RectF r)
{
    float side = std::isnan(std::min(r.w, r.h)) ? r.w : std::min(r.w, r.h);
    return { { r.x + r.w / 2, r.y + r.h / 2 }, side, side / 2 - 8 };
}

// Dots around three quarters of a turn from straight up, clockwise.
void ring_dots(NodePaint const& p, Ring ring, std::size_t count, float dot, std::size_t lit)
{
    Color on = p.background_or(p.palette().accent());
    Color off = p.palette().border();
    for (std::size_t i = 0; i < count; ++i) {
        float angle = static_cast<float>(i) / static_cast<float>(count - 1) * 1.5f * pi + 1.5f * pi;
        PointF c { ring.centre.x + ring.radius * std::cos(angle), ring.centre.y + ring.radius * std::sin(angle) };
        p.fill({ c.x - dot / 2, c.y - dot / 2, dot, dot }, dot / 2, i < lit ? on : off);
    }
}

std::size_t lit_count(float v, std::size_t count) { return static_cast<std::size_t>(unit(v) * static_cast<float>(count)); }

Color hsv(float hue, float saturation, float value) { return Color::from_rgb8(hsv_to_rgb(hue, saturation, value)); }

}

void paint_gauge(NodePaint const& p)
{
    auto const* model = p.node.model.as<ValueModel>();
    if (!model)
        return;
    Ring ring = ring_of(p.r);
    ring_dots(p, ring, 48, std::max(ring.side / 10, 4.0f), lit_count(model->value, 48));
    p.text(model->caption, p.formats.title, p.r, p.text_or(p.palette().text()));
}

void paint_dial(NodePaint const& p)
{
    auto const* model = p.node.model.as<ValueModel>();
    if (!model)
        return;
    Ring ring = ring_of(p.r);
    float dot = std::max(ring.side / 12, 3.0f);
    ring_dots(p, ring, 40, dot, lit_count(model->value, 40));
    float knob = std::max(ring.radius - 1.6f * dot, 6.0f);
    p.fill({ ring.centre.x - knob, ring.centre.y - knob, 2 * knob, 2 * knob }, knob, p.palette().surface());
    float angle = unit(model->value) * 1.5f * pi + 1.5f * pi;
    PointF c { ring.centre.x + (knob - 8) * std::cos(angle), ring.centre.y + (knob - 8) * std::sin(angle) };
    p.fill({ c.x - 4, c.y - 4, 8, 8 }, 4, p.background_or(p.palette().accent()));
    p.text(model->caption, p.formats.title, p.r, p.text_or(p.palette().text()));
}

void paint_meter(NodePaint const& p)
{
    auto const* model = p.node.model.as<ValueModel>();
    if (!model)
        return;
    std::size_t n = std::max<std::uint32_t>(model->segments, 1);
    float fn = static_cast<float>(n);
    float height = std::min(p.r.h, 24.0f);
    float top = p.r.y + (p.r.h - height) / 2;
    float width = std::max((p.r.w - 3 * (fn - 1)) / fn, 1.0f);
    auto lit = static_cast<std::size_t>(std::lround(unit(model->value) * fn));
    Color on = p.background_or(p.palette().accent());
    Span span = visible_cells(p.context, p.r.x, width + 3, width, n);
    for (std::size_t i = span.first; i < span.last; ++i)
        p.fill({ p.r.x + static_cast<float>(i) * (width + 3), top, width, height }, 3, i < lit ? on : p.palette().border());
}

void paint_spinner(NodePaint const& p)
{
    auto const* model = p.node.model.as<SpinnerModel>();
    if (!model)
        return;
    float side = std::min({ p.r.w, p.r.h, 48.0f });
    float dot = std::max(side / 10, 2.5f);
    float radius = side / 2 - 4;
    PointF centre { p.r.x + p.r.w / 2, p.r.y + p.r.h / 2 };
    Color color = p.background_or(p.palette().accent());
    for (int k = 0; k < 8; ++k) {
        float angle = 2 * pi * (model->phase + static_cast<float>(k) / 8);
        PointF c { centre.x + radius * std::cos(angle), centre.y + radius * std::sin(angle) };
        p.fill({ c.x - dot / 2, c.y - dot / 2, dot, dot }, dot / 2,
            with_alpha(color, color.a * (0.15f + 0.10625f * static_cast<float>(k))));
    }
}

void paint_rating(NodePaint const& p)
{
    auto const* model = p.node.model.as<RatingModel>();
    if (!model)
        return;
    std::size_t n = std::max<std::uint32_t>(model->maximum, 1);
    float cell = p.r.w / static_cast<float>(n);
    Color on = p.background_or(p.palette().accent());
    Span span = visible_cells(p.context, p.r.x, cell, cell, n);
    for (std::size_t i = span.first; i < span.last; ++i)
        p.text(u"★", p.formats.title, { p.r.x + static_cast<float>(i) * cell, p.r.y, cell, p.r.h },
            i < model->value ? on : p.palette().border());
}

void paint_chart(NodePaint const& p)
{
    auto const* model = p.node.model.as<ChartModel>();
    if (!model || model->data.empty())
        return;
    std::size_t n = model->data.size();
    float fn = static_cast<float>(n);
    p.fill({ p.r.x, p.r.bottom() - 2, p.r.w, 2 }, 1, p.palette().border());
    float largest = 0.0001f;
    for (float value : model->data) {
        if (value > largest)
            largest = value;
    }
    float width = std::max((p.r.w - 8 * (fn - 1)) / fn, 1.0f);
    float usable = non_negative(p.r.h - 6);
    Color color = p.background_or(p.palette().accent());
    Span span = visible_cells(p.context, p.r.x, width + 8, width, n);
    for (std::size_t i = span.first; i < span.last; ++i) {
        float value = model->data[i] > 0 ? model->data[i] : 0.0f;
        float height = std::max(value / largest * usable, 2.0f);
        p.fill({ p.r.x + static_cast<float>(i) * (width + 8), p.r.bottom() - 2 - height, width, height }, 4, color);
    }
}

void paint_pager(NodePaint const& p)
{
    auto const* model = p.node.model.as<PagerModel>();
    if (!model)
        return;
    Palette const& palette = p.palette();
    std::size_t cells = static_cast<std::size_t>(model->total) + 2;
    float height = non_negative(p.r.h - 4);
    Span span = visible_cells(p.context, p.r.x + 2, 40, 36, cells);
    for (std::size_t i = span.first; i < span.last; ++i) {
        RectF cell { p.r.x + 2 + 40 * static_cast<float>(i), p.r.y + 2, 36, height };
        // Numbers stay on one line: a wrapped "10" would read as two numbers.
        NumberText number = decimal(static_cast<std::int64_t>(i));
        std::u16string_view label = i == 0 ? u"◀" : i == cells - 1 ? u"▶" : number.view();
        bool current = i >= 1 && i <= model->total && i == static_cast<std::size_t>(model->page) + 1;
        if (current) {
            p.fill(cell, 6, p.background_or(palette.accent()));
            p.text(label, p.formats.heading, cell, palette.on_accent());
        } else {
            p.canvas.stroke_rect(cell, palette.border(), 1);
            p.text(label, p.formats.heading, cell, p.text_or(palette.text()));
        }
    }
}

void paint_crumbs(NodePaint const& p)
{
    auto const* model = p.node.model.as<ItemsModel>();
    if (!model)
        return;
    Palette const& palette = p.palette();
    float x = p.r.x + 10;
    for (std::size_t i = 0; i < model->items.size() && x < p.context.viewport_width + 48; ++i) {
        Text const& item = model->items[i];
        std::size_t bytes = 0;
        for (std::size_t k = 0; k < item.size(); ++k) {
            char16_t c = item[k];
            bool pair = c >= 0xD800 && c < 0xDC00 && k + 1 < item.size() && item[k + 1] >= 0xDC00 && item[k + 1] < 0xE000;
            bytes += c < 0x80 ? 1 : c < 0x800 ? 2 : pair ? 4 : 3;
            k += pair ? 1 : 0;
        }
        float width = 10 * static_cast<float>(bytes) + 12;
        bool last = i + 1 == model->items.size();
        p.text(item, p.formats.body, { x, p.r.y, width, p.r.h },
            last ? p.text_or(palette.text()) : p.background_or(palette.accent()));
        x += width;
        if (!last) {
            p.text(u"›", p.formats.title, { x, p.r.y, 22, p.r.h }, palette.border());
            x += 22;
        }
    }
}

void paint_time(NodePaint const& p)
{
    auto const* model = p.node.model.as<TimeModel>();
    if (!model)
        return;
    Palette const& palette = p.palette();
    p.fill(p.r, p.radius_or(8), p.background_or(palette.surface()));
    float half = p.r.w / 2;
    float band = std::max(0.28f * p.r.h, 16.0f);
    std::int64_t values[2] = { model->hour, model->minute };
    for (int column = 0; column < 2; ++column) {
        float x = p.r.x + half * static_cast<float>(column);
        p.text(u"▲", p.formats.title, { x, p.r.y, half, band }, palette.border());
        p.text(u"▼", p.formats.title, { x, p.r.bottom() - band, half, band }, palette.border());
        // Both columns show two digits, as clocks do: 09:05, not 9:5.
        p.text(two_digits(values[column]).view(), p.formats.title,
            { x, p.r.y + band, half, non_negative(p.r.h - 2 * band) }, p.text_or(palette.text()));
    }
}

void paint_color(NodePaint const& p)
{
    auto const* model = p.node.model.as<ColorModel>();
    if (!model)
        return;
    Palette const& palette = p.palette();
    p.fill(p.r, p.radius_or(8), p.background_or(palette.surface()));
    PointF o { p.r.x + 8, p.r.y + 8 };
    float fw = std::max(p.r.w - 70, 1.0f), fh = std::max(p.r.h - 42, 1.0f);
    for (int i = 0; i < 16; ++i) {
        for (int j = 0; j < 16; ++j) {
            RectF cell { o.x + static_cast<float>(i) * fw / 16, o.y + static_cast<float>(j) * fh / 16, fw / 16 + 1,
                fh / 16 + 1 };
            p.canvas.fill_rect(cell, hsv(model->hue, static_cast<float>(i) / 15, 1 - static_cast<float>(j) / 15));
        }
    }
    float sat = unit(model->saturation), val = unit(model->value);
    p.canvas.stroke_rect({ o.x + sat * fw - 5, o.y + (1 - val) * fh - 5, 10, 10 }, palette.on_accent(), 2);
    for (int k = 0; k < 48; ++k)
        p.canvas.fill_rect({ o.x + static_cast<float>(k) * fw / 48, o.y + fh + 8, fw / 48 + 1, 18 },
            hsv(static_cast<float>(k) / 47, 1, 1));
    p.fill({ o.x + unit(model->hue) * fw - 2, o.y + fh + 6, 4, 22 }, 2, palette.text());
    p.fill({ p.r.right() - 54, p.r.y + 8, 46, non_negative(p.r.h - 16) }, 6, hsv(model->hue, sat, val));
}

}
