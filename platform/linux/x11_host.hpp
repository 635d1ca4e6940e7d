// X11Host and X11Window: native windows on a plain Xlib connection and the
// one loop that serves every window of the UI thread.
#pragma once

#include "core/access/accessible.hpp"
#include "core/window/host.hpp"
#include "platform/linux/cairo_canvas.hpp"
#include "platform/linux/detail/file_dialogs.hpp"
#include "platform/linux/detail/frame_presenter.hpp"
#include "platform/linux/detail/monitors.hpp"
#include "platform/linux/detail/posted_events.hpp"
#include "platform/linux/x11_drop.hpp"
#include "platform/linux/x11_selection.hpp"

#include <array>
#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Xlib's types, without its macros (which clash with names in core).
struct _XDisplay;
union _XEvent;

namespace orvy::linux_platform {

namespace detail {
struct Atoms;
class InputMethod;
class InputContext;
}

class X11Host;
class AtspiBridge;

class X11Window final : public NativeWindow {
public:
    using Clock = std::chrono::steady_clock;

    struct Visual {
        void* visual = nullptr; // Xlib's Visual
        int depth = 0;
        bool transparent = false;
        unsigned long colormap = 0; // the window's own, for a visual other than the screen's
    };

    X11Window(X11Host& host, unsigned long xid, Visual visual, WindowOptions const& options, WindowHooks hooks,
        std::unique_ptr<WindowHandlers> handlers);
    ~X11Window() override;
    X11Window(X11Window const&) = delete;
    X11Window& operator=(X11Window const&) = delete;

    WindowId id() const override { return static_cast<WindowId>(m_xid); }
    ClientSize client_size() const override { return m_size; }
    void move(std::int32_t x, std::int32_t y) override;
    void raise() override;
    void request_close() override;
    void invalidate() override { m_needs_paint = true; }
    void start_frame_timer() override;
    void stop_frame_timer() override { m_timer_running = false; }
    void set_cursor(CursorKind cursor) override;
    void capture_pointer(bool captured) override;
    void set_text_input_area(RectF area) override;
    bool is_transparent() const override { return m_visual.transparent; }
    std::shared_ptr<Waker> waker() override { return m_waker; }
    void request_file_dialogs() override;
    void show_file_dialog(FileDialogSpec const& dialog, FileDialogDone done) override;

    unsigned long xid() const { return m_xid; }
    WindowProcedure& procedure() { return m_procedure; }
    // A paint is pending. The first frame is painted and presented while
    // the map request travels, not after the window was first exposed.
    bool needs_paint() const { return m_needs_paint; }
    void paint();
    // Parts of the frame presented last that the server lost wait to be
    // presented again (no paint: the frame is kept).
    bool has_damage() const { return m_damage.has_value(); }
    void present_damage();
    // The first frame has been painted and presented (or could not be).
    bool is_first_frame_out() const { return m_first_frame_out; }
    // Presents so far, for tests and measurements.
    std::uint64_t presents() const { return m_presents; }

    bool timer_running() const { return m_timer_running; }
    Clock::time_point next_tick() const { return m_next_tick; }
    // Runs the tick when it is due and schedules the next one.
    void tick_if_due(Clock::time_point now);

    WindowId owner() const { return m_owner; }
    bool is_modal() const { return m_modal; }
    // While a modal window it owns is open, a window takes no input.
    bool is_enabled() const { return m_disabled == 0; }
    void set_enabled(bool enabled) { m_disabled += enabled ? -1 : 1; }
    // Seconds the last present took, for measurements.
    double last_present_seconds() const { return m_last_present; }

    // The top-left of the client area on the screen (asks the server).
    PointI position() const;
    // The window manager's frame around the client area: left, right, top, bottom.
    std::array<int, 4> const& frame_extents() const { return m_frame_extents; }

    // What the loop learns from the server.
    void exposed(RectI area);
    void mapped();
    void configured(ClientSize size) { m_configured_size = size; }
    // Reports a size the batch of events ended with, once.
    void apply_configured_size();
    void frame_extents_changed();
    void focus_changed(bool focused);

