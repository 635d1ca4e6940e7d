// WindowProcedure: native events to handler calls, repaints and the frame timer.
#include "core/window/host.hpp"

#include <cstdio>

namespace orvy {

WindowProcedure::WindowProcedure(std::unique_ptr<WindowHandlers> handlers, WindowHooks hooks)
    : m_handlers(std::move(handlers))
    , m_hooks(std::move(hooks))
{
    if (!m_handlers)
        m_handlers = std::make_unique<WindowHandlers>();
}

void WindowProcedure::attached(NativeWindow& window) { m_handlers->attached(window); }

void WindowProcedure::repaint_if(NativeWindow& window, bool changed)
{
    if (changed)
        window.invalidate();
}

void WindowProcedure::pointer_move(NativeWindow& window, float x, float y)
{
    repaint_if(window, m_handlers->pointer_move(x, y));
    window.set_cursor(m_handlers->cursor_kind());
}

void WindowProcedure::left_down(NativeWindow& window, float x, float y)
{
    window.capture_pointer(true);
    m_handlers->left_down(x, y);
    window.invalidate();
}

void WindowProcedure::left_up(NativeWindow& window)
{
    window.capture_pointer(false);
    repaint_if(window, m_handlers->left_up());
}

void WindowProcedure::right_down(NativeWindow& window, float x, float y)
{
    repaint_if(window, m_handlers->right_down(x, y));
}

void WindowProcedure::wheel(NativeWindow& window, std::int32_t delta)
{
    repaint_if(window, m_handlers->wheel(delta));
}

void WindowProcedure::key_down(NativeWindow& window, std::uint32_t virtual_key)
{
    repaint_if(window, m_handlers->key_down(virtual_key));
}

void WindowProcedure::character(NativeWindow& window, char16_t unit)
{
    repaint_if(window, m_handlers->character(unit));
}

void WindowProcedure::input_method_result(NativeWindow& window, std::u16string_view text)
{
    repaint_if(window, m_handlers->input_method_result(text));
}

void WindowProcedure::input_method_preedit(NativeWindow& window, std::u16string_view text)
{
    repaint_if(window, m_handlers->input_method_preedit(text));
}

void WindowProcedure::file_drop(NativeWindow& window, std::vector<std::string> const& paths, PointF point)
{
    repaint_if(window, m_handlers->file_drop(paths, point));
}

void WindowProcedure::run_file_dialogs(NativeWindow& window)
{
    m_handlers->run_file_dialogs();
    window.invalidate();
}

namespace {

// Marks the procedure as inside a tick or paint for the scope.
class FrameScope {
public:
    explicit FrameScope(bool& flag) : m_flag(flag) { m_flag = true; }
    ~FrameScope() { m_flag = false; }
    FrameScope(FrameScope const&) = delete;
    FrameScope& operator=(FrameScope const&) = delete;

private:
    bool& m_flag;
};

}

void WindowProcedure::tick(NativeWindow& window)
{
    if (m_in_frame)
        return;
    bool changed = false;
    {
        FrameScope scope(m_in_frame);
        changed = m_handlers->frame_update();
    }
    FrameTimer::TickResult result = m_timer.tick(changed, m_handlers->has_app_timers());
    repaint_if(window, result.repaint);
    if (result.stop)
        window.stop_frame_timer();
}

void WindowProcedure::wake(NativeWindow& window)
{
    if (m_timer.wake())
        window.start_frame_timer();
    window.invalidate();
}

void WindowProcedure::paint(NativeWindow& window, Canvas& canvas)
{
    if (m_in_frame) {
        window.invalidate();
        return;
    }
    {
        FrameScope scope(m_in_frame);
        m_handlers->paint(canvas);
    }
    if (m_timer.paint())
        window.start_frame_timer();
}

void WindowProcedure::resize(NativeWindow& window, ClientSize size)
{
    // A minimised window reports 0 x 0: the handlers keep their last size,
    // the hook still hears about it.
    if (size.width != 0 && size.height != 0)
        m_handlers->resize(size);
    call_in_place(m_hooks.on_resize, static_cast<float>(size.width), static_cast<float>(size.height));
    window.invalidate();
}

void WindowProcedure::destroy()
{
    Callback<void()> hook = std::move(m_hooks.on_close);
    if (hook)
        hook();
}

void WindowProcedure::fail(std::string_view error)
{
    if (call_in_place(m_hooks.on_failure, error))
        return;
    std::fprintf(stderr, "%.*s\n", static_cast<int>(error.size()), error.data());
}

}
