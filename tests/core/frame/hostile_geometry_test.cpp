// Every kind at absurd sizes, offsets, radii and paddings, painted through
// the window's frame pipeline: what reaches the backend is finite, near the
// window and of a size that cannot make a frame slow.
#include "core/frame/window_core.hpp"
#include "core/operations/operations.hpp"
#include "core/paint/bounded_canvas.hpp"
#include "core/paint/recording_canvas.hpp"
#include "core/text/fixed_advance_text_engine.hpp"
#include "../window/fake_window.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace orvy;

namespace {

constexpr float inf = std::numeric_limits<float>::infinity();
constexpr float not_a_number = std::numeric_limits<float>::quiet_NaN();
constexpr float viewport_width = 400, viewport_height = 300;
// Everything handed on lies within this distance of the window.
constexpr float reach = 2 * BoundedCanvas::pass_margin + 1;

bool near_window(float x, float y)
{
    return x >= -reach && y >= -reach && x <= viewport_width + reach && y <= viewport_height + reach;
}

::testing::AssertionResult is_bounded(DrawCommand const& c)
{
    auto fail = [&](char const* what) { return ::testing::AssertionFailure() << what << " of op " << int(c.op); };
    if (c.op == DrawOp::DrawText) // the layout's box is the text engine's business
        return near_window(c.rect.x, c.rect.y) ? ::testing::AssertionSuccess() : fail("text origin");
    if (c.op != DrawOp::Clear && c.op != DrawOp::PopClip && c.op != DrawOp::Line && c.op != DrawOp::Polyline
        && c.op != DrawOp::FillPolygon
        && (!near_window(c.rect.x, c.rect.y) || !near_window(c.rect.right(), c.rect.bottom())))
        return fail("rectangle");
    for (PointF p : c.points) {
        if (!near_window(p.x, p.y))
            return fail("point");
    }
    if (c.op == DrawOp::FillGradient
        && (!near_window(c.gradient.start.x, c.gradient.start.y) || !near_window(c.gradient.end.x, c.gradient.end.y)))
        return fail("gradient");
    if (!(c.radius >= 0 && c.radius <= reach) || !(c.width >= 0 && c.width <= reach))
        return fail("radius or width");
    return ::testing::AssertionSuccess();
}

struct Place {
    float x, y, w, h;
};

}

TEST(HostileGeometry, every_kind_at_absurd_geometry_hands_the_backend_only_bounded_finite_shapes)
{
    std::vector<Place> placements { { 0, 0, 1e15f, 1e15f }, { -1e15f, -1e15f, 2e15f, 2e15f },
        { 1e12f, 1e12f, 200, 100 }, { 0, 0, 3e38f, 3e38f }, { 0, 0, inf, inf }, { -inf, 10, inf, 100 },
        { 10, 10, 1e20f, 50 }, { 50, 50, not_a_number, not_a_number }, { not_a_number, not_a_number, 100, 100 }, { -3e38f, -3e38f, 3e38f, 3e38f } };
    std::vector<std::optional<float>> radii { std::nullopt, inf, 1e20f, not_a_number, 1e15f };
    std::vector<float> paddings { 0, 1e20f, not_a_number, inf };
    for (std::size_t k = 0; k < kind_count; ++k) {
        auto kind = static_cast<NodeKind>(k);
        for (Place place : placements) {
            for (std::optional<float> radius : radii) {
                for (float padding : paddings) {
                    Tree tree;
                    StyleContext styles;
                    WindowCells cells;
                    FakeWindow window;
                    window.size = { static_cast<std::uint32_t>(viewport_width),
                        static_cast<std::uint32_t>(viewport_height) };
                    LayoutParams params;
                    params.placement = orvy::Placement::Absolute;
                    params.left = place.x;
                    params.top = place.y;
                    params.w = place.w;
                    params.h = place.h;
                    params.padding = padding;
                    NodeId id = tree.append(0, Model(kind), params);
                    tree.append(id, Model(NodeKind::Label));
                    Node& node = tree.node(id);
                    node.styles.base_mut().radius = radius;
                    node.styles.base_mut().border_color = Color { 1, 0, 0, 1 };
                    node.styles.base_mut().border_width = radius;
                    if (radius)
                        node.styles.base_mut().gradient = std::pair { Color { 0, 0, 0, 1 }, Color { 1, 1, 1, 1 } };
                    if (auto* frame = node.model.as<FrameModel>())
                        frame->radius = radius.value_or(inf);
                    if (auto* value = node.model.as<ValueModel>())
                        value->value = 0.5f;
                    WindowCore core(tree, styles, WindowLook {}, cells, std::make_unique<FixedAdvanceTextEngine>(),
                        nullptr, nullptr);
                    core.attached(window);
                    RecordingCanvas canvas;
                    core.paint(canvas);
                    SCOPED_TRACE(std::string(kind_name(kind)) + " at " + std::to_string(place.x) + ", "
                        + std::to_string(place.w) + " radius " + std::to_string(radius.value_or(-1)) + " padding "
                        + std::to_string(padding));
                    EXPECT_LT(canvas.commands().size(), 5000u);
                    EXPECT_EQ(canvas.clip_depth(), 0u);
                    for (DrawCommand const& command : canvas.commands())
                        ASSERT_TRUE(is_bounded(command));
                }
            }
        }
    }
}

