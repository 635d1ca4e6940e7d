// FramePresenter: one MIT-SHM segment per window, grown when a frame needs
// more and otherwise reused, and XShmPutImage to present; XPutImage from
// the process's memory where the server cannot share it, and of the part
// that changed, converted, where the screen takes other pixels than Cairo's.
// Frames larger than a band go out band by band into a pixmap on the
// server, which is then copied to the window.
#include "platform/linux/detail/frame_presenter.hpp"

#include "platform/linux/detail/connection_loss.hpp"
#include "platform/linux/detail/palette.hpp"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>
#include <string_view>
#include <utility>
#include <vector>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>

namespace orvy::linux_platform::detail {

struct FramePresenter::Segment {
    XShmSegmentInfo info {};
    std::size_t bytes = 0;
    bool attach_failed = false;
};

namespace {

// The presenters whose last attach has not been settled yet. While there
// are any, the error handler notes the failed attaches among the errors and
// hands every other error to the handler it replaced.
struct AwaitedAttach {
    Display* display;
    unsigned long serial;
    bool* failed;
};
std::vector<AwaitedAttach> awaited_attaches;
XErrorHandler handler_before_attaches = nullptr;

int note_attach_failure(Display* display, XErrorEvent* error)
{
    for (AwaitedAttach const& attach : awaited_attaches) {
        if (attach.display == display && attach.serial == error->serial) {
            *attach.failed = true;
            return 0;
        }
    }
    return handler_before_attaches ? handler_before_attaches(display, error) : 0;
}

void await_attach(AwaitedAttach attach)
{
    if (awaited_attaches.empty())
        handler_before_attaches = XSetErrorHandler(note_attach_failure);
    awaited_attaches.push_back(attach);
}

void stop_awaiting(Display* display, unsigned long serial)
{
    std::erase_if(awaited_attaches,
        [&](AwaitedAttach const& attach) { return attach.display == display && attach.serial == serial; });
    if (awaited_attaches.empty())
        XSetErrorHandler(handler_before_attaches);
}

// Memory is only shared with a server on this machine.
bool is_local(Display* display)
{
    std::string_view name = XDisplayString(display);
    return name.starts_with(':') || name.starts_with("unix:");
}

// Whether images of this visual hold Cairo's pixels as they are: 32 bits a
// pixel in the client's byte order, red, green and blue from the top byte down.
bool takes_cairo_pixels(Display* display, Visual* visual, int depth)
{
    if ((depth != 24 && depth != 32) || visual->red_mask != 0xFF0000 || visual->green_mask != 0xFF00
        || visual->blue_mask != 0xFF)
        return false;
    XShmSegmentInfo none {};
    XImage* probe = XShmCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, nullptr, &none, 1, 1);
    if (!probe)
        return false;
    int native = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
    bool fits = probe->bits_per_pixel == 32 && probe->byte_order == native;
    XDestroyImage(probe);
    return fits;
}

// The value of one 8-bit channel in a visual's pixel with this mask.
struct Channel {
    int shift = 0; // of the mask's lowest bit
    int bits = 0;  // in the mask

    explicit Channel(unsigned long mask)
    {
        if (!mask)
            return;
        shift = std::countr_zero(mask);
        bits = std::popcount(mask);
    }
    unsigned long operator()(std::uint32_t value) const
    {
        value &= 0xFF;
        unsigned long scaled = bits >= 8 ? static_cast<unsigned long>(value) << (bits - 8) : value >> (8 - bits);
        return scaled << shift;
    }
};

}

std::unique_ptr<FramePresenter> FramePresenter::create(Display* display, unsigned long window, void* visual, int depth,
    std::function<bool()> const& install_colormap)
{
    auto* kind = static_cast<Visual*>(visual);
    Path path = Path::Plain;
    std::unique_ptr<Palette> palette;
    // Whether the server has shared memory is asked with the first target:
    // a frame presented by a fill needs none.
    if (takes_cairo_pixels(display, kind, depth)) {
        path = is_local(display) ? Path::Shared : Path::Plain;
    } else if (kind->c_class == TrueColor || kind->c_class == DirectColor) {
        path = Path::Converted;
    } else {
        palette = Palette::create(display, window, visual, install_colormap);
        if (!palette)
            return nullptr;
        path = Path::Converted;
    }
    auto presenter = std::unique_ptr<FramePresenter>(new FramePresenter(display, window, visual, depth, path));
    presenter->m_palette = std::move(palette);
    presenter->m_direct_colormap = make_direct_colormap(display, window, visual, install_colormap);
    return presenter;
}

