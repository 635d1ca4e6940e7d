// LinuxImageDecoder: PNG through libpng, JPEG through libjpeg-turbo, GIF through giflib.
#pragma once

#include "core/image/image.hpp"

namespace orvy::linux_platform {

class LinuxImageDecoder final : public ImageDecoder {
public:
    using ImageDecoder::ImageDecoder;

    std::optional<Bitmap> decode(std::span<std::uint8_t const> bytes, std::uint32_t frame) override;
    std::uint32_t frame_count(std::span<std::uint8_t const> bytes) override;
};

}
