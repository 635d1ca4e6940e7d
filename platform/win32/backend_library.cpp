// The entry point of _orvy_win32.dll, the Windows backend as a library the
// module opens on first use: one exported function returning the services' table.
#include "core/window/platform.hpp"

#include "orvy_core_interface.hpp"

namespace {

orvy::PlatformTable const table {
    .core_interface = ORVY_CORE_INTERFACE,
    .host = orvy::platform_host,
    .make_text_engine = orvy::make_platform_text_engine,
    .make_image_decoder = orvy::make_platform_image_decoder,
};

}

// The only symbol the library exports; its own copy of core stays inside.
extern "C" __declspec(dllexport) orvy::PlatformTable const* orvy_platform_table() { return &table; }
