// D2DCanvas: its texts, placed by where their glyphs put ink, then drawn as
// glyph runs or copied from the kept texts where they lie on one colour.
#include "platform/win32/d2d_canvas.hpp"

#include "platform/win32/dwrite_text_engine.hpp"

#include <algorithm>
#include <cmath>

namespace orvy::win32 {

namespace {

D2D1_COLOR_F to_d2d(Color color) { return { color.r, color.g, color.b, color.a }; }

bool on_whole_pixels(RectF rect)
{
    return rect.x == std::floor(rect.x) && rect.y == std::floor(rect.y) && rect.right() == std::floor(rect.right())
        && rect.bottom() == std::floor(rect.bottom());
}

// Where a layout's glyphs may put ink, placed at the origin. `reach`, what
// the frame's order and damage go by: its box with the overhangs DirectWrite
// reports, else its lines grown by a line height. `ink`, what a kept text's
// copy covers: the glyphs' own ink from the overhangs, a pixel wider each
// way for antialiasing and the baseline's snapping; empty when unknown.
// `pen`, where its lines start: its glyphs' origins lie right of it.
struct TextInk {
    RectF reach;
    RectF ink;
    float pen = 0;
};

TextInk text_ink(IDWriteTextLayout* layout, PointF origin)
{
    DWRITE_TEXT_METRICS metrics {};
    if (FAILED(layout->GetMetrics(&metrics)))
        return { { origin.x - 1e6f, origin.y - 1e6f, 2e6f, 2e6f }, {}, 0 };
    RectF lines { origin.x + metrics.left, origin.y + metrics.top, metrics.widthIncludingTrailingWhitespace,
        metrics.height };
    DWRITE_OVERHANG_METRICS overhang {};
    bool sane = metrics.layoutWidth < 1e6f && metrics.layoutHeight < 1e6f
        && SUCCEEDED(layout->GetOverhangMetrics(&overhang));
    float reach = metrics.lineCount > 0 ? metrics.height / static_cast<float>(metrics.lineCount) : metrics.height;
    float x0 = lines.x - reach, y0 = lines.y - reach, x1 = lines.right() + reach, y1 = lines.bottom() + reach;
    RectF ink;
    if (sane) {
        ink = { origin.x - overhang.left - 1, origin.y - overhang.top - 1,
            metrics.layoutWidth + overhang.left + overhang.right + 2,
            metrics.layoutHeight + overhang.top + overhang.bottom + 2 };
        // One pixel more for antialiasing and hinting.
        x0 = std::min(lines.x, origin.x - overhang.left) - 1;
        y0 = std::min(lines.y, origin.y - overhang.top) - 1;
        x1 = std::max(lines.right(), origin.x + metrics.layoutWidth + overhang.right) + 1;
        y1 = std::max(lines.bottom(), origin.y + metrics.layoutHeight + overhang.bottom) + 1;
    }
    return { { x0, y0, x1 - x0, y1 - y0 }, ink, lines.x };
}

}

void D2DCanvas::draw_text(TextLayout const& layout, PointF origin, Color color)
{
    auto const* written = dynamic_cast<DWriteTextLayout const*>(&layout);
    if (!m_context || !written || !written->layout())
        return;
    Signature key;
    for (char16_t unit : layout.text())
        key.add(std::uint64_t { unit });
    key.add(layout.format().serial()).add(layout.box().width).add(layout.box().height);
    TextInk ink = text_ink(written->layout(), origin);
    if (Drawing* drawing = place(ink.reach, BatchKind::Text, color))
        drawing->texts.push_back({ written->layout(), origin, key.value(), ink.ink, ink.pen });
}

void D2DCanvas::find_kept_texts(PixelBox damage)
{
    if (!m_keep_texts || !m_store_texture || !m_d3d)
        return;
    // Texts whole pixels apart are drawn alike only without scaling.
    D2D1_MATRIX_3X2_F transform {};
    m_context->GetTransform(&transform);
    float dpi_x = 0, dpi_y = 0;
    m_context->GetDpi(&dpi_x, &dpi_y);
    if (!(transform._11 == 1 && transform._12 == 0 && transform._21 == 0 && transform._22 == 1 && transform._31 == 0
            && transform._32 == 0 && dpi_x == 96.0f && dpi_y == 96.0f))
        return;
    m_text_cache.next_frame(m_store->GetPixelFormat());
    // The calls in order, each with what it leaves under the texts after it.
    std::vector<Paint> paints;
    paints.reserve(m_recorded.size());
    constexpr std::int32_t everywhere = 1 << 30;
    each_drawing(m_recorded, std::nullopt, [&](Call& call, std::optional<RectF> clip) {
        PixelBox touched = pixels_touched(call.bounds);
        Paint paint { clip ? touched.intersected(pixels_touched(*clip)) : touched, {}, call.color };
        Drawing& drawing = call.drawing;
        BatchShape const* shape = call.batch == BatchKind::Fill && drawing.shapes.size() == 1 ? &drawing.shapes[0] : nullptr;
        if (shape && (shape->kind == BatchShape::Kind::Rect || shape->kind == BatchShape::Kind::RoundedRect)) {
            paint.solid = pixels_inside(shape->rect);
            paint.shape = shape->rect;
            paint.radius = shape->kind == BatchShape::Kind::RoundedRect ? shape->radius : 0.0f;
        } else if (call.batch == BatchKind::Single && drawing.single.kind == Single::Kind::Clear)
            paint.solid = { -everywhere, -everywhere, everywhere, everywhere };
        // An aliased clip keeps at least the pixels wholly inside it.
        if (clip)
            paint.solid = paint.solid.intersected(pixels_inside(*clip));
        PlacedText* text = call.batch == BatchKind::Text && drawing.texts.size() == 1 ? &drawing.texts[0] : nullptr;
        // The pixels the text's copy sets: within those the frame orders it by.
        PixelBox inked = text && text->ink.w > 0 && text->ink.h > 0 ? pixels_touched(text->ink).intersected(touched)
                                                                     : PixelBox {};
        // A text cut by a clip's fractional edge is drawn, not copied; so is
        // one with glyphs left of the frame or above it, which the system
        // may place otherwise than the same glyphs inside.
        bool copied_whole = !clip || on_whole_pixels(*clip) || pixels_inside(*clip).contains(inked);
        bool inside = text && text->pen >= 1 && text->pen < 1e6f && text->ink.y >= 0 && text->origin.x >= 0
            && text->origin.x < 1e6f && text->origin.y >= 0 && text->origin.y < 1e6f;
        if (inside && !inked.is_empty() && paint.reach.intersects(damage) && copied_whole) {
            std::optional<Color> under = single_colour_under(paints, inked);
            float whole_x = std::floor(text->origin.x), whole_y = std::floor(text->origin.y);
            if (under) {
                auto x = static_cast<std::int32_t>(whole_x), y = static_cast<std::int32_t>(whole_y);
                // The glyphs' origins start a pixel left of the lines at most.
                auto pen = static_cast<std::int32_t>(std::floor(text->pen)) - 1;
                TextKey key { text->key, call.color, *under, text->origin.x - whole_x, text->origin.y - whole_y,
                    { inked.x0 - x, inked.y0 - y, inked.x1 - x, inked.y1 - y }, std::max(0, inked.x0 - pen) };
                text->kept = m_text_cache.find(key, text->layout.Get(), m_d3d.Get(), m_context);
                text->kept_at = inked;
            }
        }
        paints.push_back(paint);
    });
    TextCache::Drawn drawn = m_text_cache.draw_fresh(m_context, m_factory);
    m_calls.texts += drawn.texts;
    m_calls.glyph_runs += drawn.glyph_runs;
    m_calls.shape_draws += drawn.fills;
    if (drawn.texts > 0 || drawn.fills > 0)
        m_unflushed = true;
}

std::optional<PixelBox> D2DCanvas::copied_pixels(PixelBox at, ClipKey const& clip) const
{
    D2D1_SIZE_U size = m_store->GetPixelSize();
    PixelBox pixels = at.intersected({ 0, 0, static_cast<std::int32_t>(size.width), static_cast<std::int32_t>(size.height) });
    if (!clip.clipped)
        return pixels;
    // A clip on whole pixels keeps exactly those inside it; where a
    // fractional edge cuts the text, only drawing it gives its pixels.
    PixelBox inside = pixels_inside(clip.rect);
    if (on_whole_pixels(clip.rect))
        return pixels.intersected(inside);
    if (inside.contains(pixels))
        return pixels;
    return std::nullopt;
}

void D2DCanvas::draw_texts(std::vector<PlacedText> const& texts, Color color, ClipKey const& clip)
{
    // Texts of one batch never overlap: copies and glyph runs may come in any order.
    struct Copy {
        ID3D11Texture2D* page;
        PixelBox from;
        PixelBox to;
    };
    std::vector<Copy> copies;
    // The runs are placed as the context will draw them.
    D2D1_MATRIX_3X2_F transform {};
    m_context->GetTransform(&transform);
    float dpi_x = 96.0f, dpi_y = 96.0f;
    m_context->GetDpi(&dpi_x, &dpi_y);
    DWRITE_MATRIX placing { transform._11, transform._12, transform._21, transform._22, transform._31, transform._32 };
    for (PlacedText const& text : texts) {
        ID3D11Texture2D* page = text.kept ? m_text_cache.texture(text.kept->page) : nullptr;
        std::optional<PixelBox> to = page ? copied_pixels(text.kept_at, clip) : std::nullopt;
        if (to) {
            if (!to->is_empty()) {
                PixelBox const& slot = text.kept->box;
                copies.push_back({ page,
                    { slot.x0 + to->x0 - text.kept_at.x0, slot.y0 + to->y0 - text.kept_at.y0,
                        slot.x0 + to->x1 - text.kept_at.x0, slot.y0 + to->y1 - text.kept_at.y0 },
                    *to });
            }
            continue;
        }
        if (m_glyphs.add(text.layout.Get(), text.origin, placing, dpi_y / 96.0f))
            ++m_calls.texts;
    }
    if (!m_glyphs.is_empty()) {
        // Text draws even when the frame brush failed: it gets its own then.
        ComPtr<ID2D1SolidColorBrush> own;
        ID2D1SolidColorBrush* b = brush(color);
        if (!b && SUCCEEDED(m_context->CreateSolidColorBrush(to_d2d(color), &own)))
            b = own.Get();
        if (b) {
            m_calls.glyph_runs += m_glyphs.draw(m_context, b);
            m_unflushed = true;
        }
        m_glyphs.clear();
    }
    if (copies.empty())
        return;
    // Direct3D sees the Direct2D drawing of the frame so far only once flushed.
    if (std::exchange(m_unflushed, false))
        m_context->Flush();
    for (Copy const& copy : copies) {
        D3D11_BOX from { static_cast<UINT>(copy.from.x0), static_cast<UINT>(copy.from.y0), 0,
            static_cast<UINT>(copy.from.x1), static_cast<UINT>(copy.from.y1), 1 };
        m_d3d->CopySubresourceRegion(m_store_texture.Get(), 0, static_cast<UINT>(copy.to.x0),
            static_cast<UINT>(copy.to.y0), 0, copy.page, 0, &from);
        ++m_calls.kept_texts;
    }
}

}
