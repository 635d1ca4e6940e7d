// SdlHost and SdlWindow: native windows through SDL2 and the one loop that
// serves every window of the UI thread.
#pragma once

#include "core/window/host.hpp"
#include "platform/linux/cairo_canvas.hpp"
#include "platform/linux/detail/file_dialogs.hpp"
#include "platform/linux/detail/shm_present.hpp"
#include "platform/linux/detail/video_environment.hpp"

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include <SDL.h>

namespace orvy::linux_platform {

class SdlHost;
class AtspiBridge;

class SdlWindow final : public NativeWindow {
public:
    using Clock = std::chrono::steady_clock;

    SdlWindow(SdlHost& host, SDL_Window* window, WindowOptions const& options, bool transparent, WindowHooks hooks,
        std::unique_ptr<WindowHandlers> handlers);
    ~SdlWindow() override;
    SdlWindow(SdlWindow const&) = delete;
    SdlWindow& operator=(SdlWindow const&) = delete;

    WindowId id() const override { return m_id; }
    ClientSize client_size() const override;
    void move(std::int32_t x, std::int32_t y) override;
    void raise() override;
    void request_close() override;
    void invalidate() override { m_needs_paint = true; }
    void start_frame_timer() override;
    void stop_frame_timer() override { m_timer_running = false; }
    void set_cursor(CursorKind cursor) override;
    void capture_pointer(bool captured) override;
    void set_text_input_area(RectF area) override;
    bool is_transparent() const override { return m_transparent; }
    std::shared_ptr<Waker> waker() override { return m_waker; }
    void request_file_dialogs() override;
    void show_file_dialog(FileDialogSpec const& dialog, FileDialogDone done) override;

    SDL_Window* sdl() const { return m_window; }
    WindowProcedure& procedure() { return m_procedure; }
    bool needs_paint() const { return m_needs_paint; }
    void paint();

    bool timer_running() const { return m_timer_running; }
    Clock::time_point next_tick() const { return m_next_tick; }
    // Runs the tick when it is due and schedules the next one.
    void tick_if_due(Clock::time_point now);

    WindowId owner() const { return m_owner; }
    bool is_modal() const { return m_modal; }
    // While a modal window it owns is open, a window takes no input.
    bool is_enabled() const { return m_disabled == 0; }
    void set_enabled(bool enabled) { m_disabled += enabled ? -1 : 1; }

    // The files of a drop between its begin and complete events, and where
    // the pointer was when it began.
    struct PendingDrop {
        std::vector<std::string> paths;
        PointF point;
    };
    PendingDrop& pending_drop() { return m_pending_drop; }
    // Seconds the last present took, for measurements.
    double last_present_seconds() const { return m_last_present; }

private:
    void release_target();
    // Paints through the window's shared-memory presenter; false when the
    // window has none (any more) and must paint through SDL's surface.
    bool paint_shared();
    // Points the Cairo target at these pixels unless it already does.
    void retarget(SDL_Surface const* surface, unsigned char* pixels, int width, int height, int stride, bool direct);

    SdlHost& m_host;
    SDL_Window* m_window;
    WindowId m_id;
    WindowId m_owner;
    bool m_modal;
    bool m_transparent;
    WindowProcedure m_procedure;
    std::shared_ptr<Waker> m_waker;
    bool m_needs_paint = true;
    bool m_timer_running = true;
    Clock::time_point m_next_tick;
    int m_disabled = 0;
    PendingDrop m_pending_drop;

    CairoCanvas m_canvas;
    std::unique_ptr<detail::ShmPresenter> m_presenter;
    bool m_presenter_tried = false;
    cairo_surface_t* m_target = nullptr;
    // What the target was made for: the window surface changes on resize.
    SDL_Surface const* m_target_surface = nullptr;
    void const* m_target_pixels = nullptr;
    int m_target_width = 0;
    int m_target_height = 0;
    bool m_target_direct = false;
    double m_last_present = 0;
};

class SdlHost final : public Host {
public:
    enum class UserEvent : Sint32 { Wake = 0, Close = 1, FileDialogs = 2, DialogAnswers = 3, Accessibility = 4 };

    SdlHost();
    ~SdlHost() override;
    SdlHost(SdlHost const&) = delete;
    SdlHost& operator=(SdlHost const&) = delete;

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

    SdlWindow* window(WindowId id);
    Uint32 user_event_type() const { return m_user_event; }
    void push_user_event(WindowId id, UserEvent event) const;
    void show_cursor(CursorKind cursor);
    // Opens the system file dialog for `owner`, which takes no input until
    // the answer has been delivered.
    void show_file_dialog(SdlWindow& owner, FileDialogSpec const& dialog, FileDialogDone done);

private:
    bool start_video(std::string& error);
    // One handler per SDL event type, found in a table (sdl_events.cpp).
    struct Events;
    void dispatch(SDL_Event const& event);
    void destroy(WindowId id);
    void deliver_dialog_answers();
    // The window that takes an input event, or null while a modal window
    // blocks it; a click or focus on a blocked window raises its modal window.
    SdlWindow* input_target(Uint32 id, bool activates);
    void raise_modal_child(WindowId owner);
    RectI reference_rect(PlacementReference reference, WindowId owner);
    // Publishes the window to assistive technology; the first window finds
    // out whether an accessibility bus runs at all.
    void publish_accessible(SdlWindow& window, WindowOptions const& options);

    bool m_video = false;
    // Until the video has started.
    std::optional<detail::VideoStartEnvironment> m_video_environment;
    Uint32 m_user_event = 0;
    std::map<WindowId, std::unique_ptr<SdlWindow>> m_windows;
    // Windows destroyed inside a nested loop, kept until no code of theirs can be running.
    std::vector<std::unique_ptr<SdlWindow>> m_retired;
    int m_serving = 0; // nesting depth of serve_once
    SDL_Cursor* m_cursors[3] = {};
    CursorKind m_cursor = CursorKind::Arrow;
    std::unique_ptr<detail::FileDialogService> m_dialogs;
    // Only while an accessibility bus runs; otherwise null and never asked.
    std::unique_ptr<AtspiBridge> m_accessibility;
    bool m_accessibility_checked = false;
};

}
