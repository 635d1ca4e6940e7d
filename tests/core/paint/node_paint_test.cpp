#include "tests/core/paint/paint_fixture.hpp"

#include <limits>

using namespace orvy;

namespace {

using NodePaint = PaintTest;

}

TEST_F(NodePaint, nodes_far_outside_the_viewport_or_unplaced_draw_nothing_but_their_children_still_do)
{
    NodeId unplaced = add(NodeKind::Frame, FrameModel {}, { -100000, 10, 50, 50 });
    NodeId child = add(NodeKind::Frame, FrameModel {}, { 10, 10, 50, 50 }, unplaced);
    add(NodeKind::Frame, FrameModel {}, { -99, 10, 50, 50 });  // right edge at −49: culled
    add(NodeKind::Frame, FrameModel {}, { -98, 10, 50, 50 });  // right edge at −48: drawn
    add(NodeKind::Frame, FrameModel {}, { 849, 10, 50, 50 });  // beyond 800 + 48
    paint_tree(canvas, context, tree);
    auto bodies = fills();
    ASSERT_EQ(bodies.size(), 2u);
    EXPECT_EQ(bodies[0].rect, tree.node(child).rect);
    EXPECT_EQ(bodies[1].rect.x, -98);
}

TEST_F(NodePaint, children_are_painted_by_depth_with_equal_depths_in_insertion_order)
{
    NodeId a = add(NodeKind::Frame, FrameModel {}, { 0, 0, 10, 10 });
    NodeId b = add(NodeKind::Frame, FrameModel {}, { 20, 0, 10, 10 });
    NodeId c = add(NodeKind::Frame, FrameModel {}, { 40, 0, 10, 10 });
    NodeId inner = add(NodeKind::Frame, FrameModel {}, { 5, 5, 2, 2 }, a);
    tree.node(a).layout.z = 1;
    paint_tree(canvas, context, tree);
    std::vector<float> order;
    for (auto const& fill : fills())
        order.push_back(fill.rect.x);
    // b and c (depth 0) first, then a with its subtree.
    EXPECT_EQ(order, (std::vector<float> { tree.node(b).rect.x, tree.node(c).rect.x, tree.node(a).rect.x,
                         tree.node(inner).rect.x }));
}

TEST_F(NodePaint, a_clip_record_wraps_the_node_and_an_empty_or_disjoint_one_skips_it)
{
    NodeId id = add(NodeKind::Frame, FrameModel {}, { 10, 10, 100, 40 });
    tree.clips.resize(tree.size());
    tree.clips[id] = RectF { 0, 0, 60, 60 };
    paint(id);
    ASSERT_EQ(canvas.commands().size(), 3u);
    EXPECT_EQ(canvas.commands().front().op, DrawOp::PushClip);
    EXPECT_EQ(canvas.commands().back().op, DrawOp::PopClip);
    tree.clips[id] = RectF { 200, 0, 60, 60 };
    paint(id);
    EXPECT_TRUE(canvas.commands().empty());
    tree.clips[id] = RectF { 0, 0, 0, 60 };
    paint(id);
    EXPECT_TRUE(canvas.commands().empty());
}

TEST_F(NodePaint, a_frame_with_shadow_six_and_radius_twelve_draws_six_layers_growing_outwards)
{
    NodeId id = add(NodeKind::Frame, FrameModel { 12 }, { 100, 100, 200, 80 });
    tree.node(id).styles.base_mut().shadow = 6;
    paint(id);
    auto layers = fills();
    ASSERT_EQ(layers.size(), 7u); // six shadow layers, then the body
    for (std::size_t i = 0; i < 6; ++i) {
        float k = static_cast<float>(i + 1);
        float spread = 6 * (7 - k) / 6;
        expect_rect_near(layers[i].rect, { 100 - spread, 100 - spread + 2.4f, 200 + 2 * spread, 80 + 2 * spread });
        EXPECT_FLOAT_EQ(layers[i].radius, 12 + spread);
        EXPECT_FLOAT_EQ(layers[i].color.a, k / 60);
        EXPECT_EQ(layers[i].color.r, 0);
    }
    EXPECT_FLOAT_EQ(layers[0].radius, 18);
    EXPECT_EQ(layers[6].rect, tree.node(id).rect);
    EXPECT_EQ(layers[6].color, palette().surface());
}

