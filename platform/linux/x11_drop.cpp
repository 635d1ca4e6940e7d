// The drop side of XDND: answering a source's messages while it drags over
// our windows, fetching the dropped list and telling the source the outcome.
#include "platform/linux/x11_drop.hpp"

#include "platform/linux/detail/uri_list.hpp"
#include "platform/linux/detail/x11_transfer.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include <X11/Xatom.h>
#include <unistd.h>

namespace orvy::linux_platform {

namespace {

constexpr long protocol_version = 5;
// Bounds on what a source may make us read.
constexpr std::size_t most_types_bytes = 256 * 4;
constexpr std::size_t most_list_bytes = 16 * 1024 * 1024;

enum AtomIndex {
    aware,
    enter,
    position,
    status,
    leave,
    drop,
    finished,
    selection,
    type_list,
    action_copy,
    uri_list,
    incr,
    drop_property,
    atom_count,
};

constexpr char const* atom_names[atom_count] = {
    "XdndAware",
    "XdndEnter",
    "XdndPosition",
    "XdndStatus",
    "XdndLeave",
    "XdndDrop",
    "XdndFinished",
    "XdndSelection",
    "XdndTypeList",
    "XdndActionCopy",
    "text/uri-list",
    "INCR",
    "_ORVY_DROP",
};

std::string own_host_name()
{
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0)
        return {};
    return name;
}

}

// The drag in progress over one of our windows:
//   enter                 -> remember the source and whether it offers a list
//   position              -> status: accepted when offered and the point takes it
//   leave                 -> forget the drag
//   drop, accepted        -> convert the selection, then finished with the outcome
//   drop, not accepted    -> finished, failed
//   any message from a source we do not know is answered as refused.
struct XdndTarget::State {
    struct Drag {
        Window source = None;
        Window target = None;
        bool offered = false;
        bool accepted = false;
        PointF point {};
    };

    Display* display;
    Hooks hooks;
    Atom atoms[atom_count] {};
    bool atoms_known = false;
    std::vector<Window> windows;
    Window receiver_window = None;
    std::unique_ptr<detail::SelectionReceiver> receiver;
    std::string own_host;
    Drag drag;
    Drag dropping; // the drop whose data is awaited

    State(Display* connection, Hooks given)
        : display(connection)
        , hooks(std::move(given))
    {
    }

    ~State()
    {
        if (receiver && receiver->is_busy())
            send_finished(dropping, false);
        if (receiver_window != None)
            XDestroyWindow(display, receiver_window);
        XFlush(display);
    }

    void ensure_atoms()
    {
        if (atoms_known)
            return;
        XInternAtoms(display, const_cast<char**>(atom_names), atom_count, False, atoms);
        atoms_known = true;
    }

    bool is_ours(Window window) const { return std::find(windows.begin(), windows.end(), window) != windows.end(); }

    void send(Window source, Atom type, long const (&data)[5])
    {
        XEvent event {};
        event.xclient.type = ClientMessage;
        event.xclient.display = display;
        event.xclient.window = source;
        event.xclient.message_type = type;
        event.xclient.format = 32;
        std::copy(std::begin(data), std::end(data), event.xclient.data.l);
        // The source may be gone.
        detail::XErrorTrap trap(display);
        XSendEvent(display, source, False, NoEventMask, &event);
        trap.failed();
    }

    void send_status(Window source, Window target, bool accepted)
    {
        // Bit 1: we want a position message for every move, since drop zones
        // need not be rectangles we could name.
        send(source, atoms[status],
            { static_cast<long>(target), (accepted ? 1 : 0) | 2, 0, 0,
                accepted ? static_cast<long>(atoms[action_copy]) : 0 });
    }

    void send_finished(Drag const& done, bool success)
    {
        send(done.source, atoms[finished],
            { static_cast<long>(done.target), success ? 1 : 0, success ? static_cast<long>(atoms[action_copy]) : 0,
                0, 0 });
    }

    bool offers_list(XClientMessageEvent const& message)
    {
        auto source = static_cast<Window>(message.data.l[0]);
        if (!(message.data.l[1] & 1)) {
            return std::any_of(message.data.l + 2, message.data.l + 5,
                [&](long type) { return static_cast<Atom>(type) == atoms[uri_list]; });
        }
        // More than three types: the source lists them on its window.
        detail::XErrorTrap trap(display);
        std::optional<detail::PropertyValue> types
            = detail::read_property(display, source, atoms[type_list], false, most_types_bytes);
        if (trap.failed(false) || !types || types->format != 32)
            return false;
        for (std::size_t i = 0; i + 4 <= types->bytes.size(); i += 4) {
            std::uint32_t type = 0;
            std::memcpy(&type, types->bytes.data() + i, 4);
            if (type == atoms[uri_list])
                return true;
        }
        return false;
    }

    std::optional<PointF> client_point(Window target, long packed)
    {
        int root_x = static_cast<int>((packed >> 16) & 0xFFFF), root_y = static_cast<int>(packed & 0xFFFF);
        int x = 0, y = 0;
        Window child = None;
        detail::XErrorTrap trap(display);
        bool same_screen = XTranslateCoordinates(display, DefaultRootWindow(display), target, root_x, root_y, &x, &y,
            &child);
        if (trap.failed(false) || !same_screen)
            return std::nullopt;
        return PointF { static_cast<float>(x), static_cast<float>(y) };
    }

