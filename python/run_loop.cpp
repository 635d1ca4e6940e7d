// The native window behind W: creating it through the loaded backend's host,
// running the loop with the interpreter lock released, and the window queries.
#if ORVY_HAS_PLATFORM

#include "core/tree/utf.hpp"
#include "core/window/platform.hpp"
#include "python/invoke.hpp"
#include "python/platform_bridge.hpp"
#include "python/styles.hpp"
#include "python/window.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace orvy::py {

namespace {

// Keeps the window state alive for the native window. The window may be
// destroyed while the loop runs without the interpreter lock; the state's
// Python references are released with the lock taken.
std::shared_ptr<void> hold_for_native_window(std::shared_ptr<WindowState> const& state)
{
    auto* holder = new std::shared_ptr<WindowState>(state);
    return std::shared_ptr<void>(holder, [](std::shared_ptr<WindowState>* held) {
        if (!Py_IsInitialized())
            return; // the interpreter is gone; nothing can be released safely
        PyGILState_STATE gil = PyGILState_Ensure();
        delete held;
        PyGILState_Release(gil);
    });
}

std::int32_t saturate(float value)
{
    if (std::isnan(value))
        return 0;
    return static_cast<std::int32_t>(std::clamp(value, -2147483648.0f, 2147483520.0f));
}

WindowOptions native_options(WindowState const& state)
{
    WindowSettings const& s = state.settings;
    WindowOptions options = s.is_sub ? WindowOptions::sub_window() : WindowOptions {};
    options.title = s.title;
    options.width = s.width;
    options.height = s.height;
    options.glass = s.glass;
    options.tint = s.tint;
    options.blur = s.blur;
    options.frameless = s.frameless;
    options.topmost = s.topmost;
    options.resizable = s.resizable;
    options.minbox = s.minimize_box;
    options.maxbox = s.maximize_box;
    options.closebox = s.close_box;
    options.modal = s.modal;
    options.center = s.center == Centering::Screen ? CenterMode::Screen
        : s.center == Centering::Parent            ? CenterMode::Parent
                                                   : CenterMode::None;
    if (s.x || s.y)
        options.position = PointI { saturate(s.x.value_or(0)), saturate(s.y.value_or(0)) };
    options.icon = state.frame.icon;
    if (state.frame.caption)
        options.caption_color = colorref_from_rgb(*state.frame.caption);
    if (state.frame.caption_text)
        options.caption_text_color = colorref_from_rgb(*state.frame.caption_text);
    if (state.frame.border)
        options.border_color = colorref_from_rgb(*state.frame.border);
    options.dark = state.frame.dark;
    if (auto owner = state.owner.lock())
        options.owner = owner->native;
    return options;
}

WindowHooks native_hooks(std::shared_ptr<WindowState> const& state)
{
    WindowHooks hooks;
    std::weak_ptr<WindowState> weak = state;
    if (state->on_resize) {
        hooks.on_resize = [resize = PyCallable(state->on_resize.get(), weak)](float width, float height) {
            resize(width, height);
        };
    }
    std::optional<PyCallable> on_close;
    if (state->on_close)
        on_close.emplace(state->on_close.get(), weak);
    hooks.on_close = [weak, on_close = std::move(on_close)] {
        if (auto window = weak.lock()) {
            window->native = 0;
            window->post->mark_closed();
        }
        if (on_close)
            (*on_close)();
    };
    return hooks;
}

// Counts the wake-ups the window's posts send, for the tests that check
// that a batch costs one.
class CountingWaker final : public Waker {
public:
    CountingWaker(std::shared_ptr<Waker> inner, std::shared_ptr<std::atomic<std::uint64_t>> count)
        : m_inner(std::move(inner)), m_count(std::move(count))
    {
    }
    void wake() override
    {
        ++*m_count;
        m_inner->wake();
    }

private:
    std::shared_ptr<Waker> m_inner;
    std::shared_ptr<std::atomic<std::uint64_t>> m_count;
};

// A window that exists was made by the backend, which is loaded by then.
NativeWindow* live_window(WindowState const& state)
{
    PlatformTable const* platform = state.native ? loaded_platform_services() : nullptr;
    return platform ? platform->host().find(state.native) : nullptr;
}

}

bool open_native_window(std::shared_ptr<WindowState> const& window, bool run_loop)
{
    PlatformTable const* platform = platform_services();
    if (!platform)
        return false;
    WindowState& state = *window;
    WindowLook look { .theme = theme_from_name(state.settings.theme),
        .font_family = state.font_family,
        .font_size = state.font_size,
        .glass = state.settings.glass,
        .inspector = state.settings.inspector };
    thread_styles().font_families().set_default(state.font_family);
    *state.cells.effects = WindowEffects::initial(state.settings.tint, state.settings.blur);
    auto core = std::make_unique<WindowCore>(state.tree, thread_styles(), look, state.cells,
        platform->make_text_engine(), platform->make_image_decoder(), hold_for_native_window(window));
    Host& host = platform->host();
    core->set_modifier_source([&host] { return host.key_modifiers(); });
    WindowCreation made = host.create_window(native_options(state), native_hooks(window), std::move(core));
    if (!made.window) {
        PyErr_SetString(PyExc_RuntimeError, made.error.empty() ? "окно не создано" : made.error.c_str());
        return false;
    }
    state.native = made.window->id();
    set_created_window(window);
    PostQueue::process().attach(*state.post,
        std::make_shared<CountingWaker>(made.window->waker(), state.post_wakeups));
    // Timers and posted calls made before the window existed are waiting.
    made.window->waker()->wake();
    if (!run_loop) {
        made.window->raise();
        return true;
    }
    WindowId id = state.native;
    Py_BEGIN_ALLOW_THREADS
    host.run(id);
    Py_END_ALLOW_THREADS
    return true;
}

void close_native_window(WindowState& window)
{
    window.post->mark_closed();
    if (NativeWindow* native = live_window(window))
        native->request_close();
    window.native = 0;
}

PointF native_client_size(WindowState& window)
{
    NativeWindow* native = live_window(window);
    if (!native)
        return {};
    ClientSize size = native->client_size();
    return { static_cast<float>(size.width), static_cast<float>(size.height) };
}

void move_native_window(WindowState& window, float x, float y)
{
    if (NativeWindow* native = live_window(window))
        native->move(saturate(x), saturate(y));
}

std::optional<PointF> primary_screen_size()
{
    PlatformTable const* platform = platform_services();
    if (!platform)
        return std::nullopt;
    ClientSize size = platform->host().screen_size();
    return PointF { static_cast<float>(size.width), static_cast<float>(size.height) };
}

void wake_native_window(WindowState& window)
{
    if (NativeWindow* native = live_window(window))
        native->waker()->wake();
}

}

#endif
