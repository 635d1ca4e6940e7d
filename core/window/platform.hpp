// The services of a platform backend, and the table through which a backend
// built as its own shared library hands them to the module. Declared here,
// defined by exactly one backend.
#pragma once

#include "core/image/image.hpp"
#include "core/text/text_engine.hpp"
#include "core/window/host.hpp"
#include "core/window/startup_marks.hpp"

#include <cstdint>
#include <memory>

namespace orvy {

// The windowing host of the UI thread, created on first use.
Host& platform_host();
// A text engine for the calling thread (one per window, or one per thread
// for one-off measurements).
std::unique_ptr<TextEngine> make_platform_text_engine();
std::unique_ptr<ImageDecoder> make_platform_image_decoder();

// Raised whenever the table's fields change meaning, order or number.
inline constexpr std::uint32_t platform_table_version = 3;

// What the backend library's one exported function returns. The library and
// the module each carry their own copy of core, so the table also names the
// core interface the library was built against: objects cross only as the
// interfaces above, and those must have the same layout on both sides.
struct PlatformTable {
    std::uint32_t version = platform_table_version;
    std::uint32_t size = sizeof(PlatformTable);
    char const* core_interface = nullptr; // fingerprint of core's headers
    Host& (*host)() = nullptr;
    std::unique_ptr<TextEngine> (*make_text_engine)() = nullptr;
    std::unique_ptr<ImageDecoder> (*make_image_decoder)() = nullptr;
    double (*startup_mark)(StartupMark) = nullptr; // the library's own marks
    // Optional: starts readying, on a thread of the backend's own, what a first
    // frame needs before any window exists (the fonts), so that it is done
    // while the script builds its widgets. Returns once nothing it still does
    // can race a window's start.
    void (*prepare_first_frame)() = nullptr;
};

// The name of that function: extern "C" PlatformTable const* orvy_platform_table().
inline constexpr char platform_table_symbol[] = "orvy_platform_table";

}
