// X events to window-procedure calls.
#include "platform/linux/x11_host.hpp"

#include "platform/linux/atspi_bridge.hpp"
#include "platform/linux/detail/connection_loss.hpp"
#include "platform/linux/detail/input_method.hpp"
#include "platform/linux/detail/key_map.hpp"
#include "platform/linux/detail/x11.hpp"

#include <X11/XKBlib.h>
#include <X11/Xutil.h>

namespace orvy::linux_platform {

namespace {

std::uint8_t modifiers_of(unsigned state)
{
    std::uint8_t mask = 0;
    if (state & ControlMask)
        mask |= key_modifier::control;
    if (state & ShiftMask)
        mask |= key_modifier::shift;
    if (state & Mod1Mask)
        mask |= key_modifier::alt;
    return mask;
}

// The symbol a key has without Shift in the group the event was typed in:
// what the key is labelled, which the virtual-key code follows.
KeySym unshifted_symbol(XKeyEvent const& key)
{
    if (key.keycode == 0)
        return NoSymbol;
    auto keycode = static_cast<KeyCode>(key.keycode);
    unsigned group = (key.state >> 13) & 3;
    KeySym symbol = XkbKeycodeToKeysym(key.display, keycode, static_cast<int>(group), 0);
    if (symbol == NoSymbol && group != 0)
        symbol = XkbKeycodeToKeysym(key.display, keycode, 0, 0);
    return symbol;
}

}

struct X11Host::Events {
    static void expose(X11Host& host, XEvent& event)
    {
        XExposeEvent const& expose = event.xexpose;
        if (X11Window* native = host.window(static_cast<WindowId>(expose.window)))
            native->exposed({ expose.x, expose.y, expose.x + expose.width, expose.y + expose.height });
    }

    static void map(X11Host& host, XEvent& event)
    {
        if (X11Window* native = host.window(static_cast<WindowId>(event.xmap.window)))
            native->mapped();
    }

    static void configure(X11Host& host, XEvent& event)
    {
        XConfigureEvent const& configure = event.xconfigure;
        // Only the last size of a batch is reported (apply_configured_size).
        if (X11Window* native = host.window(static_cast<WindowId>(configure.window)))
            native->configured({ static_cast<std::uint32_t>(std::max(configure.width, 0)),
                static_cast<std::uint32_t>(std::max(configure.height, 0)) });
    }

    static void property(X11Host& host, XEvent& event)
    {
        X11Window* native = host.window(static_cast<WindowId>(event.xproperty.window));
        if (native && event.xproperty.atom == host.atoms().net_frame_extents)
            native->frame_extents_changed();
    }

    static void client_message(X11Host& host, XEvent& event)
    {
        XClientMessageEvent& message = event.xclient;
        X11Window* native = host.window(static_cast<WindowId>(message.window));
        if (!native || message.message_type != host.atoms().wm_protocols || message.format != 32)
            return;
        auto protocol = static_cast<Atom>(message.data.l[0]);
        if (protocol == host.atoms().net_wm_ping) {
            // The window manager checks that the program still answers.
            Window root = DefaultRootWindow(host.m_display);
            message.window = root;
            XSendEvent(host.m_display, root, False, SubstructureNotifyMask | SubstructureRedirectMask, &event);
        } else if (protocol == host.atoms().wm_delete_window) {
            // A window blocked by its modal window ignores its close box.
            if (native->is_enabled())
                host.destroy(native->id());
            else
                host.raise_modal_child(native->id());
        }
    }

    static void focus(X11Host& host, XEvent& event)
    {
        XFocusChangeEvent const& change = event.xfocus;
        // Focus moving inside the window or for a keyboard grab changes nothing.
        if (change.mode == NotifyGrab || change.mode == NotifyUngrab || change.detail == NotifyInferior)
            return;
        X11Window* native = host.window(static_cast<WindowId>(change.window));
        if (!native)
            return;
        bool focused = event.type == FocusIn;
        native->focus_changed(focused);
        if (host.m_accessibility)
            host.m_accessibility->window_activated(native->id(), focused);
        if (focused && !native->is_enabled())
            host.raise_modal_child(native->id());
    }

    static void key_press(X11Host& host, XEvent& event)
    {
        XKeyEvent& key = event.xkey;
        host.m_last_input_time = key.time;
        X11Window* native = host.window(static_cast<WindowId>(key.window));
        if (!native)
            return;
        // The text first: the input method keeps its state per key read.
        KeySym typed = NoSymbol;
        std::string text;
        if (detail::InputContext* context = native->input_context()) {
            text = context->lookup(key, typed);
        } else {
            char buffer[64];
            int length = XLookupString(&key, buffer, sizeof buffer, &typed, nullptr);
            text = detail::locale_to_utf8({ buffer, static_cast<std::size_t>(std::max(length, 0)) });
        }
        KeySym symbol = unshifted_symbol(key);
        // Keypad keys are digits or movements as Num Lock says.
        if (IsKeypadKey(typed))
            symbol = typed;
        host.m_modifiers = modifiers_of(key.state) | detail::modifier_bit(symbol);

        WindowId id = native->id();
        native = host.input_target(key.window, false);
        if (!native)
            return;
        if (std::uint32_t code = detail::virtual_key(symbol, key.keycode))
            native->procedure().key_down(*native, code);
        // Editing expects Backspace, Tab, Enter and Escape as characters too.
        native = host.window(id);
        if (char16_t control = detail::control_character(symbol); native && control)
            native->procedure().character(*native, control);
        if ((native = host.window(id)))
            native->deliver_composed_text(text);
    }

