// Paragraph-by-paragraph layout of multi-line texts.
#include "core/text/paragraph_layout.hpp"

#include "core/models/text_field.hpp"

#include <algorithm>

namespace orvy {

ParagraphLayout::ParagraphLayout(TextEngine& engine, TextFormat const& format, float wrap, TextBuffer const& text,
    bool masked, ParagraphIndex& index)
    : m_engine(engine)
    , m_format(format)
    , m_wrap(std::max(wrap, 1.0f))
    , m_text(text)
    , m_masked(masked)
    , m_index(index)
{
    if (auto empty = m_engine.layout(u" ", m_format, m_wrap, TextEngine::measure_box))
        m_line_height = std::max(empty->size().height, 1.0f);
    // Heights measured with another format or width no longer hold.
    m_index.measure_with(format.serial(), m_wrap, m_line_height);
}

std::u16string_view ParagraphLayout::paragraph_text(std::size_t paragraph) const
{
    std::size_t start = std::min(m_index.start_of(paragraph), m_text.size());
    std::size_t end = std::min(m_index.end_of(paragraph), m_text.size());
    return m_masked ? bullets(end - start) : m_text.view(start, end - start);
}

std::shared_ptr<TextLayout const> ParagraphLayout::lay_out(std::size_t paragraph)
{
    std::u16string_view text = paragraph_text(paragraph);
    // An empty paragraph is one empty line.
    auto layout = m_engine.layout(text.empty() ? std::u16string_view(u" ") : text, m_format, m_wrap,
        TextEngine::measure_box);
    if (layout)
        m_index.set_height(paragraph, std::max(layout->size().height, 1.0f));
    return layout;
}

CaretLine ParagraphLayout::caret(std::size_t position)
{
    position = std::min(position, m_text.size());
    std::size_t paragraph = m_index.paragraph_of(position);
    auto layout = lay_out(paragraph);
    float top = m_index.top_of(paragraph);
    if (!layout || paragraph_text(paragraph).empty())
        return { 0, top, m_line_height };
    CaretLine line = layout->caret_at(static_cast<std::uint32_t>(position - m_index.start_of(paragraph)));
    return { line.x, top + line.y, line.height };
}

std::size_t ParagraphLayout::position_at(PointF point)
{
    float y = std::max(point.y, 0.0f);
    std::size_t paragraph = m_index.paragraph_at(y);
    float top = m_index.top_of(paragraph);
    auto layout = lay_out(paragraph);
    std::size_t start = m_index.start_of(paragraph);
    std::size_t length = paragraph_text(paragraph).size();
    if (!layout || length == 0)
        return std::min(start, m_text.size());
    PointF local { std::max(point.x, 0.0f), std::max(y - top, 0.0f) };
    return start + std::min<std::size_t>(layout->position_at(local), length);
}

}
