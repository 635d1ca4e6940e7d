// X11Clipboard: the CLIPBOARD selection on plain Xlib, as owner and as
// requestor, for a host that passes it the display's events.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

// Xlib's own names, declared without its header, whose macros (None,
// Status, Bool) would clash with names in core.
struct _XDisplay;
union _XEvent;

namespace orvy::linux_platform {

class X11Clipboard {
public:
    // Makes no X request until first used. `patience`: how long text()
    // waits for an owner that has stopped answering.
    explicit X11Clipboard(_XDisplay* display, std::chrono::milliseconds patience = std::chrono::milliseconds(1500));
    ~X11Clipboard();
    X11Clipboard(X11Clipboard const&) = delete;
    X11Clipboard& operator=(X11Clipboard const&) = delete;

    // Puts the text on the clipboard; false when the server did not make us
    // its owner. `time` is the X time of the user's request when known;
    // 0 (CurrentTime) fetches the server's time. The text is held on a
    // window of the clipboard's own, so it outlives every host window.
    bool set_text(std::u16string_view text, unsigned long time = 0);
    bool set_text_utf8(std::string_view text, unsigned long time = 0);

    // The clipboard's text, at most 1000001 code units; "" when there is
    // none, on failure, or when the owner stays silent. Blocks until the
    // owner answers or a time limit passes, taking only its own events from
    // the queue: the host finds every other event still queued, in order.
    std::u16string text(unsigned long time = 0);

    // Every event should pass through here before the host handles it;
    // true when it belonged to the clipboard (requests for its text, the
    // loss of it, incremental transfers) and was handled.
    bool handle_event(_XEvent const& event);

    bool owns() const;

private:
    struct State;
    std::unique_ptr<State> m_state;
};

}
