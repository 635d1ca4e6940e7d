// The entry point of _orvy_linux.so, the Linux backend as a library the module
// opens on first use: one exported function returning the services' table.
#include "core/window/platform.hpp"
#include "platform/linux/x11_host.hpp"

#include "orvy_core_interface.hpp"

namespace {

orvy::PlatformTable const table {
    .core_interface = ORVY_CORE_INTERFACE,
    .host = orvy::platform_host,
    .make_text_engine = orvy::make_platform_text_engine,
    .make_image_decoder = orvy::make_platform_image_decoder,
    .startup_mark = orvy::startup_mark,
    .prepare_first_frame = orvy::linux_platform::prepare_first_frame,
};

}

// The only symbol the library exports (exports.map); its own copy of core and
// everything else stays hidden, so nothing here can bind to the module's copy.
extern "C" __attribute__((visibility("default"))) orvy::PlatformTable const* orvy_platform_table()
{
    return &table;
}
