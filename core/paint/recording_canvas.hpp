// RecordingCanvas: a Canvas that keeps every call as a command, so painting
// can be checked without pixels.
#pragma once

#include "core/models/model.hpp"
#include "core/paint/canvas.hpp"

#include <cstddef>
#include <vector>

namespace orvy {

enum class DrawOp : std::uint8_t {
    Clear,
    FillRect,
    StrokeRect,
    FillRoundedRect,
    StrokeRoundedRect,
    FillEllipse,
    StrokeEllipse,
    Line,
    Polyline,
    FillPolygon,
    FillGradient,
    PushClip,
    PopClip,
    DrawText,
    DrawBitmap,
};

// Fields that an operation does not use keep their defaults. Lines store
// their two end points in `points`; text stores the layout's text and box
// (in `rect`, placed at the origin) and its format's size and weight.
struct DrawCommand {
    DrawOp op = DrawOp::Clear;
    RectF rect;
    Color color;
    float radius = 0;
    float width = 0;
    std::vector<PointF> points;
    PathShape shape = PathShape::Open;
    LinearGradient gradient;
    Text text;
    float font_size = 0;
    std::uint16_t font_weight = 0;
    Bitmap const* bitmap = nullptr;
    std::size_t clip_depth = 0; // clips in force when the command ran
};

class RecordingCanvas final : public Canvas {
public:
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

    std::vector<DrawCommand> const& commands() const { return m_commands; }
    // The commands of one operation, in drawing order.
    std::vector<DrawCommand> of(DrawOp op) const;
    // The texts drawn, in order, as UTF-16.
    std::vector<Text> texts() const;
    std::size_t clip_depth() const { return m_clip_depth; }
    // Pops that had no matching push: always a painting bug.
    std::size_t unmatched_pops() const { return m_unmatched_pops; }
    void reset();

private:
    DrawCommand& add(DrawOp op);

    std::vector<DrawCommand> m_commands;
    std::size_t m_clip_depth = 0;
    std::size_t m_unmatched_pops = 0;
};

}
