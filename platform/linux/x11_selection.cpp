// The CLIPBOARD selection: answering other clients' requests for our text
// (whole or in increments) and asking the owner for its text.
#include "platform/linux/x11_selection.hpp"

#include "platform/linux/detail/utf.hpp"
#include "platform/linux/detail/x11_transfer.hpp"

#include <algorithm>
#include <cstring>
#include <vector>

#include <X11/Xatom.h>

namespace orvy::linux_platform {

namespace {

using detail::Clock;

// The clipboard hands over at most this much text, as on Windows.
constexpr std::size_t clipboard_limit = 1000001;
// One UTF-16 unit takes at most three bytes of UTF-8 (a pair takes four).
constexpr std::size_t clipboard_limit_bytes = clipboard_limit * 3 + 3;
// Larger answers go in increments even when one request could carry them,
// so the server never buffers a whole large text at once.
constexpr std::size_t largest_chunk = 256 * 1024;
// Transfers in increments that a requestor abandoned are forgotten after this.
constexpr std::chrono::seconds outgoing_silence_limit { 10 };
constexpr std::size_t most_outgoing = 32;
constexpr std::size_t most_multiple_pairs = 64;

enum AtomIndex {
    clipboard,
    targets,
    multiple,
    timestamp,
    utf8_string,
    text_plain_utf8,
    incr,
    atom_pair,
    transfer_property,
    time_property,
    atom_count,
};

constexpr char const* atom_names[atom_count] = {
    "CLIPBOARD",
    "TARGETS",
    "MULTIPLE",
    "TIMESTAMP",
    "UTF8_STRING",
    "text/plain;charset=utf-8",
    "INCR",
    "ATOM_PAIR",
    "_ORVY_CLIPBOARD",
    "_ORVY_TIME",
};

// A text sent in increments: each deletion of the property by the
// requestor asks for the next chunk; an empty chunk ends it.
struct Outgoing {
    Window requestor = None;
    Atom property = None;
    Atom type = None;
    std::shared_ptr<std::string const> data;
    std::size_t offset = 0;
    Clock::time_point last_progress;
};

std::string to_latin1(std::string const& utf8)
{
    std::u16string units = detail::to_utf16(utf8);
    std::string latin1;
    latin1.reserve(units.size());
    for (std::size_t i = 0; i < units.size(); ++i) {
        char16_t unit = units[i];
        // A pair stands for one character and becomes one '?'.
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units.size())
            ++i;
        latin1 += unit <= 0xFF ? static_cast<char>(unit) : '?';
    }
    return latin1;
}

std::u16string from_latin1(std::string_view bytes)
{
    std::u16string text;
    std::size_t count = std::min(bytes.size(), clipboard_limit);
    text.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]));
    return text;
}

}

struct X11Clipboard::State {
    Display* display;
    std::chrono::milliseconds patience;
    Window window = None;
    Atom atoms[atom_count] {};
    std::size_t chunk_bytes = largest_chunk;

    bool owned = false;
    Time owned_since = CurrentTime;
    std::shared_ptr<std::string const> utf8;
    std::shared_ptr<std::string const> latin1; // made on the first request for it
    std::vector<Outgoing> outgoing;
    std::unique_ptr<detail::SelectionReceiver> receiver;

    State(Display* connection, std::chrono::milliseconds owner_patience)
        : display(connection)
        , patience(owner_patience)
    {
    }

    ~State()
    {
        if (window != None) {
            XDestroyWindow(display, window);
            XFlush(display);
        }
    }

    void ensure_window()
    {
        if (window != None)
            return;
        XInternAtoms(display, const_cast<char**>(atom_names), atom_count, False, atoms);
        window = detail::create_private_window(display);
        long units = XExtendedMaxRequestSize(display);
        if (units <= 0)
            units = XMaxRequestSize(display);
        // Room for the request's own header.
        chunk_bytes = std::clamp<std::size_t>(static_cast<std::size_t>(units) * 4 - 100, 1024, largest_chunk);
        receiver = std::make_unique<detail::SelectionReceiver>(display, atoms[transfer_property], atoms[incr],
            clipboard_limit_bytes, patience);
    }

    // A time from the server: the stamp of a change to our own property.
    Time server_time()
    {
        XChangeProperty(display, window, atoms[time_property], XA_STRING, 8, PropModeAppend, nullptr, 0);
        Time time = CurrentTime;
        Clock::time_point deadline = Clock::now() + patience;
        detail::take_events_until(
            display,
            [this](XEvent const& event) {
                return event.type == PropertyNotify && event.xproperty.window == window
                    && event.xproperty.atom == atoms[time_property];
            },
            [&time](XEvent const& event) {
                time = event.xproperty.time;
                return true;
            },
            [deadline] { return deadline; });
        return time;
    }