FramePresenter::FramePresenter(Display* display, unsigned long window, void* visual, int depth, Path path)
    : m_display(display)
    , m_window(window)
    , m_visual(visual)
    , m_depth(depth)
    , m_gc(XCreateGC(display, window, 0, nullptr))
    , m_segment(std::make_unique<Segment>())
    , m_shared(path == Path::Shared)
    , m_converted(path == Path::Converted)
{
    // Copies from the pixmap of a frame presented in bands never miss a
    // pixel: no events are wanted for them.
    XSetGraphicsExposures(display, m_gc, False);
}

FramePresenter::~FramePresenter()
{
    if (m_image) {
        m_image->data = nullptr; // the segment's or m_plain's, not the image's to free
        XDestroyImage(m_image);
    }
    if (detail::connection_lost(m_display)) {
        // The server went away, and with it the pixmap, the context and its
        // side of the segment: only this process's memory is let go.
        if (m_attach_serial) {
            stop_awaiting(m_display, std::exchange(m_attach_serial, 0));
            shmctl(m_segment->info.shmid, IPC_RMID, nullptr);
        }
        if (m_segment->bytes)
            shmdt(m_segment->info.shmaddr);
        *m_segment = {};
        return;
    }
    release_segment();
    release_back();
    XFreeGC(m_display, m_gc);
    if (m_direct_colormap)
        XFreeColormap(m_display, m_direct_colormap);
}

void FramePresenter::release_segment()
{
    if (!m_segment->bytes)
        return;
    if (m_attach_serial) {
        XSync(m_display, False);
        if (!settle_attach()) {
            shmdt(m_segment->info.shmaddr);
            *m_segment = {};
            return;
        }
    }
    XShmDetach(m_display, &m_segment->info);
    XSync(m_display, False);
    shmdt(m_segment->info.shmaddr);
    *m_segment = {};
}

bool FramePresenter::grow(std::size_t bytes)
{
    release_segment();
    // A quarter more than asked, so that a window dragged larger does not
    // make a segment at every step; pages never drawn are never resident.
    std::size_t size = bytes + bytes / 4;
    int id = shmget(IPC_PRIVATE, size, IPC_CREAT | 0600);
    if (id < 0)
        return false;
    void* address = shmat(id, nullptr, 0);
    if (address == reinterpret_cast<void*>(-1)) {
        shmctl(id, IPC_RMID, nullptr);
        return false;
    }
    XShmSegmentInfo& info = m_segment->info;
    info.shmid = id;
    info.shmaddr = static_cast<char*>(address);
    info.readOnly = False;
    // The server reports a refused attach as an error, not a status. The
    // present that follows waits for the server anyway, so the attach is
    // settled then instead of with round trips of its own.
    m_segment->attach_failed = false;
    if (!XShmAttach(m_display, &info)) {
        shmctl(id, IPC_RMID, nullptr);
        shmdt(address);
        info = {};
        return false;
    }
    // Nothing is read from the server before the error handler knows the serial.
    m_attach_serial = NextRequest(m_display) - 1;
    await_attach({ m_display, m_attach_serial, &m_segment->attach_failed });
    m_segment->bytes = size;
    return true;
}

bool FramePresenter::settle_attach()
{
    if (!m_attach_serial)
        return true;
    stop_awaiting(m_display, std::exchange(m_attach_serial, 0));
    // Removed once attached on both sides, the segment goes when the last detaches.
    shmctl(m_segment->info.shmid, IPC_RMID, nullptr);
    return !m_segment->attach_failed;
}

