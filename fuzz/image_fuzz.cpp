// Fuzzes image loading: the format sniffing, the PNG, JPEG and GIF decoders
// with a frame number, the frame count, the source-text parsing and the image
// cache loading an in-memory image. The first byte picks the frame; the rest
// is the file.
#include "core/image/image.hpp"
#include "platform/linux/image_decoder.hpp"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size)
{
    // Small limits keep each run fast; the checks are the same at any size.
    static orvy::linux_platform::LinuxImageDecoder decoder(orvy::DecodeLimits { 2048, 1u << 21, 1u << 20 });
    if (size == 0)
        return 0;
    orvy::parse_image_source(std::string_view(reinterpret_cast<char const*>(data), size));

    std::span<std::uint8_t const> bytes(data + 1, size - 1);
    std::uint32_t frame = data[0] % 8;
    if (auto bitmap = decoder.decode(bytes, frame)) {
        // A decoded bitmap is exactly its size and premultiplied.
        std::size_t expected = static_cast<std::size_t>(bitmap->width) * static_cast<std::size_t>(bitmap->height) * 4;
        if (bitmap->is_empty() || bitmap->pixels.size() != expected)
            __builtin_trap();
        for (std::size_t i = 0; i < expected; i += 4) {
            std::uint8_t alpha = bitmap->pixels[i + 3];
            if (bitmap->pixels[i] > alpha || bitmap->pixels[i + 1] > alpha || bitmap->pixels[i + 2] > alpha)
                __builtin_trap();
        }
    }
    if (decoder.frame_count(bytes) == 0)
        __builtin_trap();

    // The same bytes as an in-memory image through the window's image cache:
    // a failure is remembered, a success is found under its source.
    orvy::ImageCache cache;
    std::string const sources[] = { "mem:1" };
    orvy::MemoryImageLookup lookup = [&](std::string_view) { return bytes; };
    std::size_t loaded = cache.load(sources, decoder, lookup);
    if (!cache.has_tried("mem:1") || (loaded == 1) != (cache.find("mem:1") != nullptr))
        __builtin_trap();
    return 0;
}
