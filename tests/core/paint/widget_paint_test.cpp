#include "tests/core/paint/paint_fixture.hpp"

#include <numbers>

using namespace orvy;

namespace {

using WidgetPaint = PaintTest;
constexpr float pi = std::numbers::pi_v<float>;

PointF centre_of(RectF r) { return { r.x + r.w / 2, r.y + r.h / 2 }; }

std::size_t count_colour(std::vector<DrawCommand> const& commands, Color colour)
{
    return static_cast<std::size_t>(
        std::count_if(commands.begin(), commands.end(), [&](DrawCommand const& c) { return c.color == colour; }));
}

}

TEST_F(WidgetPaint, slider_fills_clamp_the_value_and_the_knob_stays_in_the_track)
{
    NodeId slider = add(NodeKind::Slider, ValueModel { 1.5f }, { 100, 100, 200, 20 });
    paint(slider);
    ASSERT_EQ(fills().size(), 3u);
    EXPECT_EQ(fills()[0].rect, (RectF { 100, 107, 200, 6 }));
    EXPECT_EQ(fills()[1].rect, (RectF { 100, 107, 200, 6 }));
    EXPECT_EQ(fills()[2].rect, (RectF { 284, 102, 16, 16 }));
    EXPECT_EQ(fills()[2].color, palette().text());
    tree.node(slider).model.as<ValueModel>()->value = -1;
    context.visible_focus = slider;
    paint(slider);
    EXPECT_EQ(fills()[1].rect.w, 0);
    EXPECT_EQ(fills()[2].rect.x, 100);
    EXPECT_EQ(fills()[2].color, palette().accent());
}

TEST_F(WidgetPaint, progress_and_range_fill_their_share_of_the_track)
{
    paint(add(NodeKind::Progress, ValueModel { 0.25f }, { 0, 0, 200, 30 }));
    ASSERT_EQ(fills().size(), 2u);
    EXPECT_EQ(fills()[0].rect, (RectF { 0, 10, 200, 10 }));
    EXPECT_EQ(fills()[1].rect, (RectF { 0, 10, 50, 10 }));
    EXPECT_EQ(fills()[1].radius, 5);
    // hi below lo is raised to lo: nothing between the thumbs.
    paint(add(NodeKind::Range, RangeModel { 0.5f, 0.2f }, { 0, 0, 200, 30 }));
    ASSERT_EQ(fills().size(), 4u);
    EXPECT_EQ(fills()[1].rect, (RectF { 100, 12, 0, 6 }));
    EXPECT_EQ(fills()[2].rect.x, 92);
    EXPECT_EQ(fills()[3].rect.x, 92);
}

TEST_F(WidgetPaint, a_gauge_lights_the_whole_part_of_value_times_48_dots_from_straight_up_clockwise)
{
    NodeId gauge = add(NodeKind::Gauge, ValueModel { .value = 0.5f, .caption = u"50%" }, { 0, 0, 200, 160 });
    paint(gauge);
    auto dots = fills();
    ASSERT_EQ(dots.size(), 48u);
    float side = 160, radius = side / 2 - 8, dot = 16;
    EXPECT_EQ(count_colour(dots, palette().accent()), 24u);
    EXPECT_EQ(dots[23].color, palette().accent());
    EXPECT_EQ(dots[24].color, palette().border());
    PointF c = centre_of(tree.node(gauge).rect);
    expect_rect_near(dots[0].rect, { c.x - dot / 2, c.y - radius - dot / 2, dot, dot });
    expect_rect_near(dots[47].rect, { c.x - radius - dot / 2, c.y - dot / 2, dot, dot });
    EXPECT_FLOAT_EQ(dots[0].radius, dot / 2);
    EXPECT_EQ(canvas.texts(), (std::vector<Text> { u"50%" }));
}

TEST_F(WidgetPaint, a_dial_has_forty_dots_a_knob_and_an_indicator_at_its_angle)
{
    NodeId dial = add(NodeKind::Dial, ValueModel { 1.0f }, { 0, 0, 240, 240 });
    paint(dial);
    auto shapes = fills();
    ASSERT_EQ(shapes.size(), 42u);
    EXPECT_EQ(count_colour(std::vector(shapes.begin(), shapes.begin() + 40), palette().accent()), 40u);
    float radius = 240.0f / 2 - 8, dot = 20, knob = radius - 1.6f * dot;
    PointF c = centre_of(tree.node(dial).rect);
    expect_rect_near(shapes[40].rect, { c.x - knob, c.y - knob, 2 * knob, 2 * knob });
    EXPECT_EQ(shapes[40].color, palette().surface());
    // At value 1 the indicator points left: angle 3π/2 + 3π/2.
    float angle = 3 * pi;
    expect_rect_near(shapes[41].rect,
        { c.x + (knob - 8) * std::cos(angle) - 4, c.y + (knob - 8) * std::sin(angle) - 4, 8, 8 }, 1e-3f);
}

