// FrameDecoration: icon and caption/border colours a window is created with.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvy {

struct FrameDecoration {
    std::optional<std::string> icon; // image file path
    std::optional<std::uint32_t> caption; // 0xRRGGBB
    std::optional<std::uint32_t> caption_text;
    std::optional<std::uint32_t> border;
    std::optional<bool> dark;
};

// Reads a caption colour: every leading "#" is skipped, then at most six
// characters are read as hexadecimal digits (an optional leading "+" among
// them). Anything malformed leaves the colour absent rather than failing.
std::optional<std::uint32_t> parse_frame_color(std::string_view text);

}