    // Where the pointer is, when it is over the window. A busy source falls
    // behind the pointer and drops at the last position it got round to
    // sending, which may lie well before where the user let go.
    std::optional<PointF> pointer_inside(Window target)
    {
        Window root = None, child = None;
        int root_x = 0, root_y = 0, x = 0, y = 0;
        unsigned buttons = 0;
        XWindowAttributes attributes {};
        detail::XErrorTrap trap(display);
        bool found = XQueryPointer(display, target, &root, &child, &root_x, &root_y, &x, &y, &buttons)
            && XGetWindowAttributes(display, target, &attributes);
        if (trap.failed(false) || !found || x < 0 || y < 0 || x >= attributes.width || y >= attributes.height)
            return std::nullopt;
        return PointF { static_cast<float>(x), static_cast<float>(y) };
    }

    void on_position(XClientMessageEvent const& message)
    {
        auto source = static_cast<Window>(message.data.l[0]);
        if (source != drag.source || message.window != drag.target) {
            send_status(source, message.window, false);
            return;
        }
        std::optional<PointF> point = client_point(drag.target, message.data.l[2]);
        drag.accepted = false;
        if (point) {
            drag.point = *point;
            drag.accepted = drag.offered && (!hooks.accepts_at || hooks.accepts_at(drag.target, *point));
        }
        send_status(source, drag.target, drag.accepted);
    }

    void on_drop(XClientMessageEvent const& message)
    {
        auto source = static_cast<Window>(message.data.l[0]);
        Drag dropped = drag;
        drag = {};
        bool known = source == dropped.source && message.window == dropped.target;
        if (!known)
            dropped = { .source = source, .target = message.window };
        if (!known || !dropped.accepted || (receiver && receiver->is_busy())) {
            send_finished(dropped, false);
            return;
        }
        if (receiver_window == None) {
            receiver_window = detail::create_private_window(display);
            receiver = std::make_unique<detail::SelectionReceiver>(display, atoms[drop_property], atoms[incr],
                most_list_bytes);
        }
        dropping = dropped;
        if (std::optional<PointF> pointer = pointer_inside(dropped.target))
            dropping.point = *pointer;
        receiver->start(receiver_window, atoms[selection], atoms[uri_list], static_cast<Time>(message.data.l[2]));
    }

    // The source answered (or gave up, or stayed silent too long): tell it
    // the outcome first, then deliver, since delivering may run a nested loop.
    void finish_drop()
    {
        Drag done = dropping;
        dropping = {};
        std::vector<std::string> entries;
        if (receiver->state() == detail::SelectionReceiver::State::Done && receiver->format() == 8) {
            if (own_host.empty())
                own_host = own_host_name();
            entries = detail::uri_list_entries(receiver->data(), own_host);
        }
        receiver->take_data();
        send_finished(done, !entries.empty());
        if (!entries.empty() && hooks.on_drop)
            hooks.on_drop(done.target, entries, done.point);
    }

    bool handle_message(XClientMessageEvent const& message)
    {
        Atom type = message.message_type;
        if (type == atoms[enter]) {
            drag = {};
            if (is_ours(message.window))
                drag = { .source = static_cast<Window>(message.data.l[0]),
                    .target = message.window,
                    .offered = offers_list(message) };
        } else if (type == atoms[position]) {
            on_position(message);
        } else if (type == atoms[leave]) {
            if (static_cast<Window>(message.data.l[0]) == drag.source)
                drag = {};
        } else if (type == atoms[drop]) {
            on_drop(message);
        } else {
            return false;
        }
        return true;
    }

    bool handle(XEvent const& event)
    {
        if (!atoms_known)
            return false;
        if (event.type == ClientMessage && event.xclient.format == 32)
            return handle_message(event.xclient);
        if (receiver_window == None || event.xany.window != receiver_window)
            return false;
        if (receiver->wants(event) && receiver->take(event))
            finish_drop();
        return true;
    }
};

XdndTarget::XdndTarget(_XDisplay* display, Hooks hooks)
    : m_state(std::make_unique<State>(display, std::move(hooks)))
{
}

XdndTarget::~XdndTarget() = default;

void XdndTarget::make_aware(unsigned long window)
{
    State& state = *m_state;
    state.ensure_atoms();
    XChangeProperty(state.display, window, state.atoms[aware], XA_ATOM, 32, PropModeReplace,
        reinterpret_cast<unsigned char const*>(&protocol_version), 1);
    if (!state.is_ours(window))
        state.windows.push_back(window);
}

void XdndTarget::forget(unsigned long window)
{
    std::erase(m_state->windows, window);
    if (m_state->drag.target == window)
        m_state->drag = {};
}

bool XdndTarget::handle_event(_XEvent const& event) { return m_state->handle(event); }

std::optional<XdndTarget::Clock::time_point> XdndTarget::deadline() const
{
    if (m_state->receiver && m_state->receiver->is_busy())
        return m_state->receiver->deadline();
    return std::nullopt;
}

void XdndTarget::expire(Clock::time_point now)
{
    State& state = *m_state;
    if (!state.receiver || !state.receiver->is_busy())
        return;
    state.receiver->expire(now);
    if (!state.receiver->is_busy())
        state.finish_drop();
}

}
