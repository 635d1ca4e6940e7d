// One decoding function per file format, each refusing malformed input.
#pragma once

#include "core/image/image.hpp"

namespace orvy::linux_platform::detail {

std::optional<Bitmap> decode_png(std::span<std::uint8_t const> bytes, DecodeLimits const& limits);
std::optional<Bitmap> decode_jpeg(std::span<std::uint8_t const> bytes, DecodeLimits const& limits);
// Frame `frame` composed over the frames before it, as a viewer shows it.
std::optional<Bitmap> decode_gif(std::span<std::uint8_t const> bytes, std::uint32_t frame, DecodeLimits const& limits);
std::uint32_t gif_frame_count(std::span<std::uint8_t const> bytes);

// Straight alpha to premultiplied, in place, for BGRA rows.
void premultiply(std::span<std::uint8_t> bgra);

}
