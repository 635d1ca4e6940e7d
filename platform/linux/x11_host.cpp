// X11Host: the display connection, window creation and the loop that serves
// every window of the thread.
#include "platform/linux/x11_host.hpp"

#include "core/window/startup_marks.hpp"

#include "platform/linux/atspi_bridge.hpp"
#include "platform/linux/detail/compose_cache.hpp"
#include "platform/linux/detail/connection_loss.hpp"
#include "platform/linux/detail/prepared.hpp"
#include "platform/linux/detail/utf.hpp"
#include "platform/linux/image_decoder.hpp"
// Xlib's headers last: their macros clash with names in core.
#include "platform/linux/detail/input_method.hpp"
#include "platform/linux/detail/x11.hpp"

#include <X11/Xatom.h>
#include <X11/cursorfont.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <optional>
#include <poll.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <utility>

namespace orvy::linux_platform {

namespace {

// Requests on windows that are going or not yet viewable (a focus on an
// unmapped window, a property of a destroyed owner) fail harmlessly; Xlib's
// own handler would end the process.
int ignore_error(Display*, XErrorEvent*) { return 0; }

void set_icon(Display* display, Window window, detail::Atoms const& atoms, std::string const& path)
{
    LinuxImageDecoder decoder;
    std::optional<Bitmap> icon = decoder.decode_file(path, 0);
    if (!icon)
        return;
    // The property goes in one request, whose size the server bounds.
    long request = XExtendedMaxRequestSize(display) ? XExtendedMaxRequestSize(display) : XMaxRequestSize(display);
    std::vector<long> items = detail::icon_property(icon->pixels, icon->width, icon->height,
        static_cast<std::size_t>(std::max(request - 64, 0L)));
    if (!items.empty())
        detail::set_cardinals(display, window, atoms.net_wm_icon, XA_CARDINAL, items);
}

// The connection prepare_display opens before any host needs one, with its
// atoms. A process forked after the preparation gets none: it shares the
// connection's socket with its parent, whose requests would mix with its own.
struct OpenedDisplay {
    Display* display = nullptr;
    std::optional<detail::Atoms> atoms;
};
using PreparedDisplay = detail::Prepared<OpenedDisplay>;

PreparedDisplay& prepared_display()
{
    static PreparedDisplay* const prepared = new PreparedDisplay;
    return *prepared;
}

}

void prepare_display()
{
    PreparedDisplay& prepared = prepared_display();
    if (!prepared.start())
        return;
    try {
        std::thread([&prepared] {
            // The handler every host sets: Xlib's own would end the process on
            // an error the server sends before the host has the connection.
            XSetErrorHandler(ignore_error);
            OpenedDisplay opened { XOpenDisplay(nullptr) };
            detail::watch_connection(opened.display);
            if (opened.display)
                opened.atoms = detail::intern_atoms(opened.display, DefaultScreen(opened.display));
            // A server that went away meanwhile leaves a connection no one
            // may use: the host then tries one of its own.
            if (opened.display && detail::connection_lost(opened.display))
                opened = {};
            prepared.finish(std::move(opened));
        }).detach();
    } catch (std::system_error const&) {
        prepared.finish({}); // no thread to spare: the host opens its own
        return;
    }
    // A process that ends meanwhile lets the opening finish first, rather
    // than tearing Xlib down under it.
    std::atexit(wait_for_prepared_display);
}

void wait_for_prepared_display() { prepared_display().wait(); }

X11Host::X11Host() : m_posted(detail::PostedEvents::create()) { }

X11Host::~X11Host()
{
    // A break found only now is not reported: no window's code may run
    // this late (the process is ending). The windows go without a request.
    if (m_display && detail::connection_lost(m_display))
        let_go_of_display();
    m_windows.clear();
    m_retired.clear();
    m_input_method.reset();
    m_accessibility.reset();
    m_drop.reset();
    m_clipboard.reset();
    if (m_display) {
        for (unsigned long cursor : m_cursors) {
            if (cursor)
                XFreeCursor(m_display, cursor);
        }
        // Wakers on other threads only touch the posted events, which they share.
        detail::forget_connection(m_display);
        XCloseDisplay(m_display);
    }
}

Display* X11Host::display()
{
    std::string error;
    return open_display(error) ? m_display : nullptr;
}

bool X11Host::open_display(std::string& error)
{
    abandon_display_if_lost();
    if (m_display)
        return true;
    if (m_display_tried) {
        error = m_display_error;
        return false;
    }
    m_display_tried = true;
    if (!m_posted) {
        m_display_error = error = "no file descriptor left for the loop's wake-up";
        return false;
    }
    auto [display, atoms] = prepared_display().take();
    if (!display) {
        display = XOpenDisplay(nullptr);
        detail::watch_connection(display);
    }
    if (!display) {
        char const* name = std::getenv("DISPLAY");
        m_display_error = error = std::string("cannot open the X display \"") + (name ? name : "") + "\"";
        return false;
    }
    XSetErrorHandler(ignore_error);
    m_atoms = std::make_unique<detail::Atoms>(atoms ? *atoms : detail::intern_atoms(display, DefaultScreen(display)));
    m_display = display;
    if (abandon_display_if_lost()) {
        error = m_display_error;
        return false;
    }
    // Neither makes an X request before it is first used.
    m_clipboard = std::make_unique<X11Clipboard>(display);
    make_drop_target();
    mark_startup(StartupMark::VideoStarted);
    return true;
}

bool X11Host::abandon_display_if_lost()
{
    if (!m_display || !detail::connection_lost(m_display))
        return false;
    abandon_display();
    return true;
}

void X11Host::abandon_display()
{
    if (!let_go_of_display())
        return;
    // Every window first hears why, then closes; the hooks may run code
    // that closes other windows, so each is looked up afresh.
    std::vector<WindowId> ids = window_ids();
    for (WindowId id : ids) {
        if (X11Window* native = window(id))
            native->procedure().fail(m_display_error);
    }
    for (WindowId id : window_ids())
        destroy(id);
}

bool X11Host::let_go_of_display()
{
    if (!m_display)
        return false;
    Display* lost = m_display;
    std::string words = detail::connection_loss_words(lost);
    if (words.empty())
        words = std::string("X connection to ") + DisplayString(lost) + " broken.";
    // From here the host has no connection: code the windows' hooks run (or
    // a later window) is told so instead of writing into the broken one.
    m_display = nullptr;
    m_display_lost = true;
    m_display_tried = true;
    m_display_error = words;
    // Their teardown would speak to the server; the process keeps them.
    (void)m_clipboard.release();
    (void)m_drop.release();
    (void)m_input_method.release();
    m_input_method_wanted = false;
    m_input_method_tried = true;
    std::fill(std::begin(m_cursors), std::end(m_cursors), 0UL);
    return true;
}

void X11Host::make_drop_target()
{
    XdndTarget::Hooks hooks;
    // The source shows whether the drop would be taken where the pointer is.
    hooks.accepts_at = [this](unsigned long xid, PointF point) {
        X11Window* native = window(static_cast<WindowId>(xid));
        return native && native->is_enabled() && native->procedure().handlers().accepts_drop(point);
    };
    hooks.on_drop = [this](unsigned long xid, std::vector<std::string> const& paths, PointF point) {
        if (X11Window* native = input_target(xid, false); native && !paths.empty())
            native->procedure().file_drop(*native, paths, point);
    };
    m_drop = std::make_unique<XdndTarget>(m_display, std::move(hooks));
}

void X11Host::forget_drop_target(unsigned long xid)
{
    if (m_drop)
        m_drop->forget(xid);
}

bool X11Host::has_window_manager()
{
    if (!m_window_manager)
        m_window_manager = detail::has_window_manager(m_display, *m_atoms);
    return *m_window_manager;
}

std::vector<detail::Monitor> X11Host::monitors()
{
    std::vector<detail::Monitor> found = m_monitor_source.monitors(m_display);
    if (found.empty()) {
        int screen = DefaultScreen(m_display);
        found.push_back({ { 0, 0, DisplayWidth(m_display, screen), DisplayHeight(m_display, screen) }, true });
    }
    return found;
}

std::optional<RectI> X11Host::desktop_work_area()
{
    Window root = DefaultRootWindow(m_display);
    std::vector<long> desktop = detail::read_cardinals(m_display, root, m_atoms->net_current_desktop, 1);
    long index = desktop.empty() ? 0 : std::clamp(desktop[0], 0L, 255L);
    std::vector<long> areas = detail::read_cardinals(m_display, root, m_atoms->net_workarea, 4 * (index + 1));
    if (areas.size() < static_cast<std::size_t>(4 * (index + 1)))
        return std::nullopt;
    long const* area = &areas[static_cast<std::size_t>(4 * index)];
    // X coordinates are 16 bits; a property claiming more is cut to that.
    auto coordinate = [](long value) { return static_cast<std::int32_t>(std::clamp(value, -65536L, 65536L)); };
    return RectI { coordinate(area[0]), coordinate(area[1]), coordinate(area[0] + std::clamp(area[2], 0L, 65536L)),
        coordinate(area[1] + std::clamp(area[3], 0L, 65536L)) };
}

RectI X11Host::reference_rect(PlacementReference reference, WindowId owner_id)
{
    X11Window* owner = reference == PlacementReference::PrimaryWorkArea ? nullptr : window(owner_id);
    RectI owner_rect {};
    if (owner) {
        PointI at = owner->position();
        ClientSize size = owner->client_size();
        auto const& [left, right, top, bottom] = owner->frame_extents();
        owner_rect = { at.x - left, at.y - top, at.x + static_cast<std::int32_t>(size.width) + right,
            at.y + static_cast<std::int32_t>(size.height) + bottom };
    }
    if (reference == PlacementReference::OwnerWindow)
        return owner_rect;
    // The desktop hints name one work area across all monitors: it is cut
    // down to the monitor the window goes on.
    std::vector<detail::Monitor> all = monitors();
    std::optional<RectI> monitor = owner ? detail::nearest_monitor(all, owner_rect) : detail::primary_monitor(all);
    return detail::work_area_within(*monitor, desktop_work_area());
}

WindowCreation X11Host::create_window(WindowOptions const& options, WindowHooks hooks,
    std::unique_ptr<WindowHandlers> handlers)
{
    WindowCreation result;
    if (!open_display(result.error))
        return result;
    Display* display = m_display;
    detail::Atoms const& atoms = *m_atoms;
    int screen = DefaultScreen(display);
    Window root = RootWindow(display, screen);

    WindowStyles styles = window_styles(options);
    std::optional<PlacementReference> reference = placement_reference(options);
    RectI reference_area = reference ? reference_rect(*reference, options.owner) : RectI {};
    std::optional<PointI> position = initial_position(options, reference_area);
    auto width = static_cast<unsigned>(std::clamp(options.width, 1, 32767));
    auto height = static_cast<unsigned>(std::clamp(options.height, 1, 32767));

    // Glass needs a visual with alpha, chosen when the window is created;
    // without one (or without a compositor) the window stays opaque.
    X11Window::Visual visual { DefaultVisual(display, screen), DefaultDepth(display, screen), false };
    XSetWindowAttributes attributes {};
    unsigned long mask = CWBackPixmap | CWBorderPixel | CWBitGravity | CWEventMask;
    attributes.background_pixmap = None; // every frame covers the window; no clearing before it
    attributes.border_pixel = 0;
    attributes.bit_gravity = NorthWestGravity;
    attributes.event_mask = detail::window_events;
    if (options.glass) {
        if (std::optional<XVisualInfo> info = detail::transparent_visual(display, screen, atoms)) {
            attributes.colormap = XCreateColormap(display, root, info->visual, AllocNone);
            visual = { info->visual, info->depth, true, attributes.colormap };
            mask |= CWColormap;
        }
    }
    Window xid = XCreateWindow(display, root, position ? position->x : 0, position ? position->y : 0, width, height,
        0, visual.depth, InputOutput, static_cast<::Visual*>(visual.visual), mask, &attributes);
    if (!xid) {
        if (visual.colormap)
            XFreeColormap(display, visual.colormap);
        result.error = "the X server made no window";
        return result;
    }
    mark_startup(StartupMark::WindowCreated);

    // Pass 1: what the window manager reads when the window is mapped.
    XSizeHints* size_hints = XAllocSizeHints();
    XWMHints* wm_hints = XAllocWMHints();
    XClassHint* class_hint = XAllocClassHint();
    if (size_hints && wm_hints && class_hint) {
        size_hints->flags = PWinGravity;
        size_hints->win_gravity = NorthWestGravity;
        if (position) {
            size_hints->flags |= USPosition | PPosition;
            size_hints->x = position->x;
            size_hints->y = position->y;
        }
        if (!styles.is_resizable()) {
            size_hints->flags |= PMinSize | PMaxSize;
            size_hints->min_width = size_hints->max_width = static_cast<int>(width);
            size_hints->min_height = size_hints->max_height = static_cast<int>(height);
        }
        wm_hints->flags = InputHint | StateHint;
        wm_hints->input = True;
        wm_hints->initial_state = NormalState;
        std::string name = program_invocation_short_name;
        class_hint->res_name = name.data();
        class_hint->res_class = name.data();
        XSetWMNormalHints(display, xid, size_hints);
        XSetWMHints(display, xid, wm_hints);
        XSetClassHint(display, xid, class_hint);
    }
    XFree(size_hints);
    XFree(wm_hints);
    XFree(class_hint);
    detail::set_client_properties(display, xid, atoms);
    bool plain_title = detail::set_window_name(display, xid, atoms, options.title);
    Atom protocols[] = { atoms.wm_delete_window, atoms.net_wm_ping };
    XSetWMProtocols(display, xid, protocols, 2);
    long pid = ::getpid();
    detail::set_cardinals(display, xid, atoms.net_wm_pid, XA_CARDINAL, { &pid, 1 });
    Atom type = options.takes_focus ? atoms.net_wm_window_type_normal : atoms.net_wm_window_type_notification;
    detail::set_atom_list(display, xid, atoms.net_wm_window_type, { &type, 1 });
    std::vector<Atom> state;
    if (styles.is_topmost())
        state.push_back(atoms.net_wm_state_above);
    if (styles.is_tool_window())
        state.push_back(atoms.net_wm_state_skip_taskbar);
    X11Window* owner = window(options.owner);
    if (options.modal && owner)
        state.push_back(atoms.net_wm_state_modal);
    if (!state.empty())
        detail::set_atom_list(display, xid, atoms.net_wm_state, state);
    detail::set_motif_hints(display, xid, atoms, styles);
    if (owner)
        XSetTransientForHint(display, xid, owner->xid());
    // Notifications appear without taking the keyboard from where it is.
    if (!options.takes_focus) {
        long never = 0;
        detail::set_cardinals(display, xid, atoms.net_wm_user_time, XA_CARDINAL, { &never, 1 });
    }
    if (options.icon)
        set_icon(display, xid, atoms, *options.icon);
    // A server that went away while the window was described leaves
    // nothing to show it on: the creation fails with the words for the break.
    if (abandon_display_if_lost()) {
        result.error = m_display_error;
        return result;
    }

    if (options.modal && owner)
        owner->set_enabled(false);

    // Pass 2: the window object, then the window on screen.
    auto created = std::make_unique<X11Window>(*this, xid, visual, options, std::move(hooks), std::move(handlers));
    X11Window& native = *created;
    m_windows.emplace(native.id(), std::move(created));
    m_after_first_frame[native.id()] = { options.title, !plain_title, accessible_window_role(options) };
    XMapWindow(display, xid);
    mark_startup(StartupMark::WindowShown);
    if (options.owner)
        native.raise();

    native.procedure().attached(native);
    ClientSize size = native.client_size();
    if (size.width && size.height)
        native.procedure().handlers().resize(size);
    native.invalidate();
    result.window = &native;
    return result;
}

void X11Host::first_frame_out(X11Window& native)
{
    auto found = m_after_first_frame.find(native.id());
    if (found == m_after_first_frame.end())
        return;
    AfterFirstFrame after = std::move(found->second);
    m_after_first_frame.erase(found);
    m_drop->make_aware(native.xid());
    if (after.compound_title)
        detail::set_compound_window_name(m_display, native.xid(), after.title);
    publish_accessible(native, std::move(after.title), after.role);
}

void X11Host::publish_accessible(X11Window& native, std::string title, AccessibleRole role)
{
    // Connecting to the bus (a round trip to the X server for its address,
    // then D-Bus) comes after the first frame too.
    if (!m_accessibility_checked) {
        m_accessibility_checked = true;
        m_accessibility = AtspiBridge::connect(m_display, m_posted);
    }
    if (m_accessibility)
        m_accessibility->add_window(native, std::move(title), role);
}

std::vector<WindowId> X11Host::window_ids() const
{
    std::vector<WindowId> ids;
    ids.reserve(m_windows.size());
    for (auto const& entry : m_windows)
        ids.push_back(entry.first);
    return ids;
}

X11Window* X11Host::window(WindowId id)
{
    auto found = m_windows.find(id);
    return found == m_windows.end() ? nullptr : found->second.get();
}

void X11Host::post(WindowId id, detail::PostedKind kind) const
{
    if (m_posted)
        m_posted->post({ kind, id, nullptr });
}

void X11Host::show_cursor(X11Window& native, CursorKind cursor)
{
    unsigned long& slot = m_cursors[static_cast<int>(cursor)];
    if (!slot) {
        unsigned shape = cursor == CursorKind::Hand ? XC_hand2 : cursor == CursorKind::TextBeam ? XC_xterm : XC_left_ptr;
        slot = XCreateFontCursor(m_display, shape);
    }
    XDefineCursor(m_display, native.xid(), slot);
}

void X11Host::grab_pointer(X11Window& native, bool grabbed)
{
    if (grabbed)
        XGrabPointer(m_display, native.xid(), False, ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
            GrabModeAsync, GrabModeAsync, None, None, CurrentTime);
    else
        XUngrabPointer(m_display, CurrentTime);
}

ClientSize X11Host::screen_size()
{
    std::string error;
    if (!open_display(error))
        return {};
    std::vector<detail::Monitor> all = monitors();
    RectI primary = *detail::primary_monitor(all);
    return { static_cast<std::uint32_t>(primary.right - primary.left),
        static_cast<std::uint32_t>(primary.bottom - primary.top) };
}

RectI X11Host::work_area()
{
    std::string error;
    if (!open_display(error))
        return {};
    return reference_rect(PlacementReference::PrimaryWorkArea, 0);
}

std::uint8_t X11Host::key_modifiers() { return m_modifiers; }

std::u16string X11Host::clipboard_text()
{
    std::string error;
    if (!open_display(error))
        return {};
    return m_clipboard->text(m_last_input_time);
}

bool X11Host::set_clipboard_text(std::u16string_view text)
{
    std::string error;
    return open_display(error) && m_clipboard->set_text(text, m_last_input_time);
}

void X11Host::show_file_dialog(X11Window& owner, FileDialogSpec const& dialog, FileDialogDone done)
{
    if (!m_dialogs) {
        // Runs on the dialogs' worker threads, which may outlive the host.
        m_dialogs = std::make_unique<detail::FileDialogService>([posted = m_posted] {
            if (posted)
                posted->post({ detail::PostedKind::DialogAnswers, 0, nullptr });
        });
    }
    owner.set_enabled(false);
    m_dialogs->start(owner.id(), detail::make_dialog_job(dialog, owner.xid()), std::move(done));
}

void X11Host::deliver_dialog_answers()
{
    if (!m_dialogs)
        return;
    for (detail::FileDialogService::Answer& answer : m_dialogs->take_answers()) {
        // The answer's callback may close windows; each is looked up afresh.
        if (X11Window* owner = window(answer.window)) {
            owner->set_enabled(true);
            answer.done(answer.path);
        }
    }
}

void X11Host::open_input_method()
{
    m_input_method_wanted = false;
    if (!m_input_method_tried) {
        m_input_method_tried = true;
        // The built-in method parses the locale's compose table, half a
        // megabyte of text; libX11 keeps it compiled in a cache directory,
        // but makes none of its own.
        detail::ComposeCacheEnvironment cache;
        m_input_method = detail::InputMethod::open(m_display);
    }
    if (!m_input_method || !m_input_method->is_alive())
        return;
    for (auto const& [id, native] : m_windows) {
        if (native->wants_input_context())
            native->attach_input_context(detail::InputContext::create(*m_input_method, native->xid()));
    }
}

void X11Host::run(WindowId main_window)
{
    while (window(main_window))
        serve_once(std::chrono::milliseconds::max());
}

void X11Host::serve_once(std::chrono::milliseconds longest_wait)
{
    using Clock = X11Window::Clock;
    ++m_serving;
    // The connection broke in a call since the last round.
    abandon_display_if_lost();
    auto now = Clock::now();
    auto wait = longest_wait;
    for (auto const& [id, native] : m_windows) {
        // A window inside its own tick or paint (a nested loop runs from
        // there) cannot take another one until the outer loop gets back to it.
        if (native->procedure().is_in_frame())
            continue;
        if (native->needs_paint() || native->has_damage())
            wait = std::chrono::milliseconds::zero();
        else if (native->timer_running())
            wait = std::min(wait,
                std::chrono::ceil<std::chrono::milliseconds>(std::max(native->next_tick() - now, Clock::duration {})));
    }

    // Pass 1: wait for the server, another thread or the next tick.
    pollfd watched[2] = {};
    nfds_t count = 0;
    if (m_posted)
        watched[count++] = { m_posted->descriptor(), POLLIN, 0 };
    pollfd* connection = nullptr;
    if (m_display) {
        // A drop whose data has not come is given up in time.
        if (std::optional<XdndTarget::Clock::time_point> deadline = m_drop->deadline())
            wait = std::min(wait,
                std::chrono::ceil<std::chrono::milliseconds>(std::max(*deadline - now, Clock::duration {})));
        XFlush(m_display);
        // Events Xlib has read already would not wake the poll.
        if (XEventsQueued(m_display, QueuedAlready) > 0)
            wait = std::chrono::milliseconds::zero();
        connection = &watched[count];
        watched[count++] = { ConnectionNumber(m_display), POLLIN, 0 };
    }
    int timeout = wait == std::chrono::milliseconds::max()
        ? -1
        : static_cast<int>(std::clamp<std::int64_t>(wait.count(), 0, 1 << 30));
    if (count > 0 || timeout != 0) {
        while (::poll(watched, count, timeout) < 0 && errno == EINTR) {
        }
    }

    // Pass 2: every waiting event. A connection that hung up is lost even
    // where Xlib, with nothing left to read, did not find out.
    abandon_display_if_lost();
    handle_posted();
    read_events();
    if (m_display && connection && (connection->revents & (POLLHUP | POLLERR | POLLNVAL)))
        detail::mark_connection_hung_up(m_display);
    abandon_display_if_lost();
    if (m_drop)
        m_drop->expire(Clock::now());

    // Pass 3: ticks and paints. Windows may appear or go while they run Python code.
    std::vector<WindowId> ids = window_ids();
    now = Clock::now();
    for (WindowId id : ids) {
        if (X11Window* native = window(id))
            native->tick_if_due(now);
    }
    for (WindowId id : ids) {
        X11Window* native = window(id);
        if (!native || native->procedure().is_in_frame())
            continue;
        if (native->needs_paint()) {
            native->paint();
            if (m_accessibility)
                m_accessibility->painted(id);
        } else if (native->has_damage()) {
            native->present_damage();
        }
    }
    if (m_accessibility)
        m_accessibility->sync();
    abandon_display_if_lost();
    // Pass 4: the input method, once a text field asked for it and the frame is out.
    if (m_input_method_wanted && m_display)
        open_input_method();
    // Only the outermost round knows that no window's code is on the stack.
    if (--m_serving == 0)
        m_retired.clear();
}

void X11Host::handle_posted()
{
    if (!m_posted)
        return;
    for (detail::PostedEvent const& posted : m_posted->take()) {
        if (posted.kind == detail::PostedKind::DialogAnswers) {
            deliver_dialog_answers();
            continue;
        }
        if (posted.kind == detail::PostedKind::Accessibility) {
            AtspiBridge::handle_posted(m_accessibility.get(), posted.data);
            continue;
        }
        X11Window* native = window(posted.window);
        if (!native)
            continue;
        switch (posted.kind) {
        case detail::PostedKind::Close: destroy(native->id()); break;
        case detail::PostedKind::FileDialogs: native->procedure().run_file_dialogs(*native); break;
        default: native->procedure().wake(*native); break;
        }
    }
}

void X11Host::destroy(WindowId id)
{
    X11Window* native = window(id);
    if (!native)
        return;
    // Pass 1: a modal window gives its owner back its input and focus.
    if (native->is_modal()) {
        if (X11Window* owner = window(native->owner())) {
            owner->set_enabled(true);
            owner->raise();
        }
    }
    if (m_accessibility)
        m_accessibility->remove_window(id);
    m_after_first_frame.erase(id);
    // Pass 2: its open file dialogs close unanswered.
    if (m_dialogs)
        m_dialogs->cancel_window(id);
    // Pass 3: the close hook, which may run Python and touch other windows.
    native->procedure().destroy();
    // Pass 4: the window goes, which ends its loop. Inside a nested loop
    // the window's own tick or paint may be further up the stack, so it is
    // hidden and kept until the outermost round ends.
    auto found = m_windows.find(id);
    if (found == m_windows.end())
        return;
    if (m_serving > 1) {
        if (m_display)
            XUnmapWindow(m_display, found->second->xid());
        m_retired.push_back(std::move(found->second));
    }
    m_windows.erase(found);
}

void X11Host::raise_modal_child(WindowId owner)
{
    for (auto const& [id, native] : m_windows) {
        if (native->is_modal() && native->owner() == owner) {
            native->raise();
            return;
        }
    }
}

X11Window* X11Host::input_target(unsigned long xid, bool activates)
{
    X11Window* native = window(static_cast<WindowId>(xid));
    if (native && !native->is_enabled()) {
        if (activates)
            raise_modal_child(native->id());
        return nullptr;
    }
    return native;
}

}
