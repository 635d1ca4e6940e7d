// The canvas's fills against the same shapes drawn one call each straight
// through Direct2D: batched into paths, split into groups, their insides
// copied, the pixels stay those of drawing each shape by itself.
#include "platform/win32/d2d_canvas.hpp"
#include "tests/win32/check.hpp"
#include "tests/win32/offscreen.hpp"

#include <cmath>
#include <limits>
#include <optional>

using namespace orvy;
using namespace orvy::win32_test;
using win32::D2DCanvas;

namespace {

constexpr Color paper { 1, 1, 1, 1 };
constexpr Color ink { 0.2f, 0.4f, 0.9f, 1 };
constexpr Color rust { 0.7f, 0.3f, 0.1f, 1 };
constexpr Color veil { 0, 0, 0, 0.4f };

// One call of a scene.
struct Step {
    enum class Kind : std::uint8_t { Rect, Rounded, Outline, PushClip, PopClip };
    Kind kind = Kind::Rect;
    RectF rect;
    Color color;
    float radius = 0;
    float width = 0;
};

void draw(Canvas& canvas, std::vector<Step> const& steps)
{
    canvas.clear(paper);
    for (Step const& step : steps) {
        switch (step.kind) {
        case Step::Kind::Rect: canvas.fill_rect(step.rect, step.color); break;
        case Step::Kind::Rounded: canvas.fill_rounded_rect(step.rect, step.radius, step.color); break;
        case Step::Kind::Outline:
            if (step.radius > 0)
                canvas.stroke_rounded_rect(step.rect, step.radius, step.color, step.width);
            else
                canvas.stroke_rect(step.rect, step.color, step.width);
            break;
        case Step::Kind::PushClip: canvas.push_clip(step.rect); break;
        case Step::Kind::PopClip: canvas.pop_clip(); break;
        }
    }
}

// One shape's figures as a path geometry of its own.
ComPtr<ID2D1PathGeometry> shape_path(ID2D1Factory1* factory, win32::BatchShape const& shape)
{
    std::vector<win32::Figure> figures;
    win32::append_figures(shape, figures);
    ComPtr<ID2D1PathGeometry> geometry;
    ComPtr<ID2D1GeometrySink> sink;
    if (FAILED(factory->CreatePathGeometry(&geometry)) || FAILED(geometry->Open(&sink)))
        return nullptr;
    sink->SetFillMode(D2D1_FILL_MODE_WINDING);
    for (win32::Figure const& figure : figures) {
        sink->BeginFigure({ figure.start.x, figure.start.y }, D2D1_FIGURE_BEGIN_FILLED);
        for (win32::Figure::Segment const& segment : figure.segments) {
            if (segment.curve)
                sink->AddBezier({ { segment.c1.x, segment.c1.y }, { segment.c2.x, segment.c2.y },
                    { segment.end.x, segment.end.y } });
            else
                sink->AddLine({ segment.end.x, segment.end.y });
        }
        sink->EndFigure(D2D1_FIGURE_END_CLOSED);
    }
    return SUCCEEDED(sink->Close()) ? geometry : nullptr;
}

// The same calls one by one through the context, each shape with its own
// fill of the figures the canvas makes of it (rectangles by Direct2D's own
// rectangle fill): no batches, no groups, no copies.
Bitmap draw_plainly(Offscreen& offscreen, std::vector<Step> const& steps)
{
    using win32::BatchShape;
    ID2D1DeviceContext* context = offscreen.context.Get();
    ComPtr<ID2D1SolidColorBrush> brush;
    context->BeginDraw();
    if (FAILED(context->CreateSolidColorBrush(D2D1_COLOR_F { 0, 0, 0, 1 }, &brush))) {
        context->EndDraw();
        return {};
    }
    context->Clear(D2D1_COLOR_F { paper.r, paper.g, paper.b, paper.a });
    for (Step const& step : steps) {
        D2D1_RECT_F rect { step.rect.x, step.rect.y, step.rect.right(), step.rect.bottom() };
        brush->SetColor(D2D1_COLOR_F { step.color.r, step.color.g, step.color.b, step.color.a });
        std::optional<BatchShape> shape;
        switch (step.kind) {
        case Step::Kind::Rect: context->FillRectangle(rect, brush.Get()); break;
        case Step::Kind::Rounded:
            shape = BatchShape { .kind = BatchShape::Kind::RoundedRect, .rect = step.rect, .radius = step.radius };
            break;
        case Step::Kind::Outline:
            shape = BatchShape { .kind = step.radius > 0 ? BatchShape::Kind::RoundedOutline : BatchShape::Kind::RectOutline,
                .rect = step.rect, .radius = step.radius, .width = step.width };
            break;
        case Step::Kind::PushClip: context->PushAxisAlignedClip(rect, D2D1_ANTIALIAS_MODE_ALIASED); break;
        case Step::Kind::PopClip: context->PopAxisAlignedClip(); break;
        }
        if (shape) {
            if (ComPtr<ID2D1PathGeometry> geometry = shape_path(offscreen.factory.Get(), *shape))
                context->FillGeometry(geometry.Get(), brush.Get());
        }
    }
    context->EndDraw();
    return offscreen.read(offscreen.target.Get());
}

// Rows of rounded rectangles of one colour, far more curves than one path
// takes, on and off the pixel grid; some overlapping a neighbour, some
// large enough to have their insides copied; rectangles on and off whole
// pixels; outlines; a translucent veil over them; shapes reaching past
// clips on and off the pixel grid.
std::vector<Step> many_shapes()
{
    using Kind = Step::Kind;
    std::vector<Step> steps;
    for (int row = 0; row < 12; ++row) {
        float y = 4.0f + 28.0f * static_cast<float>(row) + (row % 2 ? 0.5f : 0.0f);
        if (row % 4 == 1) {
            steps.push_back({ Kind::Rounded, { 4, y, 220, 24 }, ink, 8 });
            steps.push_back({ Kind::Rounded, { 230.25f, y, 200, 24 }, ink, 6 });
        } else {
            for (int column = 0; column < 8; ++column) {
                float x = 4.0f + 58.0f * static_cast<float>(column) + 0.25f * static_cast<float>(column % 3);
                steps.push_back({ Kind::Rounded, { x, y, 50, 20 }, ink, column % 2 ? 10.0f : 5.0f });
            }
        }
        // Overlapping a neighbour of its colour, and one of another colour.
        if (row % 3 == 0)
            steps.push_back({ Kind::Rounded, { 40.5f, y + 4, 40, 20 }, ink, 6 });
        steps.push_back({ Kind::Rounded, { 300, y + 6, 30, 10 }, rust, 5 });
        steps.push_back({ Kind::Rect, { 440, y, 30, 10 }, rust });
        steps.push_back({ Kind::Rect, { 440.5f, y + 12, 30, 9.75f }, ink });
    }
    steps.push_back({ Kind::Outline, { 20, 20, 100, 40 }, rust, 0, 2 });
    steps.push_back({ Kind::Outline, { 150.5f, 60.5f, 120, 50 }, rust, 8, 1 });
    steps.push_back({ Kind::Outline, { 300, 100, 120, 50 }, ink, 0, 3 });
    steps.push_back({ Kind::Rounded, { 60, 90, 200, 80 }, veil, 12 });
    steps.push_back({ Kind::Rect, { 280, 180, 150, 60 }, veil });
    steps.push_back({ Kind::PushClip, { 10, 250, 200, 40 } });
    steps.push_back({ Kind::Rounded, { 0, 245, 250, 30 }, ink, 9 });
    steps.push_back({ Kind::Rect, { 180, 260, 60, 40 }, rust });
    steps.push_back({ Kind::PopClip });
    steps.push_back({ Kind::PushClip, { 240.5f, 250.25f, 180.5f, 60 } });
    steps.push_back({ Kind::Rounded, { 230, 255, 250, 30 }, ink, 9 });
    steps.push_back({ Kind::Rect, { 230, 290, 250, 30 }, rust });
    steps.push_back({ Kind::Outline, { 250, 300, 100, 20 }, ink, 4, 2 });
    steps.push_back({ Kind::PopClip });
    return steps;
}

}