    bool set_text(std::string utf8_text, Time time)
    {
        ensure_window();
        utf8 = std::make_shared<std::string const>(std::move(utf8_text));
        latin1.reset();
        if (time == CurrentTime)
            time = server_time();
        XSetSelectionOwner(display, atoms[clipboard], window, time);
        owned = XGetSelectionOwner(display, atoms[clipboard]) == window;
        owned_since = time;
        if (!owned)
            utf8.reset();
        return owned;
    }

    std::shared_ptr<std::string const> latin1_text()
    {
        if (!latin1)
            latin1 = std::make_shared<std::string const>(to_latin1(*utf8));
        return latin1;
    }

    void send_bytes(Window requestor, Atom property, Atom type, std::shared_ptr<std::string const> const& data)
    {
        if (data->size() <= chunk_bytes) {
            XChangeProperty(display, requestor, property, type, 8, PropModeReplace,
                reinterpret_cast<unsigned char const*>(data->data()), static_cast<int>(data->size()));
            return;
        }
        // The requestor's deletions of the property ask for each chunk.
        XSelectInput(display, requestor, PropertyChangeMask);
        long size = static_cast<long>(data->size());
        XChangeProperty(display, requestor, property, atoms[incr], 32, PropModeReplace,
            reinterpret_cast<unsigned char const*>(&size), 1);
        if (outgoing.size() >= most_outgoing)
            outgoing.erase(outgoing.begin());
        outgoing.push_back({ requestor, property, type, data, 0, Clock::now() });
    }

    // Writes the text as `target` asks into the requestor's property; false
    // for a target we do not offer.
    bool answer(Window requestor, Atom target, Atom property)
    {
        if (target == atoms[targets]) {
            long offered[] = { static_cast<long>(atoms[targets]), static_cast<long>(atoms[multiple]),
                static_cast<long>(atoms[timestamp]), static_cast<long>(atoms[utf8_string]),
                static_cast<long>(atoms[text_plain_utf8]), static_cast<long>(XA_STRING) };
            XChangeProperty(display, requestor, property, XA_ATOM, 32, PropModeReplace,
                reinterpret_cast<unsigned char const*>(offered), static_cast<int>(std::size(offered)));
        } else if (target == atoms[timestamp]) {
            long time = static_cast<long>(owned_since);
            XChangeProperty(display, requestor, property, XA_INTEGER, 32, PropModeReplace,
                reinterpret_cast<unsigned char const*>(&time), 1);
        } else if (target == atoms[utf8_string] || target == atoms[text_plain_utf8]) {
            send_bytes(requestor, property, target, utf8);
        } else if (target == XA_STRING) {
            send_bytes(requestor, property, XA_STRING, latin1_text());
        } else {
            return false;
        }
        return true;
    }

    // Each (target, property) pair of the request's list is answered on its
    // own; a pair we cannot answer gets None as its property.
    bool answer_multiple(Window requestor, Atom property)
    {
        std::optional<detail::PropertyValue> list
            = detail::read_property(display, requestor, property, false, most_multiple_pairs * 8);
        if (!list || list->format != 32)
            return false;
        std::size_t count = list->bytes.size() / 8;
        std::vector<long> pairs(count * 2);
        for (std::size_t i = 0; i < count * 2; ++i) {
            std::uint32_t item = 0;
            std::memcpy(&item, list->bytes.data() + i * 4, 4);
            pairs[i] = static_cast<long>(item);
        }
        for (std::size_t i = 0; i < count; ++i) {
            auto target = static_cast<Atom>(pairs[2 * i]);
            auto pair_property = static_cast<Atom>(pairs[2 * i + 1]);
            if (pair_property == None || target == atoms[multiple] || !answer(requestor, target, pair_property))
                pairs[2 * i + 1] = None;
        }
        XChangeProperty(display, requestor, property, atoms[atom_pair], 32, PropModeReplace,
            reinterpret_cast<unsigned char const*>(pairs.data()), static_cast<int>(pairs.size()));
        return true;
    }

