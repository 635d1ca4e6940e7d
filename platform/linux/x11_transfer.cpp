// Error trapping, bounded property reads, selective waiting and selection
// receiving, shared by the clipboard and the drop target.
#include "platform/linux/detail/x11_transfer.hpp"

#include "platform/linux/detail/connection_loss.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>

#include <poll.h>

namespace orvy::linux_platform::detail {

namespace {

// The innermost trap; traps nest on the UI thread only.
XErrorTrap* active_trap = nullptr;

struct XFreeDeleter {
    void operator()(unsigned char* data) const { XFree(data); }
};

}

struct XErrorTrapAccess {
    static int handle(Display* display, XErrorEvent* error)
    {
        XErrorTrap* outermost = nullptr;
        for (XErrorTrap* trap = active_trap; trap; trap = trap->m_outer) {
            if (trap->m_display == display && error->serial >= trap->m_first_serial) {
                trap->m_failed = true;
                return 0;
            }
            outermost = trap;
        }
        // An error of a request made before any trap: whoever handled errors then.
        if (outermost && outermost->m_previous)
            return outermost->m_previous(display, error);
        return 0;
    }
};

XErrorTrap::XErrorTrap(Display* display)
    : m_display(display)
    , m_first_serial(NextRequest(display))
    , m_previous(XSetErrorHandler(XErrorTrapAccess::handle))
    , m_outer(active_trap)
{
    active_trap = this;
}

XErrorTrap::~XErrorTrap()
{
    // Errors of our requests must arrive while we still catch them.
    if (NextRequest(m_display) != m_synced_until)
        XSync(m_display, False);
    active_trap = m_outer;
    XSetErrorHandler(m_previous);
}

bool XErrorTrap::failed(bool sync)
{
    if (sync)
        XSync(m_display, False);
    m_synced_until = NextRequest(m_display);
    return m_failed;
}

Window create_private_window(Display* display)
{
    XSetWindowAttributes attributes {};
    attributes.event_mask = PropertyChangeMask;
    return XCreateWindow(display, DefaultRootWindow(display), -10, -10, 1, 1, 0, 0, InputOnly, CopyFromParent,
        CWEventMask, &attributes);
}

std::optional<PropertyValue> read_property(Display* display, Window window, Atom property, bool remove,
    std::size_t max_bytes)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* raw = nullptr;
    long units = static_cast<long>(std::min<std::size_t>((max_bytes + 3) / 4, 0x3FFFFFFF));
    int status = XGetWindowProperty(display, window, property, 0, units, remove ? True : False, AnyPropertyType,
        &type, &format, &count, &after, &raw);
    std::unique_ptr<unsigned char, XFreeDeleter> data(raw);
    if (status != Success || type == None)
        return std::nullopt;
    PropertyValue value;
    value.type = type;
    value.format = format;
    value.truncated = after > 0;
    // The server only deletes a property that was read to its end.
    if (remove && value.truncated)
        XDeleteProperty(display, window, property);
    if (!data || count == 0)
        return value;
    if (format == 8) {
        value.bytes.assign(reinterpret_cast<char const*>(data.get()), count);
    } else if (format == 16) {
        value.bytes.assign(reinterpret_cast<char const*>(data.get()), count * sizeof(short));
    } else if (format == 32) {
        // Xlib hands 32-bit items over as longs.
        value.bytes.resize(count * 4);
        auto const* items = reinterpret_cast<long const*>(data.get());
        for (unsigned long i = 0; i < count; ++i) {
            auto item = static_cast<std::uint32_t>(items[i]);
            std::memcpy(value.bytes.data() + i * 4, &item, 4);
        }
    }
    if (value.bytes.size() > max_bytes) {
        value.bytes.resize(max_bytes);
        value.truncated = true;
    }
    return value;
}

namespace {

Bool matches(Display*, XEvent* event, XPointer wants)
{
    return (*reinterpret_cast<std::function<bool(XEvent const&)> const*>(wants))(*event) ? True : False;
}

}

