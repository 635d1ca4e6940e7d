// D2DCanvas: the Canvas drawn with a Direct2D 1.1 device context, one
// solid-colour brush re-coloured for every fill, outline and text. A frame's
// calls are gathered between begin and end and drawn at end as the DrawPlan
// batches them: one fill per colour and clip where the order allows (as
// paths of a bounded number of curves each), and the texts of one colour
// as one glyph run per font and size. Texts over one opaque colour are
// kept across frames and copied.
#pragma once

#include "core/paint/canvas.hpp"
#include "platform/win32/detail/com.hpp"
#include "platform/win32/detail/draw_batches.hpp"
#include "platform/win32/geometry_cache.hpp"
#include "platform/win32/glyph_batch.hpp"
#include "platform/win32/text_cache.hpp"

#include <d2d1_1.h>
#include <d3d11.h>
#include <dwrite.h>

#include <optional>
#include <unordered_map>
#include <vector>

namespace orvy::win32 {

class D2DCanvas final : public Canvas {
public:
    D2DCanvas() = default;
    ~D2DCanvas() override { end(); }
    D2DCanvas(D2DCanvas const&) = delete;
    D2DCanvas& operator=(D2DCanvas const&) = delete;

    // Drawing goes to the context between begin and end (inside its
    // BeginDraw and EndDraw); end draws what was gathered and closes any
    // clip left open. With the Direct3D context of the device behind it,
    // the kept frame is a texture of the canvas's own, and an opaque clear
    // of all of it is a clear of its render target view rather than a
    // shaded rectangle the size of the window.
    void begin(ID2D1DeviceContext* context, ID2D1Factory1* factory, ID3D11DeviceContext* d3d = nullptr);
    void end();

    // What the last frame cost in Direct2D calls.
    struct FrameCalls {
        std::size_t shapes = 0;      // fills, outlines and lines asked for
        std::size_t shape_draws = 0; // Direct2D fills and outlines made of them
        std::size_t texts = 0;       // texts drawn (into the frame or the kept texts' pages)
        std::size_t glyph_runs = 0;  // Direct2D glyph runs the texts were drawn as
        std::size_t kept_texts = 0;  // texts copied from the kept texts' pages
        std::size_t others = 0; // bitmaps, gradients, polygons, clears
        std::size_t clips = 0;  // clips pushed
        std::size_t view_clears = 0; // clears of the whole kept frame through Direct3D
        std::size_t copies = 0;      // inner areas of fills copied from a strip of their colour
        std::size_t covered = 0;     // inner areas of fills left to a later opaque fill over them
        std::size_t paths_built = 0; // fills' paths built, not found in the geometry cache
        PixelBox damage;        // the pixels drawn again
    };
    FrameCalls const& last_frame_calls() const { return m_last_calls; }

    // The frame is kept in a bitmap of its own and only the pixels where the
    // calls differ from the last frame's are drawn again; the bitmap is
    // copied to the target after EndDraw. Null while no frame is kept.
    ID2D1Bitmap1* retained_frame() const { return m_store.Get(); }
    // The next frame is drawn whole (after a device or size change).
    void redraw_all() { m_last_traces.clear(); }
    // Device bitmaps made from core's bitmaps belong to one context, as do
    // the kept frame, the colour strips and the kept texts' pages: all go
    // when the device does (the last frame's bitmaps would keep it alive),
    // and the fills' paths with the factory that goes with it.
    void forget_bitmaps()
    {
        m_bitmaps.clear();
        m_last_bitmaps.clear();
        m_brush.Reset();
        m_store.Reset();
        m_store_view.Reset();
        m_store_texture.Reset();
        m_strips.clear();
        m_text_cache.release();
        m_geometries.clear();
        m_store_failed = false;
        redraw_all();
    }

    // Texts over one opaque colour are kept across frames and copied (on
    // unless turned off; either way the texts kept so far are forgotten);
    // the pages they are kept in can be bounded tighter.
    void keep_texts(bool on)
    {
        m_keep_texts = on;
        m_text_cache.clear();
    }
    void set_kept_text_limits(TextAtlas::Limits limits) { m_text_cache.set_limits(limits); }
    TextAtlas const& kept_texts() const { return m_text_cache.atlas(); }

