// The start-up marks: one clock reading per moment, taken once.
#include "core/window/startup_marks.hpp"

#include <array>
#include <atomic>
#include <chrono>

namespace orvy {

namespace {

std::array<std::atomic<double>, startup_mark_count> marks {};

constexpr std::array<std::string_view, startup_mark_count> names { "backend_loaded", "video_started", "text_ready",
    "window_created", "window_shown", "first_layout", "first_paint", "first_present" };

}

void mark_startup(StartupMark mark)
{
    auto& slot = marks[static_cast<std::size_t>(mark)];
    if (slot.load(std::memory_order_relaxed) != 0)
        return;
    double now = std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
    double unset = 0;
    slot.compare_exchange_strong(unset, now, std::memory_order_relaxed);
}

double startup_mark(StartupMark mark) { return marks[static_cast<std::size_t>(mark)].load(std::memory_order_relaxed); }

std::string_view startup_mark_name(StartupMark mark) { return names[static_cast<std::size_t>(mark)]; }

}
