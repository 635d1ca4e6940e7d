// UTF-8 <-> UTF-16 conversion with replacement of anything malformed.
#include "platform/linux/detail/utf.hpp"

namespace orvy::linux_platform::detail {

namespace {

void append_utf8(std::string& out, char32_t code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

bool is_high(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool is_low(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}

std::string to_utf8(std::u16string_view text, std::vector<std::uint32_t>* unit_offsets)
{
    std::string out;
    out.reserve(text.size());
    if (unit_offsets)
        unit_offsets->assign(text.size() + 1, 0);
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto start = static_cast<std::uint32_t>(out.size());
        if (unit_offsets)
            (*unit_offsets)[i] = start;
        char16_t unit = text[i];
        if (is_high(unit) && i + 1 < text.size() && is_low(text[i + 1])) {
            append_utf8(out, 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
            if (unit_offsets)
                (*unit_offsets)[i] = start;
        } else if (is_high(unit) || is_low(unit)) {
            append_utf8(out, 0xFFFD);
        } else {
            append_utf8(out, unit);
        }
    }
    if (unit_offsets)
        unit_offsets->back() = static_cast<std::uint32_t>(out.size());
    return out;
}

std::u16string to_utf16(std::string_view text, std::size_t max_units)
{
    std::u16string out;
    std::size_t i = 0;
    while (i < text.size() && out.size() < max_units) {
        auto lead = static_cast<unsigned char>(text[i]);
        int extra = -1; // continuation bytes, C0, C1 and F5..FF start nothing
        if (lead < 0x80)
            extra = 0;
        else if (lead >= 0xC2 && lead < 0xE0)
            extra = 1;
        else if (lead >= 0xE0 && lead < 0xF0)
            extra = 2;
        else if (lead >= 0xF0 && lead < 0xF5)
            extra = 3;
        char32_t code = extra == 0 ? lead : extra == 1 ? lead & 0x1F : extra == 2 ? lead & 0x0F : lead & 0x07;
        bool valid = extra >= 0 && i + static_cast<std::size_t>(extra) < text.size();
        for (int k = 1; valid && k <= extra; ++k) {
            auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
            valid = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not characters.
        if (valid && ((extra == 2 && code < 0x800) || (extra == 3 && (code < 0x10000 || code > 0x10FFFF))
                         || (code >= 0xD800 && code <= 0xDFFF)))
            valid = false;
        if (!valid) {
            out += u'\uFFFD';
            ++i;
            continue;
        }
        i += static_cast<std::size_t>(extra) + 1;
        if (code >= 0x10000) {
            code -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (code >> 10));
            out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
        } else {
            out += static_cast<char16_t>(code);
        }
    }
    return out;
}

}
