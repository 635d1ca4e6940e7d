// Drags that follow the pointer until the release, and the wheel.
#include "pointer_fixture.hpp"

namespace orvy {

TEST(PointerDrag, a_slider_dragged_past_its_ends_stays_at_0_or_1)
{
    PointerFixture f;
    NodeId slider = f.add(NodeKind::Slider, { 100, 0, 200, 30 });
    f.lay_out();
    f.listen_change(slider);

    f.down(150, 10);
    EXPECT_FLOAT_EQ(f.model<ValueModel>(slider).value, 0.25f);
    EXPECT_EQ(f.input.focus(), slider);
    EXPECT_TRUE(f.move(900, 500));
    EXPECT_FLOAT_EQ(f.model<ValueModel>(slider).value, 1.0f);
    f.move(-50, 10);
    EXPECT_FLOAT_EQ(f.model<ValueModel>(slider).value, 0.0f);
    EXPECT_TRUE(f.up());
    f.move(250, 10); // no drag any more
    EXPECT_FLOAT_EQ(f.model<ValueModel>(slider).value, 0.0f);
    EXPECT_EQ(f.changes.size(), 3u);
}

TEST(PointerDrag, a_dial_dragged_160_px_upward_gains_one_and_stays_clamped)
{
    PointerFixture f;
    NodeId dial = f.add(NodeKind::Dial, { 0, 200, 100, 100 });
    f.model<ValueModel>(dial).value = 0.25f;
    f.lay_out();
    f.down(50, 250);
    f.move(50, 250 - 80);
    EXPECT_FLOAT_EQ(f.model<ValueModel>(dial).value, 0.75f);
    f.move(50, 250 - 160);
    EXPECT_FLOAT_EQ(f.model<ValueModel>(dial).value, 1.0f);
    f.move(50, 250 + 400);
    EXPECT_FLOAT_EQ(f.model<ValueModel>(dial).value, 0.0f);
}

TEST(PointerDrag, a_range_press_moves_the_nearer_thumb_and_drags_it)
{
    PointerFixture f;
    NodeId range = f.add(NodeKind::Range, { 0, 0, 100, 20 });
    f.lay_out();
    f.down(60, 10); // 0.6 is nearer 0.75
    EXPECT_FLOAT_EQ(f.model<RangeModel>(range).hi, 0.6f);
    f.move(90, 10);
    EXPECT_FLOAT_EQ(f.model<RangeModel>(range).hi, 0.9f);
    EXPECT_FLOAT_EQ(f.model<RangeModel>(range).lo, 0.25f);
}

TEST(PointerDrag, a_splitter_gutter_drags_the_ratio_and_a_double_press_resets_it)
{
    PointerFixture f;
    NodeId splitter = f.add(NodeKind::Splitter, { 0, 0, 408, 300 });
    f.add(NodeKind::Frame, { 0, 0, 10, 10 }, splitter);
    f.add(NodeKind::Frame, { 0, 0, 10, 10 }, splitter);
    f.lay_out();
    f.down(202, 150); // the gutter spans 200..208
    f.move(100, 150);
    EXPECT_FLOAT_EQ(f.model<SplitterModel>(splitter).ratio, 0.25f);
    f.up();
    f.lay_out();
    f.wait(500);
    f.down(102, 150);
    f.up();
    f.wait(100);
    f.down(102, 150);
    EXPECT_FLOAT_EQ(f.model<SplitterModel>(splitter).ratio, 0.5f);
}

TEST(PointerDrag, a_canvas_with_scrolling_pans_without_a_move_handler)
{
    PointerFixture f;
    NodeId canvas = f.add(NodeKind::Canvas, { 0, 0, 200, 200 });
    auto& model = f.model<CanvasModel>(canvas);
    model.scrollable = true;
    model.region_w = 1000;
    model.region_h = 1000;
    f.lay_out();
    f.down(100, 100);
    f.move(60, 70);
    EXPECT_FLOAT_EQ(model.view_x, 40.0f);
    EXPECT_FLOAT_EQ(model.view_y, 30.0f);
}

TEST(PointerWheel, a_wheel_handler_takes_the_wheel_and_the_scroll_area_stays)
{
    PointerFixture f;
    NodeId scroll = f.add(NodeKind::Scroll, { 0, 0, 300, 300 });
    NodeId inner = f.add(NodeKind::Frame, { 0, 0, 280, 100 }, scroll);
    f.lay_out();
    f.model<ScrollModel>(scroll).content_height = 1000;
    std::vector<float> heard;
    f.tree.wheel_handlers[inner] = [&heard](Tree&, float notches, float x, float y) {
        heard = { notches, x, y };
    };
    f.move(20, 30);
    EXPECT_TRUE(f.input.wheel(f.context(), -240));
    EXPECT_EQ(heard, (std::vector<float> { -2, 20, 30 }));
    EXPECT_FLOAT_EQ(f.model<ScrollModel>(scroll).offset, 0.0f);

    f.tree.wheel_handlers.clear();
    EXPECT_TRUE(f.input.wheel(f.context(), -240));
    EXPECT_FLOAT_EQ(f.model<ScrollModel>(scroll).offset, 96.0f);
    f.input.wheel(f.context(), -120 * 100);
    EXPECT_FLOAT_EQ(f.model<ScrollModel>(scroll).offset, 700.0f);
    EXPECT_FALSE(f.input.wheel(f.context(), -120));
}

TEST(PointerWheel, sliders_step_by_a_twentieth_and_lists_scroll_by_rows)
{
    PointerFixture f;
    NodeId slider = f.add(NodeKind::Slider, { 0, 0, 200, 30 });
    NodeId list = f.add(NodeKind::List, { 0, 100, 200, 100 });
    f.model<ListModel>(list).items = TextList(10, u"x");
    f.lay_out();
    f.move(50, 10);
    f.input.wheel(f.context(), 120);
    EXPECT_FLOAT_EQ(f.model<ValueModel>(slider).value, 0.05f);
    f.move(50, 150);
    f.input.wheel(f.context(), -120 * 3);
    EXPECT_FLOAT_EQ(f.model<ListModel>(list).scroll, 96.0f);
    f.input.wheel(f.context(), -120 * 30);
    EXPECT_FLOAT_EQ(f.model<ListModel>(list).scroll, 320.0f - 100.0f);
}

TEST(PointerMove, hover_and_hot_follow_the_pointer_and_report_changes_once)
{
    PointerFixture f;
    NodeId button = f.add(NodeKind::Button, { 0, 0, 100, 30 });
    NodeId label = f.add(NodeKind::Label, { 0, 50, 100, 30 });
    f.lay_out();
    EXPECT_TRUE(f.move(10, 10));
    EXPECT_EQ(f.input.hot(), button);
    EXPECT_EQ(f.tree.hovered->node, button);
    EXPECT_FALSE(f.move(12, 12));
    EXPECT_TRUE(f.move(10, 60));
    EXPECT_EQ(f.tree.hovered->node, label);
    EXPECT_FALSE(f.input.hot());
}

}
