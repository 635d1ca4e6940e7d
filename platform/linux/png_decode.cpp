// PNG decoding through libpng's simplified reading interface.
#include "platform/linux/detail/decoders.hpp"

#include <png.h>

namespace orvy::linux_platform::detail {

std::optional<Bitmap> decode_png(std::span<std::uint8_t const> bytes, DecodeLimits const& limits)
{
    png_image image {};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()))
        return std::nullopt;
    // The header alone decides whether the picture is too big, before any
    // pixel memory exists.
    if (!limits.allows(image.width, image.height)) {
        png_image_free(&image);
        return std::nullopt;
    }
    image.format = PNG_FORMAT_BGRA;
    Bitmap bitmap;
    bitmap.width = static_cast<std::int32_t>(image.width);
    bitmap.height = static_cast<std::int32_t>(image.height);
    bitmap.pixels.resize(PNG_IMAGE_SIZE(image));
    // finish_read frees the image's internals on success and on failure.
    if (!png_image_finish_read(&image, nullptr, bitmap.pixels.data(), 0, nullptr))
        return std::nullopt;
    premultiply(bitmap.pixels);
    return bitmap;
}

}
