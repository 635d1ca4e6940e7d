// Painter of text fields: the single-line box with its horizontal scroll and
// the multi-line box, which wraps its text and scrolls vertically.
#include "core/paint/detail/node_paint.hpp"
#include "core/models/text_field.hpp"
#include "core/text/paragraph_layout.hpp"

namespace orvy::detail {

namespace {

struct Selection {
    std::uint32_t start = 0;
    std::uint32_t end = 0;
};

// The selection in the shown text: the composition, when there is one,
// replaces the selection display.
Selection selection_of(TextboxModel const& model, EditedText const& shown)
{
    if (shown.preedit_end > shown.preedit_start)
        return {};
    auto length = shown.text.size();
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
    EditedText shown = edited_text(model, p.masked);
    p.canvas.push_clip({ p.r.x + 4, p.r.y, non_negative(p.r.w - 8), p.r.h });
    float origin = p.r.x + 12 - model.scroll_x;
    Selection selection = selection_of(model, shown);
    if (selection.end > selection.start && engine && format) {
        float from = engine->caret_x(shown.text, *format, selection.start);
        float to = engine->caret_x(shown.text, *format, selection.end);
        p.canvas.fill_rect({ origin + from, p.r.y + 8, non_negative(to - from), non_negative(p.r.h - 16) },
            p.palette().selection());
    }
    Color color = p.text_or(p.palette().text());
    p.text(shown.text, format, { origin, p.r.y, TextEngine::measure_box, p.r.h }, color);
    underline_preedit(p, shown, { origin, p.r.y + p.r.h - 10 }, color);
    if (p.is_focus()) {
        float x = caret_x_of(engine, shown.text, format, shown.caret);
        p.canvas.fill_rect({ origin + x, p.r.y + 10, 2, std::max(p.r.h - 20, 2.0f) }, p.palette().accent());
    }
    p.canvas.pop_clip();
}

// The multi-line box lays its text out in the paragraph format, wrapped to
// the field less 10 px on each side, from 6 px below the top (where its hint
// text sits), scrolled by its vertical offset. Only the paragraphs in view
// are laid out and drawn.
void multi_line(NodePaint const& p, TextboxModel const& model)
{
    TextEngine* engine = p.context.text;
    TextFormat const* format = p.formats.paragraph;
    if (!engine || !format)
        return;
    ParagraphIndex& index = paragraph_index(model);
    float wrap = std::max(non_negative(p.r.w - 20), 1.0f);
    ParagraphLayout text(*engine, *format, wrap, model.text, p.masked, index);
    std::size_t size = model.text.size();
    RectF inner { p.r.x + 4, p.r.y + 4, non_negative(p.r.w - 8), non_negative(p.r.h - 8) };
    PointF origin { p.r.x + 10, p.r.y + 6 - model.scroll_y };
    auto caret = std::min(model.caret, size);
    std::size_t caret_paragraph = index.paragraph_of(caret);
    auto anchor = std::min(model.anchor, size);
    std::size_t from = std::min(caret, anchor), to = std::max(caret, anchor);
    if (!model.preedit.empty())
        from = to = caret;
    Color color = p.text_or(p.palette().text());
    p.canvas.push_clip(inner);
    text.visit(inner.y - origin.y, inner.bottom() - origin.y, [&](ParagraphLayout::Piece const& piece) {
        PointF at { origin.x, origin.y + piece.top };
        std::size_t length = text.paragraph_text(piece.paragraph).size();
        std::shared_ptr<TextLayout const> layout = piece.layout;
        std::size_t caret_in_layout = caret - piece.start;
        if (piece.paragraph == caret_paragraph && !model.preedit.empty()) {
            // The composition shows inside the caret's paragraph, underlined.
            thread_local std::u16string composed;
            std::u16string_view own = text.paragraph_text(piece.paragraph);
            composed.assign(own.substr(0, caret_in_layout));
            if (p.masked)
                composed.append(model.preedit.size(), u'\u2022');
            else
                composed += model.preedit;
            composed += own.substr(caret_in_layout);
            layout = engine->layout(composed, *format, wrap, TextEngine::measure_box);
            if (!layout)
                return;
            auto start = static_cast<std::uint32_t>(caret_in_layout);
            auto end = static_cast<std::uint32_t>(caret_in_layout + model.preedit.size());
            for (RectF piece_rect : layout->range_rects(start, end))
                p.canvas.fill_rect({ at.x + piece_rect.x, at.y + piece_rect.y + piece_rect.h - 2, piece_rect.w, 1.5f },
                    color);
            caret_in_layout += model.preedit.size();
        } else if (to > from && from <= piece.start + length && to > piece.start) {
            auto start = static_cast<std::uint32_t>(std::max(from, piece.start) - piece.start);
            auto end = static_cast<std::uint32_t>(std::min(to, piece.start + length) - piece.start);
            for (RectF piece_rect : layout->range_rects(start, end))
                p.canvas.fill_rect(
                    { at.x + piece_rect.x, at.y + piece_rect.y, piece_rect.w, piece_rect.h }, p.palette().selection());
        }
        if (length > 0 || layout != piece.layout)
            p.canvas.draw_text(*layout, at, color);
        if (p.is_focus() && piece.paragraph == caret_paragraph) {
            CaretLine line = layout->caret_at(static_cast<std::uint32_t>(caret_in_layout));
            p.canvas.fill_rect({ at.x + line.x, at.y + line.y, 2, std::max(line.height, 2.0f) }, p.palette().accent());
        }
    });
    p.canvas.pop_clip();
    if (size > 0)
        paint_scroll_bar(p.canvas, p.r, text.height() + 12, p.r.h, model.scroll_y, p.palette().border(),
            p.palette().text());
}

}

EditedText edited_text(TextboxModel const& model, bool masked)
{
    std::size_t length = model.text.size() + model.preedit.size();
    auto caret = static_cast<std::uint32_t>(std::min(model.caret, model.text.size()));
    if (model.preedit.empty()) {
        std::u16string_view text = masked ? bullets(length) : model.text.view();
        return { text, caret, caret, caret };
    }
    auto end = static_cast<std::uint32_t>(caret + model.preedit.size());
    if (masked)
        return { bullets(length), end, caret, end };
    thread_local std::u16string composed;
    composed.assign(model.text.view(0, caret));
    composed += model.preedit;
    composed.append(model.text.view(caret, length));
    return { composed, end, caret, end };
}

float caret_x_of(TextEngine* engine, std::u16string_view text, TextFormat const* format, std::uint32_t position)
{
    return engine && format && !text.empty() ? engine->caret_x(text, *format, position) : 0.0f;
}

void underline_preedit(NodePaint const& p, EditedText const& shown, PointF origin, Color color)
{
    if (shown.preedit_end <= shown.preedit_start)
        return;
    float from = caret_x_of(p.context.text, shown.text, p.formats.body, shown.preedit_start);
    float to = caret_x_of(p.context.text, shown.text, p.formats.body, shown.preedit_end);
    p.canvas.fill_rect({ origin.x + from, origin.y, non_negative(to - from), 1.5f }, color);
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
