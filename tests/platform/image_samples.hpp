// Small PNG, JPEG and GIF files made in memory with the same libraries the
// decoders use, so the decoder tests need no sample files.
#pragma once

#include <cstdint>
#include <vector>

namespace orvy::test {

using Bytes = std::vector<std::uint8_t>;

// A 4 x 2 PNG: left half opaque red, right half blue at alpha 128.
Bytes sample_png();
// A PNG whose header claims width x height pixels, with a correct checksum
// and no picture data.
Bytes png_header_claiming(std::uint32_t width, std::uint32_t height);
// An 8 x 8 grey JPEG.
Bytes sample_jpeg();
enum : int { keep_frame = 1, clear_frame = 2, restore_previous = 3 };
struct GifFrame {
    int left, top, width, height;
    std::uint8_t color_index; // fills the frame rectangle
    int disposal;
    int transparent_index = -1;
};
// A 4 x 4 GIF with the palette 0 black, 1 red, 2 green, 3 blue.
Bytes sample_gif(std::vector<GifFrame> const& frames);

}
