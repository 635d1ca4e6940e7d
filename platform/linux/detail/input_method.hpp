// The X input method: one connection to it per display, opened when a text
// field first wants it, and an input context per window that composes text.
// Include after core headers (Xlib's macros).
#pragma once

#include "core/base/geometry.hpp"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include <X11/Xlib.h>

namespace orvy::linux_platform::detail {

// One change of what the input method is composing: `length` characters
// from `first` on are replaced by `text`. Out-of-range values are clamped.
void splice_preedit(std::u32string& preedit, std::size_t first, std::size_t length, std::u32string_view text);

// Text in the locale's multibyte encoding (as Xlib hands it over) as code
// points, and as UTF-8.
std::u32string from_locale(std::string_view text);
std::string locale_to_utf8(std::string_view text);

class InputMethod {
public:
    // Null when no input method can be opened, not even the built-in one
    // that composes dead keys.
    static std::unique_ptr<InputMethod> open(Display* display);
    ~InputMethod();
    InputMethod(InputMethod const&) = delete;
    InputMethod& operator=(InputMethod const&) = delete;

    XIM handle() const { return m_method; }
    XIMStyle style() const { return m_style; }
    // False once the input method's server has gone; its contexts are gone with it.
    bool is_alive() const { return m_alive; }

private:
    InputMethod(XIM method, XIMStyle style);
    static void destroyed(XIM, XPointer client, XPointer);

    XIM m_method;
    XIMStyle m_style;
    bool m_alive = true;
};

// A window's input context. Compositions the method sends through its
// callbacks are kept until the loop takes them: the callbacks run inside
// Xlib, where no window code may run.
class InputContext {
public:
    static std::unique_ptr<InputContext> create(InputMethod& method, Window window);
    ~InputContext();
    InputContext(InputContext const&) = delete;
    InputContext& operator=(InputContext const&) = delete;

    // The events the method needs to see besides the window's own.
    long filter_events() const { return m_filter_events; }
    void set_focus(bool focused);
    // Where the composition is shown, for methods that draw it themselves.
    void place(RectF area);
    // Composed text of a key press, UTF-8; `keysym` gets the key's symbol.
    std::string lookup(XKeyEvent& event, KeySym& keysym);
    // The composition as it now stands, once after each change.
    std::optional<std::u16string> take_preedit();

private:
    InputContext(InputMethod& method) : m_method(method) { }
    // Xlib's callback type returns a Bool, which only the start's value means.
    static int preedit_start(XIC, XPointer client, XPointer);
    static int preedit_done(XIC, XPointer client, XPointer);
    static int preedit_draw(XIC, XPointer client, XPointer data);
    static int preedit_caret(XIC, XPointer, XPointer) { return 0; }

    InputMethod& m_method;
    XIC m_context = nullptr;
    long m_filter_events = 0;
    std::u32string m_preedit;
    bool m_preedit_changed = false;
};

}
