// RecordingCanvas: each drawing call appended as one DrawCommand.
#include "core/paint/recording_canvas.hpp"

#include "core/text/text_engine.hpp"

namespace orvy {

DrawCommand& RecordingCanvas::add(DrawOp op)
{
    DrawCommand& command = m_commands.emplace_back();
    command.op = op;
    command.clip_depth = m_clip_depth;
    return command;
}

void RecordingCanvas::clear(Color color) { add(DrawOp::Clear).color = color; }

void RecordingCanvas::fill_rect(RectF rect, Color color)
{
    DrawCommand& command = add(DrawOp::FillRect);
    command.rect = rect;
    command.color = color;
}

void RecordingCanvas::stroke_rect(RectF rect, Color color, float width)
{
    DrawCommand& command = add(DrawOp::StrokeRect);
    command.rect = rect;
    command.color = color;
    command.width = width;
}

void RecordingCanvas::fill_rounded_rect(RectF rect, float radius, Color color)
{
    DrawCommand& command = add(DrawOp::FillRoundedRect);
    command.rect = rect;
    command.radius = radius;
    command.color = color;
}

void RecordingCanvas::stroke_rounded_rect(RectF rect, float radius, Color color, float width)
{
    DrawCommand& command = add(DrawOp::StrokeRoundedRect);
    command.rect = rect;
    command.radius = radius;
    command.color = color;
    command.width = width;
}

void RecordingCanvas::fill_ellipse(RectF rect, Color color)
{
    DrawCommand& command = add(DrawOp::FillEllipse);
    command.rect = rect;
    command.color = color;
}

void RecordingCanvas::stroke_ellipse(RectF rect, Color color, float width)
{
    DrawCommand& command = add(DrawOp::StrokeEllipse);
    command.rect = rect;
    command.color = color;
    command.width = width;
}

void RecordingCanvas::draw_line(PointF from, PointF to, Color color, float width)
{
    DrawCommand& command = add(DrawOp::Line);
    command.points = { from, to };
    command.color = color;
    command.width = width;
}

void RecordingCanvas::stroke_polyline(std::span<PointF const> points, PathShape shape, Color color, float width)
{
    DrawCommand& command = add(DrawOp::Polyline);
    command.points.assign(points.begin(), points.end());
    command.shape = shape;
    command.color = color;
    command.width = width;
}

void RecordingCanvas::fill_polygon(std::span<PointF const> points, Color color)
{
    DrawCommand& command = add(DrawOp::FillPolygon);
    command.points.assign(points.begin(), points.end());
    command.shape = PathShape::Closed;
    command.color = color;
}

void RecordingCanvas::fill_gradient(RectF rect, float radius, LinearGradient const& gradient)
{
    DrawCommand& command = add(DrawOp::FillGradient);
    command.rect = rect;
    command.radius = radius;
    command.gradient = gradient;
}

void RecordingCanvas::push_clip(RectF rect)
{
    add(DrawOp::PushClip).rect = rect;
    ++m_clip_depth;
}

void RecordingCanvas::pop_clip()
{
    add(DrawOp::PopClip);
    if (m_clip_depth == 0)
        ++m_unmatched_pops;
    else
        --m_clip_depth;
}

void RecordingCanvas::draw_text(TextLayout const& layout, PointF origin, Color color)
{
    DrawCommand& command = add(DrawOp::DrawText);
    command.rect = { origin.x, origin.y, layout.box().width, layout.box().height };
    command.color = color;
    command.text = layout.text();
    command.font_size = layout.format().key().size;
    command.font_weight = layout.format().key().weight;
}

void RecordingCanvas::draw_bitmap(Bitmap const& bitmap, RectF destination)
{
    DrawCommand& command = add(DrawOp::DrawBitmap);
    command.rect = destination;
    command.bitmap = &bitmap;
}

std::vector<DrawCommand> RecordingCanvas::of(DrawOp op) const
{
    std::vector<DrawCommand> found;
    for (DrawCommand const& command : m_commands) {
        if (command.op == op)
            found.push_back(command);
    }
    return found;
}

std::vector<Text> RecordingCanvas::texts() const
{
    std::vector<Text> found;
    for (DrawCommand const& command : m_commands) {
        if (command.op == DrawOp::DrawText)
            found.push_back(command.text);
    }
    return found;
}

void RecordingCanvas::reset()
{
    m_commands.clear();
    m_clip_depth = 0;
    m_unmatched_pops = 0;
}

}