    // The input context, once a text field has asked for the input method
    // and the host opened it; null before and where there is none.
    detail::InputContext* input_context() const { return m_input_context.get(); }
    bool wants_input_context() const { return m_wants_input_context && !m_input_context; }
    void attach_input_context(std::unique_ptr<detail::InputContext> context);
    // What the input method sends, as typed text or a composition.
    void deliver_composed_text(std::string_view utf8);
    void deliver_preedit(std::u16string_view text);

private:
    // The connection broke: no request may go out on it any more.
    bool is_cut_off() const;
    void release_target();
    void retarget(unsigned char* pixels, int width, int height, int stride);
    void select_input();
    // Paints into the presenter's pixels and presents; false when there was
    // nothing to present to.
    bool paint_and_present();
    // Presents the frame the canvas recorded band by band, or the frame
    // kept when nothing was drawn; false when it could not.
    bool present_recorded(int width, int height);
    // What waited for the first frame: the cursor, the focus, the host's own.
    void first_frame_out();
    void apply_cursor();
    void settle_focus();

    X11Host& m_host;
    _XDisplay* m_display;
    unsigned long m_xid;
    Visual m_visual;
    WindowId m_owner;
    bool m_modal;
    bool m_takes_focus;
    WindowProcedure m_procedure;
    std::shared_ptr<Waker> m_waker;
    bool m_needs_paint = true;
    bool m_presented = false; // the presenter keeps the frame presented last
    bool m_first_frame_out = false;
    std::optional<RectI> m_damage;
    std::uint64_t m_presents = 0;
    bool m_mapped = false;
    bool m_focus_on_map = false;
    bool m_focus_pending = false; // mapped before the first frame was out
    bool m_focused = false;
    bool m_timer_running = true;
    Clock::time_point m_next_tick;
    int m_disabled = 0;
    std::optional<CursorKind> m_wanted_cursor;
    std::optional<CursorKind> m_cursor; // defined on the window

    ClientSize m_size;
    ClientSize m_configured_size;
    // The outer size asked for, until the window manager's frame is known
    // and has come off the client area.
    std::optional<ClientSize> m_outer_size;
    std::array<int, 4> m_frame_extents {};

    bool m_wants_input_context = false;
    std::optional<RectF> m_input_area;
    std::unique_ptr<detail::InputContext> m_input_context;

    CairoCanvas m_canvas;
    std::unique_ptr<detail::FramePresenter> m_presenter;
    bool m_presenter_tried = false;
    cairo_surface_t* m_target = nullptr;
    void const* m_target_pixels = nullptr;
    int m_target_width = 0;
    int m_target_height = 0;
    double m_last_present = 0;
};

// Starts opening the display connection, and naming the atoms a host uses,
// on a thread of its own before any host needs them, so that the round trips
// to the X server happen while the script builds its window; the first host
// that opens its display takes the connection, waiting if it is still being
// opened. A connection that could not be opened is not taken: the host then
// opens its own and reports why that fails. Once per process.
void prepare_display();
// Returns once the connection prepare_display opens, if any, is open or has failed.
void wait_for_prepared_display();
// What a first frame needs, readied while the script builds its window: the
// fonts (prepare_first_fonts) and the display connection.
void prepare_first_frame();

class X11Host final : public Host {
public:
    X11Host();
    ~X11Host() override;
    X11Host(X11Host const&) = delete;
    X11Host& operator=(X11Host const&) = delete;

    WindowCreation create_window(WindowOptions const& options, WindowHooks hooks,
        std::unique_ptr<WindowHandlers> handlers) override;
    NativeWindow* find(WindowId id) override { return window(id); }
    void run(WindowId main_window) override;
    ClientSize screen_size() override;
    RectI work_area() override;
    std::uint8_t key_modifiers() override;
    std::u16string clipboard_text() override;
    bool set_clipboard_text(std::u16string_view text) override;

    // One round of the loop: waits at most `longest_wait` for an event (less
    // when a tick is due sooner, not at all when a paint is pending), handles
    // every waiting event, then runs due ticks and pending paints.
    void serve_once(std::chrono::milliseconds longest_wait);