TEST_CASE(fills_split_into_groups_draw_the_pixels_of_plain_direct2d_drawing)
{
    Offscreen offscreen;
    CHECK(offscreen.ready());
    if (!offscreen.ready())
        return;
    std::vector<Step> steps = many_shapes();
    Bitmap plain = draw_plainly(offscreen, steps);
    auto scene = [&](Canvas& canvas) { draw(canvas, steps); };
    for (bool direct3d : { true, false }) {
        D2DCanvas canvas;
        Bitmap batched = offscreen.frame(canvas, scene, direct3d);
        D2DCanvas::FrameCalls const& calls = canvas.last_frame_calls();
        std::size_t differing = differing_pixels(batched, plain);
        std::printf("  %s: %zu shapes as %zu draws, %zu copies, %zu pixels differ\n",
            direct3d ? "with copies" : "shaded", calls.shapes, calls.shape_draws, calls.copies, differing);
        CHECK(differing == 0);
        // The blue fill alone holds over three times the curves a path
        // takes: with the other batches, more draws than batches.
        CHECK(calls.shape_draws >= 12 && calls.shape_draws * 4 < calls.shapes);
        CHECK(direct3d == (calls.copies > 0));
    }
}

namespace {

std::vector<Step> moved(std::vector<Step> steps, float dx, float dy)
{
    for (Step& step : steps) {
        step.rect.x += dx;
        step.rect.y += dy;
    }
    return steps;
}

}

