// Native window seam for builds without a platform backend: nothing can be
// shown, and saying so is the only honest answer.
#if !ORVY_HAS_PLATFORM

#include "python/platform_bridge.hpp"

#include "core/frame/push_window.hpp"
#include "python/window.hpp"

namespace orvy::py {

bool open_native_window(std::shared_ptr<WindowState> const&, bool)
{
    PyErr_SetString(PyExc_RuntimeError, "окно не создано: в этой сборке нет оконной системы");
    return false;
}

bool open_push_window(std::shared_ptr<WindowState> const& window, PushLifetime, std::optional<PointI>)
{
    return open_native_window(window, false);
}

void close_native_window(WindowState& window) { PostQueue::process().close(*window.post); }

PointF native_client_size(WindowState&) { return {}; }

void move_native_window(WindowState&, float, float) { }

std::optional<PointF> primary_screen_size() { return PointF {}; }

void wake_native_window(WindowState&) { }

void request_native_file_dialogs(WindowState&) { }

PlatformTable const* loaded_platform_services() { return nullptr; }

void prepare_platform_services() { }

void note_empty_window_starting() { }

}

#endif