    // The fills' paths kept across frames (made on the factory of the
    // frame's context; another factory replaces them).
    GeometryCache const& geometries() const { return m_geometries; }
    void forget_geometries() { m_geometries.clear(); }
    void set_geometry_limit(std::size_t limit) { m_geometries.set_limit(limit); }

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

    // Device bitmaps are kept for at most this many of core's bitmaps.
    static constexpr std::size_t bitmap_cache_limit = 256;

private:
    // A drawing that is not batched, kept until the frame is drawn.
    struct Single {
        enum class Kind : std::uint8_t { Clear, StrokeEllipse, Polygon, Gradient, Bitmap };
        Kind kind = Kind::Clear;
        RectF rect;
        Color color;
        float width = 0;
        std::vector<PointF> points;
        LinearGradient gradient;
        ComPtr<ID2D1Bitmap> bitmap;
    };
    // A text of a text batch.
    struct PlacedText {
        ComPtr<IDWriteTextLayout> layout;
        PointF origin;
        std::uint64_t key = 0; // the text, its format and box
        RectF ink;             // where its glyphs put ink, when known
        float pen = 0;         // where its lines start
        // Where the text is kept, and the frame's pixels it is copied to.
        std::optional<TextCache::Source> kept;
        PixelBox kept_at;
    };
    // A stroked polyline of a stroke batch.
    struct Polyline {
        std::vector<PointF> points;
        bool closed = false;
    };
    // What each entry of the plan draws; a recorded call draws one of them.
    struct Drawing {
        std::vector<BatchShape> shapes;
        std::vector<Polyline> polylines;
        std::vector<PlacedText> texts;
        Single single;
    };
    // A call as recorded, with what it means to the frame's damage.
    struct Call {
        enum class Kind : std::uint8_t { Draw, PushClip, PopClip };
        Kind kind = Kind::Draw;
        RectF bounds; // the painted area, or the clip pushed
        BatchKind batch = BatchKind::Single;
        Color color;
        float width = 0;
        Drawing drawing;
    };
    // Records a call and returns what it is to draw.
    Drawing* place(RectF bounds, BatchKind kind, Color color, float width = 0);
    // Walks the recorded calls in order, keeping the clips they push and
    // pop: `visit(call, clip)` for each drawing, `clip` the area the clips
    // in force leave (within `outer` when given; nothing when no clip is in
    // force). A pop with no push of the frame's own before it is ignored,
    // so `outer` holds for every drawing.
    template<typename Calls, typename Visit>
    static void each_drawing(Calls& calls, std::optional<RectF> outer, Visit&& visit)
    {
        ClipStack clips;
        if (outer)
            clips.push(*outer);
        std::size_t const floor = clips.depth();
        for (auto& call : calls) {
            if (call.kind == Call::Kind::PushClip)
                clips.push(call.bounds);
            else if (call.kind == Call::Kind::PopClip) {
                if (clips.depth() > floor)
                    clips.pop();
            } else
                visit(call, clips.current());
        }
    }
    std::vector<Trace> trace() const;
    // Where this frame's calls differ from the last one's.
    PixelBox damage(std::vector<Trace> const& traces) const;
    // The retained frame at the target's size; false where none can be made.
    bool prepare_store();
    // The kept frame as a texture the canvas made, with its render target view.
    bool make_store_texture(D2D1_SIZE_U size, D2D1_BITMAP_PROPERTIES1 const& properties);
    // Sets every pixel of the kept frame to the opaque `color` through its
    // render target view; false where it cannot (no view, a translucent
    // colour, a clip that keeps part of the frame).
    bool clear_whole(ClipKey const& clip, Color color);
    void add_shape(BatchShape const& shape, Color color);
    void draw_plan();
    void draw_fill(std::vector<BatchShape> const& shapes, Color color, std::span<PixelBox const> holes);
    // Copies the solid interiors of the large shapes among `shapes` (inside
    // `clip`) into the kept frame from a strip of the opaque `color`, and
    // returns the boxes copied: the fill leaves them out. Where one of
    // `covers` (pixels a later opaque fill of the frame sets whole) leaves
    // only edges too small to copy, the part under it is left out without
    // a copy (whatever those pixels hold until then, that fill sets them)
    // and the edges are filled.
    std::vector<PixelBox> copy_interiors(std::vector<BatchShape> const& shapes, ClipKey const& clip, Color color,
        std::span<PixelBox const> covers);
    // A texture of the colour as wide as the kept frame, made on first use.
    ID3D11Texture2D* color_strip(Color color);
    void draw_single(Single const& single);
    // Finds the texts inside `damage` drawn over one opaque colour in the
    // kept texts, and draws those new to them into their pages.
    void find_kept_texts(PixelBox damage);
    // The pixels of `at` a copy may set under the clip: nothing where the
    // clip's fractional edges cut the text.
    std::optional<PixelBox> copied_pixels(PixelBox at, ClipKey const& clip) const;
    void draw_texts(std::vector<PlacedText> const& texts, Color color, ClipKey const& clip);

