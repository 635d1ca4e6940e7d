// UTF-8 <-> UTF-16 for the backend's text boundary.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvy::linux_platform::detail {

// Unpaired surrogates become U+FFFD. When `unit_offsets` is given it
// receives, for every UTF-16 index and one past the end, the byte offset in
// the result where that code unit's character starts.
std::string to_utf8(std::u16string_view text, std::vector<std::uint32_t>* unit_offsets = nullptr);

// Invalid bytes become U+FFFD; stops after max_units code units.
std::u16string to_utf16(std::string_view text, std::size_t max_units = SIZE_MAX);

}
