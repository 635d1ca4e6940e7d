// UTF-8 helpers for the style sheet parser: whitespace, trimming, splitting,
// lower-casing for name matching, and validation.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orvy::detail {

// Length in bytes of the Unicode whitespace character starting at `at`, or 0.
// Sheets are cut only at character boundaries, so bytes inside a multi-byte
// character are never taken for whitespace.
std::size_t whitespace_length(std::string_view text, std::size_t at);

std::string_view trim(std::string_view text);

// Pieces between runs of whitespace; never yields an empty piece.
std::vector<std::string_view> split_whitespace(std::string_view text);

// Lower-cases the characters whose lower case can take part in a match with
// the ASCII names we know (ASCII letters and the Kelvin sign); other bytes are
// kept, and could never match an ASCII name anyway.
std::string lower_case(std::string_view text);

bool is_valid_utf8(std::string_view text);

}
