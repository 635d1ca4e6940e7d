// The moments of a process's start-up that the start-up benchmark reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace orvy {

enum class StartupMark : std::uint8_t {
    BackendLoaded, // the backend library is open
    VideoStarted,  // the windowing system is connected
    TextReady,     // the text engine exists (fonts load when first drawn)
    WindowCreated, // the first native window exists
    WindowShown,   // ... and is mapped
    FirstLayout,   // the first frame is laid out
    FirstPaint,    // ... painted
    FirstPresent,  // ... and handed to the display server, which has executed it
};
inline constexpr std::size_t startup_mark_count = 8;

// Records the moment the first time it is called for a mark; later calls do
// nothing. Any thread may call it.
void mark_startup(StartupMark mark);
// Seconds on the monotonic clock (the one Python's time.perf_counter reads),
// or 0 while the moment has not come. The module and the backend library each
// keep their own marks, so each side reads the marks it took.
double startup_mark(StartupMark mark);
std::string_view startup_mark_name(StartupMark mark);

}
