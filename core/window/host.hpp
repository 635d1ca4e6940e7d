// The seam between core and a windowing backend: the native window and host
// a backend provides, the handler set core provides, and the window
// procedure that joins them with the frame-timer rule.
#pragma once

#include "core/base/callback.hpp"
#include "core/base/geometry.hpp"
#include "core/window/file_dialog.hpp"
#include "core/window/window.hpp"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace orvy {

class AccessibleView;
class Canvas;

enum class CursorKind : std::uint8_t { Arrow, Hand, TextBeam };

// Modifier bits as hot keys use them.
namespace key_modifier {
inline constexpr std::uint8_t control = 1;
inline constexpr std::uint8_t shift = 2;
inline constexpr std::uint8_t alt = 4;
}

struct ClientSize {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    friend bool operator==(ClientSize const&, ClientSize const&) = default;
};

// Makes a window run a frame soon. The only part of a window that other
// threads may touch; waking a window that is gone does nothing.
class Waker {
public:
    virtual ~Waker() = default;
    virtual void wake() = 0;
};

// One native top-level window, used on the UI thread only.
class NativeWindow {
public:
    virtual ~NativeWindow() = default;

    virtual WindowId id() const = 0;
    virtual ClientSize client_size() const = 0;
    virtual void move(std::int32_t x, std::int32_t y) = 0;
    // Brings the window to the top and gives it the keyboard.
    virtual void raise() = 0;
    // Asks the loop to destroy the window, as the close box does; returns at once.
    virtual void request_close() = 0;
    // Schedules a paint; several requests before it coalesce.
    virtual void invalidate() = 0;
    virtual void start_frame_timer() = 0;
    virtual void stop_frame_timer() = 0;
    virtual void set_cursor(CursorKind cursor) = 0;
    // While captured, pointer events keep coming when the pointer leaves the window.
    virtual void capture_pointer(bool captured) = 0;
    // Where the input method shows its composition, in client coordinates.
    virtual void set_text_input_area(RectF area) = 0;
    // Whether the window really shows what is behind it (glass with a
    // compositor); otherwise painting must clear to an opaque colour.
    virtual bool is_transparent() const = 0;
    // Asks the compositor for a blurred backdrop; backends whose desktop
    // offers none ignore it, which leaves the plain tinted background.
    virtual void set_backdrop(Backdrop) { }
    virtual std::shared_ptr<Waker> waker() = 0;
    // Asks the loop to run the window's queued file dialogs soon (its
    // handlers' run_file_dialogs); returns at once.
    virtual void request_file_dialogs() { }
    // Shows the system's file dialog, modal to this window. `done` gets the
    // chosen path or "" exactly once, on the UI thread: before returning, or
    // later from the loop, which keeps serving the windows meanwhile; never
    // after the window is gone. Backends without dialogs answer "" at once.
    virtual void show_file_dialog(FileDialogSpec const&, FileDialogDone done) { done(""); }
};

// What core does with each native event. Every handler returns whether the
// window must be repainted; the defaults ignore the event.
class WindowHandlers {
public:
    virtual ~WindowHandlers() = default;

    // Called once, before any other handler, when the native window exists.
    virtual void attached(NativeWindow&) { }

    virtual bool pointer_move(float, float) { return false; }
    virtual void left_down(float, float) { }
    virtual bool left_up() { return false; }
    virtual bool right_down(float, float) { return false; }
    // One notch is 120; positive away from the user.
    virtual bool wheel(std::int32_t) { return false; }
    virtual CursorKind cursor_kind() { return CursorKind::Arrow; }
    // Windows virtual-key codes on every platform.
    virtual bool key_down(std::uint32_t) { return false; }
    // One UTF-16 code unit; Backspace arrives as 0x08 and Enter as 0x0D.
    virtual bool character(char16_t) { return false; }
    // Text an input method committed, and what it is composing (shown at the
    // caret until committed; empty when the composition ends).
    virtual bool input_method_result(std::u16string_view) { return false; }
    virtual bool input_method_preedit(std::u16string_view) { return false; }
    virtual bool file_drop(std::vector<std::string> const&, PointF) { return false; }
    // Whether files dropped at this point would be taken, asked while they
    // are dragged over the window so that the source can show it.
    virtual bool accepts_drop(PointF) { return false; }
    virtual void run_file_dialogs() { }

