// Picks the decoder from the first bytes of the data.
#include "platform/linux/image_decoder.hpp"

#include "platform/linux/detail/decoders.hpp"

#include <algorithm>
#include <array>

namespace orvy::linux_platform {

namespace {

enum class Format { Unknown, Png, Jpeg, Gif };

Format sniff(std::span<std::uint8_t const> bytes)
{
    auto starts_with = [&](std::initializer_list<std::uint8_t> magic) {
        return bytes.size() >= magic.size() && std::equal(magic.begin(), magic.end(), bytes.begin());
    };
    if (starts_with({ 0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n' }))
        return Format::Png;
    if (starts_with({ 0xFF, 0xD8, 0xFF }))
        return Format::Jpeg;
    if (starts_with({ 'G', 'I', 'F', '8', '7', 'a' }) || starts_with({ 'G', 'I', 'F', '8', '9', 'a' }))
        return Format::Gif;
    return Format::Unknown;
}

}

std::optional<Bitmap> LinuxImageDecoder::decode(std::span<std::uint8_t const> bytes, std::uint32_t frame)
{
    switch (sniff(bytes)) {
    case Format::Png: return detail::decode_png(bytes, m_limits);
    case Format::Jpeg: return detail::decode_jpeg(bytes, m_limits);
    case Format::Gif: return detail::decode_gif(bytes, frame, m_limits);
    case Format::Unknown: break;
    }
    return std::nullopt;
}

std::uint32_t LinuxImageDecoder::frame_count(std::span<std::uint8_t const> bytes)
{
    if (sniff(bytes) == Format::Gif)
        return std::max<std::uint32_t>(detail::gif_frame_count(bytes), 1);
    return 1;
}

namespace detail {

void premultiply(std::span<std::uint8_t> bgra)
{
    for (std::size_t i = 0; i + 3 < bgra.size(); i += 4) {
        unsigned alpha = bgra[i + 3];
        if (alpha == 255)
            continue;
        for (std::size_t c = 0; c < 3; ++c)
            bgra[i + c] = static_cast<std::uint8_t>((bgra[i + c] * alpha + 127) / 255);
    }
}

}

}