TEST_F(WidgetPaint, meter_segments_share_the_width_with_three_pixel_gaps_and_round_the_lit_count)
{
    NodeId meter = add(NodeKind::Meter, ValueModel { .value = 0.46f, .segments = 10 }, { 10, 0, 300, 40 });
    paint(meter);
    auto segments = fills();
    ASSERT_EQ(segments.size(), 10u);
    float width = (300 - 27) / 10.0f;
    expect_rect_near(segments[3].rect, { 10 + 3 * (width + 3), 8, width, 24 });
    EXPECT_EQ(count_colour(segments, palette().accent()), 5u); // 4.6 rounds to 5
}

TEST_F(WidgetPaint, spinner_dots_fade_in_around_the_circle_from_the_phase)
{
    NodeId spinner = add(NodeKind::Spinner, SpinnerModel { 0.25f }, { 0, 0, 100, 60 });
    paint(spinner);
    auto dots = fills();
    ASSERT_EQ(dots.size(), 8u);
    float side = 48, d = 4.8f, radius = side / 2 - 4;
    PointF c = centre_of(tree.node(spinner).rect);
    for (std::size_t k = 0; k < 8; ++k) {
        EXPECT_NEAR(dots[k].color.a, 0.15f + 0.10625f * static_cast<float>(k), 1e-6f);
        float angle = 2 * pi * (0.25f + static_cast<float>(k) / 8);
        expect_rect_near(dots[k].rect,
            { c.x + radius * std::cos(angle) - d / 2, c.y + radius * std::sin(angle) - d / 2, d, d }, 1e-3f);
    }
}

TEST_F(WidgetPaint, pager_cells_hold_arrows_and_page_numbers_with_the_current_page_filled)
{
    NodeId pager = add(NodeKind::Pager, PagerModel { 2, 4 }, { 10, 10, 400, 40 });
    paint(pager);
    EXPECT_EQ(canvas.texts(), (std::vector<Text> { u"◀", u"1", u"2", u"3", u"4", u"▶" }));
    auto outlined = canvas.of(DrawOp::StrokeRect);
    ASSERT_EQ(outlined.size(), 5u);
    EXPECT_EQ(outlined[0].rect, (RectF { 12, 12, 36, 36 }));
    EXPECT_EQ(outlined[4].rect, (RectF { 12 + 40 * 5, 12, 36, 36 }));
    ASSERT_EQ(fills().size(), 1u);
    EXPECT_EQ(fills()[0].rect, (RectF { 12 + 40 * 3, 12, 36, 36 }));
    EXPECT_EQ(canvas.of(DrawOp::DrawText)[3].color, palette().on_accent());
}

TEST_F(WidgetPaint, huge_counts_draw_only_the_cells_in_view)
{
    paint(add(NodeKind::Pager, PagerModel { 0, 4000000000u }, { 0, 0, 1000000, 40 }));
    EXPECT_LT(canvas.commands().size(), 100u);
    paint(add(NodeKind::Meter, ValueModel { .value = 1, .segments = 4000000000u }, { 0, 0, 800, 40 }));
    EXPECT_LT(canvas.commands().size(), 1000u);
}

TEST_F(WidgetPaint, check_radio_and_switch_draw_their_state_at_the_stated_places)
{
    paint(add(NodeKind::Checkbox, ToggleModel { u"Флажок", true }, { 0, 0, 200, 30 }));
    ASSERT_EQ(fills().size(), 1u);
    EXPECT_EQ(fills()[0].rect, (RectF { 0, 4, 22, 22 }));
    EXPECT_EQ(canvas.texts(), (std::vector<Text> { u"✓", u"Флажок" }));
    EXPECT_EQ(canvas.of(DrawOp::DrawText)[1].rect.x, 32);

    NodeId radio = add(NodeKind::Radio, ToggleModel { u"Да", true }, { 0, 0, 200, 30 });
    context.focus = radio;
    paint(radio);
    ASSERT_EQ(fills().size(), 4u);
    EXPECT_EQ(fills()[0].rect, (RectF { -3, 1, 28, 28 }));
    EXPECT_EQ(fills()[0].radius, 14);
    EXPECT_EQ(fills()[3].rect, (RectF { 6, 10, 10, 10 }));

    paint(add(NodeKind::Switch, ToggleModel { u"Вкл", true }, { 0, 0, 200, 30 }));
    ASSERT_EQ(fills().size(), 2u);
    EXPECT_EQ(fills()[0].rect, (RectF { 0, 3, 44, 24 }));
    EXPECT_EQ(fills()[1].rect, (RectF { 23, 6, 18, 18 }));
    EXPECT_EQ(canvas.of(DrawOp::DrawText)[0].rect.x, 54);
}

