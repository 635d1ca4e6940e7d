// XdndTarget: files dragged from other X clients onto our windows, through
// the XDND protocol (version 5), for a host that passes it the display's events.
#pragma once

#include "core/base/geometry.hpp"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// Xlib's own names, declared without its header (see x11_selection.hpp).
struct _XDisplay;
union _XEvent;

namespace orvy::linux_platform {

class XdndTarget {
public:
    using Clock = std::chrono::steady_clock;

    struct Hooks {
        // Whether a drop at this client point would be taken; decides what
        // the source shows the user. Unset: everywhere on the window.
        std::function<bool(unsigned long window, PointF point)> accepts_at;
        // The dropped entries in the source's order and the point of the drop
        // in client coordinates. Local files arrive as paths; any other entry
        // (another scheme, another host's file) as its URI, unchanged.
        std::function<void(unsigned long window, std::vector<std::string> const& entries, PointF point)> on_drop;
    };

    // Makes no X request until a window is made aware.
    XdndTarget(_XDisplay* display, Hooks hooks);
    ~XdndTarget();
    XdndTarget(XdndTarget const&) = delete;
    XdndTarget& operator=(XdndTarget const&) = delete;

    // Announces that the top-level window takes drops.
    void make_aware(unsigned long window);
    // The window is going away: a drag over it ends here.
    void forget(unsigned long window);

    // Every event should pass through here before the host handles it;
    // true when it belonged to a drag or a drop and was handled.
    bool handle_event(_XEvent const& event);

    // While the data of a drop is awaited: when expire() must run at the
    // latest, so that a source that never answers is given up.
    std::optional<Clock::time_point> deadline() const;
    void expire(Clock::time_point now);

private:
    struct State;
    std::unique_ptr<State> m_state;
};

}