FramePresenter::Target FramePresenter::target(int width, int height)
{
    if (m_converted)
        return converted_target(width, height);
    if (m_image && m_image->data && m_image->width == width && m_image->height == height)
        return { reinterpret_cast<unsigned char*>(m_image->data), m_image->bytes_per_line };
    if (m_image) {
        m_image->data = nullptr;
        XDestroyImage(m_image);
        m_image = nullptr;
    }
    auto* visual = static_cast<Visual*>(m_visual);
    auto depth = static_cast<unsigned>(m_depth);
    if (shares_memory()) {
        m_image = XShmCreateImage(m_display, visual, depth, ZPixmap, nullptr, &m_segment->info,
            static_cast<unsigned>(width), static_cast<unsigned>(height));
        if (!m_image)
            return {};
        auto bytes = static_cast<std::size_t>(m_image->bytes_per_line) * static_cast<std::size_t>(height);
        if (bytes <= m_segment->bytes || grow(bytes)) {
            m_image->data = m_segment->info.shmaddr;
            return { reinterpret_cast<unsigned char*>(m_image->data), m_image->bytes_per_line };
        }
        // The server refused the segment (it may run elsewhere after all):
        // frames go through the connection from now on.
        XDestroyImage(m_image);
        m_image = nullptr;
        release_segment();
        m_shared = false;
    }
    m_image = XCreateImage(m_display, visual, depth, ZPixmap, 0, nullptr, static_cast<unsigned>(width),
        static_cast<unsigned>(height), 32, 0);
    if (!m_image)
        return {};
    auto bytes = static_cast<std::size_t>(m_image->bytes_per_line) * static_cast<std::size_t>(height);
    try {
        if (m_plain.size() < bytes)
            m_plain.resize(bytes);
    } catch (std::bad_alloc const&) {
        return {};
    }
    m_image->data = reinterpret_cast<char*>(m_plain.data());
    return { m_plain.data(), m_image->bytes_per_line };
}

bool FramePresenter::shares_memory()
{
    if (m_shared && !std::exchange(m_shared_checked, true))
        m_shared = XShmQueryExtension(m_display);
    return m_shared;
}

bool FramePresenter::presents_in_bands(int width, int height)
{
    if (m_converted || width <= 0 || height <= 0)
        return false;
    return static_cast<std::size_t>(width) * 4 * static_cast<std::size_t>(height) > band_bytes;
}

void FramePresenter::release_back()
{
    if (m_back)
        XFreePixmap(m_display, m_back);
    m_back = 0;
    m_back_width = m_back_height = 0;
}

bool FramePresenter::present_bands(int width, int height, BandWriter const& write)
{
    if (width <= 0 || height <= 0)
        return false;
    auto stride = static_cast<std::size_t>(width) * 4;
    // As few bands as fit in band_bytes, all of one height (the last may
    // be shorter), so the segment holds no more rows than a band needs.
    auto all_rows = static_cast<std::size_t>(height);
    std::size_t bands = (stride * all_rows + band_bytes - 1) / band_bytes;
    int rows = static_cast<int>(std::clamp<std::size_t>((all_rows + bands - 1) / bands, 1, all_rows));
    // The band is an image of the frame's width, as target() makes one of
    // the whole frame: in the segment, or in the process's memory where the
    // server does not share it.
    if (!target(width, rows).pixels)
        return false;
    if (!m_back || m_back_width != width || m_back_height != height) {
        release_back();
        m_back = XCreatePixmap(m_display, m_window, static_cast<unsigned>(width), static_cast<unsigned>(height),
            static_cast<unsigned>(m_depth));
        m_back_width = width;
        m_back_height = height;
    }
    m_flat.reset();
    for (int top = 0; top < height; top += rows) {
        // Again each band: a segment the server refused is given up midway.
        Target band = target(width, rows);
        int count = std::min(rows, height - top);
        if (!band.pixels || !write(band, top, count)) {
            // The pixmap holds parts of two frames: none is kept.
            release_back();
            return false;
        }
        put_band(top, count, top + count >= height);
    }
    XCopyArea(m_display, m_back, m_window, m_gc, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height), 0, 0);
    XSync(m_display, False);
    return true;
}

void FramePresenter::put_band(int top, int rows, bool last)
{
    auto width = static_cast<unsigned>(m_image->width), count = static_cast<unsigned>(rows);
    if (!m_shared) {
        XPutImage(m_display, m_back, m_gc, m_image, 0, 0, 0, top, width, count);
        return;
    }
    XShmPutImage(m_display, m_back, m_gc, m_image, 0, 0, 0, top, width, count, False);
    // The last band of a segment attached earlier needs no round trip of
    // its own: the present's sync after the copy also covers its reading.
    if (last && !m_attach_serial)
        return;
    // The next band is written into the same memory once the server has read this one.
    XSync(m_display, False);
    if (settle_attach())
        return;
    // The server refused the segment: this band goes through the connection
    // from the memory it was written into, and so does every frame from now on.
    XPutImage(m_display, m_back, m_gc, m_image, 0, 0, 0, top, width, count);
    drop_refused_segment();
}