TEST(BoundedCanvas, shapes_near_the_window_pass_unchanged_and_far_edges_move_in_keeping_their_corners)
{
    RecordingCanvas recorded;
    BoundedCanvas canvas(recorded, 400, 300);
    Color red { 1, 0, 0, 1 };
    canvas.fill_rounded_rect({ 10, 20, 300, 200 }, 8, red);
    canvas.fill_rounded_rect({ 10, 20, 1e15f, 200 }, 8, red);
    canvas.fill_rect({ -1e20f, -1e20f, inf, inf }, red);
    canvas.fill_ellipse({ 500, 500, 10, 10 }, red); // out of sight
    canvas.fill_rect({ not_a_number, 0, 10, 10 }, red);
    auto const& commands = recorded.commands();
    ASSERT_EQ(commands.size(), 3u);
    EXPECT_EQ(commands[0].rect, (RectF { 10, 20, 300, 200 }));
    // The left corners are where they were; the right edge stops 2 radii and 2 px out of sight.
    EXPECT_EQ(commands[1].rect, (RectF { 10, 20, 400 + 18 - 10, 200 }));
    EXPECT_EQ(commands[1].radius, 8);
    EXPECT_EQ(commands[2].rect, (RectF { -2, -2, 404, 304 }));
}

TEST(BoundedCanvas, a_corner_of_huge_radius_becomes_the_visible_part_of_its_outline)
{
    RecordingCanvas recorded;
    BoundedCanvas canvas(recorded, 400, 300);
    // A circle of radius 1e9 whose leftmost point is at x = 100, y = 150.
    canvas.fill_ellipse({ 100, 150 - 1e9f, 2e9f, 2e9f }, Color { 1, 1, 1, 1 });
    ASSERT_EQ(recorded.commands().size(), 1u);
    DrawCommand const& polygon = recorded.commands()[0];
    ASSERT_EQ(polygon.op, DrawOp::FillPolygon);
    EXPECT_LT(polygon.points.size(), 200u);
    // The visible outline is the straight edge at x = 100 (the arc bends by
    // 150^2 / 2e9 px across the window): nothing drawn left of it.
    float left = inf;
    for (PointF p : polygon.points) {
        EXPECT_TRUE(p.x >= 99.5f && p.x <= 402.5f && p.y >= -2.5f && p.y <= 302.5f) << p.x << ", " << p.y;
        left = std::min(left, p.x);
    }
    EXPECT_NEAR(left, 100, 0.5f);
}
