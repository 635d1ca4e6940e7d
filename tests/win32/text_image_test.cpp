// DirectWrite measurements and hit tests, and WIC decoding from memory.
#include "platform/win32/dwrite_text_engine.hpp"
#include "platform/win32/wic_image_decoder.hpp"
#include "tests/win32/check.hpp"
#include "tests/win32/support.hpp"

#include <wincodec.h>

using namespace orvy;
using namespace orvy::win32_test;

TEST_CASE(text_is_measured_with_trailing_spaces_and_sizes_below_one_as_one)
{
    win32::DWriteTextEngine text;
    CHECK(text.is_ready());
    TextSize word = text.measure(u"Привет", 20, "Segoe UI");
    TextSize spaced = text.measure(u"Привет   ", 20, "Segoe UI");
    CHECK(word.width > 20 && word.height > 10);
    CHECK(spaced.width > word.width + 5);
    CHECK(text.measure(u"", 20, "Segoe UI").width == 0);
    CHECK(text.measure(u"x", 0.1f, "Segoe UI") == text.measure(u"x", 1, "Segoe UI"));
}

TEST_CASE(carets_positions_and_selections_agree_on_one_layout)
{
    win32::DWriteTextEngine text;
    auto format = text.format(text_format_key(TextRole::Body, 0, 20));
    CHECK(format != nullptr);
    if (!format)
        return;
    std::u16string line = u"abc def ghi";
    float third = text.caret_x(line, *format, 3);

    CHECK(third > 0 && third < text.caret_x(line, *format, 7));
    CHECK(text.caret_x(line, *format, 0) == 0);
    // The point just right of the third caret lands on it; past the end, at the end.
    CHECK(text.position_at_point(line, *format, 100000, { third + 0.5f, 5 }, 99) == 3);
    CHECK(text.position_at_point(line, *format, 100000, { 5000, 5 }, 99) == line.size());
    CHECK(text.position_at_point(line, *format, 100000, { -40, -40 }, 99) == 0);

    // Wrapped narrow, the selection of everything is one rectangle a line.
    std::vector<RectF> rects = text.selection_rects(line, *format, 40, 0, static_cast<std::uint32_t>(line.size()));
    CHECK(rects.size() >= 3);
    CaretLine last = text.caret_line(line, *format, 40, static_cast<std::uint32_t>(line.size()));
    CHECK(last.y > 20 && last.height > 10);
    CHECK(text.selection_rects(line, *format, 40, 5, 5).empty());

    // After a line break the caret starts the next line, and a point there finds it.
    std::u16string two = u"ab\ncd";
    CaretLine first = text.caret_line(two, *format, 1000, 2);
    CaretLine second = text.caret_line(two, *format, 1000, 3);
    CHECK(second.y > first.y && second.x == 0 && first.x > 0);
    CHECK(text.position_at_point(two, *format, 1000, { 0, second.y + 2 }, 99) == 3);
    CHECK(text.position_at_point(two, *format, 1000, { 500, first.y + 2 }, 99) == 2);
}

TEST_CASE(png_and_gif_bytes_decode_to_premultiplied_bgra_frames)
{
    win32::WicImageDecoder decoder;
    // Half-transparent red: premultiplied, the red byte is halved.
    Bitmap half = solid(4, 3, 0x80800000);
    std::vector<std::uint8_t> png = encode({ half }, GUID_ContainerFormatPng);
    CHECK(!png.empty());
    std::optional<Bitmap> decoded = decoder.decode(png, 0);
    CHECK(decoded && decoded->width == 4 && decoded->height == 3);
    if (decoded)
        CHECK(decoded->pixels[2] >= 0x7E && decoded->pixels[2] <= 0x81 && decoded->pixels[3] == 0x80);
    CHECK(decoder.frame_count(png) == 1);
    // A frame past the end of a still image is its only frame.
    CHECK(decoder.decode(png, 5).has_value());

    std::vector<std::uint8_t> broken(png.begin(), png.begin() + static_cast<std::ptrdiff_t>(png.size() / 3));
    CHECK(!decoder.decode(broken, 0));
    CHECK(decoder.frame_count(broken) == 1);
    std::vector<std::uint8_t> noise(200, 0x5A);
    CHECK(!decoder.decode(noise, 0));
    CHECK(!decoder.decode({}, 0));

    win32::WicImageDecoder small({ .max_side = 3 });
    CHECK(!small.decode(png, 0));

    std::vector<std::uint8_t> gif = encode(
        { solid(8, 8, 0xFFFF0000), solid(8, 8, 0xFF00FF00), solid(8, 8, 0xFF0000FF) }, GUID_ContainerFormatGif);
    if (gif.empty()) {
        std::printf("  note: no GIF encoder here; the frame checks are skipped\n");
        return;
    }
    CHECK(decoder.frame_count(gif) == 3);
    std::optional<Bitmap> last = decoder.decode(gif, 7);
    // The encoder's palette may shift a colour slightly.
    auto close_to = [](std::uint32_t have, std::uint32_t want) {
        for (int shift : { 0, 8, 16 }) {
            int a = static_cast<int>((have >> shift) & 0xFF), b = static_cast<int>((want >> shift) & 0xFF);
            if (a - b > 12 || b - a > 12)
                return false;
        }
        return true;
    };
    CHECK(last && close_to(rgb_at(*last, 4, 4), 0x0000FF));
    std::optional<Bitmap> first = decoder.decode(gif, 0);
    CHECK(first && close_to(rgb_at(*first, 4, 4), 0xFF0000));
}
