// The platform-independent half of text: format and layout caches and the
// measurement rules on top of the backend's layouts.
#include "core/text/text_engine.hpp"

#include <algorithm>
#include <atomic>
#include <bit>
#include <functional>

namespace orvy {

namespace {

// Backends do integer arithmetic on sizes and boxes, so both are kept in a
// range where that cannot overflow; nothing visible lies beyond it.
constexpr float largest_font_size = 16384.0f;
constexpr float largest_box = 1.0e7f;

float clamp_or_low(float value, float low, float high)
{
    if (!(value >= low)) // NaN too
        return low;
    return std::min(value, high);
}

float non_negative(float value)
{
    return value > 0 ? value : 0; // NaN too
}

std::uint64_t next_format_serial()
{
    static std::atomic<std::uint64_t> counter { 0 };
    return ++counter;
}

void mix(std::size_t& seed, std::size_t value)
{
    seed ^= value + 0x9e3779b97f4a7c15ull + (seed << 6) + (seed >> 2);
}

}

TextFormatKey text_format_key(TextRole role, std::uint16_t family, float base_size)
{
    switch (role) {
    case TextRole::Title:
        return { family, base_size * 1.2f, semibold_weight, TextAlign::Center, ParagraphAlign::Center, WordWrap::Wrap };
    case TextRole::Body:
        return { family, base_size, normal_weight, TextAlign::Leading, ParagraphAlign::Center, WordWrap::Wrap };
    case TextRole::Paragraph:
        return { family, base_size, normal_weight, TextAlign::Leading, ParagraphAlign::Near, WordWrap::Wrap };
    case TextRole::Heading:
        break;
    }
    return { family, base_size * 1.2f, semibold_weight, TextAlign::Center, ParagraphAlign::Center, WordWrap::NoWrap };
}

TextFormat::TextFormat(TextFormatKey key, std::string family_name)
    : m_key(key)
    , m_family_name(std::move(family_name))
    , m_serial(next_format_serial())
{
}

TextLayout::TextLayout(std::u16string text, std::shared_ptr<TextFormat const> format, TextSize box)
    : m_text(std::move(text))
    , m_format(std::move(format))
    , m_box(box)
{
}

TextEngine::TextEngine() = default;
TextEngine::~TextEngine() = default;

std::size_t TextEngine::LayoutKeyHash::operator()(LayoutKeyView const& key) const
{
    std::size_t seed = std::hash<std::u16string_view> {}(key.text);
    mix(seed, key.format);
    mix(seed, std::bit_cast<std::uint32_t>(key.width));
    mix(seed, std::bit_cast<std::uint32_t>(key.height));
    return seed;
}

bool TextEngine::LayoutKeyEqual::operator()(LayoutKeyView const& a, LayoutKeyView const& b) const
{
    return a.format == b.format && std::bit_cast<std::uint32_t>(a.width) == std::bit_cast<std::uint32_t>(b.width)
        && std::bit_cast<std::uint32_t>(a.height) == std::bit_cast<std::uint32_t>(b.height) && a.text == b.text;
}

std::size_t TextEngine::FormatKeyHash::operator()(TextFormatKey const& key) const
{
    std::size_t seed = key.family;
    mix(seed, std::bit_cast<std::uint32_t>(key.size));
    mix(seed, key.weight);
    mix(seed, static_cast<std::size_t>(key.align) | static_cast<std::size_t>(key.paragraph) << 4
            | static_cast<std::size_t>(key.wrap) << 8);
    return seed;
}

std::string TextEngine::family_name(std::uint16_t family)
{
    if (m_family_lookup) {
        std::string name = m_family_lookup(family);
        if (!name.empty())
            return name;
    }
    return fallback_family;
}

std::shared_ptr<TextFormat const> TextEngine::format(TextFormatKey key)
{
    key.size = clamp_or_low(key.size, 1.0f, largest_font_size);
    if (auto found = m_formats.find(key); found != m_formats.end())
        return found->second;

    std::string name = family_name(key.family);
    std::unique_ptr<TextFormat> created = create_format(key, name);
    if (!created && name != fallback_family)
        created = create_format(key, fallback_family);
    if (!created)
        return nullptr;
    std::shared_ptr<TextFormat const> shared = std::move(created);
    m_formats.emplace(key, shared);
    return shared;
}

std::shared_ptr<TextLayout const> TextEngine::layout(std::u16string_view text, TextFormat const& format,
    float max_width, float max_height)
{
    LayoutKeyView key { text, format.serial(), clamp_or_low(max_width, 1.0f, largest_box),
        clamp_or_low(max_height, 1.0f, largest_box) };
    if (auto found = m_layouts.find(key); found != m_layouts.end())
        return found->second;

    std::shared_ptr<TextLayout const> created
        = create_layout(text, format.shared_from_this(), TextSize { key.width, key.height });
    if (!created)
        return nullptr;
    if (m_layouts.size() > layout_cache_limit)
        m_layouts.clear();
    m_layouts.emplace(LayoutKey { std::u16string(text), key.format, key.width, key.height }, created);
    return created;
}

float TextEngine::text_width(std::u16string_view text, TextFormat const& format)
{
    if (text.empty())
        return 0;
    auto laid = layout(text, format, measure_box, 100);
    return laid ? laid->size().width : 0;
}

float TextEngine::caret_x(std::u16string_view text, TextFormat const& format, std::uint32_t position)
{
    if (text.empty())
        return 0;
    auto laid = layout(text, format, measure_box, 100);
    if (!laid)
        return 0;
    return laid->caret_at(std::min<std::uint32_t>(position, static_cast<std::uint32_t>(text.size()))).x;
}

CaretLine TextEngine::caret_line(std::u16string_view text, TextFormat const& format, float wrap_width,
    std::uint32_t position)
{
    auto laid = layout(text, format, wrap_width, measure_box);
    if (!laid)
        return { 0, 0, default_line_height };
    return laid->caret_at(std::min<std::uint32_t>(position, static_cast<std::uint32_t>(text.size())));
}

std::uint32_t TextEngine::position_at_point(std::u16string_view text, TextFormat const& format, float wrap_width,
    PointF point, std::uint32_t old_position)
{
    auto laid = layout(text, format, wrap_width, measure_box);
    if (!laid)
        return old_position;
    PointF clamped { non_negative(point.x), non_negative(point.y) };
    return std::min<std::uint32_t>(laid->position_at(clamped), static_cast<std::uint32_t>(text.size()));
}

std::vector<RectF> TextEngine::selection_rects(std::u16string_view text, TextFormat const& format, float wrap_width,
    std::uint32_t start, std::uint32_t end)
{
    auto length = static_cast<std::uint32_t>(text.size());
    start = std::min(start, length);
    end = std::min(end, length);
    if (start > end)
        std::swap(start, end);
    if (start == end)
        return {};
    auto laid = layout(text, format, wrap_width, 4096);
    if (!laid)
        return {};
    return laid->range_rects(start, end);
}

TextSize TextEngine::measure(std::u16string_view text, float size, std::string_view family)
{
    TextFormatKey key { 0, clamp_or_low(size, 1.0f, largest_font_size), normal_weight, TextAlign::Leading,
        ParagraphAlign::Near, WordWrap::Wrap };
    std::shared_ptr<TextFormat const> made = create_format(key, std::string(family));
    if (!made)
        return {};
    auto laid = create_layout(text, made, TextSize { 1000000.0f, 1000000.0f });
    if (!laid)
        return {};
    TextSize result = laid->size();
    if (text.empty())
        result.width = 0;
    return result;
}

void TextEngine::clear_caches()
{
    m_layouts.clear();
    m_formats.clear();
}

}
