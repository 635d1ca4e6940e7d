// Another X client for the clipboard and drop tests: a connection of its
// own, driven from a thread of its own, written on raw Xlib so that it
// checks the protocol rather than our reading of it.
#pragma once

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <thread>

#include <poll.h>

namespace orvy::x11_test {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Generous: the machine may be loaded; nothing waits this long when it works.
inline constexpr auto patience = 30s;

// The X server resets itself when its last client leaves, and refuses
// connections meanwhile; one connection held for the whole run keeps it up.
inline Display* open_display()
{
    struct Keeper {
        Display* display = XOpenDisplay(nullptr);
        ~Keeper()
        {
            if (display)
                XCloseDisplay(display);
        }
    };
    static Keeper keeper;
    return keeper.display ? XOpenDisplay(nullptr) : nullptr;
}

struct Connection {
    Display* display = open_display();
    Connection() = default;
    Connection(Connection const&) = delete;
    Connection& operator=(Connection const&) = delete;
    ~Connection()
    {
        if (display)
            XCloseDisplay(display);
    }
    Atom atom(char const* name) const { return XInternAtom(display, name, False); }
    // A window that sees its property changes; top-level at the given place.
    Window window(int x = 0, int y = 0) const
    {
        XSetWindowAttributes attributes {};
        attributes.event_mask = PropertyChangeMask;
        Window made = XCreateWindow(display, DefaultRootWindow(display), x, y, 200, 100, 0, CopyFromParent,
            InputOutput, CopyFromParent, CWEventMask, &attributes);
        // Synced, not flushed: the server may serve another connection's
        // request naming the window before a merely flushed creation, and
        // an event sent to a window it does not know yet is dropped.
        XSync(display, False);
        return made;
    }
};

// The next event of the connection, waiting at most until the deadline.
inline std::optional<XEvent> next_event(Display* display, Clock::time_point deadline)
{
    while (XPending(display) == 0) {
        auto remaining = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (remaining <= 0)
            return std::nullopt;
        pollfd connection { ConnectionNumber(display), POLLIN, 0 };
        poll(&connection, 1, static_cast<int>(remaining));
    }
    XEvent event;
    XNextEvent(display, &event);
    return event;
}

// Hands every event to `handle` until `done()`; false when patience ran out.
inline bool pump_until(Display* display, std::function<void(XEvent const&)> const& handle,
    std::function<bool()> const& done)
{
    Clock::time_point deadline = Clock::now() + patience;
    while (!done()) {
        XFlush(display);
        std::optional<XEvent> event = next_event(display, std::min(deadline, Clock::now() + 20ms));
        if (event)
            handle(*event);
        else if (Clock::now() >= deadline)
            return false;
    }
    return true;
}

// The first event `matches` picks; the others are dropped.
inline std::optional<XEvent> wait_for(Display* display, std::function<bool(XEvent const&)> const& matches)
{
    Clock::time_point deadline = Clock::now() + patience;
    while (std::optional<XEvent> event = next_event(display, deadline)) {
        if (matches(*event))
            return event;
    }
    return std::nullopt;
}

struct PropertyRead {
    Atom type = None;
    int format = 0;
    std::string bytes; // 32-bit items as 4 bytes each
};

inline PropertyRead read_whole(Display* display, Window window, Atom property, bool remove)
{
    PropertyRead read;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    XGetWindowProperty(display, window, property, 0, 0x1FFFFFFF, remove ? True : False, AnyPropertyType, &read.type,
        &read.format, &count, &after, &data);
    if (data && read.format == 8) {
        read.bytes.assign(reinterpret_cast<char*>(data), count);
    } else if (data && read.format == 32) {
        for (unsigned long i = 0; i < count; ++i) {
            auto item = static_cast<std::uint32_t>(reinterpret_cast<long*>(data)[i]);
            read.bytes.append(reinterpret_cast<char const*>(&item), 4);
        }
    }
    if (data)
        XFree(data);
    return read;
}

struct Conversion {
    bool answered = false; // a SelectionNotify came
    Atom property = None;  // as the notification named it
    bool incremental = false;
    PropertyRead value;
};

// Asks the selection's owner for `target` into `property` of `window` and
// reads the answer as the requestor's side of the protocol does, following
// an incremental transfer to its empty last chunk.
inline Conversion convert(Display* display, Window window, Atom selection, Atom target, Atom property)
{
    Conversion result;
    XConvertSelection(display, selection, target, property, window, CurrentTime);
    std::optional<XEvent> notify = wait_for(display, [&](XEvent const& event) {
        return event.type == SelectionNotify && event.xselection.requestor == window;
    });
    if (!notify)
        return result;
    result.answered = true;
    result.property = notify->xselection.property;
    if (result.property == None)
        return result;
    result.value = read_whole(display, window, result.property, true);
    if (result.value.type != XInternAtom(display, "INCR", False))
        return result;
    result.incremental = true;
    result.value = {};
    for (;;) {
        std::optional<XEvent> more = wait_for(display, [&](XEvent const& event) {
            return event.type == PropertyNotify && event.xproperty.window == window
                && event.xproperty.atom == result.property && event.xproperty.state == PropertyNewValue;
        });
        if (!more)
            return result;
        PropertyRead chunk = read_whole(display, window, result.property, true);
        if (chunk.bytes.empty())
            return result;
        result.value.type = chunk.type;
        result.value.format = chunk.format;
        result.value.bytes += chunk.bytes;
    }
}

// Answers a selection request as an owner would, with the property already
// written (or None to refuse).
inline void notify(Display* display, XSelectionRequestEvent const& request, Atom property)
{
    XEvent reply {};
    reply.xselection.type = SelectionNotify;
    reply.xselection.display = display;
    reply.xselection.requestor = request.requestor;
    reply.xselection.selection = request.selection;
    reply.xselection.target = request.target;
    reply.xselection.property = property;
    reply.xselection.time = request.time;
    XSendEvent(display, request.requestor, False, NoEventMask, &reply);
    XFlush(display);
}

inline void send_message(Display* display, Window to, Atom type, long l0, long l1 = 0, long l2 = 0, long l3 = 0,
    long l4 = 0)
{
    XEvent event {};
    event.xclient.type = ClientMessage;
    event.xclient.display = display;
    event.xclient.window = to;
    event.xclient.message_type = type;
    event.xclient.format = 32;
    long data[5] = { l0, l1, l2, l3, l4 };
    std::copy(data, data + 5, event.xclient.data.l);
    XSendEvent(display, to, False, NoEventMask, &event);
    XFlush(display);
}

}
