// Win32Host and Win32Window: native windows of the class "ORVY.Window", their
// window procedure and the one message loop that serves every window of
// the UI thread.
#pragma once

#include "core/window/host.hpp"
#include "platform/win32/d2d_canvas.hpp"
#include "platform/win32/detail/messages.hpp"
#include "platform/win32/render_device.hpp"

#include <shellapi.h>

#include <atomic>
#include <chrono>
#include <map>
#include <memory>

namespace orvy::win32 {

class Win32Host;

inline constexpr wchar_t window_class_name[] = L"ORVY.Window";
// Posted by the file-dialog controller after queueing a request.
inline constexpr UINT message_run_file_dialogs = WM_APP + 3;
inline constexpr UINT_PTR frame_timer_id = 1;

// Shows the open, save or folder dialog modal to the window; the chosen
// path, or "" when it was cancelled or any step failed.
std::string run_file_dialog(HWND owner, FileDialogSpec const& spec);

class Win32Window final : public NativeWindow {
public:
    Win32Window(Win32Host& host, HWND window, WindowId id, WindowOptions const& options,
        std::unique_ptr<RenderDevice> device, WindowHooks hooks, std::unique_ptr<WindowHandlers> handlers);
    ~Win32Window() override;
    Win32Window(Win32Window const&) = delete;
    Win32Window& operator=(Win32Window const&) = delete;

    WindowId id() const override { return m_id; }
    ClientSize client_size() const override;
    void move(std::int32_t x, std::int32_t y) override;
    void raise() override;
    void request_close() override;
    void invalidate() override;
    void start_frame_timer() override;
    void stop_frame_timer() override;
    void set_cursor(CursorKind cursor) override;
    void capture_pointer(bool captured) override;
    void set_text_input_area(RectF area) override;
    bool is_transparent() const override { return m_device && m_device->is_transparent(); }
    void set_backdrop(Backdrop backdrop) override;
    std::shared_ptr<Waker> waker() override { return m_waker; }
    void request_file_dialogs() override;
    void show_file_dialog(FileDialogSpec const& spec, FileDialogDone done) override;

    HWND hwnd() const { return m_window; }
    WindowProcedure& procedure() { return m_procedure; }
    // Null once the device was lost and no new one could be made (the
    // window is then closing).
    RenderDevice* device() { return m_device.get(); }
    bool timer_running() const { return m_timer_running; }
    WindowId owner() const { return m_owner; }

    // A message for a window with state; WM_NCDESTROY is the host's.
    LRESULT handle(UINT message, WPARAM wparam, LPARAM lparam);

    // For tests and measurements: the next painted frame is copied here;
    // how long the last paint took, step by step, and its Direct2D calls.
    struct PaintTimes {
        double wait = 0;    // for the swap chain to take a frame
        double record = 0;  // core's painting into the canvas
        double draw = 0;    // the canvas's Direct2D calls
        double finish = 0;  // EndDraw and the copy to the back buffer
        double present = 0;
        bool presented = false; // false where the frame changed nothing and the last one stays on screen
        double total() const { return wait + record + draw + finish + present; }
    };
    void capture_next_frame(Bitmap* capture) { m_capture = capture; }
    double last_paint_seconds() const { return m_last_paint.total(); }
    PaintTimes const& last_paint_times() const { return m_last_paint; }
    D2DCanvas::FrameCalls const& last_frame_calls() const { return m_canvas.last_frame_calls(); }
    D2DCanvas& canvas() { return m_canvas; }
    std::uint64_t paints() const { return m_paints; }
    // How many times the device was lost (and, but for the last time of a
    // window that closed for it, made anew).
    std::uint64_t device_losses() const { return m_device_losses; }

    // A device lost this many times in a row, with no frame presented in
    // between, is given up: a driver that takes every new device away again
    // would otherwise have the window make one on every frame.
    static constexpr int loss_limit = 3;

private:
    // Paints a frame; the loss when the device was lost drawing or presenting it.
    HRESULT paint();
    // The device reported `loss`: everything made on it goes (the canvas's
    // device bitmaps, kept frame and kept texts' pages with it), a new device
    // is made for the window and the next frame is drawn whole. When no
    // device can be made, or the new ones keep being lost, the failure is
    // reported as a failed creation reports it and the window closes.
    void replace_device(HRESULT loss);
    // Sizes the device's buffers to the client area, replacing the device
    // when that reports it lost.
    void fit_device(ClientSize size);
    void apply_backdrop(std::optional<Backdrop> backdrop);
    void place_composition_window();
    void drop_files(HDROP drop);

    Win32Host& m_host;
    HWND m_window;
    WindowId m_id;
    WindowId m_owner;
    bool m_modal;
    std::unique_ptr<RenderDevice> m_device;
    WindowProcedure m_procedure;
    std::shared_ptr<Waker> m_waker;
    D2DCanvas m_canvas;
    bool m_timer_running = true;
    BackdropState m_backdrop;
    RectF m_text_input_area;
    Bitmap* m_capture = nullptr;
    PaintTimes m_last_paint;
    std::uint64_t m_paints = 0;
    std::uint64_t m_device_losses = 0;
    int m_losses_in_a_row = 0;
    bool m_resized = false;        // since the last paint
    bool m_presented_kept = false; // the last frame presented was the canvas's kept frame

    friend class Win32Host;
};

class Win32Host final : public Host {
public:
    Win32Host();
    ~Win32Host() override;
    Win32Host(Win32Host const&) = delete;
    Win32Host& operator=(Win32Host const&) = delete;

    WindowCreation create_window(WindowOptions const& options, WindowHooks hooks,
        std::unique_ptr<WindowHandlers> handlers) override;
    NativeWindow* find(WindowId id) override { return window(id); }
    void run(WindowId main_window) override;
    ClientSize screen_size() override;
    RectI work_area() override;
    std::uint8_t key_modifiers() override;
    std::u16string clipboard_text() override;
    bool set_clipboard_text(std::u16string_view text) override;

    Win32Window* window(WindowId id);
    // Serves messages for at most `span` (for tests, which run no main loop).
    void serve_for(std::chrono::milliseconds span);

    // The window procedure of the class.
    static LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

private:
    void destroyed(WindowId id);
    RECT reference_rect(PlacementReference reference, HWND owner);

    std::map<WindowId, std::unique_ptr<Win32Window>> m_windows;
    WindowId m_next_id = 1;
    WindowId m_main = 0;
    // Owns the clipboard while it holds our text: a clipboard opened
    // without a window cannot be written after it is emptied.
    HWND m_clipboard_owner = nullptr;

    friend class Win32Window;
};

}