bool take_events_until(Display* display, std::function<bool(XEvent const&)> const& wants,
    std::function<bool(XEvent const&)> const& take, std::function<Clock::time_point()> const& deadline)
{
    auto* filter = reinterpret_cast<XPointer>(const_cast<std::function<bool(XEvent const&)>*>(&wants));
    for (;;) {
        XEvent event;
        if (XCheckIfEvent(display, &event, matches, filter)) {
            if (take(event))
                return true;
            continue;
        }
        // A server that went away answers nothing more: the wait ends.
        if (connection_lost(display))
            return false;
        auto remaining = std::chrono::ceil<std::chrono::milliseconds>(deadline() - Clock::now());
        if (remaining.count() <= 0)
            return false;
        // Whatever already reached the client is looked at before sleeping.
        int queued = XQLength(display);
        if (XEventsQueued(display, QueuedAfterFlush) != queued)
            continue;
        pollfd connection { ConnectionNumber(display), POLLIN, 0 };
        poll(&connection, 1, static_cast<int>(std::min<long long>(remaining.count(), 60000)));
        XEventsQueued(display, QueuedAfterReading);
        if (connection.revents & (POLLHUP | POLLERR | POLLNVAL))
            mark_connection_hung_up(display);
    }
}

SelectionReceiver::SelectionReceiver(Display* display, Atom property, Atom incr, std::size_t max_bytes,
    std::chrono::milliseconds silence_limit)
    : m_display(display)
    , m_property(property)
    , m_incr(incr)
    , m_max_bytes(max_bytes)
    , m_silence_limit(silence_limit)
{
}

void SelectionReceiver::start(Window window, Atom selection, Atom target, Time time)
{
    m_window = window;
    m_selection = selection;
    m_state = State::Converting;
    m_type = None;
    m_format = 0;
    m_data.clear();
    m_last_progress = Clock::now();
    XDeleteProperty(m_display, window, m_property);
    XConvertSelection(m_display, selection, target, m_property, window, time);
    XFlush(m_display);
}

bool SelectionReceiver::wants(XEvent const& event) const
{
    if (event.type == SelectionNotify)
        return m_state == State::Converting && event.xselection.requestor == m_window
            && event.xselection.selection == m_selection;
    if (event.type == PropertyNotify)
        return m_state == State::Incremental && event.xproperty.window == m_window
            && event.xproperty.atom == m_property && event.xproperty.state == PropertyNewValue;
    return false;
}

void SelectionReceiver::append(PropertyValue const& value)
{
    if (m_type == None) {
        m_type = value.type;
        m_format = value.format;
    }
    std::size_t room = m_max_bytes - m_data.size();
    m_data.append(value.bytes, 0, std::min(room, value.bytes.size()));
}

bool SelectionReceiver::take(XEvent const& event)
{
    m_last_progress = Clock::now();
    if (event.type == SelectionNotify) {
        if (event.xselection.property == None) {
            m_state = State::Refused;
            return true;
        }
        std::optional<PropertyValue> value = read_property(m_display, m_window, m_property, true, m_max_bytes);
        if (!value) {
            m_state = State::Failed;
            return true;
        }
        // Reading the announcement deleted it, which asks for the first chunk.
        // Its size is only the owner's word and is not used.
        if (value->type == m_incr) {
            m_state = State::Incremental;
            return false;
        }
        append(*value);
        m_state = State::Done;
        return true;
    }
    // A notification may come for a chunk already read through an earlier
    // one; the property is then gone and nothing happens.
    std::optional<PropertyValue> chunk
        = read_property(m_display, m_window, m_property, true, m_max_bytes - m_data.size() + 1);
    if (!chunk)
        return false;
    if (chunk->bytes.empty() || chunk->truncated || m_data.size() + chunk->bytes.size() > m_max_bytes) {
        append(*chunk);
        m_state = State::Done;
        return true;
    }
    append(*chunk);
    return false;
}

void SelectionReceiver::expire(Clock::time_point now)
{
    if (is_busy() && now >= deadline())
        m_state = State::Failed;
}

void SelectionReceiver::wait(std::function<bool(XEvent const&)> const& also,
    std::function<void(XEvent const&)> const& serve)
{
    take_events_until(
        m_display, [&](XEvent const& event) { return wants(event) || (also && also(event)); },
        [&](XEvent const& event) {
            if (wants(event))
                return take(event);
            serve(event);
            return false;
        },
        [&] { return deadline(); });
    if (is_busy())
        m_state = State::Failed;
}

}