FramePresenter::Target FramePresenter::converted_target(int width, int height)
{
    if (m_image && m_drawn_width == width && m_drawn_height == height)
        return { reinterpret_cast<unsigned char*>(m_drawn.data()), width * 4 };
    if (m_image) {
        m_image->data = nullptr;
        XDestroyImage(m_image);
        m_image = nullptr;
    }
    auto pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    m_image = XCreateImage(m_display, static_cast<Visual*>(m_visual), static_cast<unsigned>(m_depth), ZPixmap, 0,
        nullptr, static_cast<unsigned>(width), static_cast<unsigned>(height), 32, 0);
    if (!m_image)
        return {};
    auto bytes = static_cast<std::size_t>(m_image->bytes_per_line) * static_cast<std::size_t>(height);
    try {
        m_drawn.resize(pixels);
        if (m_plain.size() < bytes)
            m_plain.resize(bytes);
    } catch (std::bad_alloc const&) {
        return {};
    }
    m_image->data = reinterpret_cast<char*>(m_plain.data());
    m_drawn_width = width;
    m_drawn_height = height;
    m_shown.clear();
    return { reinterpret_cast<unsigned char*>(m_drawn.data()), width * 4 };
}

FramePresenter::Area FramePresenter::changed_area() const
{
    Area whole { 0, 0, m_drawn_width, m_drawn_height };
    if (m_shown.size() != m_drawn.size())
        return whole;
    auto width = static_cast<std::size_t>(m_drawn_width);
    auto row_differs = [&](int y) {
        std::size_t at = static_cast<std::size_t>(y) * width;
        return std::memcmp(&m_drawn[at], &m_shown[at], width * 4) != 0;
    };
    // Pass 1: the first and last rows that changed.
    int top = 0;
    while (top < m_drawn_height && !row_differs(top))
        ++top;
    if (top == m_drawn_height)
        return {};
    int bottom = m_drawn_height;
    while (!row_differs(bottom - 1))
        --bottom;
    // Pass 2: the columns between them that changed.
    int left = m_drawn_width, right = 0;
    for (int y = top; y < bottom; ++y) {
        std::uint32_t const* drawn = &m_drawn[static_cast<std::size_t>(y) * width];
        std::uint32_t const* shown = &m_shown[static_cast<std::size_t>(y) * width];
        int x = 0;
        while (x < left && drawn[x] == shown[x])
            ++x;
        left = std::min(left, x);
        x = m_drawn_width;
        while (x > right && drawn[x - 1] == shown[x - 1])
            --x;
        right = std::max(right, x);
    }
    return { left, top, right, bottom };
}

// Rewrites an area of the drawn frame in the visual's pixel format: through
// the palette's cells, or channel by channel through the visual's masks.
// XPutPixel takes care of the size and byte order; images of a byte a
// pixel are written directly.
void FramePresenter::convert(Area area)
{
    auto* visual = static_cast<Visual*>(m_visual);
    Channel red(visual->red_mask), green(visual->green_mask), blue(visual->blue_mask);
    bool bytes = m_image->bits_per_pixel == 8;
    for (int y = area.top; y < area.bottom; ++y) {
        std::uint32_t const* row = &m_drawn[static_cast<std::size_t>(y) * static_cast<std::size_t>(m_drawn_width)];
        auto* out = reinterpret_cast<std::uint8_t*>(m_image->data) + static_cast<std::ptrdiff_t>(y) * m_image->bytes_per_line;
        for (int x = area.left; x < area.right; ++x) {
            std::uint32_t pixel = row[x];
            unsigned long value = m_palette ? m_palette->dither().pixel(pixel, x, y)
                                            : red(pixel >> 16) | green(pixel >> 8) | blue(pixel);
            if (bytes)
                out[x] = static_cast<std::uint8_t>(value);
            else
                XPutPixel(m_image, x, y, value);
        }
    }
}

void FramePresenter::present_changes()
{
    Area area = changed_area();
    if (area.right <= area.left || area.bottom <= area.top)
        return;
    convert(area);
    XPutImage(m_display, m_window, m_gc, m_image, area.left, area.top, area.left, area.top,
        static_cast<unsigned>(area.right - area.left), static_cast<unsigned>(area.bottom - area.top));
    // What the server now shows, to compare the next frame with.
    try {
        if (m_shown.size() != m_drawn.size()) {
            m_shown = m_drawn;
        } else {
            for (int y = area.top; y < area.bottom; ++y) {
                auto at = static_cast<std::size_t>(y) * static_cast<std::size_t>(m_drawn_width)
                    + static_cast<std::size_t>(area.left);
                std::memcpy(&m_shown[at], &m_drawn[at], static_cast<std::size_t>(area.right - area.left) * 4);
            }
        }
    } catch (std::bad_alloc const&) {
        // Without a copy the next frame goes out whole.
        m_shown.clear();
    }
    XSync(m_display, False);
}