TEST_F(NodePaint, gradients_run_in_the_four_directions)
{
    NodeId id = add(NodeKind::Frame, FrameModel { 4 }, { 10, 20, 100, 50 });
    Style& style = tree.node(id).styles.base_mut();
    Color from { 1, 0, 0, 1 }, to { 0, 0, 1, 1 };
    style.gradient = std::pair { from, to };
    std::pair<GradientDirection, std::pair<PointF, PointF>> cases[] = {
        { GradientDirection::Default, { { 10, 20 }, { 10, 70 } } },
        { GradientDirection::Horizontal, { { 10, 20 }, { 110, 20 } } },
        { GradientDirection::Diagonal, { { 10, 20 }, { 110, 70 } } },
        { GradientDirection::DiagonalUp, { { 10, 70 }, { 110, 20 } } },
    };
    for (auto const& [direction, line] : cases) {
        style.gradient_direction = direction;
        paint(id);
        auto gradients = canvas.of(DrawOp::FillGradient);
        ASSERT_EQ(gradients.size(), 1u);
        EXPECT_EQ(gradients[0].gradient.start, line.first);
        EXPECT_EQ(gradients[0].gradient.end, line.second);
        EXPECT_EQ(gradients[0].radius, 4);
    }
}

TEST_F(NodePaint, borders_are_at_least_a_tenth_of_a_pixel_and_square_at_small_radii)
{
    NodeId id = add(NodeKind::Frame, FrameModel { 12 }, { 10, 10, 100, 50 });
    Style& style = tree.node(id).styles.base_mut();
    style.border_color = Color { 1, 0, 0, 1 };
    style.border_width = 0.05f;
    paint(id);
    auto rounded = canvas.of(DrawOp::StrokeRoundedRect);
    ASSERT_EQ(rounded.size(), 1u);
    EXPECT_FLOAT_EQ(rounded[0].width, 0.1f);
    expect_rect_near(rounded[0].rect, { 10.05f, 10.05f, 99.9f, 49.9f });
    EXPECT_EQ(rounded[0].radius, 12);
    style.radius = 0.4f;
    paint(id);
    EXPECT_TRUE(canvas.of(DrawOp::StrokeRoundedRect).empty());
    ASSERT_EQ(canvas.of(DrawOp::StrokeRect).size(), 1u);
    // Without a width the stroke is 1 px; labels have radius 0.
    NodeId label = add(NodeKind::Label, TextModel { u"x" }, { 0, 0, 40, 20 });
    tree.node(label).styles.base_mut().border_color = Color { 0, 1, 0, 1 };
    paint(label);
    ASSERT_EQ(canvas.of(DrawOp::StrokeRect).size(), 1u);
    EXPECT_EQ(canvas.of(DrawOp::StrokeRect)[0].width, 1);
}

TEST_F(NodePaint, a_disabled_button_draws_body_and_label_in_the_border_colour_and_a_container_keeps_its_background)
{
    NodeId button = add(NodeKind::Button, ButtonModel { u"Ок", 10 }, { 10, 10, 100, 40 });
    tree.disabled_flags.assign(tree.size(), false);
    tree.disabled_flags[button] = true;
    paint(button);
    ASSERT_EQ(fills().size(), 1u);
    EXPECT_EQ(fills()[0].color, palette().border());
    ASSERT_EQ(canvas.of(DrawOp::DrawText).size(), 1u);
    EXPECT_EQ(canvas.of(DrawOp::DrawText)[0].color, palette().border());

    NodeId frame = add(NodeKind::Frame, FrameModel {}, { 10, 60, 100, 40 });
    tree.disabled_flags.assign(tree.size(), true);
    paint(frame);
    EXPECT_EQ(fills()[0].color, palette().border());
    Interaction disabled { false, false, true };
    StyleSet styles;
    styles.base_mut().background = Color { 0.5f, 0.5f, 0.5f, 1 };
    EXPECT_EQ(effective_style(styles, NodeKind::Container, disabled, palette()).background, Color(0.5f, 0.5f, 0.5f, 1));
}

