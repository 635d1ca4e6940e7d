// The pieces the clipboard and the drop target share: trapping errors of
// requests on other clients' windows, reading a property with a bound,
// waiting for chosen events without disturbing the rest of the queue, and
// receiving a selection conversion (whole or incremental).
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include <X11/Xlib.h>

namespace orvy::linux_platform::detail {

using Clock = std::chrono::steady_clock;

// How long an owner or source may stay silent before a transfer is given up.
inline constexpr std::chrono::milliseconds transfer_silence_limit { 1500 };

// Catches the X errors of the requests made during its life, which would
// otherwise reach the host's handler or end the process through Xlib's
// default one: another client's window may vanish at any moment. Errors of
// earlier requests still go to the handler that was set before.
class XErrorTrap {
public:
    explicit XErrorTrap(Display* display);
    ~XErrorTrap();
    XErrorTrap(XErrorTrap const&) = delete;
    XErrorTrap& operator=(XErrorTrap const&) = delete;

    // Waits for the server to process the requests so far, then tells
    // whether any of them failed. `sync` false when the last request already
    // waited for its reply.
    bool failed(bool sync = true);

private:
    friend struct XErrorTrapAccess;

    Display* m_display;
    unsigned long m_first_serial;
    unsigned long m_synced_until = 0;
    bool m_failed = false;
    int (*m_previous)(Display*, XErrorEvent*);
    XErrorTrap* m_outer;
};

// The small unmapped window a class receives selection traffic on, with
// property changes selected.
Window create_private_window(Display* display);

struct PropertyValue {
    Atom type = None;
    int format = 0;
    // The items as bytes; 32-bit items as 4 bytes each in host order.
    std::string bytes;
    bool truncated = false; // the property held more than the bound
};

// Reads at most `max_bytes` of a property; deletes it when `remove` (also
// when it was longer than the bound). Nothing when it does not exist.
std::optional<PropertyValue> read_property(Display* display, Window window, Atom property, bool remove,
    std::size_t max_bytes);

// Takes from the queue, in their order, only the events `wants` picks, and
// hands each to `take` until `take` reports it is done or `deadline()`
// passes; every other event stays queued where it was. False on timeout.
// `wants` must not call Xlib.
bool take_events_until(Display* display, std::function<bool(XEvent const&)> const& wants,
    std::function<bool(XEvent const&)> const& take, std::function<Clock::time_point()> const& deadline);

// One conversion of a selection into a property of our window:
//   start                           -> converting
//   converting, notify with None    -> refused
//   converting, notify with INCR    -> incremental (each new chunk is read
//                                      and deleted, which asks for the next)
//   converting, notify with data    -> done
//   incremental, empty chunk        -> done
//   data past the bound             -> done, truncated
//   silence past the deadline       -> failed (expire)
class SelectionReceiver {
public:
    enum class State { Idle, Converting, Incremental, Done, Refused, Failed };

    SelectionReceiver(Display* display, Atom property, Atom incr, std::size_t max_bytes,
        std::chrono::milliseconds silence_limit = transfer_silence_limit);

    void start(Window window, Atom selection, Atom target, Time time);
    bool wants(XEvent const& event) const;
    // Reports whether the transfer has ended.
    bool take(XEvent const& event);
    void expire(Clock::time_point now);
    bool is_busy() const { return m_state == State::Converting || m_state == State::Incremental; }
    Clock::time_point deadline() const { return m_last_progress + m_silence_limit; }
    // Waits for the end, leaving other events queued.
    void wait() { wait({}, {}); }
    // The same, serving meanwhile the events `also` picks through `serve`.
    void wait(std::function<bool(XEvent const&)> const& also, std::function<void(XEvent const&)> const& serve);

    State state() const { return m_state; }
    Atom type() const { return m_type; }
    int format() const { return m_format; }
    std::string const& data() const { return m_data; }
    std::string take_data() { return std::move(m_data); }

private:
    void append(PropertyValue const& value);

    Display* m_display;
    Atom m_property;
    Atom m_incr;
    std::size_t m_max_bytes;
    std::chrono::milliseconds m_silence_limit;
    Window m_window = None;
    Atom m_selection = None;
    State m_state = State::Idle;
    Atom m_type = None;
    int m_format = 0;
    std::string m_data;
    Clock::time_point m_last_progress;
};

}
