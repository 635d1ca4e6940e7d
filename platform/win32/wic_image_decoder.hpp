// WicImageDecoder: PNG, JPEG and GIF frames through the Windows Imaging Component.
#pragma once

#include "core/image/image.hpp"
#include "platform/win32/detail/com.hpp"

#include <wincodec.h>

#include <mutex>

namespace orvy::win32 {

class WicImageDecoder final : public ImageDecoder {
public:
    using ImageDecoder::ImageDecoder;

    std::optional<Bitmap> decode(std::span<std::uint8_t const> bytes, std::uint32_t frame) override;
    std::uint32_t frame_count(std::span<std::uint8_t const> bytes) override;

private:
    // The decoder for the bytes, which must outlive it; null when WIC does
    // not know the format.
    ComPtr<IWICBitmapDecoder> open(std::span<std::uint8_t const> bytes);
    ComPtr<IWICImagingFactory> factory();

    std::mutex m_mutex; // guards the factory's creation
    ComPtr<IWICImagingFactory> m_factory;
};

}