    // The per-tick frame update; reports whether anything visible changed.
    virtual bool frame_update() { return false; }
    // Whether app timers (every/after) are active or waiting to be taken in.
    virtual bool has_app_timers() const { return false; }
    virtual void paint(Canvas&) { }
    // The client area changed size; never called with a zero side.
    virtual void resize(ClientSize) { }
    // The window's accessible view, made on first request; null when the
    // handlers have none.
    virtual AccessibleView* accessible() { return nullptr; }
};

struct WindowHooks {
    Callback<void(float width, float height)> on_resize;
    Callback<void()> on_close; // run once when the window is destroyed
    // Run when the platform cannot go on drawing a window it made (its
    // device was lost and no new one could be made), with the platform's
    // words as a failed creation gives them; the window then closes.
    Callback<void(std::string_view error)> on_failure;
};

// Routes a window's native events to its handlers and applies what follows
// from them: repaints, the frame-timer rule, the resize and close hooks.
// Backends translate their events into these calls and nothing more.
class WindowProcedure {
public:
    WindowProcedure(std::unique_ptr<WindowHandlers> handlers, WindowHooks hooks);

    void attached(NativeWindow& window);

    void pointer_move(NativeWindow& window, float x, float y);
    void left_down(NativeWindow& window, float x, float y);
    void left_up(NativeWindow& window);
    void right_down(NativeWindow& window, float x, float y);
    void wheel(NativeWindow& window, std::int32_t delta);
    void key_down(NativeWindow& window, std::uint32_t virtual_key);
    void character(NativeWindow& window, char16_t unit);
    void input_method_result(NativeWindow& window, std::u16string_view text);
    void input_method_preedit(NativeWindow& window, std::u16string_view text);
    void file_drop(NativeWindow& window, std::vector<std::string> const& paths, PointF point);
    void run_file_dialogs(NativeWindow& window);

    // A tick or paint that arrives while one of them is still running
    // (a callback of it runs a nested loop) is skipped: the frame update
    // and painting are not re-entrant. Loops leave such a window out until
    // it is free again; its repaint stays pending.
    void tick(NativeWindow& window);
    void wake(NativeWindow& window);
    void paint(NativeWindow& window, Canvas& canvas);
    bool is_in_frame() const { return m_in_frame; }
    void resize(NativeWindow& window, ClientSize size);
    // Runs the close hook once; the backend then releases the owner of a
    // modal window and ends the loop when this was the main window.
    void destroy();
    // Reports that the window cannot be drawn any more: to the failure hook,
    // or to standard error without one, so that it is never silent. The
    // backend closes the window afterwards.
    void fail(std::string_view error);

    void set_resize_hook(Callback<void(float, float)> hook) { m_hooks.on_resize = std::move(hook); }
    FrameTimer const& frame_timer() const { return m_timer; }
    WindowHandlers& handlers() { return *m_handlers; }

private:
    void repaint_if(NativeWindow& window, bool changed);

    std::unique_ptr<WindowHandlers> m_handlers;
    WindowHooks m_hooks;
    FrameTimer m_timer;
    bool m_in_frame = false;
};

struct WindowCreation {
    NativeWindow* window = nullptr; // owned by the host; null on failure
    std::string error;              // the platform's words when creation failed
};

// The windowing system of the UI thread: creates windows and runs the one
// loop that serves all of them.
class Host {
public:
    virtual ~Host() = default;

    // Creates and shows a window; a sub-window is raised. The first frame is
    // painted by the loop.
    virtual WindowCreation create_window(WindowOptions const& options, WindowHooks hooks,
        std::unique_ptr<WindowHandlers> handlers) = 0;
    virtual NativeWindow* find(WindowId id) = 0;
    // Serves every window of the thread until the given window is destroyed.
    // Other windows closing leave it running. Loops nest: run() called from
    // a callback serves all windows until its own window is gone, then
    // returns to the loop it was called from.
    virtual void run(WindowId main_window) = 0;

    // Size of the primary screen in pixels.
    virtual ClientSize screen_size() = 0;
    // The primary screen without the desktop's panels, in screen pixels;
    // the whole screen where the desktop does not say.
    virtual RectI work_area()
    {
        ClientSize size = screen_size();
        return { 0, 0, static_cast<std::int32_t>(size.width), static_cast<std::int32_t>(size.height) };
    }
    virtual std::uint8_t key_modifiers() = 0;
    virtual std::u16string clipboard_text() = 0;
    virtual bool set_clipboard_text(std::u16string_view text) = 0;
};

}