    void serve_request(XSelectionRequestEvent const& request)
    {
        XSelectionEvent reply {};
        reply.type = SelectionNotify;
        reply.display = display;
        reply.requestor = request.requestor;
        reply.selection = request.selection;
        reply.target = request.target;
        reply.time = request.time;
        reply.property = None;
        // Obsolete requestors name no property and mean the target's name.
        Atom property = request.property == None ? request.target : request.property;
        bool current = owned && request.selection == atoms[clipboard]
            && (request.time == CurrentTime || owned_since == CurrentTime || request.time >= owned_since);
        std::size_t before = outgoing.size();
        detail::XErrorTrap trap(display);
        if (current) {
            if (request.target == atoms[multiple]) {
                if (request.property != None && answer_multiple(request.requestor, property))
                    reply.property = property;
            } else if (answer(request.requestor, request.target, property)) {
                reply.property = property;
            }
        }
        XSendEvent(display, request.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&reply));
        // A requestor that vanished meanwhile gets nothing more.
        if (trap.failed())
            outgoing.resize(std::min(before, outgoing.size()));
    }

    bool is_outgoing_event(XEvent const& event) const
    {
        if (event.type != PropertyNotify || event.xproperty.state != PropertyDelete)
            return false;
        return std::any_of(outgoing.begin(), outgoing.end(), [&](Outgoing const& transfer) {
            return transfer.requestor == event.xproperty.window && transfer.property == event.xproperty.atom;
        });
    }

    // The requestor took a chunk (or the announcement): the next one, or the
    // empty chunk that ends the transfer.
    void continue_outgoing(XPropertyEvent const& event)
    {
        auto found = std::find_if(outgoing.begin(), outgoing.end(), [&](Outgoing const& transfer) {
            return transfer.requestor == event.window && transfer.property == event.atom;
        });
        if (found == outgoing.end())
            return;
        std::size_t count = std::min(chunk_bytes, found->data->size() - found->offset);
        // The requestor may be gone by now.
        detail::XErrorTrap trap(display);
        XChangeProperty(display, found->requestor, found->property, found->type, 8, PropModeReplace,
            reinterpret_cast<unsigned char const*>(found->data->data() + found->offset), static_cast<int>(count));
        found->offset += count;
        found->last_progress = Clock::now();
        if (count != 0 && !trap.failed())
            return;
        Window requestor = found->requestor;
        outgoing.erase(found);
        if (std::none_of(outgoing.begin(), outgoing.end(),
                [&](Outgoing const& transfer) { return transfer.requestor == requestor; }))
            XSelectInput(display, requestor, NoEventMask);
    }

    void forget_stale_outgoing()
    {
        Clock::time_point now = Clock::now();
        std::erase_if(outgoing,
            [&](Outgoing const& transfer) { return now - transfer.last_progress > outgoing_silence_limit; });
    }

    std::u16string decode(detail::SelectionReceiver const& result) const
    {
        if (result.state() != detail::SelectionReceiver::State::Done || result.format() != 8)
            return {};
        if (result.type() == atoms[utf8_string] || result.type() == atoms[text_plain_utf8])
            return detail::to_utf16(result.data(), clipboard_limit);
        if (result.type() == XA_STRING)
            return from_latin1(result.data());
        return {};
    }

    std::u16string request_text(Time time)
    {
        // A loss of the clipboard may be queued behind the host's current event.
        XEvent clear;
        while (owned && window != None && XCheckTypedWindowEvent(display, window, SelectionClear, &clear))
            handle(clear);
        if (owned)
            return detail::to_utf16(*utf8, clipboard_limit);
        ensure_window();
        auto also = [this](XEvent const& event) { return is_outgoing_event(event); };
        auto serve = [this](XEvent const& event) { continue_outgoing(event.xproperty); };
        receiver->start(window, atoms[clipboard], atoms[utf8_string], time);
        receiver->wait(also, serve);
        // Owners that predate UTF-8 offer Latin-1 only.
        if (receiver->state() == detail::SelectionReceiver::State::Refused) {
            receiver->start(window, atoms[clipboard], XA_STRING, time);
            receiver->wait(also, serve);
        }
        std::u16string text = decode(*receiver);
        receiver->take_data();
        return text;
    }

    bool handle(XEvent const& event)
    {
        switch (event.type) {
        case SelectionRequest:
            if (window == None || event.xselectionrequest.owner != window)
                return false;
            forget_stale_outgoing();
            serve_request(event.xselectionrequest);
            return true;
        case SelectionClear:
            if (window == None || event.xselectionclear.window != window)
                return false;
            if (event.xselectionclear.selection == atoms[clipboard]
                && (owned_since == CurrentTime || event.xselectionclear.time >= owned_since)) {
                owned = false;
                utf8.reset();
                latin1.reset();
            }
            return true;
        case PropertyNotify:
            if (is_outgoing_event(event)) {
                continue_outgoing(event.xproperty);
                return true;
            }
            // Late notifications of our own properties: nothing waits for them now.
            return window != None && event.xproperty.window == window;
        case SelectionNotify: return window != None && event.xselection.requestor == window;
        default: return false;
        }
    }
};

X11Clipboard::X11Clipboard(_XDisplay* display, std::chrono::milliseconds patience)
    : m_state(std::make_unique<State>(display, patience))
{
}

X11Clipboard::~X11Clipboard() = default;

bool X11Clipboard::set_text(std::u16string_view text, unsigned long time)
{
    return m_state->set_text(detail::to_utf8(text), time);
}

bool X11Clipboard::set_text_utf8(std::string_view text, unsigned long time)
{
    // Stored as valid UTF-8 whatever came in.
    return m_state->set_text(detail::to_utf8(detail::to_utf16(text)), time);
}

std::u16string X11Clipboard::text(unsigned long time) { return m_state->request_text(time); }

bool X11Clipboard::handle_event(_XEvent const& event) { return m_state->handle(event); }

bool X11Clipboard::owns() const { return m_state->owned; }

}
