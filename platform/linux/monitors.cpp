// Monitors from RandR through libXrandr, opened when first asked, and the
// choice of the monitor a window is placed on.
#include "platform/linux/detail/monitors.hpp"

#include <algorithm>
#include <cstdint>
#include <dlfcn.h>
#include <limits>

#include <X11/Xlib.h>

namespace orvy::linux_platform::detail {

namespace {

// libXrandr's monitor record, as its header declares it. Only the library's
// run-time file is needed, not its development package.
struct MonitorInfo {
    Atom name;
    Bool primary;
    Bool automatic;
    int noutput;
    int x;
    int y;
    int width;
    int height;
    int mwidth;
    int mheight;
    unsigned long* outputs;
};

std::int64_t overlap(RectI a, RectI b)
{
    std::int64_t width = std::int64_t { std::min(a.right, b.right) } - std::max(a.left, b.left);
    std::int64_t height = std::int64_t { std::min(a.bottom, b.bottom) } - std::max(a.top, b.top);
    return width > 0 && height > 0 ? width * height : 0;
}

// Squared distance between two rectangles; 0 when they touch or overlap.
std::int64_t gap(RectI a, RectI b)
{
    std::int64_t dx = std::max<std::int64_t>({ 0, std::int64_t { b.left } - a.right, std::int64_t { a.left } - b.right });
    std::int64_t dy = std::max<std::int64_t>({ 0, std::int64_t { b.top } - a.bottom, std::int64_t { a.top } - b.bottom });
    return dx * dx + dy * dy;
}

}

std::optional<RectI> primary_monitor(std::span<Monitor const> monitors)
{
    if (monitors.empty())
        return std::nullopt;
    auto primary = std::find_if(monitors.begin(), monitors.end(), [](Monitor const& monitor) { return monitor.primary; });
    return primary == monitors.end() ? monitors.front().area : primary->area;
}

std::optional<RectI> nearest_monitor(std::span<Monitor const> monitors, RectI window)
{
    if (monitors.empty())
        return std::nullopt;
    // Pass 1: the most shared area wins; the first listed among equals.
    Monitor const* best = nullptr;
    std::int64_t most = 0;
    for (Monitor const& monitor : monitors) {
        if (std::int64_t shared = overlap(monitor.area, window); shared > most) {
            most = shared;
            best = &monitor;
        }
    }
    if (best)
        return best->area;
    // Pass 2: a window off every monitor (or of no size) goes to the closest one.
    std::int64_t closest = std::numeric_limits<std::int64_t>::max();
    for (Monitor const& monitor : monitors) {
        if (std::int64_t distance = gap(monitor.area, window); distance < closest) {
            closest = distance;
            best = &monitor;
        }
    }
    return best->area;
}

RectI work_area_within(RectI monitor, std::optional<RectI> desktop)
{
    if (!desktop)
        return monitor;
    RectI area { std::max(monitor.left, desktop->left), std::max(monitor.top, desktop->top),
        std::min(monitor.right, desktop->right), std::min(monitor.bottom, desktop->bottom) };
    if (area.right <= area.left || area.bottom <= area.top)
        return monitor;
    return area;
}

struct MonitorSource::Library {
    using QueryExtension = Bool (*)(Display*, int*, int*);
    using QueryVersion = Status (*)(Display*, int*, int*);
    using GetMonitors = MonitorInfo* (*)(Display*, Window, Bool, int*);
    using FreeMonitors = void (*)(MonitorInfo*);

    GetMonitors get_monitors = nullptr;
    FreeMonitors free_monitors = nullptr;
};

MonitorSource::MonitorSource() = default;
MonitorSource::~MonitorSource() = default;

MonitorSource::Library* MonitorSource::load(Display* display)
{
    if (m_tried)
        return m_library.get();
    m_tried = true;
    // Never closed: once asked, the extension hooks the connection's
    // close, which must still find its code when the display goes.
    void* handle = dlopen("libXrandr.so.2", RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (!handle)
        return nullptr;
    auto library = std::make_unique<Library>();
    auto query_extension = reinterpret_cast<Library::QueryExtension>(dlsym(handle, "XRRQueryExtension"));
    auto query_version = reinterpret_cast<Library::QueryVersion>(dlsym(handle, "XRRQueryVersion"));
    library->get_monitors = reinterpret_cast<Library::GetMonitors>(dlsym(handle, "XRRGetMonitors"));
    library->free_monitors = reinterpret_cast<Library::FreeMonitors>(dlsym(handle, "XRRFreeMonitors"));
    if (!query_extension || !query_version || !library->get_monitors || !library->free_monitors)
        return nullptr;
    // Monitors came with RandR 1.5; an older server would refuse the request.
    int event_base = 0, error_base = 0, major = 0, minor = 0;
    if (!query_extension(display, &event_base, &error_base) || !query_version(display, &major, &minor)
        || major < 1 || (major == 1 && minor < 5))
        return nullptr;
    m_library = std::move(library);
    return m_library.get();
}

std::vector<Monitor> MonitorSource::monitors(Display* display)
{
    std::vector<Monitor> found;
    Library* library = load(display);
    if (!library)
        return found;
    int count = 0;
    MonitorInfo* infos = library->get_monitors(display, DefaultRootWindow(display), True, &count);
    if (!infos)
        return found;
    for (int i = 0; i < count; ++i) {
        MonitorInfo const& info = infos[i];
        if (info.width <= 0 || info.height <= 0)
            continue;
        found.push_back({ { info.x, info.y, info.x + info.width, info.y + info.height }, info.primary != 0 });
    }
    library->free_monitors(infos);
    return found;
}

}
