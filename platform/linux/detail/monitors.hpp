// The monitors of the X screen, from RandR where the server and the library
// have it, and which of them (and which part of it) a window is placed in.
#pragma once

#include "core/window/window.hpp"

#include <memory>
#include <optional>
#include <span>
#include <vector>

struct _XDisplay;

namespace orvy::linux_platform::detail {

struct Monitor {
    RectI area;
    bool primary = false;
    friend bool operator==(Monitor const&, Monitor const&) = default;
};

// The primary monitor, else the first one listed; none for an empty list.
std::optional<RectI> primary_monitor(std::span<Monitor const> monitors);

// The monitor that shares the most area with `window`; where none does,
// the one closest to it. None for an empty list.
std::optional<RectI> nearest_monitor(std::span<Monitor const> monitors, RectI window);

// The desktop's work area (as a window manager publishes it, spanning every
// monitor) cut down to one monitor; the whole monitor where there is no
// work area or it leaves nothing of the monitor.
RectI work_area_within(RectI monitor, std::optional<RectI> desktop);

// Asks the X server for its monitors. libXrandr is opened on the first
// question, not at start-up: most windows never need it, and a window that
// is not centred opens without it.
class MonitorSource {
public:
    MonitorSource();
    ~MonitorSource();
    MonitorSource(MonitorSource const&) = delete;
    MonitorSource& operator=(MonitorSource const&) = delete;

    // The active monitors with some area; empty where libXrandr cannot be
    // loaded or the server has no RandR 1.5 (which introduced monitors).
    std::vector<Monitor> monitors(_XDisplay* display);

private:
    struct Library;
    Library* load(_XDisplay* display);

    std::unique_ptr<Library> m_library;
    bool m_tried = false;
};

}
