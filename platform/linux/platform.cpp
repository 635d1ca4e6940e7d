// The Linux backend's services: Xlib host, Pango text, libpng/libjpeg/giflib images.
#include "core/window/platform.hpp"

#include "platform/linux/image_decoder.hpp"
#include "platform/linux/pango_text_engine.hpp"
#include "platform/linux/x11_host.hpp"

namespace orvy {

Host& platform_host()
{
    static linux_platform::X11Host host;
    return host;
}

namespace linux_platform {

void prepare_first_frame()
{
    prepare_first_fonts();
    prepare_display();
}

}

std::unique_ptr<TextEngine> make_platform_text_engine() { return std::make_unique<linux_platform::PangoTextEngine>(); }

std::unique_ptr<ImageDecoder> make_platform_image_decoder()
{
    return std::make_unique<linux_platform::LinuxImageDecoder>();
}

}
