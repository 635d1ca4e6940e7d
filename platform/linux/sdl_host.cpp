// SdlHost: window creation and the loop that serves every window of the thread.
#include "platform/linux/sdl_host.hpp"

#include "core/window/startup_marks.hpp"

#include "platform/linux/atspi_bridge.hpp"
#include "platform/linux/detail/utf.hpp"
#include "platform/linux/detail/x11.hpp"
#include "platform/linux/image_decoder.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace orvy::linux_platform {

namespace {

// The clipboard hands over at most this much text, as on Windows.
constexpr std::size_t clipboard_limit = 1000001;

void set_icon(SDL_Window* window, std::string const& path)
{
    LinuxImageDecoder decoder;
    std::optional<Bitmap> icon = decoder.decode_file(path, 0);
    if (!icon)
        return;
    // SDL wants straight alpha.
    for (std::size_t i = 0; i + 3 < icon->pixels.size(); i += 4) {
        unsigned alpha = icon->pixels[i + 3];
        if (alpha == 0 || alpha == 255)
            continue;
        for (std::size_t c = 0; c < 3; ++c)
            icon->pixels[i + c] = static_cast<std::uint8_t>(std::min(255u, (icon->pixels[i + c] * 255u + alpha / 2) / alpha));
    }
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(icon->pixels.data(), icon->width, icon->height, 32,
        icon->width * 4, SDL_PIXELFORMAT_ARGB8888);
    if (!surface)
        return;
    SDL_SetWindowIcon(window, surface);
    SDL_FreeSurface(surface);
}

RectI to_rect(SDL_Rect const& rect) { return { rect.x, rect.y, rect.x + rect.w, rect.y + rect.h }; }

}

SdlHost::SdlHost()
{
    // SDL reads the text of keys that bypass the input context (every key
    // release) with XLookupString and converts it from ISO-8859-1, but Xlib
    // answers in the charset of the locale. Under a UTF-8 locale, which the
    // Python interpreter sets, a non-Latin key then overruns SDL's 4-byte
    // conversion buffer. Xlib's answers in Latin-1 are what SDL expects;
    // typed text still arrives whole through the input context, which
    // converts from the key's symbol. Read when the display opens; set
    // here, before a window's text engine starts threads that read the
    // environment.
    setenv("_XKB_CHARSET", "iso8859-1", 0);
    // Added after the variable above, which stays, so that restoring the
    // environment moves nothing that stays.
    m_video_environment.emplace();
}

SdlHost::~SdlHost()
{
    m_windows.clear();
    for (SDL_Cursor* cursor : m_cursors) {
        if (cursor)
            SDL_FreeCursor(cursor);
    }
    // SDL itself stays up: wakers on other threads may still push events.
}