    X11Window* window(WindowId id);
    // The ids of the open windows, to walk while the code they run may open
    // or close windows (look each up again before use).
    std::vector<WindowId> window_ids() const;
    // The connection, opened on first use; null when no X server answers
    // or the one it had went away.
    _XDisplay* display();
    // The connection broke (its server went away): every window was told
    // why and closed, and no window can be made any more.
    bool is_display_lost() const { return m_display_lost; }
    detail::Atoms const& atoms() const { return *m_atoms; }
    std::shared_ptr<detail::PostedEvents> const& posted() const { return m_posted; }
    void post(WindowId id, detail::PostedKind kind) const;
    void show_cursor(X11Window& window, CursorKind cursor);
    void grab_pointer(X11Window& window, bool grabbed);
    // A text field of the window wants the input method; it opens after the
    // next paint, off the path to the first frame.
    void want_input_method() { m_input_method_wanted = true; }
    // Opens the system file dialog for `owner`, which takes no input until
    // the answer has been delivered.
    void show_file_dialog(X11Window& owner, FileDialogSpec const& dialog, FileDialogDone done);
    bool has_window_manager();
    // The window is going: drags over it end.
    void forget_drop_target(unsigned long xid);
    // The window's first frame is out: what it does not need is done now
    // (it takes drops, its title in the ICCCM's encoding, assistive technology).
    void first_frame_out(X11Window& window);

private:
    bool open_display(std::string& error);
    // The server went away: each window is told why through its failure
    // hook and closes as if destroyed. What held the connection is let go
    // without a request, and the loop stops watching it.
    void abandon_display();
    // Does that when the connection broke since the last look; true then.
    bool abandon_display_if_lost();
    // The host's side of that without a word to the windows: false when
    // there was no connection to let go of.
    bool let_go_of_display();
    // One handler per X event type, found in a table (x11_events.cpp).
    struct Events;
    void dispatch(_XEvent& event);
    void handle_posted();
    void read_events();
    void destroy(WindowId id);
    void deliver_dialog_answers();
    void open_input_method();
    void make_drop_target();
    // The window that takes an input event, or null while a modal window
    // blocks it; a click or focus on a blocked window raises its modal window.
    X11Window* input_target(unsigned long xid, bool activates);
    void raise_modal_child(WindowId owner);
    RectI reference_rect(PlacementReference reference, WindowId owner);
    // The monitors RandR reports, or the whole X screen as the one primary
    // monitor where it reports none.
    std::vector<detail::Monitor> monitors();
    // The current desktop's work area as the window manager publishes it.
    std::optional<RectI> desktop_work_area();
    // Publishes the window to assistive technology; the first window finds
    // out whether an accessibility bus runs at all.
    void publish_accessible(X11Window& window, std::string title, AccessibleRole role);

    _XDisplay* m_display = nullptr;
    bool m_display_tried = false;
    bool m_display_lost = false;
    std::string m_display_error;
    std::unique_ptr<detail::Atoms> m_atoms;
    std::optional<bool> m_window_manager;
    detail::MonitorSource m_monitor_source;
    std::shared_ptr<detail::PostedEvents> m_posted;
    std::map<WindowId, std::unique_ptr<X11Window>> m_windows;
    // Windows destroyed inside a nested loop, kept until no code of theirs can be running.
    std::vector<std::unique_ptr<X11Window>> m_retired;
    int m_serving = 0; // nesting depth of serve_once
    unsigned long m_cursors[3] = {};
    // Control, shift and alt as the last input event left them.
    std::uint8_t m_modifiers = 0;
    bool m_input_method_wanted = false;
    bool m_input_method_tried = false;
    std::unique_ptr<detail::InputMethod> m_input_method;
    std::unique_ptr<detail::FileDialogService> m_dialogs;
    std::unique_ptr<X11Clipboard> m_clipboard;
    std::unique_ptr<XdndTarget> m_drop;
    // The server time of the last key or button, which a copy or paste it
    // asked for names to the selection owner.
    unsigned long m_last_input_time = 0;
    // Only while an accessibility bus runs; otherwise null and never asked.
    std::unique_ptr<AtspiBridge> m_accessibility;
    bool m_accessibility_checked = false;
    // What each window finishes once its first frame is out.
    struct AfterFirstFrame {
        std::string title;
        bool compound_title = false; // WM_NAME still to be written as COMPOUND_TEXT
        AccessibleRole role {};
    };
    std::map<WindowId, AfterFirstFrame> m_after_first_frame;
};

}
