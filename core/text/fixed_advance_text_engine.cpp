// Line breaking and hit testing of the fixed-advance test engine.
#include "core/text/fixed_advance_text_engine.hpp"

#include <algorithm>
#include <cmath>

namespace orvy {

namespace {

struct Line {
    std::uint32_t start = 0;
    std::uint32_t end = 0; // excludes the line feed
    float x = 0;
    float y = 0;
};

class FixedAdvanceLayout final : public TextLayout {
public:
    FixedAdvanceLayout(std::u16string_view text, std::shared_ptr<TextFormat const> format, TextSize box)
        : TextLayout(std::u16string(text), std::move(format), box)
        , m_advance(FixedAdvanceTextEngine::advance(this->format().key().size))
        , m_line_height(FixedAdvanceTextEngine::line_height(this->format().key().size))
    {
        break_lines();
        place_lines();
    }

    TextSize size() const override
    {
        float width = 0;
        for (Line const& line : m_lines)
            width = std::max(width, (line.end - line.start) * m_advance);
        return { width, m_lines.size() * m_line_height };
    }

    CaretLine caret_at(std::uint32_t position) const override
    {
        Line const& line = line_of(position);
        std::uint32_t column = std::min(position, line.end) - line.start;
        return { line.x + column * m_advance, line.y, m_line_height };
    }

    std::uint32_t position_at(PointF point) const override
    {
        float row = std::floor((point.y - m_lines.front().y) / m_line_height);
        auto index = static_cast<std::size_t>(std::clamp(row, 0.0f, static_cast<float>(m_lines.size() - 1)));
        Line const& line = m_lines[index];
        float column = std::round((point.x - line.x) / m_advance);
        column = std::clamp(column, 0.0f, static_cast<float>(line.end - line.start));
        return line.start + static_cast<std::uint32_t>(column);
    }

    std::vector<RectF> range_rects(std::uint32_t start, std::uint32_t end) const override
    {
        std::vector<RectF> rects;
        for (Line const& line : m_lines) {
            std::uint32_t from = std::max(start, line.start);
            std::uint32_t to = std::min(end, line.end);
            if (from < to)
                rects.push_back({ line.x + (from - line.start) * m_advance, line.y, (to - from) * m_advance,
                    m_line_height });
        }
        return rects;
    }

private:
    // A position at the end of a wrapped line belongs to the next line, as
    // the caret after a soft break sits at the start of the next one.
    Line const& line_of(std::uint32_t position) const
    {
        for (Line const& line : m_lines) {
            bool hard_end = &line == &m_lines.back() || text()[line.end] == u'\n';
            if (position >= line.start && (position < line.end || (position == line.end && hard_end)))
                return line;
        }
        return m_lines.back();
    }

    void break_lines()
    {
        std::u16string const& all = text();
        bool wrap = format().key().wrap == WordWrap::Wrap;
        auto per_line = static_cast<std::uint32_t>(std::max(1.0f, std::floor(box().width / m_advance)));
        std::uint32_t start = 0;
        auto length = static_cast<std::uint32_t>(all.size());
        while (true) {
            std::uint32_t feed = start;
            while (feed < length && all[feed] != u'\n')
                ++feed;
            std::uint32_t piece = start;
            do {
                std::uint32_t end = wrap ? std::min(feed, piece + per_line) : feed;
                m_lines.push_back({ piece, end, 0, 0 });
                piece = end;
            } while (piece < feed);
            if (feed >= length)
                break;
            start = feed + 1;
        }
    }

    void place_lines()
    {
        TextFormatKey const& key = format().key();
        float total = m_lines.size() * m_line_height;
        float top = 0;
        if (key.paragraph == ParagraphAlign::Center)
            top = (box().height - total) / 2;
        else if (key.paragraph == ParagraphAlign::Far)
            top = box().height - total;
        for (std::size_t i = 0; i < m_lines.size(); ++i) {
            Line& line = m_lines[i];
            float width = (line.end - line.start) * m_advance;
            if (key.align == TextAlign::Center)
                line.x = (box().width - width) / 2;
            else if (key.align == TextAlign::Trailing)
                line.x = box().width - width;
            line.y = top + i * m_line_height;
        }
    }

    float m_advance;
    float m_line_height;
    std::vector<Line> m_lines;
};

}

std::unique_ptr<TextFormat> FixedAdvanceTextEngine::create_format(TextFormatKey const& key,
    std::string const& family_name)
{
    if (missing_families.contains(family_name))
        return nullptr;
    return std::make_unique<TextFormat>(key, family_name);
}

std::unique_ptr<TextLayout> FixedAdvanceTextEngine::create_layout(std::u16string_view text,
    std::shared_ptr<TextFormat const> format, TextSize box)
{
    if (fail_layouts)
        return nullptr;
    ++m_layouts_created;
    return std::make_unique<FixedAdvanceLayout>(text, std::move(format), box);
}

}
