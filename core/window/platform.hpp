// The services of the platform backend linked into the module. Declared
// here, defined by exactly one backend; only code built with a backend
// (ORVY_HAS_PLATFORM) may call them.
#pragma once

#include "core/image/image.hpp"
#include "core/text/text_engine.hpp"
#include "core/window/host.hpp"

#include <memory>

namespace orvy {

// The windowing host of the UI thread, created on first use.
Host& platform_host();
// A text engine for the calling thread (one per window, or one per thread
// for one-off measurements).
std::unique_ptr<TextEngine> make_platform_text_engine();
std::unique_ptr<ImageDecoder> make_platform_image_decoder();

}