TEST_CASE(fills_drawn_again_reuse_their_paths_and_keep_their_pixels)
{
    Offscreen offscreen;
    CHECK(offscreen.ready());
    if (!offscreen.ready())
        return;
    D2DCanvas canvas;
    std::size_t built_first = 0;
    struct Move {
        char const* name;
        float dx, dy;
    };
    // The scene again where it was, moved by whole pixels (other figures:
    // paths of their own), then back where it was first.
    Move const moves[] = { { "first", 0, 0 }, { "again", 0, 0 }, { "moved 3, 7", 3, 7 }, { "moved 1, -3", 1, -3 },
        { "back", 0, 0 } };
    for (Move const& move : moves) {
        std::vector<Step> steps = moved(many_shapes(), move.dx, move.dy);
        Bitmap plain = draw_plainly(offscreen, steps);
        canvas.redraw_all();
        Bitmap batched = offscreen.frame(canvas, [&](Canvas& c) { draw(c, steps); });
        D2DCanvas::FrameCalls const& calls = canvas.last_frame_calls();
        std::size_t differing = differing_pixels(batched, plain);
        std::printf("  %s: %zu draws, %zu paths built, %zu pixels differ\n", move.name, calls.shape_draws,
            calls.paths_built, differing);
        CHECK(differing == 0);
        if (move.name == moves[0].name) {
            built_first = calls.paths_built;
            CHECK(built_first > 0 && built_first <= calls.shape_draws);
        } else if (move.dx == 0 && move.dy == 0) {
            CHECK(calls.paths_built == 0);
        } else {
            CHECK(calls.paths_built > 0);
        }
    }
}

TEST_CASE(drawings_at_coordinates_that_are_not_numbers_are_left_out_and_the_rest_drawn)
{
    Offscreen offscreen;
    CHECK(offscreen.ready());
    if (!offscreen.ready())
        return;
    float const nan = std::numeric_limits<float>::quiet_NaN();
    float const inf = std::numeric_limits<float>::infinity();
    std::vector<Step> steps = many_shapes();
    Bitmap plain = draw_plainly(offscreen, steps);
    // Among the shapes of the batches, where they would join their paths.
    D2DCanvas canvas;
    Bitmap batched = offscreen.frame(canvas, [&](Canvas& c) {
        draw(c, steps);
        c.fill_rounded_rect({ nan, 30, 40, 20 }, 6, ink);
        c.fill_rounded_rect({ 30, 30, 40, inf }, 6, ink);
        c.stroke_rounded_rect({ 60, 60, 40, 20 }, 6, rust, inf);
        c.draw_line({ 10, 10 }, { nan, 40 }, ink, 2);
        c.fill_ellipse({ -inf, 10, 30, 30 }, ink);
        PointF const points[] = { { 10, 10 }, { nan, 20 }, { 40, 40 } };
        c.stroke_polyline(points, PathShape::Open, ink, 2);
        c.fill_polygon(points, rust);
    });
    std::size_t differing = differing_pixels(batched, plain);
    std::printf("  %zu shapes drawn, %zu pixels differ\n", canvas.last_frame_calls().shapes, differing);
    CHECK(differing == 0);
}