void FramePresenter::present()
{
    if (!m_image || !m_image->data)
        return;
    m_flat.reset();
    release_back();
    if (m_converted) {
        present_changes();
        return;
    }
    auto width = static_cast<unsigned>(m_image->width), height = static_cast<unsigned>(m_image->height);
    if (m_shared)
        XShmPutImage(m_display, m_window, m_gc, m_image, 0, 0, 0, 0, width, height, False);
    else
        XPutImage(m_display, m_window, m_gc, m_image, 0, 0, 0, 0, width, height);
    XSync(m_display, False);
    if (m_shared && !settle_attach())
        present_through_connection();
}

bool FramePresenter::present_flat(int width, int height, double red, double green, double blue)
{
    auto* visual = static_cast<Visual*>(m_visual);
    if (visual->c_class != TrueColor && visual->c_class != DirectColor)
        return false;
    // The 8-bit channels Cairo's clear would have stored, through the visual's masks.
    auto channel = [](double value) {
        value = std::clamp(value, 0.0, 1.0);
        return static_cast<std::uint32_t>(value * 65535.0 + 0.5) >> 8;
    };
    Channel to_red(visual->red_mask), to_green(visual->green_mask), to_blue(visual->blue_mask);
    unsigned long pixel = to_red(channel(red)) | to_green(channel(green)) | to_blue(channel(blue));
    m_flat = Flat { pixel, width, height };
    release_back();
    // The window no longer shows the converted frame kept for comparing.
    m_shown.clear();
    XSetForeground(m_display, m_gc, pixel);
    XFillRectangle(m_display, m_window, m_gc, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height));
    XSync(m_display, False);
    if (m_shared && !settle_attach())
        drop_refused_segment();
    return true;
}

void FramePresenter::drop_refused_segment()
{
    if (m_image) {
        m_image->data = nullptr;
        XDestroyImage(m_image);
        m_image = nullptr;
    }
    shmdt(m_segment->info.shmaddr);
    *m_segment = {};
    m_shared = false;
}

void FramePresenter::present_through_connection()
{
    // The pixels are those the frame was drawn into: they are copied out of
    // the segment the server refused before it goes, and every frame from
    // now on goes through the connection.
    int width = m_image->width, height = m_image->height;
    auto bytes = static_cast<std::size_t>(m_image->bytes_per_line) * static_cast<std::size_t>(height);
    bool copied = true;
    try {
        m_plain.assign(m_segment->info.shmaddr, m_segment->info.shmaddr + bytes);
    } catch (std::bad_alloc const&) {
        copied = false;
    }
    drop_refused_segment();
    if (!copied)
        return;
    m_image = XCreateImage(m_display, static_cast<Visual*>(m_visual), static_cast<unsigned>(m_depth), ZPixmap, 0,
        nullptr, static_cast<unsigned>(width), static_cast<unsigned>(height), 32, 0);
    if (!m_image)
        return;
    m_image->data = reinterpret_cast<char*>(m_plain.data());
    XPutImage(m_display, m_window, m_gc, m_image, 0, 0, 0, 0, static_cast<unsigned>(width),
        static_cast<unsigned>(height));
    XSync(m_display, False);
}

void FramePresenter::present_again(int left, int top, int right, int bottom)
{
    if (!m_flat && !m_back && (!m_image || !m_image->data))
        return;
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, m_flat ? m_flat->width : m_back ? m_back_width : m_image->width);
    bottom = std::min(bottom, m_flat ? m_flat->height : m_back ? m_back_height : m_image->height);
    if (right <= left || bottom <= top)
        return;
    auto width = static_cast<unsigned>(right - left), height = static_cast<unsigned>(bottom - top);
    // A converted frame is still in the visual's format from its present.
    if (m_flat) {
        XSetForeground(m_display, m_gc, m_flat->pixel);
        XFillRectangle(m_display, m_window, m_gc, left, top, width, height);
    } else if (m_back) {
        XCopyArea(m_display, m_back, m_window, m_gc, left, top, width, height, left, top);
    } else if (m_shared) {
        XShmPutImage(m_display, m_window, m_gc, m_image, left, top, left, top, width, height, False);
    } else {
        XPutImage(m_display, m_window, m_gc, m_image, left, top, left, top, width, height);
    }
    XSync(m_display, False);
}

}
