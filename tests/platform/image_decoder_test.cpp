#include "platform/linux/image_decoder.hpp"
#include "tests/platform/image_samples.hpp"

#include <gtest/gtest.h>

#include <array>

using namespace orvy;
using namespace orvy::test;
using orvy::linux_platform::LinuxImageDecoder;

namespace {

std::array<int, 4> pixel(Bitmap const& bitmap, int x, int y)
{
    std::size_t at = (static_cast<std::size_t>(y) * static_cast<std::size_t>(bitmap.width) + x) * 4;
    return { bitmap.pixels[at], bitmap.pixels[at + 1], bitmap.pixels[at + 2], bitmap.pixels[at + 3] };
}

// Frames: 0 fills the whole picture red and leaves it; 1 puts green in the
// top-left 2 x 2 and is then cleared; 2 puts blue in the bottom-right 2 x 2.
Bytes three_frame_gif()
{
    return sample_gif({ { 0, 0, 4, 4, 1, keep_frame }, { 0, 0, 2, 2, 2, clear_frame },
        { 2, 2, 2, 2, 3, keep_frame } });
}

}

TEST(LinuxImageDecoder, png_pixels_come_out_premultiplied_bgra)
{
    LinuxImageDecoder decoder;
    auto bitmap = decoder.decode(sample_png(), 0);
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(bitmap->width, 4);
    EXPECT_EQ(bitmap->height, 2);
    EXPECT_EQ(pixel(*bitmap, 0, 0), (std::array<int, 4> { 0, 0, 255, 255 }));
    EXPECT_EQ(pixel(*bitmap, 3, 1), (std::array<int, 4> { 128, 0, 0, 128 }));
    EXPECT_EQ(decoder.frame_count(sample_png()), 1u);
}

TEST(LinuxImageDecoder, jpeg_decodes_opaque)
{
    LinuxImageDecoder decoder;
    auto bitmap = decoder.decode(sample_jpeg(), 3);
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(bitmap->width, 8);
    auto grey = pixel(*bitmap, 4, 4);
    EXPECT_NEAR(grey[0], 128, 3);
    EXPECT_EQ(grey[3], 255);
}

TEST(LinuxImageDecoder, gif_frames_are_composed_with_their_disposal)
{
    LinuxImageDecoder decoder;
    Bytes gif = three_frame_gif();
    EXPECT_EQ(decoder.frame_count(gif), 3u);

    auto first = decoder.decode(gif, 0);
    ASSERT_TRUE(first);
    EXPECT_EQ(pixel(*first, 0, 0), (std::array<int, 4> { 0, 0, 255, 255 }));
    auto second = decoder.decode(gif, 1);
    EXPECT_EQ(pixel(*second, 0, 0), (std::array<int, 4> { 0, 255, 0, 255 }));
    EXPECT_EQ(pixel(*second, 3, 3), (std::array<int, 4> { 0, 0, 255, 255 }));
    // Frame 1 was disposed to transparent before frame 2 drew.
    auto third = decoder.decode(gif, 2);
    EXPECT_EQ(pixel(*third, 0, 0), (std::array<int, 4> { 0, 0, 0, 0 }));
    EXPECT_EQ(pixel(*third, 3, 3), (std::array<int, 4> { 255, 0, 0, 255 }));
    // A frame past the end shows the last one.
    EXPECT_EQ(decoder.decode(gif, 7)->pixels, third->pixels);
}

TEST(LinuxImageDecoder, gif_transparent_pixels_keep_what_was_below)
{
    LinuxImageDecoder decoder;
    Bytes gif = sample_gif({ { 0, 0, 4, 4, 1, keep_frame }, { 0, 0, 4, 4, 0, keep_frame, 0 } });
    EXPECT_EQ(pixel(*decoder.decode(gif, 1), 2, 2), (std::array<int, 4> { 0, 0, 255, 255 }));
}

TEST(LinuxImageDecoder, malformed_input_yields_nothing)
{
    LinuxImageDecoder decoder;
    Bytes png = sample_png();
    Bytes gif = three_frame_gif();
    Bytes jpeg = sample_jpeg();
    std::vector<Bytes> broken {
        {},
        { 0x89, 'P', 'N' },
        Bytes(png.begin(), png.begin() + static_cast<std::ptrdiff_t>(png.size() / 2)),
        Bytes(gif.begin(), gif.begin() + 20),
        Bytes(jpeg.begin(), jpeg.begin() + 10),
        { 'B', 'M', 0, 0, 0, 0 },
        png_header_claiming(100000, 100000),
        png_header_claiming(16384, 16384),
    };
    for (Bytes const& bytes : broken) {
        EXPECT_FALSE(decoder.decode(bytes, 0)) << bytes.size();
        EXPECT_EQ(decoder.frame_count(bytes), 1u);
    }
}

TEST(LinuxImageDecoder, a_gif_with_a_broken_frame_keeps_the_frames_before_it)
{
    LinuxImageDecoder decoder;
    Bytes gif = three_frame_gif();
    // Cut into the last frame's picture data.
    Bytes cut(gif.begin(), gif.end() - 3);
    auto shown = decoder.decode(cut, 5);
    ASSERT_TRUE(shown);
    EXPECT_EQ(pixel(*shown, 1, 1), (std::array<int, 4> { 0, 0, 0, 0 }));

    // A screen of 65535 x 65535 is refused before anything is allocated.
    Bytes huge = gif;
    huge[6] = huge[7] = huge[8] = huge[9] = 0xFF;
    EXPECT_FALSE(decoder.decode(huge, 0));
}

TEST(LinuxImageDecoder, jpeg_headers_beyond_the_limits_are_refused)
{
    Bytes jpeg = sample_jpeg();
    // The baseline frame header (FFC0) holds the height and width.
    for (std::size_t i = 0; i + 8 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
            jpeg[i + 5] = jpeg[i + 6] = jpeg[i + 7] = jpeg[i + 8] = 0xFF;
            break;
        }
    }
    LinuxImageDecoder decoder(DecodeLimits { 16384, 1u << 20, 1u << 20 });
    EXPECT_FALSE(decoder.decode(jpeg, 0));
}