bool SdlHost::start_video(std::string& error)
{
    if (m_video)
        return true;
    // The window surface without GL is a shared-memory image: an order of
    // magnitude faster to present in software, and it keeps the alpha byte
    // that glass windows need.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    int started = SDL_InitSubSystem(SDL_INIT_VIDEO);
    m_video_environment.reset();
    if (started != 0) {
        error = SDL_GetError();
        return false;
    }
    m_user_event = SDL_RegisterEvents(1);
    if (m_user_event == static_cast<Uint32>(-1)) {
        error = "SDL has no user events left";
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    m_video = true;
    mark_startup(StartupMark::VideoStarted);
    return true;
}

RectI SdlHost::reference_rect(PlacementReference reference, WindowId owner_id)
{
    SdlWindow* owner = window(owner_id);
    if (reference == PlacementReference::OwnerWindow) {
        if (!owner)
            return {};
        int x = 0, y = 0, width = 0, height = 0, top = 0, left = 0, bottom = 0, right = 0;
        SDL_GetWindowPosition(owner->sdl(), &x, &y);
        SDL_GetWindowSize(owner->sdl(), &width, &height);
        SDL_GetWindowBordersSize(owner->sdl(), &top, &left, &bottom, &right);
        return { x - left, y - top, x + width + right, y + height + bottom };
    }
    int display = 0;
    if (reference == PlacementReference::OwnerWorkArea && owner)
        display = std::max(SDL_GetWindowDisplayIndex(owner->sdl()), 0);
    SDL_Rect area {};
    if (SDL_GetDisplayUsableBounds(display, &area) == 0)
        return to_rect(area);
    if (SDL_GetDisplayBounds(0, &area) == 0)
        return to_rect(area);
    return {};
}

WindowCreation SdlHost::create_window(WindowOptions const& options, WindowHooks hooks,
    std::unique_ptr<WindowHandlers> handlers)
{
    WindowCreation result;
    if (!start_video(result.error))
        return result;

    WindowStyles styles = window_styles(options);
    Uint32 flags = SDL_WINDOW_HIDDEN;
    if (styles.is_resizable())
        flags |= SDL_WINDOW_RESIZABLE;
    if (!styles.has_caption())
        flags |= SDL_WINDOW_BORDERLESS;
    if (styles.is_topmost())
        flags |= SDL_WINDOW_ALWAYS_ON_TOP;
    if (styles.is_tool_window())
        flags |= SDL_WINDOW_SKIP_TASKBAR;

    int x = SDL_WINDOWPOS_UNDEFINED, y = SDL_WINDOWPOS_UNDEFINED;
    std::optional<PlacementReference> reference = placement_reference(options);
    RectI reference_area = reference ? reference_rect(*reference, options.owner) : RectI {};
    if (std::optional<PointI> position = initial_position(options, reference_area)) {
        x = position->x;
        y = position->y;
    }

    // Glass needs a visual with alpha, chosen when the window is created;
    // without one (or without a compositor) the window stays opaque.
    std::optional<std::string> visual = options.glass ? detail::transparent_visual_id() : std::nullopt;
    if (visual)
        SDL_SetHint(SDL_HINT_VIDEO_X11_WINDOW_VISUALID, visual->c_str());
    SDL_Window* sdl = SDL_CreateWindow(options.title.c_str(), x, y, std::max(options.width, 1),
        std::max(options.height, 1), flags);
    if (visual)
        SDL_ResetHint(SDL_HINT_VIDEO_X11_WINDOW_VISUALID);
    if (!sdl) {
        result.error = SDL_GetError();
        return result;
    }
    mark_startup(StartupMark::WindowCreated);

    if (styles.has_caption())
        detail::set_window_functions(sdl, styles);
    detail::set_legacy_window_name(sdl, options.title.c_str());
    if (options.icon)
        set_icon(sdl, *options.icon);
    SdlWindow* owner = window(options.owner);
    if (options.modal && owner) {
        owner->set_enabled(false);
        SDL_SetWindowModalFor(sdl, owner->sdl());
    }

    auto created = std::make_unique<SdlWindow>(*this, sdl, options, visual.has_value(), std::move(hooks),
        std::move(handlers));
    SdlWindow& native = *created;
    m_windows.emplace(native.id(), std::move(created));

    // Notifications appear without taking the keyboard from where it is.
    if (!options.takes_focus) {
        detail::set_notification_type(sdl);
        SDL_SetHint(SDL_HINT_WINDOW_NO_ACTIVATION_WHEN_SHOWN, "1");
    }
    SDL_ShowWindow(sdl);
    mark_startup(StartupMark::WindowShown);
    if (!options.takes_focus)
        SDL_ResetHint(SDL_HINT_WINDOW_NO_ACTIVATION_WHEN_SHOWN);
    // The size asked for is the outer size; where the window manager has
    // already framed the window, the frame comes off the client area.
    int top = 0, left = 0, bottom = 0, right = 0;
    if (SDL_GetWindowBordersSize(sdl, &top, &left, &bottom, &right) == 0 && (top || left || bottom || right))
        SDL_SetWindowSize(sdl, std::max(options.width - left - right, 1), std::max(options.height - top - bottom, 1));
    if (options.owner)
        native.raise();

    native.procedure().attached(native);
    ClientSize size = native.client_size();
    if (size.width && size.height)
        native.procedure().handlers().resize(size);
    native.invalidate();
    publish_accessible(native, options);
    result.window = &native;
    return result;
}

void SdlHost::publish_accessible(SdlWindow& native, WindowOptions const& options)
{
    if (!m_accessibility_checked) {
        m_accessibility_checked = true;
        m_accessibility = AtspiBridge::connect(native.sdl(), m_user_event, static_cast<Sint32>(UserEvent::Accessibility));
    }
    if (m_accessibility)
        m_accessibility->add_window(native, options.title, accessible_window_role(options));
}

SdlWindow* SdlHost::window(WindowId id)
{
    auto found = m_windows.find(id);
    return found == m_windows.end() ? nullptr : found->second.get();
}

void SdlHost::push_user_event(WindowId id, UserEvent event) const
{
    if (!m_video)
        return;
    SDL_Event posted {};
    posted.type = m_user_event;
    posted.user.windowID = id;
    posted.user.code = static_cast<Sint32>(event);
    SDL_PushEvent(&posted);
}

void SdlHost::show_cursor(CursorKind cursor)
{
    if (cursor == m_cursor && m_cursors[static_cast<int>(cursor)])
        return;
    SDL_Cursor*& slot = m_cursors[static_cast<int>(cursor)];
    if (!slot) {
        SDL_SystemCursor system = cursor == CursorKind::Hand ? SDL_SYSTEM_CURSOR_HAND
            : cursor == CursorKind::TextBeam                 ? SDL_SYSTEM_CURSOR_IBEAM
                                                             : SDL_SYSTEM_CURSOR_ARROW;
        slot = SDL_CreateSystemCursor(system);
    }
    if (slot)
        SDL_SetCursor(slot);
    m_cursor = cursor;
}

ClientSize SdlHost::screen_size()
{
    std::string error;
    SDL_Rect bounds {};
    if (!start_video(error) || SDL_GetDisplayBounds(0, &bounds) != 0)
        return {};
    return { static_cast<std::uint32_t>(std::max(bounds.w, 0)), static_cast<std::uint32_t>(std::max(bounds.h, 0)) };
}

RectI SdlHost::work_area()
{
    std::string error;
    if (!start_video(error))
        return {};
    return reference_rect(PlacementReference::PrimaryWorkArea, 0);
}

std::uint8_t SdlHost::key_modifiers()
{
    SDL_Keymod held = SDL_GetModState();
    std::uint8_t mask = 0;
    if (held & KMOD_CTRL)
        mask |= key_modifier::control;
    if (held & KMOD_SHIFT)
        mask |= key_modifier::shift;
    if (held & KMOD_ALT)
        mask |= key_modifier::alt;
    return mask;
}

std::u16string SdlHost::clipboard_text()
{
    std::string error;
    if (!start_video(error))
        return {};
    char* text = SDL_GetClipboardText();
    if (!text)
        return {};
    std::u16string result = detail::to_utf16(text, clipboard_limit);
    SDL_free(text);
    return result;
}

bool SdlHost::set_clipboard_text(std::u16string_view text)
{
    std::string error;
    return start_video(error) && SDL_SetClipboardText(detail::to_utf8(text).c_str()) == 0;
}

void SdlHost::show_file_dialog(SdlWindow& owner, FileDialogSpec const& dialog, FileDialogDone done)
{
    if (!m_dialogs) {
        // Runs on the dialogs' worker threads, which may outlive the host.
        m_dialogs = std::make_unique<detail::FileDialogService>([type = m_user_event] {
            SDL_Event event {};
            event.type = type;
            event.user.code = static_cast<Sint32>(UserEvent::DialogAnswers);
            SDL_PushEvent(&event);
        });
    }
    owner.set_enabled(false);
    m_dialogs->start(owner.id(), detail::make_dialog_job(dialog, detail::x11_window(owner.sdl())), std::move(done));
}

void SdlHost::deliver_dialog_answers()
{
    if (!m_dialogs)
        return;
    for (detail::FileDialogService::Answer& answer : m_dialogs->take_answers()) {
        // The answer's callback may close windows; each is looked up afresh.
        if (SdlWindow* owner = window(answer.window)) {
            owner->set_enabled(true);
            answer.done(answer.path);
        }
    }
}

void SdlHost::run(WindowId main_window)
{
    while (window(main_window))
        serve_once(std::chrono::milliseconds::max());
}

void SdlHost::serve_once(std::chrono::milliseconds longest_wait)
{
    using Clock = SdlWindow::Clock;
    ++m_serving;
    auto now = Clock::now();
    auto wait = longest_wait;
    for (auto const& [id, native] : m_windows) {
        // A window inside its own tick or paint (a nested loop runs from
        // there) cannot take another one until the outer loop gets back to it.
        if (native->procedure().is_in_frame())
            continue;
        if (native->needs_paint())
            wait = std::chrono::milliseconds::zero();
        else if (native->timer_running())
            wait = std::min(wait,
                std::chrono::ceil<std::chrono::milliseconds>(std::max(native->next_tick() - now, Clock::duration {})));
    }

    SDL_Event event;
    bool got = false;
    if (wait == std::chrono::milliseconds::max())
        got = SDL_WaitEvent(&event) == 1;
    else
        got = SDL_WaitEventTimeout(&event, static_cast<int>(std::min<std::int64_t>(wait.count(), 1 << 30))) == 1;
    if (got) {
        dispatch(event);
        while (SDL_PollEvent(&event))
            dispatch(event);
    }

    // Windows may appear or go while their ticks and paints run Python code.
    std::vector<WindowId> ids;
    for (auto const& entry : m_windows)
        ids.push_back(entry.first);
    now = Clock::now();
    for (WindowId id : ids) {
        if (SdlWindow* native = window(id))
            native->tick_if_due(now);
    }
    for (WindowId id : ids) {
        SdlWindow* native = window(id);
        if (native && native->needs_paint() && !native->procedure().is_in_frame()) {
            native->paint();
            if (m_accessibility)
                m_accessibility->painted(id);
        }
    }
    if (m_accessibility)
        m_accessibility->sync();
    // Only the outermost round knows that no window's code is on the stack.
    if (--m_serving == 0)
        m_retired.clear();
}

void SdlHost::destroy(WindowId id)
{
    SdlWindow* native = window(id);
    if (!native)
        return;
    // Pass 1: a modal window gives its owner back its input and focus.
    if (native->is_modal()) {
        if (SdlWindow* owner = window(native->owner())) {
            owner->set_enabled(true);
            owner->raise();
        }
    }
    if (m_accessibility)
        m_accessibility->remove_window(id);
    // Pass 2: its open file dialogs close unanswered.
    if (m_dialogs)
        m_dialogs->cancel_window(id);
    // Pass 3: the close hook, which may run Python and touch other windows.
    native->procedure().destroy();
    // Pass 4: the window goes, which ends its loop. Inside a nested loop
    // the window's own tick or paint may be further up the stack, so it is
    // hidden and kept until the outermost round ends.
    auto found = m_windows.find(id);
    if (m_serving > 1) {
        SDL_HideWindow(found->second->sdl());
        m_retired.push_back(std::move(found->second));
    }
    m_windows.erase(found);
}

void SdlHost::raise_modal_child(WindowId owner)
{
    for (auto const& [id, native] : m_windows) {
        if (native->is_modal() && native->owner() == owner) {
            native->raise();
            return;
        }
    }
}

SdlWindow* SdlHost::input_target(Uint32 id, bool activates)
{
    SdlWindow* native = window(id);
    if (native && !native->is_enabled()) {
        if (activates)
            raise_modal_child(id);
        return nullptr;
    }
    return native;
}

}
