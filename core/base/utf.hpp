// Conversions between UTF-8 (Python's side) and the UTF-16 code units widget models hold.
#pragma once

#include <string>
#include <string_view>

namespace orvy {

// Invalid sequences become U+FFFD; nothing is dropped silently.
std::u16string utf8_to_utf16(std::string_view utf8);
// The same, appended to `out`.
void append_utf8_as_utf16(std::u16string& out, std::string_view utf8);
// Unpaired surrogates become U+FFFD.
std::string utf16_to_utf8(std::u16string_view utf16);

}
