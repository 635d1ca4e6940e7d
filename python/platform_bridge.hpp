// The module's seam to the native window: loading the backend, creating the
// window, running the loop and the few window queries W offers.
#pragma once

#include "core/base/geometry.hpp"
#include "core/window/window.hpp"

#include <memory>
#include <optional>

namespace orvy {
struct PlatformTable;
struct PushLifetime;
}

namespace orvy::py {

// The backend's services, its library opened on first use (once per
// process). Null with RuntimeError set when the library cannot be loaded;
// every later call reports the same error.
PlatformTable const* platform_services();
// Starts opening the backend's library on a thread of its own, and readying
// what a first frame needs, while the script builds its widgets; at most once
// per process, nothing when the services are loaded or loading already.
void prepare_platform_services();
// The services if they are loaded already; never loads, never sets an error.
PlatformTable const* loaded_platform_services();
// A window starts with nothing in it: its first frame draws no text, so the
// backend, if still loading, readies no fonts that would only take the
// processor from that frame.
void note_empty_window_starting();

struct WindowState;

// Creates the native window for `window` (already marked running); with
// `run_loop` runs the loop until the main window is destroyed, with the
// interpreter lock released while waiting. Sets RuntimeError and returns
// false when the window cannot be created.
bool open_native_window(std::shared_ptr<WindowState> const& window, bool run_loop);
// Opens a push window for `window` (its tree built, marked running): at
// `position`, else stacked in a corner of the screen; it closes after its
// time or on a click and runs the window's close hook then. No loop is run:
// the thread's loop serves it. Sets RuntimeError and returns false on failure.
bool open_push_window(std::shared_ptr<WindowState> const& window, PushLifetime lifetime,
    std::optional<PointI> position);
// Asks a live native window to close; nothing happens without one.
void close_native_window(WindowState& window);
// Client size, (0, 0) without a native window.
PointF native_client_size(WindowState& window);
void move_native_window(WindowState& window, float x, float y);
// Nothing with RuntimeError set when the backend cannot be loaded.
std::optional<PointF> primary_screen_size();
// Makes a live native window run a frame soon (timers and calls are waiting).
void wake_native_window(WindowState& window);
// Asks a live native window to show its queued file dialogs; without one
// they wait until the window is created.
void request_native_file_dialogs(WindowState& window);

}
