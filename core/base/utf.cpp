// UTF-8 <-> UTF-16 conversion.
#include "core/base/utf.hpp"

#include <cstdint>

namespace orvy {

namespace {

constexpr char32_t replacement = 0xFFFD;

void append_utf16(std::u16string& out, char32_t cp)
{
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
    } else {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    }
}

void append_utf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

}

std::u16string utf8_to_utf16(std::string_view utf8)
{
    std::u16string out;
    append_utf8_as_utf16(out, utf8);
    return out;
}

void append_utf8_as_utf16(std::u16string& out, std::string_view utf8)
{
    // ASCII, most texts whole, widens a byte to a unit in one pass, in place
    // (a text never has more UTF-16 units than UTF-8 bytes); the first other
    // byte ends that pass.
    std::size_t start = out.size();
    out.resize(start + utf8.size());
    char16_t* units = out.data() + start;
    std::size_t i = 0;
    for (; i < utf8.size() && static_cast<std::uint8_t>(utf8[i]) < 0x80; ++i)
        units[i] = static_cast<char16_t>(utf8[i]);
    out.resize(start + i);
    while (i < utf8.size()) {
        auto byte = static_cast<std::uint8_t>(utf8[i]);
        if (byte < 0x80) {
            out.push_back(byte);
            ++i;
            continue;
        }
        int length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 0;
        if (length == 0 || byte > 0xF4 || i + length > utf8.size()) {
            out.push_back(replacement);
            ++i;
            continue;
        }
        char32_t cp = byte & (0x7F >> length);
        bool valid = true;
        for (int k = 1; k < length; ++k) {
            auto next = static_cast<std::uint8_t>(utf8[i + k]);
            if ((next & 0xC0) != 0x80) {
                valid = false;
                break;
            }
            cp = (cp << 6) | (next & 0x3F);
        }
        // Overlong forms and surrogate code points are invalid in UTF-8.
        static constexpr char32_t smallest[] = { 0, 0, 0x80, 0x800, 0x10000 };
        if (!valid || cp < smallest[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out.push_back(replacement);
            ++i;
            continue;
        }
        append_utf16(out, cp);
        i += length;
    }
}

std::string utf16_to_utf8(std::u16string_view utf16)
{
    std::string out;
    out.reserve(utf16.size());
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        char32_t unit = utf16[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 && utf16[i + 1] <= 0xDFFF) {
            append_utf8(out, 0x10000 + ((unit - 0xD800) << 10) + (utf16[i + 1] - 0xDC00));
            ++i;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            append_utf8(out, replacement);
        } else {
            append_utf8(out, unit);
        }
    }
    return out;
}

}