TEST_F(WidgetPaint, a_table_draws_only_the_rows_in_view_whatever_its_row_count)
{
    TableModel model;
    model.columns.titles = { u"A", u"B" };
    for (int i = 0; i < 100000; ++i)
        model.rows.push_back({ u"a", u"b" });
    model.scroll = 30 * 50000;
    model.current = 50001;
    NodeId table = add(NodeKind::Table, Boxed<TableModel>(std::move(model)), { 0, 0, 400, 334 });
    paint(table);
    // 300 px of body shows 10 rows; the span adds 2 more.
    EXPECT_EQ(canvas.texts().size(), 12u * 2 + 2);
    auto bands = canvas.of(DrawOp::FillRect);
    ASSERT_FALSE(bands.empty());
    EXPECT_EQ(bands[0].rect, (RectF { 0, 34 + 30, 400, 30 }));
    EXPECT_EQ(bands[0].color, palette().selection());
}

TEST_F(WidgetPaint, table_hover_row_and_separators_follow_the_pointer_and_thicknesses)
{
    TableModel model;
    model.columns.titles = { u"A", u"B", u"C" };
    model.rows.assign(5, { u"1", u"2", u"3" });
    model.row_line = 2;
    model.column_line = 1;
    NodeId table = add(NodeKind::Table, Boxed<TableModel>(std::move(model)), { 0, 0, 314, 200 });
    context.hover = table;
    context.pointer = { 50, 34 + 30 + 5 };
    paint(table);
    auto bands = canvas.of(DrawOp::FillRect);
    auto hovered = std::find_if(bands.begin(), bands.end(), [](DrawCommand const& c) { return c.rect.h == 30; });
    ASSERT_NE(hovered, bands.end());
    EXPECT_EQ(hovered->rect, (RectF { 0, 64, 314, 30 }));
    EXPECT_EQ(hovered->color, palette().border());
    EXPECT_EQ(std::count_if(bands.begin(), bands.end(), [](DrawCommand const& c) { return c.rect.h == 30; }), 1);
    std::size_t row_lines = 0, column_lines = 0;
    for (auto const& band : bands) {
        row_lines += band.rect.h == 2 ? 1 : 0;
        column_lines += band.rect.w == 1 && band.rect.h == 200 ? 1 : 0;
    }
    EXPECT_EQ(row_lines, 5u);
    EXPECT_EQ(column_lines, 2u);
}

TEST_F(WidgetPaint, the_scroll_bar_thumb_keeps_a_minimum_height_and_follows_the_offset)
{
    auto none = scroll_bar_geometry({ 0, 0, 100, 200 }, 200, 200, 0);
    EXPECT_FALSE(none);
    auto bar = scroll_bar_geometry({ 0, 0, 100, 204 }, 100000, 200, 100000);
    ASSERT_TRUE(bar);
    EXPECT_EQ(bar->track, (RectF { 88, 2, 10, 200 }));
    EXPECT_EQ(bar->thumb.h, 24);
    EXPECT_EQ(bar->thumb.y, 2 + 200 - 24);
    auto half = scroll_bar_geometry({ 0, 0, 100, 204 }, 400, 200, 100);
    EXPECT_EQ(half->thumb, (RectF { 88, 52, 10, 100 }));
}

