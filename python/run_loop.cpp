// The native window behind W: creating it through the loaded backend's host,
// running the loop with the interpreter lock released, and the window queries.
#if ORVY_HAS_PLATFORM

#include "core/base/utf.hpp"
#include "core/frame/push_window.hpp"
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
        options.position = PointI { saturate_to_i32(s.x.value_or(0)), saturate_to_i32(s.y.value_or(0)) };
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
    // The close hook refreshes the bindings itself: a sub-window's own and
    // its owner's, with or without an `on_close`; a window without an owner
    // only after its `on_close` (a push window's). The call alone refreshes
    // nothing.
    std::optional<PyCallable> on_close;
    if (state->on_close)
        on_close.emplace(state->on_close.get(), std::weak_ptr<WindowState> {});
    hooks.on_close = [weak, on_close = std::move(on_close)] {
        if (auto window = weak.lock()) {
            window->native = 0;
            PostQueue::process().close(*window->post);
        }
        if (on_close)
            (*on_close)();
        PyGILState_STATE gil = PyGILState_Ensure();
        if (auto window = weak.lock(); window && (on_close || !window->owner.expired()))
            refresh_after_close(*window);
        PyGILState_Release(gil);
    };
    // A window that can no longer be drawn reports why as a failed creation
    // would have: a RuntimeError with the platform's words, here handed to
    // the thread's exception hook, as there is no call to raise it from.
    hooks.on_failure = [](std::string_view error) {
        PyGILState_STATE gil = PyGILState_Ensure();
        PyErr_SetString(PyExc_RuntimeError, std::string(error).c_str());
        report_exception();
        PyGILState_Release(gil);
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

namespace {

// Creates the native window of `window` with its frame pipeline, a push
// window's when `push` is given. Null with RuntimeError set on failure.
NativeWindow* create_native_window(std::shared_ptr<WindowState> const& window, PlatformTable const& platform,
    WindowOptions const& options, WindowHooks hooks, std::optional<PushLifetime> push)
{
    WindowState& state = *window;
    WindowLook look { .theme = theme_from_name(state.settings.theme),
        .font_family = state.font_family,
        .font_size = state.font_size,
        .glass = state.settings.glass,
        .inspector = state.settings.inspector };
    thread_styles().font_families().set_default(state.font_family);
    *state.cells.effects = WindowEffects::initial(state.settings.tint, state.settings.blur);
    // The host first: it sets up the environment the display connection
    // reads before the text engine starts a thread of its own.
    Host& host = platform.host();
    auto text = platform.make_text_engine();
    mark_startup(StartupMark::TextReady);
    auto images = platform.make_image_decoder();
    std::unique_ptr<WindowCore> core = push
        ? std::make_unique<PushWindowCore>(state.tree, thread_styles(), look, state.cells, std::move(text),
              std::move(images), hold_for_native_window(window), *push)
        : std::make_unique<WindowCore>(state.tree, thread_styles(), look, state.cells, std::move(text),
              std::move(images), hold_for_native_window(window));
    core->set_modifier_source([&host] { return host.key_modifiers(); });
    core->set_clipboard([&host] { return host.clipboard_text(); },
        [&host](std::u16string_view copied) { return host.set_clipboard_text(copied); });
    WindowCreation made = host.create_window(options, std::move(hooks), std::move(core));
    if (!made.window) {
        PyErr_SetString(PyExc_RuntimeError, made.error.empty() ? "окно не создано" : made.error.c_str());
        return nullptr;
    }
    state.native = made.window->id();
    state.tree.closing = false;
    PostQueue::process().attach(*state.post,
        std::make_shared<CountingWaker>(made.window->waker(), state.post_wakeups));
    // Timers, posted calls and file dialogs asked for before the window
    // existed are waiting.
    made.window->waker()->wake();
    if (!state.cells.file_dialogs.empty())
        made.window->request_file_dialogs();
    return made.window;
}

// Where push windows without a position of their own go, on the UI thread.
PushStack& push_stack()
{
    static PushStack stack;
    return stack;
}

}

bool open_native_window(std::shared_ptr<WindowState> const& window, bool run_loop)
{
    if (window->tree.size() <= 1)
        note_empty_window_starting();
    PlatformTable const* platform = platform_services();
    if (!platform)
        return false;
    NativeWindow* native = create_native_window(window, *platform, native_options(*window), native_hooks(window),
        std::nullopt);
    if (!native)
        return false;
    set_created_window(window);
    if (!run_loop) {
        native->raise();
        return true;
    }
    WindowId id = native->id();
    Host& host = platform->host();
    Py_BEGIN_ALLOW_THREADS
    host.run(id);
    Py_END_ALLOW_THREADS
    return true;
}

bool open_push_window(std::shared_ptr<WindowState> const& window, PushLifetime lifetime,
    std::optional<PointI> position)
{
    PlatformTable const* platform = platform_services();
    if (!platform)
        return false;
    WindowSettings const& settings = window->settings;
    std::optional<std::uint64_t> slot;
    if (!position) {
        PushStack::Placed placed = push_stack().place(platform->host().work_area(), settings.width, settings.height);
        slot = placed.slot;
        position = placed.position;
    }
    WindowHooks hooks = native_hooks(window);
    if (slot) {
        hooks.on_close = [slot, close = std::move(hooks.on_close)] {
            push_stack().release(*slot);
            close();
        };
    }
    NativeWindow* native = create_native_window(window, *platform,
        push_window_options(settings.width, settings.height, position), std::move(hooks), lifetime);
    if (!native && slot)
        push_stack().release(*slot);
    return native != nullptr;
}

void close_native_window(WindowState& window)
{
    PostQueue::process().close(*window.post);
    if (NativeWindow* native = live_window(window)) {
        window.tree.closing = true;
        native->request_close();
    }
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
        native->move(saturate_to_i32(x), saturate_to_i32(y));
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

void request_native_file_dialogs(WindowState& window)
{
    if (NativeWindow* native = live_window(window))
        native->request_file_dialogs();
}

}

#endif
