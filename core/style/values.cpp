// Colour, length and family-name values of the CSS subset, and the font-family table.
#include "core/style/css.hpp"
#include "core/style/detail/text.hpp"
#include "core/style/theme.hpp"

#include <charconv>
#include <cmath>
#include <limits>

namespace orvy {

namespace {

int hex_value(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Checks [+-] (digits [. digits] | . digits) [(e|E) [+-] digits] over the whole
// text, and tells whether the value lies below 1 in magnitude by decimal
// exponent, which separates underflow from overflow when conversion fails.
struct NumberShape {
    bool valid = false;
    bool tiny = false;
};

NumberShape number_shape(std::string_view text)
{
    std::size_t at = 0;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        ++at;
    long long integer_digits = 0; // significant digits before the point
    long long leading_fraction_zeros = 0;
    bool seen_significant = false;
    std::size_t mantissa_digits = 0;
    for (; at < text.size() && is_digit(text[at]); ++at, ++mantissa_digits) {
        if (text[at] != '0' || seen_significant) {
            seen_significant = true;
            ++integer_digits;
        }
    }
    if (at < text.size() && text[at] == '.') {
        for (++at; at < text.size() && is_digit(text[at]); ++at, ++mantissa_digits) {
            if (!seen_significant) {
                if (text[at] == '0')
                    ++leading_fraction_zeros;
                else
                    seen_significant = true;
            }
        }
    }
    if (mantissa_digits == 0)
        return {};
    long long exponent = 0;
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        ++at;
        bool negative = false;
        if (at < text.size() && (text[at] == '+' || text[at] == '-'))
            negative = text[at++] == '-';
        std::size_t exponent_start = at;
        for (; at < text.size() && is_digit(text[at]); ++at)
            exponent = std::min(exponent * 10 + (text[at] - '0'), 1'000'000'000LL);
        if (at == exponent_start)
            return {};
        if (negative)
            exponent = -exponent;
    }
    if (at != text.size())
        return {};
    long long magnitude = (integer_digits > 0 ? integer_digits : -leading_fraction_zeros) + exponent;
    return { true, magnitude <= 0 };
}

}

std::optional<Color> parse_color(std::string_view text)
{
    text = detail::trim(text);
    if (text.empty() || text.front() != '#')
        return std::nullopt;
    std::string_view digits = text.substr(1);
    if (digits.size() != 3 && digits.size() != 6 && digits.size() != 8)
        return std::nullopt;
    std::uint32_t values[8] = {};
    for (std::size_t i = 0; i < digits.size(); ++i) {
        int v = hex_value(digits[i]);
        if (v < 0)
            return std::nullopt;
        values[i] = static_cast<std::uint32_t>(v);
    }
    std::uint32_t rgba = 0;
    if (digits.size() == 3) {
        for (std::size_t i = 0; i < 3; ++i)
            rgba = (rgba << 8) | (values[i] * 0x11);
        rgba = (rgba << 8) | 0xFF;
    } else {
        for (std::size_t i = 0; i < digits.size(); ++i)
            rgba = (rgba << 4) | values[i];
        if (digits.size() == 6)
            rgba = (rgba << 8) | 0xFF;
    }
    return Color::from_rgba8(rgba);
}

std::optional<float> parse_length(std::string_view text)
{
    text = detail::trim(text);
    if (text.ends_with("px"))
        text = detail::trim(text.substr(0, text.size() - 2));
    NumberShape shape = number_shape(text);
    if (!shape.valid)
        return std::nullopt;
    bool negative = text.front() == '-';
    if (text.front() == '+' || text.front() == '-')
        text.remove_prefix(1);
    float value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range) {
        if (!shape.tiny)
            return std::nullopt;
        value = 0;
    } else if (error != std::errc {} || end != text.data() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

std::optional<std::string_view> parse_family_name(std::string_view text)
{
    text = detail::trim(text);
    for (char quote : { '"', '\'' }) {
        if (text.size() >= 2 && text.front() == quote && text.back() == quote)
            text = text.substr(1, text.size() - 2);
    }
    text = detail::trim(text);
    if (text.empty())
        return std::nullopt;
    return text;
}

FontFamilyTable::FontFamilyTable()
{
    m_names.emplace_back(default_font_family);
    rebuild_index();
}

std::optional<std::uint16_t> FontFamilyTable::find(std::u16string_view name) const
{
    auto it = m_index.find(std::u16string(name));
    if (it == m_index.end())
        return std::nullopt;
    return it->second;
}

std::optional<std::uint16_t> FontFamilyTable::intern(std::u16string_view name)
{
    if (auto index = find(name))
        return index;
    if (m_names.size() >= capacity)
        return std::nullopt;
    auto index = static_cast<std::uint16_t>(m_names.size());
    m_names.emplace_back(name);
    m_index.emplace(m_names.back(), index);
    return index;
}

void FontFamilyTable::set_default(std::u16string name)
{
    m_names[0] = std::move(name);
    rebuild_index();
}

std::u16string const& FontFamilyTable::name(std::uint16_t index) const
{
    return index < m_names.size() ? m_names[index] : m_names[0];
}

void FontFamilyTable::rebuild_index()
{
    m_index.clear();
    // From the last entry to the first, so each name maps to its lowest index.
    for (std::size_t i = m_names.size(); i-- > 0;)
        m_index[m_names[i]] = static_cast<std::uint16_t>(i);
}

}
