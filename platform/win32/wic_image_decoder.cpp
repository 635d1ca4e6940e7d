// WIC decoding from memory: the frame asked for (the last one past the end)
// converted to premultiplied BGRA, refused past the limits before any pixel
// is allocated.
#include "platform/win32/wic_image_decoder.hpp"

#include <algorithm>

namespace orvy::win32 {

ComPtr<IWICImagingFactory> WicImageDecoder::factory()
{
    // The imaging factory is free-threaded: made once, used from any thread
    // that has COM started.
    ensure_com();
    std::lock_guard lock(m_mutex);
    if (!m_factory)
        CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&m_factory));
    return m_factory;
}

ComPtr<IWICBitmapDecoder> WicImageDecoder::open(std::span<std::uint8_t const> bytes)
{
    if (bytes.empty() || bytes.size() > m_limits.max_file_bytes || bytes.size() > 0xFFFFFFFFu)
        return nullptr;
    ComPtr<IWICImagingFactory> imaging = factory();
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapDecoder> decoder;
    if (!imaging || FAILED(imaging->CreateStream(&stream))
        // The stream only reads, whatever its signature says.
        || FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size())))
        || FAILED(imaging->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnLoad, &decoder)))
        return nullptr;
    return decoder;
}

std::optional<Bitmap> WicImageDecoder::decode(std::span<std::uint8_t const> bytes, std::uint32_t frame)
{
    ComPtr<IWICBitmapDecoder> decoder = open(bytes);
    if (!decoder)
        return std::nullopt;
    UINT count = 0;
    if (FAILED(decoder->GetFrameCount(&count)) || count == 0)
        count = 1;
    ComPtr<IWICBitmapFrameDecode> source;
    ComPtr<IWICFormatConverter> converter;
    UINT width = 0, height = 0;
    if (FAILED(decoder->GetFrame(std::min<UINT>(frame, count - 1), &source)) || FAILED(source->GetSize(&width, &height))
        || !m_limits.allows(width, height))
        return std::nullopt;
    ComPtr<IWICImagingFactory> imaging = factory();
    if (!imaging || FAILED(imaging->CreateFormatConverter(&converter))
        || FAILED(converter->Initialize(source.Get(), GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr,
            0.0, WICBitmapPaletteTypeMedianCut)))
        return std::nullopt;
    Bitmap bitmap;
    bitmap.width = static_cast<std::int32_t>(width);
    bitmap.height = static_cast<std::int32_t>(height);
    bitmap.pixels.resize(std::size_t { width } * height * 4);
    if (FAILED(converter->CopyPixels(nullptr, width * 4, static_cast<UINT>(bitmap.pixels.size()), bitmap.pixels.data())))
        return std::nullopt;
    return bitmap;
}

std::uint32_t WicImageDecoder::frame_count(std::span<std::uint8_t const> bytes)
{
    ComPtr<IWICBitmapDecoder> decoder = open(bytes);
    UINT count = 0;
    if (!decoder || FAILED(decoder->GetFrameCount(&count)))
        return 1;
    return std::max<UINT>(count, 1);
}

}