TEST_F(NodePaint, a_button_uses_its_hover_style_background_while_hot_and_ninety_percent_while_pressed)
{
    NodeId button = add(NodeKind::Button, ButtonModel { u"Ок", 10 }, { 10, 10, 100, 40 });
    Color base { 0.5f, 0.6f, 0.8f, 1 }, hover { 0.2f, 0.9f, 0.2f, 1 };
    tree.node(button).styles.base_mut().background = base;
    tree.node(button).styles.get_mut(StyleState::Hover).background = hover;
    context.hover = context.hot = button;
    paint(button);
    EXPECT_EQ(fills().back().color, hover);
    context.pressed = button;
    paint(button);
    Color pressed = fills().back().color;
    EXPECT_FLOAT_EQ(pressed.r, 0.45f);
    EXPECT_FLOAT_EQ(pressed.g, 0.54f);
    EXPECT_FLOAT_EQ(pressed.b, 0.72f);
    EXPECT_EQ(pressed.a, 1);
    // Without a hover style the hot colour is the base lightened by 10 % towards white.
    tree.node(button).styles.get_mut(StyleState::Hover).background.reset();
    context.pressed.reset();
    paint(button);
    EXPECT_FLOAT_EQ(fills().back().color.r, 0.55f);
}

TEST_F(NodePaint, a_focused_button_gets_a_ring_three_pixels_larger_beneath_its_body)
{
    NodeId button = add(NodeKind::Button, ButtonModel { u"Ок", 10 }, { 10, 10, 100, 40 });
    context.focus = button;
    paint(button);
    ASSERT_EQ(fills().size(), 2u);
    EXPECT_EQ(fills()[0].rect, (RectF { 7, 7, 106, 46 }));
    EXPECT_EQ(fills()[0].radius, 13);
    EXPECT_EQ(fills()[0].color, palette().text());
    EXPECT_EQ(fills()[1].color, palette().accent());
}

TEST_F(NodePaint, a_style_font_gives_the_node_formats_of_fixed_sizes)
{
    NodeId label = add(NodeKind::Label, TextModel { u"Привет" }, { 0, 0, 200, 30 });
    paint(label);
    ASSERT_EQ(canvas.of(DrawOp::DrawText).size(), 1u);
    EXPECT_FLOAT_EQ(canvas.of(DrawOp::DrawText)[0].font_size, 24); // title: 1.2 × 20
    tree.node(label).styles.base_mut().font_family = 0;
    paint(label);
    EXPECT_FLOAT_EQ(canvas.of(DrawOp::DrawText)[0].font_size, 24);
    tree.node(label).styles.base_mut().font_size = 13;
    tree.node(label).styles.base_mut().wrap = Wrap::On;
    paint(label);
    EXPECT_FLOAT_EQ(canvas.of(DrawOp::DrawText)[0].font_size, 13);
    EXPECT_EQ(canvas.of(DrawOp::DrawText)[0].font_weight, 400); // paragraph
}

TEST_F(NodePaint, every_kind_paints_hostile_values_with_balanced_clips)
{
    float const nan = std::numeric_limits<float>::quiet_NaN();
    float const huge = 3e38f;
    std::vector<RectF> rects { { 10, 10, 200, 120 }, { 10, 10, 0, 0 }, { 10, 10, -50, -50 }, { nan, 10, 100, 100 },
        { 10, 10, nan, nan }, { 10, 10, huge, huge } };
    for (std::size_t k = 0; k < kind_count; ++k) {
        auto kind = static_cast<NodeKind>(k);
        for (RectF rect : rects) {
            NodeId id = add(kind, rect);
            Model& model = tree.node(id).model;
            if (auto* list = model.as<ListModel>()) {
                list->items.assign(50, u"x");
                list->scroll = nan;
            }
            if (auto* table = model.as<TableModel>()) {
                table->columns.titles = { u"a", u"b" };
                table->rows.assign(50, { u"1", u"2" });
                table->scroll = huge;
            }
            if (auto* term = model.as<TermModel>()) {
                term->lines.assign(50, u"line");
                term->scroll = -huge;
            }
            if (auto* value = model.as<ValueModel>())
                value->value = nan;
            if (auto* chart = model.as<ChartModel>())
                chart->data = { nan, -1, huge };
            if (auto* spinner = model.as<SpinnerModel>())
                spinner->phase = nan;
            context.hover = id;
            context.pointer = { 50, huge };
            paint(id);
            EXPECT_EQ(canvas.clip_depth(), 0u) << kind_name(kind);
            EXPECT_EQ(canvas.unmatched_pops(), 0u) << kind_name(kind);
        }
    }
}
