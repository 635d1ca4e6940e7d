// SdlWindow: one SDL window, its Cairo target, frame timer and waker.
#include "platform/linux/sdl_host.hpp"

#include "core/window/startup_marks.hpp"

#include <algorithm>
#include <cmath>

namespace orvy::linux_platform {

namespace {

// Wakes a window from any thread by queueing an event for it. SDL's queue
// is thread-safe and wakes a loop that waits; an event for a window that is
// gone by the time it is read is dropped.
class SdlWaker final : public Waker {
public:
    SdlWaker(SdlHost const& host, WindowId id) : m_event_type(host.user_event_type()), m_id(id) { }

    void wake() override
    {
        SDL_Event event {};
        event.type = m_event_type;
        event.user.windowID = m_id;
        event.user.code = static_cast<Sint32>(SdlHost::UserEvent::Wake);
        SDL_PushEvent(&event);
    }

private:
    Uint32 m_event_type;
    WindowId m_id;
};

// The window surface can take Cairo's 32-bit pixels as they are.
bool is_cairo_layout(SDL_PixelFormat const* format)
{
    return format->BytesPerPixel == 4 && format->Rmask == 0x00FF0000 && format->Gmask == 0x0000FF00
        && format->Bmask == 0x000000FF;
}

}

SdlWindow::SdlWindow(SdlHost& host, SDL_Window* window, WindowOptions const& options, bool transparent,
    WindowHooks hooks, std::unique_ptr<WindowHandlers> handlers)
    : m_host(host)
    , m_window(window)
    , m_id(SDL_GetWindowID(window))
    , m_owner(options.owner)
    , m_modal(options.modal && options.owner != 0)
    , m_transparent(transparent)
    , m_procedure(std::move(handlers), std::move(hooks))
    , m_waker(std::make_shared<SdlWaker>(host, m_id))
    , m_next_tick(Clock::now() + FrameTimer::period)
{
}

SdlWindow::~SdlWindow()
{
    m_canvas.end();
    release_target();
    m_presenter.reset();
    SDL_DestroyWindow(m_window);
}

ClientSize SdlWindow::client_size() const
{
    int width = 0, height = 0;
    SDL_GetWindowSize(m_window, &width, &height);
    return { static_cast<std::uint32_t>(std::max(width, 0)), static_cast<std::uint32_t>(std::max(height, 0)) };
}

void SdlWindow::move(std::int32_t x, std::int32_t y) { SDL_SetWindowPosition(m_window, x, y); }

void SdlWindow::raise()
{
    SDL_ShowWindow(m_window);
    SDL_RaiseWindow(m_window);
}

void SdlWindow::request_close() { m_host.push_user_event(m_id, SdlHost::UserEvent::Close); }

void SdlWindow::start_frame_timer()
{
    if (m_timer_running)
        return;
    m_timer_running = true;
    m_next_tick = Clock::now() + FrameTimer::period;
}

void SdlWindow::tick_if_due(Clock::time_point now)
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

void SdlWindow::request_file_dialogs() { m_host.push_user_event(m_id, SdlHost::UserEvent::FileDialogs); }

void SdlWindow::show_file_dialog(FileDialogSpec const& dialog, FileDialogDone done)
{
    m_host.show_file_dialog(*this, dialog, std::move(done));
}

void SdlWindow::set_cursor(CursorKind cursor) { m_host.show_cursor(cursor); }

void SdlWindow::capture_pointer(bool captured) { SDL_CaptureMouse(captured ? SDL_TRUE : SDL_FALSE); }

void SdlWindow::set_text_input_area(RectF area)
{
    SDL_Rect rect { static_cast<int>(std::lround(area.x)), static_cast<int>(std::lround(area.y)),
        static_cast<int>(std::lround(area.w)), static_cast<int>(std::lround(area.h)) };
    SDL_SetTextInputRect(&rect);
}

void SdlWindow::release_target()
{
    if (m_target)
        cairo_surface_destroy(m_target);
    m_target = nullptr;
    m_target_surface = nullptr;
}

void SdlWindow::retarget(SDL_Surface const* surface, unsigned char* pixels, int width, int height, int stride,
    bool direct)
{
    if (m_target && m_target_surface == surface && m_target_pixels == pixels && m_target_width == width
        && m_target_height == height)
        return;
    release_target();
    m_target_direct = direct;
    cairo_format_t format = m_transparent ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24;
    m_target = direct ? cairo_image_surface_create_for_data(pixels, format, width, height, stride)
                      : cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    m_target_surface = surface;
    m_target_pixels = pixels;
    m_target_width = width;
    m_target_height = height;
}

bool SdlWindow::paint_shared()
{
    if (!m_presenter_tried) {
        m_presenter_tried = true;
        m_presenter = detail::ShmPresenter::create(m_window);
    }
    if (!m_presenter)
        return false;
    ClientSize size = client_size();
    if (size.width == 0 || size.height == 0)
        return true;
    auto width = static_cast<int>(size.width), height = static_cast<int>(size.height);
    detail::ShmPresenter::Target pixels = m_presenter->target(width, height);
    if (!pixels.pixels) {
        release_target();
        m_presenter.reset();
        return false;
    }
    retarget(nullptr, pixels.pixels, width, height, pixels.stride, true);
    m_canvas.begin(m_target);
    m_procedure.paint(*this, m_canvas);
    m_canvas.end();
    cairo_surface_flush(m_target);
    auto started = Clock::now();
    m_presenter->present();
    m_last_present = std::chrono::duration<double>(Clock::now() - started).count();
    mark_startup(StartupMark::FirstPresent);
    return true;
}

void SdlWindow::paint()
{
    m_needs_paint = false;
    if (paint_shared())
        return;
    SDL_Surface* surface = SDL_GetWindowSurface(m_window);
    if (!surface || surface->w <= 0 || surface->h <= 0)
        return;

    // Cairo draws straight into the window surface when the pixel layouts
    // agree (the usual case); otherwise into its own image, converted below.
    retarget(surface, static_cast<unsigned char*>(surface->pixels), surface->w, surface->h, surface->pitch,
        is_cairo_layout(surface->format));

    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0)
        return;
    m_canvas.begin(m_target);
    m_procedure.paint(*this, m_canvas);
    m_canvas.end();
    if (!m_target_direct) {
        SDL_ConvertPixels(surface->w, surface->h, SDL_PIXELFORMAT_ARGB8888, cairo_image_surface_get_data(m_target),
            cairo_image_surface_get_stride(m_target), surface->format->format, surface->pixels, surface->pitch);
    }
    if (SDL_MUSTLOCK(surface))
        SDL_UnlockSurface(surface);

    auto started = Clock::now();
    SDL_UpdateWindowSurface(m_window);
    m_last_present = std::chrono::duration<double>(Clock::now() - started).count();
    mark_startup(StartupMark::FirstPresent);
}

}