    static void key_release(X11Host& host, XEvent& event)
    {
        KeySym symbol = unshifted_symbol(event.xkey);
        host.m_modifiers = modifiers_of(event.xkey.state) & static_cast<std::uint8_t>(~detail::modifier_bit(symbol));
    }

    static void button_press(X11Host& host, XEvent& event)
    {
        XButtonEvent const& button = event.xbutton;
        host.m_modifiers = modifiers_of(button.state);
        host.m_last_input_time = button.time;
        // Buttons 4 and 5 are the wheel's notches, one at a time; 4 is away from the user.
        bool wheel = button.button == Button4 || button.button == Button5;
        X11Window* native = host.input_target(button.window, !wheel);
        if (!native)
            return;
        auto x = static_cast<float>(button.x), y = static_cast<float>(button.y);
        if (button.button == Button1)
            native->procedure().left_down(*native, x, y);
        else if (button.button == Button3)
            native->procedure().right_down(*native, x, y);
        else if (wheel)
            native->procedure().wheel(*native, button.button == Button4 ? 120 : -120);
    }

    static void button_release(X11Host& host, XEvent& event)
    {
        host.m_modifiers = modifiers_of(event.xbutton.state);
        if (event.xbutton.button != Button1)
            return;
        if (X11Window* native = host.input_target(event.xbutton.window, false))
            native->procedure().left_up(*native);
    }

    static void motion(X11Host& host, XEvent& event)
    {
        XMotionEvent const& motion = event.xmotion;
        // Of a run of moves already read, only the last one counts.
        if (XEventsQueued(host.m_display, QueuedAlready) > 0) {
            XEvent next;
            XPeekEvent(host.m_display, &next);
            if (next.type == MotionNotify && next.xmotion.window == motion.window)
                return;
        }
        if (X11Window* native = host.input_target(motion.window, false))
            native->procedure().pointer_move(*native, static_cast<float>(motion.x), static_cast<float>(motion.y));
    }

    static void enter(X11Host& host, XEvent& event)
    {
        XCrossingEvent const& crossing = event.xcrossing;
        if (crossing.mode != NotifyNormal)
            return;
        if (X11Window* native = host.input_target(crossing.window, false))
            native->procedure().pointer_move(*native, static_cast<float>(crossing.x), static_cast<float>(crossing.y));
    }

    static void mapping(X11Host&, XEvent& event)
    {
        if (event.xmapping.request != MappingPointer)
            XRefreshKeyboardMapping(&event.xmapping);
    }
};

void X11Host::dispatch(XEvent& event)
{
    struct Row {
        int type;
        void (*handle)(X11Host&, XEvent&);
    };
    static constexpr Row rows[] = {
        { Expose, Events::expose },
        { MapNotify, Events::map },
        { ConfigureNotify, Events::configure },
        { PropertyNotify, Events::property },
        { ClientMessage, Events::client_message },
        { FocusIn, Events::focus },
        { FocusOut, Events::focus },
        { KeyPress, Events::key_press },
        { KeyRelease, Events::key_release },
        { ButtonPress, Events::button_press },
        { ButtonRelease, Events::button_release },
        { MotionNotify, Events::motion },
        { EnterNotify, Events::enter },
        { MappingNotify, Events::mapping },
    };
    for (Row const& row : rows) {
        if (row.type == event.type) {
            row.handle(*this, event);
            return;
        }
    }
}

void X11Host::read_events()
{
    if (!m_display)
        return;
    // Compositions the input method sent are shown before the next key is
    // handled, so that a commit always comes after them.
    auto deliver_preedits = [this] {
        if (!m_input_method)
            return;
        for (WindowId id : window_ids()) {
            X11Window* native = window(id);
            detail::InputContext* context = native ? native->input_context() : nullptr;
            if (!context)
                continue;
            if (std::optional<std::u16string> preedit = context->take_preedit())
                native->deliver_preedit(*preedit);
        }
    };
    // XPending reads what the server sent without blocking. Once the
    // connection broke nothing more is read from it.
    while (m_display && !detail::connection_lost(m_display) && XPending(m_display) > 0) {
        XEvent event;
        XNextEvent(m_display, &event);
        if (m_input_method && XFilterEvent(&event, None)) {
            deliver_preedits();
            continue;
        }
        if (m_clipboard->handle_event(event) || m_drop->handle_event(event))
            continue;
        if (event.type == KeyPress)
            deliver_preedits();
        dispatch(event);
    }
    deliver_preedits();
    // Sizes last: of a drag's many sizes only the one it ended with is laid out.
    for (WindowId id : window_ids()) {
        if (X11Window* native = window(id))
            native->apply_configured_size();
    }
}

}
