// Painter of text fields: the single-line box with its horizontal scroll and
// the multi-line box, which wraps its text and scrolls vertically.
#include "core/paint/detail/node_paint.hpp"

namespace orvy::detail {

namespace {

// One "•" per UTF-16 unit; the buffer is reused so masking allocates only
// when a longer text than ever before shows up.
std::u16string_view mask_of(std::size_t length)
{
    thread_local std::u16string bullets;
    if (bullets.size() < length)
        bullets.assign(length, u'•');
    return std::u16string_view(bullets).substr(0, length);
}

struct Selection {
    std::uint32_t start = 0;
    std::uint32_t end = 0;
};

Selection selection_of(TextboxModel const& model, std::size_t length)
{
    auto caret = static_cast<std::uint32_t>(std::min(model.caret, length));
    auto anchor = static_cast<std::uint32_t>(std::min(model.anchor, length));
    return { std::min(caret, anchor), std::max(caret, anchor) };
}

// Frame of both text boxes: the outer ring (accent while focused) and the inner field.
void field(NodePaint const& p)
{
    Palette const& palette = p.palette();
    float r = p.radius_or(8);
    p.fill(p.r, r, p.is_focus() ? palette.accent() : palette.border());
    p.fill({ p.r.x + 2, p.r.y + 2, non_negative(p.r.w - 4), non_negative(p.r.h - 4) }, std::max(r - 2, 0.0f),
        p.background_or(palette.surface()));
}

void single_line(NodePaint const& p, TextboxModel const& model)
{
    TextEngine* engine = p.context.text;
    TextFormat const* format = p.formats.body;
    std::u16string_view shown = p.masked ? mask_of(model.text.size()) : std::u16string_view(model.text);
    p.canvas.push_clip({ p.r.x + 4, p.r.y, non_negative(p.r.w - 8), p.r.h });
    float origin = p.r.x + 12 - model.scroll_x;
    Selection selection = selection_of(model, shown.size());
    if (selection.end > selection.start && engine && format) {
        float from = engine->caret_x(shown, *format, selection.start);
        float to = engine->caret_x(shown, *format, selection.end);
        p.canvas.fill_rect({ origin + from, p.r.y + 8, non_negative(to - from), non_negative(p.r.h - 16) },
            p.palette().selection());
    }
    p.text(shown, format, { origin, p.r.y, TextEngine::measure_box, p.r.h }, p.text_or(p.palette().text()));
    if (p.is_focus()) {
        auto caret = static_cast<std::uint32_t>(std::min(model.caret, shown.size()));
        float x = engine && format && !shown.empty() ? engine->caret_x(shown, *format, caret) : 0.0f;
        p.canvas.fill_rect({ origin + x, p.r.y + 10, 2, std::max(p.r.h - 20, 2.0f) }, p.palette().accent());
    }
    p.canvas.pop_clip();
}

// The multi-line box lays its text out in the paragraph format, wrapped to
// the field less 10 px on each side, from 6 px below the top (where its hint
// text sits), scrolled by its vertical offset.
void multi_line(NodePaint const& p, TextboxModel const& model)
{
    TextEngine* engine = p.context.text;
    TextFormat const* format = p.formats.paragraph;
    std::u16string_view shown = p.masked ? mask_of(model.text.size()) : std::u16string_view(model.text);
    RectF inner { p.r.x + 4, p.r.y + 4, non_negative(p.r.w - 8), non_negative(p.r.h - 8) };
    float wrap = non_negative(p.r.w - 20);
    PointF origin { p.r.x + 10, p.r.y + 6 - model.scroll_y };
    p.canvas.push_clip(inner);
    Selection selection = selection_of(model, shown.size());
    if (selection.end > selection.start && engine && format) {
        for (RectF piece : engine->selection_rects(shown, *format, wrap, selection.start, selection.end))
            p.canvas.fill_rect({ origin.x + piece.x, origin.y + piece.y, piece.w, piece.h }, p.palette().selection());
    }
    p.text(shown, format, { origin.x, origin.y, std::max(wrap, 1.0f), 100000.0f }, p.text_or(p.palette().text()));
    if (p.is_focus() && engine && format) {
        auto caret = static_cast<std::uint32_t>(std::min(model.caret, shown.size()));
        CaretLine line = shown.empty() ? CaretLine { 0, 0, format->key().size * 1.25f }
                                       : engine->caret_line(shown, *format, wrap, caret);
        p.canvas.fill_rect({ origin.x + line.x, origin.y + line.y, 2, std::max(line.height, 2.0f) },
            p.palette().accent());
    }
    p.canvas.pop_clip();
    if (engine && format && !shown.empty()) {
        if (auto layout = engine->layout(shown, *format, std::max(wrap, 1.0f), 100000.0f))
            paint_scroll_bar(p.canvas, p.r, layout->size().height + 12, p.r.h, model.scroll_y, p.palette().border(),
                p.palette().text());
    }
}

}

void paint_textbox(NodePaint const& p)
{
    auto const* model = p.node.model.as<TextboxModel>();
    if (!model)
        return;
    field(p);
    if (p.node.multiline)
        multi_line(p, *model);
    else
        single_line(p, *model);
}

}