TEST_F(WidgetPaint, a_wrapping_label_with_an_icon_uses_the_paragraph_format_after_the_icon)
{
    struct Square final : ImageDecoder {
        std::optional<Bitmap> decode(std::span<std::uint8_t const>, std::uint32_t) override
        {
            return Bitmap { 2, 2, std::vector<std::uint8_t>(16, 255) };
        }
        std::uint32_t frame_count(std::span<std::uint8_t const>) override { return 1; }
    } decoder;
    tree.memory_images["mem:1"] = std::make_shared<std::vector<std::uint8_t> const>(4, 1);
    NodeId label = add(NodeKind::Label, TextModel { u"Длинный текст" }, { 10, 0, 300, 40 });
    tree.node(label).extras_mut().icon = u"mem:1";
    tree.node(label).styles.base_mut().wrap = Wrap::On;
    ImageCache images;
    EXPECT_EQ(load_tree_images(images, decoder, tree), 1u);
    context.images = &images;
    paint(label);
    ASSERT_EQ(canvas.of(DrawOp::DrawBitmap).size(), 1u);
    // Side clamp(40 − 6, 12, 28) = 28, centred vertically.
    EXPECT_EQ(canvas.of(DrawOp::DrawBitmap)[0].rect, (RectF { 10, 6, 28, 28 }));
    auto drawn = canvas.of(DrawOp::DrawText);
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0].rect.x, 10 + 28 + 8);
    EXPECT_EQ(drawn[0].font_weight, 400);
    EXPECT_EQ(drawn[0].font_size, 20);
}

TEST_F(WidgetPaint, tree_rows_under_a_closed_row_are_skipped_and_the_rest_indent_by_depth)
{
    TreeviewModel model;
    model.rows = { { 0, u"a", false, true }, { 1, u"b", false, false }, { 2, u"hidden", true },
        { 3, u"hidden too", true }, { 1, u"c", true }, { 0, u"d", true } };
    model.current = 4;
    NodeId tree_node = add(NodeKind::Treeview, Boxed<TreeviewModel>(std::move(model)), { 0, 0, 300, 400 });
    paint(tree_node);
    EXPECT_EQ(canvas.texts(), (std::vector<Text> { u"▼", u"a", u"▶", u"b", u"c", u"d" }));
    auto labels = canvas.of(DrawOp::DrawText);
    EXPECT_EQ(labels[1].rect.x, 8 + 22);      // depth 0, after the arrow
    EXPECT_EQ(labels[4].rect.x, 8 + 18 + 22); // depth 1 leaf
    EXPECT_EQ(labels[4].rect.y, 2 * 32);      // third visible row
    // The current row (the fifth stored, third shown) is the selection band.
    auto bands = fills();
    auto selected = std::find_if(bands.begin(), bands.end(), [&](DrawCommand const& c) { return c.color == palette().selection(); });
    ASSERT_NE(selected, bands.end());
    EXPECT_EQ(selected->rect, (RectF { 3, 64 + 2, 294, 28 }));
}

TEST_F(WidgetPaint, image_nodes_draw_in_their_fit_mode_clipping_what_spills_out)
{
    struct Wide final : ImageDecoder {
        std::optional<Bitmap> decode(std::span<std::uint8_t const>, std::uint32_t) override
        {
            return Bitmap { 4, 2, std::vector<std::uint8_t>(32, 255) };
        }
        std::uint32_t frame_count(std::span<std::uint8_t const>) override { return 1; }
    } decoder;
    tree.memory_images["mem:1"] = std::make_shared<std::vector<std::uint8_t> const>(1, 0);
    NodeId image = add(NodeKind::Image, ImageModel { "mem:1" }, { 0, 0, 100, 100 });
    ImageCache images;
    load_tree_images(images, decoder, tree);
    context.images = &images;
    struct Case {
        ImageFit fit;
        RectF destination;
        bool clipped;
    };
    for (Case const& c : { Case { ImageFit::Contain, { 0, 25, 100, 50 }, false },
             Case { ImageFit::Cover, { -50, 0, 200, 100 }, true }, Case { ImageFit::Fill, { 0, 0, 100, 100 }, false },
             Case { ImageFit::Natural, { 48, 49, 4, 2 }, true } }) {
        tree.node(image).model.as<ImageModel>()->fit = c.fit;
        paint(image);
        auto drawn = canvas.of(DrawOp::DrawBitmap);
        ASSERT_EQ(drawn.size(), 1u);
        EXPECT_EQ(drawn[0].rect, c.destination);
        EXPECT_EQ(canvas.of(DrawOp::PushClip).size(), c.clipped ? 1u : 0u);
    }
    // A source that is not loaded draws nothing.
    tree.node(image).model.as<ImageModel>()->source = "mem:2";
    paint(image);
    EXPECT_TRUE(canvas.commands().empty());
}
