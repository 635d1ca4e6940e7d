// FramePresenter: frames handed to an X11 window through one shared-memory
// segment that outlives resizes, or through the connection where memory
// cannot be shared.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

struct _XDisplay;
struct _XGC;
struct _XImage;

namespace orvy::linux_platform::detail {

class Palette;

// A new segment for every size would fault in and zero a whole frame's
// pages before the first pixel of each resize is drawn. This keeps the
// segment of the largest size drawn so far and draws smaller frames into
// its front.
class FramePresenter {
public:
    // `visual` and `depth` are the window's. A server that is not local or
    // has no shared memory gets each frame through the connection, and a
    // true-colour visual that does not take Cairo's 32-bit pixels as they
    // are (16 bits a pixel, another channel order) gets them converted, as
    // does a visual whose pixels index a colour map (8 bits a pixel or
    // fewer), through a palette allocated for the window. Converted frames
    // send only the part that changed since the last one. Where the window
    // needs a colour map of its own, `install_colormap` is asked whether to
    // install it (no window manager would). Null for visuals none of these fits.
    static std::unique_ptr<FramePresenter> create(_XDisplay* display, unsigned long window, void* visual, int depth,
        std::function<bool()> const& install_colormap);
    ~FramePresenter();
    FramePresenter(FramePresenter const&) = delete;
    FramePresenter& operator=(FramePresenter const&) = delete;

    struct Target {
        unsigned char* pixels = nullptr;
        int stride = 0;
    };
    // Pixels for a frame of this size (each side at least 1), null when no
    // memory that large can be had. The pixels stay valid until the next
    // call with a larger size.
    Target target(int width, int height);
    bool is_shared() const { return m_shared; }
    // Shows the frame drawn into the last target and waits until the X
    // server has copied it.
    void present();
    // Shows part of the frame presented last again, as it was: what the
    // server lost of it when the window was covered or not yet viewable.
    void present_again(int left, int top, int right, int bottom);
    // Shows a frame that is one opaque colour (channels 0..1) by the
    // server's fill, without its pixels; false where the colour cannot be
    // named as a pixel (the caller then presents the frame's pixels).
    bool present_flat(int width, int height, double red, double green, double blue);

    // The most bytes of a frame drawn at once through a segment of their
    // size. Each band costs a round trip and a replay of the calls that reach
    // it: 2 MiB sends a 1280 x 720 frame in two bands of 1.8 MB.
    static constexpr std::size_t band_bytes = std::size_t { 2 } << 20;
    // Whether a frame of this size goes out in bands: through shared memory,
    // and larger than one band. Every page of a frame's segment is written,
    // so a whole frame would keep a window's pixels resident in the process
    // as well as on the server; a band keeps a fixed part of them.
    bool presents_in_bands(int width, int height);
    // Writes rows [top, top + rows) of the frame, full width, at `pixels`
    // (the band's first row) with the stride given; false when it could not.
    using BandWriter = std::function<bool(Target band, int top, int rows)>;
    // Presents a frame of this size band by band: each band is written into
    // the segment and put into a pixmap of the frame's size on the server,
    // which is then copied to the window whole, so the window never shows a
    // frame in part, and what it loses later comes back from the pixmap.
    // False when no band memory could be had or a band was not written
    // (nothing is shown then).
    bool present_bands(int width, int height, BandWriter const& write);
    // Whether the last frame, presented in bands at this size, is kept on the server.
    bool keeps_frame(int width, int height) const
    {
        return m_back && m_back_width == width && m_back_height == height;
    }

private:
    // How a frame reaches the server: Cairo's pixels as they are, through
    // the shared segment or the connection, or converted to the visual's.
    enum class Path { Shared, Plain, Converted };
    FramePresenter(_XDisplay* display, unsigned long window, void* visual, int depth, Path path);
    struct Area {
        int left = 0;
        int top = 0;
        int right = 0;
        int bottom = 0;
    };
    Target converted_target(int width, int height);
    // Where the drawn frame differs from the one last shown; all of it when
    // none is known to show at this size.
    Area changed_area() const;
    void convert(Area area);
    void present_changes();
    bool grow(std::size_t bytes);
    // Whether the server took the segment attached last; the error it sends
    // otherwise has arrived once a later request was answered.
    bool settle_attach();
    // The frame drawn into a segment the server refused, through the connection.
    void present_through_connection();
    // Lets go of a segment the server refused; frames go through the connection from now on.
    void drop_refused_segment();
    void release_segment();
    // Whether frames may go through shared memory, asking the server once.
    bool shares_memory();
    void release_back();
    // Puts rows [top, top + rows) of the band image into the back pixmap;
    // `last` for the frame's last band, which the present's sync follows.
    void put_band(int top, int rows, bool last);

    _XDisplay* m_display;
    unsigned long m_window;
    void* m_visual;
    int m_depth;
    _XGC* m_gc = nullptr;
    _XImage* m_image = nullptr;
    struct Segment;
    std::unique_ptr<Segment> m_segment;
    bool m_shared;
    bool m_shared_checked = false; // the server was asked for shared memory
    bool m_converted;
    // The serial of an attach not yet known to have succeeded, or 0.
    unsigned long m_attach_serial = 0;
    // The last frame presented by a fill: its pixel and size.
    struct Flat {
        unsigned long pixel;
        int width;
        int height;
    };
    std::optional<Flat> m_flat;
    // The last frame presented in bands, kept on the server, and its size;
    // 0 once a frame was presented otherwise.
    unsigned long m_back = 0;
    int m_back_width = 0;
    int m_back_height = 0;
    std::vector<unsigned char> m_plain; // the frame's pixels when not shared
    // Converted frames: Cairo's pixels, drawn at 4 bytes a pixel, and the
    // image in the visual's format they are converted into.
    std::vector<std::uint32_t> m_drawn;
    int m_drawn_width = 0;
    int m_drawn_height = 0;
    // The last converted frame shown, to send only what changed; empty
    // after a resize or a frame presented by a fill.
    std::vector<std::uint32_t> m_shown;
    std::unique_ptr<Palette> m_palette;
    // A direct-colour visual's map of the window's own, or 0.
    unsigned long m_direct_colormap = 0;
};

}
