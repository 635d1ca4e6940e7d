// The drawing plan of a frame: shapes of one colour gathered into one fill
// of a multi-figure path, outlines of one colour and width into one stroke,
// so a frame costs a draw call per colour rather than one per shape.
//
// Shapes join an earlier batch only when nothing drawn since touches any
// pixel they touch, so the picture is the one the calls would have drawn in
// order. Translucent shapes and texts join only where they do not overlap
// the batch, since one fill covers an overlap once and one glyph run
// blends overlapping glyphs once. Clips are taken into each drawing:
// a drawing inside its clip needs none, one reaching past it carries the
// clip rectangle as part of its batch key.
//
// No Windows headers: the plan and the outlines are plain geometry.
#pragma once

#include "core/base/geometry.hpp"
#include "core/base/style.hpp"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace orvy::win32 {

// The pixels a drawing may touch: whole pixels, far edges exclusive.
struct PixelBox {
    std::int32_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;

    bool is_empty() const { return x0 >= x1 || y0 >= y1; }
    bool intersects(PixelBox const& other) const
    {
        return !is_empty() && !other.is_empty() && x0 < other.x1 && other.x0 < x1 && y0 < other.y1 && other.y0 < y1;
    }
    bool contains(PixelBox const& other) const
    {
        return other.x0 >= x0 && other.y0 >= y0 && other.x1 <= x1 && other.y1 <= y1;
    }
    PixelBox intersected(PixelBox const& other) const;
    PixelBox united(PixelBox const& other) const;

    friend bool operator==(PixelBox const&, PixelBox const&) = default;
};

// Every pixel the rectangle covers any part of (antialiased edges included).
PixelBox pixels_touched(RectF rect);
// Only the pixels whose whole area lies inside: kept by any aliased clip
// to the rectangle, however it rounds.
PixelBox pixels_inside(RectF rect);

// One shape of a fill batch, as the canvas call described it.
struct BatchShape {
    enum class Kind : std::uint8_t { Rect, RectOutline, RoundedRect, RoundedOutline, Ellipse, Line };
    Kind kind = Kind::Rect;
    RectF rect;         // lines: unused
    float radius = 0;   // rounded kinds, already within half the sides
    float width = 0;    // outlines and lines
    PointF from, to;    // lines

    // The area the shape paints, before antialiasing.
    RectF bounds() const;
};

// A closed figure of straight lines and cubic Béziers.
struct Figure {
    struct Segment {
        bool curve = false;
        PointF c1, c2; // control points of a curve
        PointF end;
    };
    PointF start;
    std::vector<Segment> segments;

    // Twice the signed area of the figure's polygon through its points
    // (positive: clockwise on screen, y growing down).
    double orientation() const;
};

// The figures of a shape, filled with the non-zero rule: outer figures run
// clockwise, the hole of an outline counter-clockwise, so shapes of one
// batch add up to their union. Nothing for a shape with no area.
void append_figures(BatchShape const& shape, std::vector<Figure>& figures);

// The whole pixels an opaque fill of the shape paints fully: all those
// inside a rectangle; for a rounded rectangle, those of the band between
// the corners along its longer side. Empty for every other kind.
PixelBox solid_interior(BatchShape const& shape);

// A figure around the box running counter-clockwise: inside the figures of
// a batch, a hole the batch's fill leaves out.
Figure hole_figure(PixelBox const& box);

// How many curves the shape's figures hold.
std::size_t curve_count(BatchShape const& shape);

// Splits the shapes of one fill into groups, each filled as a path of its
// own, so that no group holds more than `curve_limit` curves: closing a
// path costs more than linearly in its curves. Shapes sharing a pixel stay
// in one group (filled apart, an edge pixel both reach would be blended
// twice), so one group may exceed the limit. Each group lists indices into
// `shapes`, in order; one group when the shapes fit the limit together.
std::vector<std::vector<std::size_t>> fill_groups(std::span<BatchShape const> shapes, std::size_t curve_limit);

enum class BatchKind : std::uint8_t { Fill, Stroke, Text, Single };

struct ClipKey {
    bool clipped = false;
    RectF rect; // the intersection of the clips pushed, when clipped

    friend bool operator==(ClipKey const&, ClipKey const&) = default;
};

// Nested clips as the intersection of those pushed so far.
class ClipStack {
public:
    void push(RectF rect);
    void pop();
    std::size_t depth() const { return m_clips.size(); }
    // The area left to draw in, when any clip is pushed.
    std::optional<RectF> current() const
    {
        return m_clips.empty() ? std::nullopt : std::optional<RectF>(m_clips.back());
    }
    void clear() { m_clips.clear(); }

private:
    std::vector<RectF> m_clips;
};

class DrawPlan {
public:
    // How many drawings back a shape looks for its batch.
    static constexpr std::size_t lookback = 256;

    struct Entry {
        BatchKind kind = BatchKind::Single;
        Color color;
        float width = 0;
        ClipKey clip;
        PixelBox bounds;            // union of the parts
        std::vector<PixelBox> parts; // what each drawing in it touches, clip applied
    };
    struct Placed {
        std::size_t entry = 0;
        bool created = false;
    };

    void push_clip(RectF rect) { m_clips.push(rect); }
    void pop_clip() { m_clips.pop(); }
    std::size_t clip_depth() const { return m_clips.depth(); }

    // Places a drawing that paints inside `bounds` (antialiasing aside):
    // into an earlier entry of the same kind, colour, width and clip where
    // the order allows, else into a new entry at the end. Single drawings
    // always get an entry of their own. Nothing when it cannot be seen.
    std::optional<Placed> place(RectF bounds, BatchKind kind, Color color, float width = 0)
    {
        return place(bounds, m_clips.current(), kind, color, width);
    }
    // The same inside `clip` (the area left by the clips in force, nothing
    // when none is) rather than the clips pushed into the plan.
    std::optional<Placed> place(RectF bounds, std::optional<RectF> clip, BatchKind kind, Color color, float width = 0);

    std::vector<Entry> const& entries() const { return m_entries; }
    void reset();

private:
    std::vector<Entry> m_entries;
    ClipStack m_clips;
};

// A 64-bit FNV-1a hash of the values added, floats by their bits.
class Signature {
public:
    Signature& add(std::uint64_t value);
    Signature& add(float value);
    Signature& add(PointF point) { return add(point.x).add(point.y); }
    Signature& add(RectF rect) { return add(rect.x).add(rect.y).add(rect.w).add(rect.h); }
    Signature& add(Color color) { return add(color.r).add(color.g).add(color.b).add(color.a); }
    std::uint64_t value() const { return m_value; }

private:
    std::uint64_t m_value = 14695981039346656037ull;
};

// A drawing call as the damage of the next frame is measured against it:
// its content and the pixels it reached.
struct Trace {
    std::uint64_t signature = 0;
    PixelBox reach;
    friend bool operator==(Trace const&, Trace const&) = default;
};

// The pixels where two frames' calls may paint differently: where the calls
// after the first difference and before the last one reach, in either frame.
// Any other pixel is reached only by the same calls in the same order.
PixelBox changed_pixels(std::span<Trace const> last, std::span<Trace const> now);

}
