// CairoCanvas: the Canvas drawn with Cairo onto an image surface.
#pragma once

#include "core/paint/canvas.hpp"

#include <cairo.h>

#include <functional>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

namespace orvy::linux_platform {

class CairoCanvas final : public Canvas {
public:
    CairoCanvas() = default;
    ~CairoCanvas() override { end(); }
    CairoCanvas(CairoCanvas const&) = delete;
    CairoCanvas& operator=(CairoCanvas const&) = delete;

    // Where a frame's pixels are, asked for when something is first drawn;
    // null when there is no memory for them (the frame then draws nothing).
    using SurfaceSource = std::function<cairo_surface_t*()>;

    // Drawing goes to the surface between begin and end; end closes any
    // clip left open.
    void begin(SurfaceSource source);
    void begin(cairo_surface_t* surface);
    void end();
    // With deferred clears, a clear before anything else is drawn waits for
    // the next drawing; a frame that ends with it still waiting was nothing
    // but that colour, and neither asked for its pixels nor wrote them: the
    // caller presents it otherwise (flat_frame) or has it written (fill_flat_frame).
    void set_defers_clear(bool defers) { m_defers_clear = defers; }
    std::optional<Color> const& flat_frame() const { return m_flat_frame; }
    void fill_flat_frame(SurfaceSource source);

    // A frame recorded between begin_recording and end is drawn later, as
    // often as asked, onto surfaces that each hold some of its rows: every
    // call is kept with what it needs (texts hold their layouts, bitmaps are
    // copied), and played with the same Cairo calls as drawing at once, so
    // the pixels are the same. Deferred clears and flat frames work as with
    // begin. The recording stays until the next begin or drop_recording.
    void begin_recording();
    bool has_recording() const { return !m_calls.empty(); }
    // Draws the recorded frame onto `surface`, whose first row is row `top`
    // of the frame; false when Cairo failed.
    bool replay(cairo_surface_t* surface, int top);
    void drop_recording();
    // Records a clear of the flat frame's colour, for a frame that must be
    // drawn after all.
    void record_flat_frame();

    void clear(Color color) override;
    void fill_rect(RectF rect, Color color) override;
    void stroke_rect(RectF rect, Color color, float width) override;
    void fill_rounded_rect(RectF rect, float radius, Color color) override;
    void stroke_rounded_rect(RectF rect, float radius, Color color, float width) override;
    void fill_ellipse(RectF rect, Color color) override;
    void stroke_ellipse(RectF rect, Color color, float width) override;
    void draw_line(PointF from, PointF to, Color color, float width) override;
    void stroke_polyline(std::span<PointF const> points, PathShape shape, Color color, float width) override;
    void fill_polygon(std::span<PointF const> points, Color color) override;
    void fill_gradient(RectF rect, float radius, LinearGradient const& gradient) override;
    void push_clip(RectF rect) override;
    void pop_clip() override;
    void draw_text(TextLayout const& layout, PointF origin, Color color) override;
    void draw_bitmap(Bitmap const& bitmap, RectF destination) override;

private:
    using Call = std::function<void(CairoCanvas&)>;
    // A call kept with the rows of the frame it may touch (top, bottom):
    // bands it cannot touch leave it out.
    struct Recorded {
        Call call;
        std::pair<float, float> rows;
    };
    // Keeps the call when recording (a waiting clear is kept first); false
    // when drawing at once.
    bool recorded(Call call, std::pair<float, float> rows = { -std::numeric_limits<float>::infinity(),
                                 std::numeric_limits<float>::infinity() });
    // Whether there is a surface to draw on; a waiting clear is drawn first.
    bool drawing();
    void paint_color(Color color);
    void set_color(Color color);
    void rounded_path(RectF rect, float radius);
    void stroke_with(Color color, float width);

    SurfaceSource m_source;
    bool m_in_frame = false;
    cairo_t* m_cairo = nullptr; // once the frame's surface was had
    std::size_t m_clip_depth = 0;
    bool m_defers_clear = false;
    bool m_untouched = false; // nothing drawn since begin
    std::optional<Color> m_waiting_clear;
    std::optional<Color> m_flat_frame;
    bool m_recording = false;
    std::vector<Recorded> m_calls;
};

}