    // The frame's brush in the colour; null when it could not be made, so
    // fills and outlines are skipped while text still draws.
    ID2D1SolidColorBrush* brush(Color color);
    ComPtr<ID2D1PathGeometry> path(std::span<Polyline const> polylines);
    // Fills the shapes less the holes as one path, kept in the geometry cache.
    void fill_path(std::span<BatchShape const> shapes, std::span<PixelBox const> holes, ID2D1Brush* brush);
    ID2D1Bitmap* device_bitmap(Bitmap const& bitmap);

    struct CachedBitmap {
        std::uint8_t const* pixels = nullptr;
        std::int32_t width = 0;
        std::int32_t height = 0;
        ComPtr<ID2D1Bitmap> device;
    };

    ID2D1DeviceContext* m_context = nullptr;
    ID2D1Factory1* m_factory = nullptr;
    ComPtr<ID2D1SolidColorBrush> m_brush;
    bool m_brush_failed = false;
    ComPtr<ID2D1Image> m_target;   // the context's own target during a frame
    ComPtr<ID2D1Bitmap1> m_store;  // the retained frame, drawn where it changed
    ComPtr<ID3D11DeviceContext> m_d3d;
    ComPtr<ID3D11Texture2D> m_store_texture;     // the kept frame's texture, when the canvas made it
    ComPtr<ID3D11RenderTargetView> m_store_view;
    // Strips of one colour each, the last used last. Copying from them sets
    // pixels at the cost of a copy, where Direct2D would shade each one.
    struct Strip {
        Color color;
        ComPtr<ID3D11Texture2D> texture;
    };
    std::vector<Strip> m_strips;
    static constexpr std::size_t strip_limit = 8;
    static constexpr std::int32_t strip_height = 64;
    // Smaller interiors cost more as a copy of their own than as part of the fill.
    static constexpr std::int64_t copied_area_min = 2048;
    // A fill's shapes go as paths of at most this many curves (but for
    // shapes sharing pixels): closing a path costs more than linearly in
    // its curves, and a path of its own costs little.
    static constexpr std::size_t path_curve_limit = 96;
    bool m_unflushed = false; // Direct2D drawing of the frame not yet handed to Direct3D
    bool m_store_failed = false;
    std::vector<Call> m_recorded;
    std::vector<Trace> m_last_traces;
    std::vector<ComPtr<ID2D1Bitmap>> m_last_bitmaps; // keeps their addresses unique in the traces
    DrawPlan m_plan;
    std::vector<Drawing> m_drawings; // one per entry of the plan
    FrameCalls m_calls;
    FrameCalls m_last_calls;
    std::unordered_map<Bitmap const*, CachedBitmap> m_bitmaps;
    GlyphBatch m_glyphs; // the runs of the text batch being drawn
    TextCache m_text_cache;
    GeometryCache m_geometries;
    bool m_keep_texts = true;
};

}
