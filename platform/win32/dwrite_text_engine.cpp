// DirectWrite formats in the four alignments core asks for, layouts and
// their hit tests in UTF-16 positions.
#include "platform/win32/dwrite_text_engine.hpp"

#include <algorithm>
#include <cmath>

namespace orvy::win32 {

DWriteTextFormat::DWriteTextFormat(TextFormatKey const& key, std::string const& family_name,
    ComPtr<IDWriteTextFormat> format)
    : TextFormat(key, family_name)
    , m_format(std::move(format))
{
}

DWriteTextLayout::DWriteTextLayout(std::u16string_view text, std::shared_ptr<TextFormat const> format, TextSize box,
    ComPtr<IDWriteTextLayout> layout)
    : TextLayout(std::u16string(text), std::move(format), box)
    , m_layout(std::move(layout))
{
    DWRITE_TEXT_METRICS metrics {};
    if (SUCCEEDED(m_layout->GetMetrics(&metrics)))
        m_size = { metrics.widthIncludingTrailingWhitespace, metrics.height };
}

TextSize DWriteTextLayout::size() const { return m_size; }

std::vector<DWriteTextLayout::Line> const& DWriteTextLayout::lines() const
{
    if (!m_lines.empty())
        return m_lines;
    UINT32 line_count = 0, cluster_count = 0;
    m_layout->GetLineMetrics(nullptr, 0, &line_count);
    m_layout->GetClusterMetrics(nullptr, 0, &cluster_count);
    std::vector<DWRITE_LINE_METRICS> line_metrics(line_count);
    std::vector<DWRITE_CLUSTER_METRICS> clusters(cluster_count);
    if (line_count == 0 || FAILED(m_layout->GetLineMetrics(line_metrics.data(), line_count, &line_count))
        || (cluster_count && FAILED(m_layout->GetClusterMetrics(clusters.data(), cluster_count, &cluster_count)))) {
        m_lines.push_back({ .height = TextEngine::default_line_height, .edges = { 0 } });
        return m_lines;
    }
    std::uint32_t position = 0;
    std::size_t cluster = 0;
    float top = 0;
    float total_height = 0;
    for (DWRITE_LINE_METRICS const& metrics : line_metrics)
        total_height += metrics.height;
    TextFormatKey const& key = format().key();
    if (key.paragraph == ParagraphAlign::Center)
        top = (box().height - total_height) / 2;
    else if (key.paragraph == ParagraphAlign::Far)
        top = box().height - total_height;
    for (DWRITE_LINE_METRICS const& metrics : line_metrics) {
        Line line { .start = position, .length = metrics.length - metrics.newlineLength, .top = top,
            .height = metrics.height };
        float x = 0, visible = 0, before_break = 0;
        std::uint32_t line_end = position + metrics.length;
        while (cluster < clusters.size() && position < line_end) {
            DWRITE_CLUSTER_METRICS const& piece = clusters[cluster++];
            // Every unit of a cluster (a surrogate pair, a ligature) starts where it starts.
            for (std::uint32_t unit = 0; unit < piece.length && line.edges.size() < line.length; ++unit)
                line.edges.push_back(x);
            x += piece.width;
            if (!piece.isNewline)
                before_break = x;
            if (!piece.isWhitespace && !piece.isNewline)
                visible = x;
            position += piece.length;
        }
        line.edges.resize(line.length, before_break);
        line.edges.push_back(before_break);
        if (key.align == TextAlign::Center)
            line.left = (box().width - visible) / 2;
        else if (key.align == TextAlign::Trailing)
            line.left = box().width - visible;
        position = line_end;
        top += metrics.height;
        m_lines.push_back(std::move(line));
    }
    return m_lines;
}

DWriteTextLayout::Line const& DWriteTextLayout::line_of(std::uint32_t position) const
{
    std::vector<Line> const& all = lines();
    for (Line const& line : all) {
        if (position <= line.start + line.length)
            return line;
    }
    return all.back();
}

CaretLine DWriteTextLayout::caret_at(std::uint32_t position) const
{
    position = std::min<std::uint32_t>(position, static_cast<std::uint32_t>(text().size()));
    FLOAT x = 0, y = 0;
    DWRITE_HIT_TEST_METRICS metrics {};
    if (SUCCEEDED(m_layout->HitTestTextPosition(position, FALSE, &x, &y, &metrics)))
        return { x, y, metrics.height };
    Line const& line = line_of(position);
    std::uint32_t offset = std::min(position - std::min(position, line.start), line.length);
    return { line.left + line.edges[offset], line.top, line.height };
}

std::uint32_t DWriteTextLayout::position_at(PointF point) const
{
    BOOL trailing = FALSE, inside = FALSE;
    DWRITE_HIT_TEST_METRICS metrics {};
    // NaN counts as 0, like a point left of or above the text.
    float x = point.x > 0 ? point.x : 0.0f;
    float y = point.y > 0 ? point.y : 0.0f;
    std::uint32_t position = 0;
    if (SUCCEEDED(m_layout->HitTestPoint(x, y, &trailing, &inside, &metrics))) {
        // The far half of a character (both units of a surrogate pair) puts the caret after it.
        position = metrics.textPosition + (trailing ? metrics.length : 0);
    } else {
        std::vector<Line> const& all = lines();
        Line const* hit = &all.back();
        for (Line const& line : all) {
            if (y < line.top + line.height) {
                hit = &line;
                break;
            }
        }
        // The nearest edge between units, skipping the inside of a cluster.
        std::uint32_t best = 0;
        float best_distance = std::abs(hit->left + hit->edges[0] - x);
        for (std::uint32_t unit = 1; unit <= hit->length; ++unit) {
            if (hit->edges[unit] == hit->edges[unit - 1] && unit < hit->length)
                continue;
            float distance = std::abs(hit->left + hit->edges[unit] - x);
            if (distance < best_distance) {
                best = unit;
                best_distance = distance;
            }
        }
        position = hit->start + best;
    }
    return std::min<std::uint32_t>(position, static_cast<std::uint32_t>(text().size()));
}

std::vector<RectF> DWriteTextLayout::range_rects(std::uint32_t start, std::uint32_t end) const
{
    auto length = static_cast<std::uint32_t>(text().size());
    start = std::min(start, length);
    end = std::min(end, length);
    if (end <= start)
        return {};
    std::vector<RectF> rects;
    UINT32 count = 0;
    m_layout->HitTestTextRange(start, end - start, 0, 0, nullptr, 0, &count);
    std::vector<DWRITE_HIT_TEST_METRICS> metrics(count);
    if (count > 0 && SUCCEEDED(m_layout->HitTestTextRange(start, end - start, 0, 0, metrics.data(), count, &count))) {
        for (DWRITE_HIT_TEST_METRICS const& piece : metrics) {
            if (piece.width > 0)
                rects.push_back({ piece.left, piece.top, piece.width, piece.height });
        }
        return rects;
    }
    for (Line const& line : lines()) {
        std::uint32_t from = std::max(start, line.start), to = std::min(end, line.start + line.length);
        if (from >= to)
            continue;
        float left = line.edges[from - line.start], right = line.edges[to - line.start];
        if (right > left)
            rects.push_back({ line.left + left, line.top, right - left, line.height });
    }
    return rects;
}

DWriteTextEngine::DWriteTextEngine()
{
    DWriteCreateFactory(DWRITE_FACTORY_TYPE_SHARED, __uuidof(IDWriteFactory),
        reinterpret_cast<IUnknown**>(m_factory.GetAddressOf()));
}

DWriteTextEngine::~DWriteTextEngine() { clear_caches(); }

std::unique_ptr<TextFormat> DWriteTextEngine::create_format(TextFormatKey const& key, std::string const& family_name)
{
    if (!m_factory || family_name.empty())
        return nullptr;
    // A family the system lacks makes no format, so that core falls back to
    // the interface font instead of laying out with no font at all.
    std::wstring family = wide_from_utf8(family_name);
    ComPtr<IDWriteFontCollection> fonts;
    UINT32 index = 0;
    BOOL exists = FALSE;
    if (SUCCEEDED(m_factory->GetSystemFontCollection(&fonts, FALSE)) && fonts
        && (FAILED(fonts->FindFamilyName(family.c_str(), &index, &exists)) || !exists))
        return nullptr;
    ComPtr<IDWriteTextFormat> format;
    if (FAILED(m_factory->CreateTextFormat(family.c_str(), nullptr, static_cast<DWRITE_FONT_WEIGHT>(key.weight),
            DWRITE_FONT_STYLE_NORMAL, DWRITE_FONT_STRETCH_NORMAL, key.size, L"en-us", &format))
        || !format)
        return nullptr;
    format->SetTextAlignment(key.align == TextAlign::Center ? DWRITE_TEXT_ALIGNMENT_CENTER
            : key.align == TextAlign::Trailing              ? DWRITE_TEXT_ALIGNMENT_TRAILING
                                                            : DWRITE_TEXT_ALIGNMENT_LEADING);
    format->SetParagraphAlignment(key.paragraph == ParagraphAlign::Center ? DWRITE_PARAGRAPH_ALIGNMENT_CENTER
            : key.paragraph == ParagraphAlign::Far                        ? DWRITE_PARAGRAPH_ALIGNMENT_FAR
                                                                          : DWRITE_PARAGRAPH_ALIGNMENT_NEAR);
    // A word longer than the line breaks between letters, as on Linux, rather
    // than running out of its box; systems before 8.1 know only whole words.
    if (key.wrap != WordWrap::Wrap)
        format->SetWordWrapping(DWRITE_WORD_WRAPPING_NO_WRAP);
    else if (FAILED(format->SetWordWrapping(DWRITE_WORD_WRAPPING_EMERGENCY_BREAK)))
        format->SetWordWrapping(DWRITE_WORD_WRAPPING_WRAP);
    return std::make_unique<DWriteTextFormat>(key, family_name, std::move(format));
}

std::unique_ptr<TextLayout> DWriteTextEngine::create_layout(std::u16string_view text,
    std::shared_ptr<TextFormat const> format, TextSize box)
{
    auto const* written = dynamic_cast<DWriteTextFormat const*>(format.get());
    if (!m_factory || !written)
        return nullptr;
    ComPtr<IDWriteTextLayout> layout;
    if (FAILED(m_factory->CreateTextLayout(reinterpret_cast<wchar_t const*>(text.data()),
            static_cast<UINT32>(text.size()), written->format(), std::max(box.width, 1.0f), std::max(box.height, 1.0f),
            &layout))
        || !layout)
        return nullptr;
    return std::make_unique<DWriteTextLayout>(text, std::move(format), box, std::move(layout));
}

}
