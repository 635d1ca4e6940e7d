// The Windows backend's services: the Win32 host, DirectWrite text, WIC images.
#include "core/window/platform.hpp"

#include "platform/win32/dwrite_text_engine.hpp"
#include "platform/win32/wic_image_decoder.hpp"
#include "platform/win32/win32_host.hpp"

namespace orvy {

Host& platform_host()
{
    static win32::Win32Host host;
    return host;
}

std::unique_ptr<TextEngine> make_platform_text_engine() { return std::make_unique<win32::DWriteTextEngine>(); }

std::unique_ptr<ImageDecoder> make_platform_image_decoder() { return std::make_unique<win32::WicImageDecoder>(); }

}
