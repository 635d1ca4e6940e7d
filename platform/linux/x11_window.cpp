// X11Window: one X window, its Cairo target, frame timer, waker and input context.
#include "platform/linux/x11_host.hpp"

#include "core/window/startup_marks.hpp"

#include "platform/linux/detail/connection_loss.hpp"
#include "platform/linux/detail/input_method.hpp"
#include "platform/linux/detail/utf.hpp"
#include "platform/linux/detail/x11.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

namespace orvy::linux_platform {

namespace {

// Wakes a window from any thread through the host's posted events; a
// wake-up for a window that is gone by the time it is read is dropped.
class PostedWaker final : public Waker {
public:
    PostedWaker(std::shared_ptr<detail::PostedEvents> posted, WindowId id) : m_posted(std::move(posted)), m_id(id) { }

    void wake() override
    {
        if (m_posted)
            m_posted->post({ detail::PostedKind::Wake, m_id, nullptr });
    }

private:
    std::shared_ptr<detail::PostedEvents> m_posted;
    WindowId m_id;
};

}

X11Window::X11Window(X11Host& host, unsigned long xid, Visual visual, WindowOptions const& options,
    WindowHooks hooks, std::unique_ptr<WindowHandlers> handlers)
    : m_host(host)
    , m_display(host.display())
    , m_xid(xid)
    , m_visual(visual)
    , m_owner(options.owner)
    , m_modal(options.modal && options.owner != 0)
    , m_takes_focus(options.takes_focus)
    , m_procedure(std::move(handlers), std::move(hooks))
    , m_waker(std::make_shared<PostedWaker>(host.posted(), static_cast<WindowId>(xid)))
    , m_next_tick(Clock::now() + FrameTimer::period)
{
    m_size = { static_cast<std::uint32_t>(std::clamp(options.width, 1, 32767)),
        static_cast<std::uint32_t>(std::clamp(options.height, 1, 32767)) };
    m_configured_size = m_size;
    m_outer_size = m_size;
}

X11Window::~X11Window()
{
    m_canvas.end();
    release_target();
    m_presenter.reset();
    m_host.forget_drop_target(m_xid);
    if (is_cut_off()) {
        // The server that held the window is gone, and the input context
        // with it; destroying either would be a request.
        (void)m_input_context.release();
        return;
    }
    m_input_context.reset();
    XDestroyWindow(m_display, m_xid);
    if (m_visual.colormap)
        XFreeColormap(m_display, m_visual.colormap);
}

bool X11Window::is_cut_off() const { return detail::connection_lost(m_display); }

PointI X11Window::position() const
{
    int x = 0, y = 0;
    if (is_cut_off())
        return { x, y };
    Window child = None;
    XTranslateCoordinates(m_display, m_xid, DefaultRootWindow(m_display), 0, 0, &x, &y, &child);
    return { x, y };
}

void X11Window::move(std::int32_t x, std::int32_t y)
{
    if (!is_cut_off())
        XMoveWindow(m_display, m_xid, x, y);
}

void X11Window::raise()
{
    if (is_cut_off())
        return;
    XMapRaised(m_display, m_xid);
    if (!m_mapped) {
        m_focus_on_map = true;
        return;
    }
    // The window manager decides about the focus when there is one; it is
    // asked as a pager would ask. Without one the focus is set directly.
    if (m_host.has_window_manager()) {
        XEvent event {};
        event.xclient.type = ClientMessage;
        event.xclient.window = m_xid;
        event.xclient.message_type = m_host.atoms().net_active_window;
        event.xclient.format = 32;
        event.xclient.data.l[0] = 2; // from a pager: the user asked
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(m_display, DefaultRootWindow(m_display), False,
            SubstructureRedirectMask | SubstructureNotifyMask, &event);
    } else {
        XSetInputFocus(m_display, m_xid, RevertToParent, CurrentTime);
    }
}

void X11Window::request_close() { m_host.post(id(), detail::PostedKind::Close); }

void X11Window::start_frame_timer()
{
    if (m_timer_running)
        return;
    m_timer_running = true;
    m_next_tick = Clock::now() + FrameTimer::period;
}

void X11Window::tick_if_due(Clock::time_point now)
{
    if (!m_timer_running || now < m_next_tick)
        return;
    // After a stall the next tick counts from now rather than firing a
    // burst of late ticks.
    m_next_tick += FrameTimer::period;
    if (m_next_tick <= now)
        m_next_tick = now + FrameTimer::period;
    m_procedure.tick(*this);
}

void X11Window::request_file_dialogs() { m_host.post(id(), detail::PostedKind::FileDialogs); }

void X11Window::show_file_dialog(FileDialogSpec const& dialog, FileDialogDone done)
{
    m_host.show_file_dialog(*this, dialog, std::move(done));
}

void X11Window::set_cursor(CursorKind cursor)
{
    // The pointer's moves ask again and again; a cursor is defined when it
    // changes. Before the first frame it waits: loading the cursor theme
    // (libXcursor, its files, four round trips) would delay the frame.
    m_wanted_cursor = cursor;
    if (m_first_frame_out)
        apply_cursor();
}

void X11Window::apply_cursor()
{
    if (!m_wanted_cursor || m_wanted_cursor == m_cursor || is_cut_off())
        return;
    m_cursor = m_wanted_cursor;
    m_host.show_cursor(*this, *m_cursor);
}

void X11Window::capture_pointer(bool captured)
{
    if (!is_cut_off())
        m_host.grab_pointer(*this, captured);
}

void X11Window::set_text_input_area(RectF area)
{
    m_input_area = area;
    if (is_cut_off())
        return;
    if (m_input_context) {
        m_input_context->place(area);
        return;
    }
    m_wants_input_context = true;
    m_host.want_input_method();
}

void X11Window::attach_input_context(std::unique_ptr<detail::InputContext> context)
{
    m_wants_input_context = false;
    m_input_context = std::move(context);
    if (!m_input_context)
        return;
    select_input();
    if (m_input_area)
        m_input_context->place(*m_input_area);
    if (m_focused)
        m_input_context->set_focus(true);
}

void X11Window::select_input()
{
    long events = detail::window_events;
    if (m_input_context)
        events |= m_input_context->filter_events();
    XSelectInput(m_display, m_xid, events);
}

void X11Window::exposed(RectI area)
{
    // The frame presented last is kept: what the server lost of it (the
    // window was covered, or the frame came before the window manager
    // mapped the window) is presented again without painting anew.
    if (!m_presented) {
        m_needs_paint = true;
        return;
    }
    if (m_damage)
        area = { std::min(area.left, m_damage->left), std::min(area.top, m_damage->top),
            std::max(area.right, m_damage->right), std::max(area.bottom, m_damage->bottom) };
    m_damage = area;
}

void X11Window::present_damage()
{
    std::optional<RectI> area = std::exchange(m_damage, std::nullopt);
    if (!area || !m_presented || !m_presenter || is_cut_off())
        return;
    m_presenter->present_again(area->left, area->top, area->right, area->bottom);
    ++m_presents;
}

void X11Window::mapped()
{
    m_mapped = true;
    // Whether a window manager runs is a round trip the first frame does not wait for.
    m_focus_pending = true;
    if (m_first_frame_out)
        settle_focus();
}

void X11Window::settle_focus()
{
    if (!std::exchange(m_focus_pending, false) || is_cut_off())
        return;
    // Without a window manager nobody gives a new window the keyboard.
    if (m_focus_on_map || (m_takes_focus && !m_host.has_window_manager())) {
        m_focus_on_map = false;
        XSetInputFocus(m_display, m_xid, RevertToParent, CurrentTime);
    }
}

void X11Window::apply_configured_size()
{
    ClientSize size = m_configured_size;
    if (size == m_size || size.width == 0 || size.height == 0)
        return;
    // The window manager or the user chose another size: the frame no
    // longer comes off the size asked for.
    m_outer_size.reset();
    m_size = size;
    m_procedure.resize(*this, size);
}

void X11Window::frame_extents_changed()
{
    if (is_cut_off())
        return;
    std::vector<long> extents = detail::read_cardinals(m_display, m_xid, m_host.atoms().net_frame_extents, 4);
    if (extents.size() != 4)
        return;
    for (std::size_t i = 0; i < 4; ++i)
        m_frame_extents[i] = static_cast<int>(std::clamp(extents[i], 0L, 4096L));
    // The size asked for is the outer size: once the window manager has
    // framed the window, the frame comes off the client area.
    auto const& [left, right, top, bottom] = m_frame_extents;
    if (m_outer_size && (left || right || top || bottom)) {
        auto width = std::max(static_cast<int>(m_outer_size->width) - left - right, 1);
        auto height = std::max(static_cast<int>(m_outer_size->height) - top - bottom, 1);
        m_outer_size.reset();
        XResizeWindow(m_display, m_xid, static_cast<unsigned>(width), static_cast<unsigned>(height));
    }
}

void X11Window::focus_changed(bool focused)
{
    m_focused = focused;
    if (m_input_context)
        m_input_context->set_focus(focused);
}

void X11Window::deliver_composed_text(std::string_view utf8)
{
    std::u16string text = detail::to_utf16(utf8);
    // Typed text carries no control characters: the key's own path sends
    // Backspace, Tab, Enter and Escape, and the rest (Ctrl+letter) type nothing.
    std::erase_if(text, [](char16_t unit) { return unit < 0x20 || unit == 0x7F; });
    if (text.empty())
        return;
    // One character typed arrives unit by unit; anything longer was
    // committed by an input method as a whole.
    bool single = text.size() == 1 || (text.size() == 2 && text[0] >= 0xD800 && text[0] <= 0xDBFF);
    if (!single) {
        m_procedure.input_method_result(*this, text);
        return;
    }
    WindowId window_id = id();
    for (char16_t unit : text) {
        X11Window* current = m_host.window(window_id);
        if (!current)
            return;
        current->procedure().character(*current, unit);
    }
}

void X11Window::deliver_preedit(std::u16string_view text) { m_procedure.input_method_preedit(*this, text); }

void X11Window::release_target()
{
    if (m_target)
        cairo_surface_destroy(m_target);
    m_target = nullptr;
    m_target_pixels = nullptr;
}

void X11Window::retarget(unsigned char* pixels, int width, int height, int stride)
{
    if (m_target && m_target_pixels == pixels && m_target_width == width && m_target_height == height)
        return;
    release_target();
    cairo_format_t format = m_visual.transparent ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24;
    m_target = cairo_image_surface_create_for_data(pixels, format, width, height, stride);
    m_target_pixels = pixels;
    m_target_width = width;
    m_target_height = height;
}

void X11Window::paint()
{
    m_needs_paint = false;
    // Nothing is painted for a server that went away; the loop closes the window.
    if (is_cut_off())
        return;
    m_presented = paint_and_present();
    if (m_presented) {
        // The whole frame covers whatever the server lost meanwhile.
        m_damage.reset();
        ++m_presents;
        mark_startup(StartupMark::FirstPresent);
    }
    if (!m_first_frame_out)
        first_frame_out();
}

bool X11Window::paint_and_present()
{
    if (!m_presenter_tried) {
        m_presenter_tried = true;
        // Asked only where a colour map of the window's own is made: without
        // a window manager nobody else installs it.
        m_presenter = detail::FramePresenter::create(m_display, m_xid, m_visual.visual, m_visual.depth,
            [this] { return !m_host.has_window_manager(); });
    }
    if (!m_presenter || m_size.width == 0 || m_size.height == 0)
        return false;
    auto width = static_cast<int>(m_size.width), height = static_cast<int>(m_size.height);
    // The frame's pixels are had when something is first drawn. A frame
    // that is one opaque colour (a window with nothing in it yet) needs
    // none: it is presented by the server's fill, no pixel written, sent or copied.
    bool no_memory = false;
    auto pixels = [this, width, height, &no_memory]() -> cairo_surface_t* {
        detail::FramePresenter::Target target = m_presenter->target(width, height);
        if (!target.pixels) {
            // No memory for a frame this large now; the next paint asks again.
            release_target();
            no_memory = true;
            return nullptr;
        }
        retarget(target.pixels, width, height, target.stride);
        return m_target;
    };
    // A frame larger than a band is recorded instead, as calls without
    // pixels, and played into one band of pixels after another.
    bool banded = m_presenter->presents_in_bands(width, height);
    m_canvas.set_defers_clear(!m_visual.transparent);
    if (banded)
        m_canvas.begin_recording();
    else
        m_canvas.begin(pixels);
    m_procedure.paint(*this, m_canvas);
    m_canvas.end();
    auto started = Clock::now();
    std::optional<Color> flat = m_canvas.flat_frame();
    if (!flat || !m_presenter->present_flat(width, height, flat->r * flat->a, flat->g * flat->a, flat->b * flat->a)) {
        if (banded) {
            if (flat)
                m_canvas.record_flat_frame();
            if (!present_recorded(width, height))
                return false;
            m_last_present = std::chrono::duration<double>(Clock::now() - started).count();
            return true;
        }
        if (flat)
            m_canvas.fill_flat_frame(pixels);
        else if (!no_memory)
            pixels(); // nothing was drawn at all: the frame kept shows
        if (no_memory)
            return false;
        cairo_surface_flush(m_target);
        m_presenter->present();
    }
    m_last_present = std::chrono::duration<double>(Clock::now() - started).count();
    return true;
}

bool X11Window::present_recorded(int width, int height)
{
    if (!m_canvas.has_recording() && m_presenter->keeps_frame(width, height)) {
        // Nothing was drawn at all: the frame kept shows.
        m_presenter->present_again(0, 0, width, height);
        return true;
    }
    cairo_format_t format = m_visual.transparent ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24;
    bool shown = m_presenter->present_bands(width, height, [&](detail::FramePresenter::Target band, int top, int rows) {
        if (!m_canvas.has_recording()) {
            std::memset(band.pixels, 0, static_cast<std::size_t>(band.stride) * static_cast<std::size_t>(rows));
            return true;
        }
        cairo_surface_t* surface = cairo_image_surface_create_for_data(band.pixels, format, width, rows, band.stride);
        bool drawn = cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS && m_canvas.replay(surface, top);
        cairo_surface_destroy(surface);
        return drawn;
    });
    m_canvas.drop_recording();
    return shown;
}

void X11Window::first_frame_out()
{
    m_first_frame_out = true;
    if (m_mapped)
        settle_focus();
    apply_cursor();
    m_host.first_frame_out(*this);
}

}
