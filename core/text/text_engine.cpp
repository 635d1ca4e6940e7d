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

std::vector<std::uint32_t> long_word_breaks(std::span<float const> advances, std::span<CharacterBreak const> breaks,
    float width)
{
    std::vector<std::uint32_t> added;
    double piece = 0; // width since the last break opportunity
    for (std::size_t i = 0; i < advances.size(); ++i) {
        CharacterBreak here = i < breaks.size() ? breaks[i] : CharacterBreak {};
        if (here.may_break)
            piece = 0;
        else if (piece > 0 && piece + advances[i] > width && here.may_cut) {
            added.push_back(static_cast<std::uint32_t>(i));
            piece = 0;
        }
        piece += advances[i];
    }
    return added;
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

namespace {

// Backends may count lengths in integer units (Pango: 1/1024 px in an int,
// which overflows past about two million pixels), so a text that could
// reach that is measured in pieces that cannot, whose widths are summed.
constexpr float measure_piece_width = 500000.0f;
constexpr float widest_unit_in_em = 4.0f; // no UTF-16 unit advances further

bool is_line_break(char16_t c) { return c == u'\n' || c == u'\r' || c == 0x2028 || c == 0x2029; }

// Whether a line may be cut before unit i without splitting a character or
// a cluster: not before a low surrogate, a combining mark, a joiner or a
// variation selector, and not after a joiner.
bool can_cut_before(std::u16string_view line, std::size_t i)
{
    char16_t c = line[i];
    bool joins = (c >= 0xDC00 && c < 0xE000) || (c >= 0x0300 && c < 0x0370) || (c >= 0x1AB0 && c < 0x1B00)
        || (c >= 0x1DC0 && c < 0x1E00) || (c >= 0x20D0 && c < 0x2100) || (c >= 0xFE00 && c < 0xFE10)
        || (c >= 0xFE20 && c < 0xFE30) || c == 0x200C || c == 0x200D;
    return !joins && line[i - 1] != 0x200D;
}

}

TextSize TextEngine::measure(std::u16string_view text, float size, std::string_view family)
{
    TextFormatKey key { 0, clamp_or_low(size, 1.0f, largest_font_size), normal_weight, TextAlign::Leading,
        ParagraphAlign::Near, WordWrap::Wrap };
    std::shared_ptr<TextFormat const> made = create_format(key, std::string(family));
    if (!made)
        return {};
    bool failed = false;
    auto measure_piece = [&](std::u16string_view piece) {
        auto laid = create_layout(piece, made, TextSize { 1000000.0f, 1000000.0f });
        if (!laid) {
            failed = true;
            return TextSize {};
        }
        TextSize result = laid->size();
        if (piece.empty())
            result.width = 0;
        return result;
    };
    auto piece_units = static_cast<std::size_t>(std::max(1.0f, measure_piece_width / (widest_unit_in_em * key.size)));
    if (text.size() <= piece_units)
        return measure_piece(text);

    // Lines are measured in groups of whole lines that fit in a piece; a
    // longer line alone, cut into pieces whose widths add up.
    TextSize total;
    auto add_lines = [&](TextSize lines) {
        total.width = std::max(total.width, lines.width);
        total.height += lines.height;
    };
    std::size_t group_start = 0, group_end = 0;
    bool group_open = false;
    auto flush_group = [&] {
        if (group_open)
            add_lines(measure_piece(text.substr(group_start, group_end - group_start)));
        group_open = false;
    };
    std::size_t start = 0;
    while (true) {
        std::size_t end = start;
        while (end < text.size() && !is_line_break(text[end]))
            ++end;
        if (end - start > piece_units) {
            flush_group();
            std::u16string_view line = text.substr(start, end - start);
            TextSize long_line;
            for (std::size_t from = 0; from < line.size();) {
                std::size_t to = std::min(from + piece_units, line.size());
                while (to < line.size() && to > from + 1 && !can_cut_before(line, to))
                    --to;
                TextSize piece = measure_piece(line.substr(from, to - from));
                long_line.width += piece.width;
                long_line.height = std::max(long_line.height, piece.height);
                from = to;
            }
            add_lines(long_line);
        } else if (group_open && end - group_start <= piece_units) {
            group_end = end;
        } else {
            flush_group();
            group_start = start;
            group_end = end;
            group_open = true;
        }
        if (end == text.size())
            break;
        start = end + (text[end] == u'\r' && end + 1 < text.size() && text[end + 1] == u'\n' ? 2 : 1);
        if (start == text.size()) {
            // A final line break starts one more, empty line.
            flush_group();
            add_lines(measure_piece({}));
            break;
        }
    }
    flush_group();
    return failed ? TextSize {} : total;
}

void TextEngine::clear_caches()
{
    m_layouts.clear();
    m_formats.clear();
}

}
