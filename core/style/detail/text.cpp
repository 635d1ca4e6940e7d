// UTF-8 whitespace, trimming, splitting, lower-casing and validation.
#include "core/style/detail/text.hpp"

#include <cstdint>

namespace orvy::detail {

namespace {

struct Decoded {
    char32_t code_point = 0xFFFD;
    std::size_t length = 1; // bytes consumed; 1 for an invalid byte
    bool valid = false;
};

Decoded decode(std::string_view text, std::size_t at)
{
    auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
    std::uint8_t lead = byte(at);
    if (lead < 0x80)
        return { lead, 1, true };
    std::size_t length = 0;
    char32_t minimum = 0;
    char32_t value = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        minimum = 0x80;
        value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        minimum = 0x800;
        value = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        minimum = 0x10000;
        value = lead & 0x07;
    } else {
        return {};
    }
    if (at + length > text.size())
        return {};
    for (std::size_t i = 1; i < length; ++i) {
        std::uint8_t next = byte(at + i);
        if ((next & 0xC0) != 0x80)
            return {};
        value = (value << 6) | (next & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return {};
    return { value, length, true };
}

bool is_unicode_whitespace(char32_t c)
{
    switch (c) {
    case 0x09: case 0x0A: case 0x0B: case 0x0C: case 0x0D: case 0x20:
    case 0x85: case 0xA0: case 0x1680: case 0x2028: case 0x2029:
    case 0x202F: case 0x205F: case 0x3000:
        return true;
    default:
        return c >= 0x2000 && c <= 0x200A;
    }
}

// Length of the character starting at `at`, treating a stray byte as one.
std::size_t character_length(std::string_view text, std::size_t at) { return decode(text, at).length; }

}

std::size_t whitespace_length(std::string_view text, std::size_t at)
{
    Decoded d = decode(text, at);
    return d.valid && is_unicode_whitespace(d.code_point) ? d.length : 0;
}

std::string_view trim(std::string_view text)
{
    std::size_t begin = 0;
    while (begin < text.size()) {
        std::size_t n = whitespace_length(text, begin);
        if (n == 0)
            break;
        begin += n;
    }
    // Walk forward to find the last non-whitespace character: UTF-8 cannot be
    // decoded backwards safely when the text holds invalid bytes.
    std::size_t end = begin;
    for (std::size_t at = begin; at < text.size();) {
        std::size_t n = whitespace_length(text, at);
        if (n == 0) {
            at += character_length(text, at);
            end = at;
        } else {
            at += n;
        }
    }
    return text.substr(begin, end - begin);
}

std::vector<std::string_view> split_whitespace(std::string_view text)
{
    std::vector<std::string_view> pieces;
    std::size_t start = std::string_view::npos;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t n = whitespace_length(text, at);
        if (n > 0) {
            if (start != std::string_view::npos)
                pieces.push_back(text.substr(start, at - start));
            start = std::string_view::npos;
            at += n;
        } else {
            if (start == std::string_view::npos)
                start = at;
            at += character_length(text, at);
        }
    }
    if (start != std::string_view::npos)
        pieces.push_back(text.substr(start));
    return pieces;
}

std::string lower_case(std::string_view text)
{
    std::string lower;
    lower.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); ++at) {
        char c = text[at];
        if (c >= 'A' && c <= 'Z') {
            lower.push_back(static_cast<char>(c - 'A' + 'a'));
        } else if (text.substr(at, 3) == "\xE2\x84\xAA") { // KELVIN SIGN lower-cases to 'k'
            lower.push_back('k');
            at += 2;
        } else {
            lower.push_back(c);
        }
    }
    return lower;
}

bool is_valid_utf8(std::string_view text)
{
    for (std::size_t at = 0; at < text.size();) {
        Decoded d = decode(text, at);
        if (!d.valid)
            return false;
        at += d.length;
    }
    return true;
}

}
