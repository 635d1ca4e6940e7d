#include "core/frame/frame.hpp"
#include "core/operations/operations.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using namespace orvy;
using namespace std::chrono_literals;

namespace {

// A tree with an injected clock: each update runs at the clock's instant.
struct Frames {
    Tree tree;
    Instant now = Instant {} + 1h;

    bool update(std::chrono::nanoseconds advance = 0ns, float width = 800, float height = 600)
    {
        now += advance;
        return frame_update(tree, { .now = now, .client_width = width, .client_height = height });
    }

    NodeId add(NodeKind kind, Model model)
    {
        model.kind = kind;
        return tree.append(tree.root, std::move(model));
    }
    NodeId add(NodeKind kind) { return tree.append(tree.root, Model(kind)); }
};

}

TEST(FrameUpdate, an_idle_tree_reports_no_change)
{
    Frames f;
    EXPECT_FALSE(f.update());
    EXPECT_FALSE(f.update(10ms));
}

TEST(FrameUpdate, the_frame_hook_runs_first_and_a_replacement_is_dropped)
{
    Frames f;
    int calls = 0;
    f.tree.frame_hook = [&](Tree& t) {
        ++calls;
        t.frame_hook = [](Tree&) { ADD_FAILURE() << "replacement ran"; return false; };
        return calls == 1;
    };
    EXPECT_TRUE(f.update());
    EXPECT_FALSE(f.update());
    EXPECT_EQ(calls, 2);
}

TEST(FrameUpdate, build_entries_run_once_and_dirty_the_layout)
{
    Frames f;
    f.tree.layout_dirty = false;
    int built = 0;
    f.tree.build_queue.push([&](Tree& t) { t.append(t.root, Model(NodeKind::Label)); ++built; });
    EXPECT_TRUE(f.update());
    EXPECT_FALSE(f.update());
    EXPECT_EQ(built, 1);
    EXPECT_EQ(f.tree.size(), 2u);
    EXPECT_TRUE(f.tree.layout_dirty);
}

TEST(FrameUpdate, text_requests_set_texts_and_items_by_mode)
{
    Frames f;
    NodeId field = f.add(NodeKind::Textbox);
    NodeId label = f.add(NodeKind::Label);
    NodeId list = f.add(NodeKind::Dropdown);
    f.tree.text_queue.push({ field, TextMode::Textbox, { u"typed", u"ignored" } });
    f.tree.text_queue.push({ label, TextMode::Label, {} });
    f.tree.text_queue.push({ list, TextMode::Items, { u"a", u"b" } });
    f.tree.text_queue.push({ 999, TextMode::Items, { u"lost" } });
    EXPECT_TRUE(f.update());
    EXPECT_EQ(f.tree.node(field).model.as<TextboxModel>()->text, u"typed");
    EXPECT_EQ(f.tree.node(field).model.as<TextboxModel>()->caret, 5u);
    EXPECT_EQ(f.tree.node(label).model.as<TextModel>()->text, u"");
    EXPECT_EQ(f.tree.node(list).model.as<ChoiceModel>()->items, (TextList { u"a", u"b" }));
}

TEST(FrameUpdate, the_menu_is_clamped_into_the_window_and_an_empty_list_closes_it)
{
    Frames f;
    f.tree.menu_request.put({ { u"a", u"b", u"c" }, 800 - 10, 600 - 10 });
    f.tree.open_dropdown = 0;
    EXPECT_TRUE(f.update());
    EXPECT_TRUE(f.tree.menu_open);
    EXPECT_FALSE(f.tree.open_dropdown);
    EXPECT_EQ(f.tree.menu_pos, (PointF { 800 - 220, 600 - 90 }));

    f.tree.menu_request.put({ { u"x" }, -5, std::numeric_limits<float>::quiet_NaN() });
    EXPECT_TRUE(f.update(0ns, 100, 10));
    EXPECT_EQ(f.tree.menu_pos, (PointF { 0, 0 }));

    f.tree.menu_request.put({ {}, 0, 0 });
    EXPECT_TRUE(f.update());
    EXPECT_FALSE(f.tree.menu_open);
}

TEST(FrameUpdate, requests_apply_in_order_and_skip_unknown_nodes)
{
    Frames f;
    NodeId slider = f.add(NodeKind::Slider);
    f.tree.enqueue_request({ .node = slider, .a = 0.2f, .kind = RequestKind::NumericState });
    f.tree.enqueue_request({ .node = slider, .a = 1.7f, .kind = RequestKind::NumericState });
    f.tree.enqueue_request({ .node = 12345, .a = 1, .kind = RequestKind::Show });
    EXPECT_TRUE(f.update());
    EXPECT_EQ(f.tree.node(slider).model.as<ValueModel>()->value, 1.0f);
}

TEST(NodeRequests, pop_at_places_the_layer_and_pop_off_moves_it_out_of_sight)
{
    Tree tree;
    NodeId layer = tree.append(tree.root, Model(NodeKind::Frame), { .w = 240, .h = 40 });
    apply_request(tree, { .node = layer, .a = 10, .b = 20, .c = 0, .kind = RequestKind::PopAt, .d = 90 });
    LayoutParams const& l = tree.node(layer).layout;
    EXPECT_EQ(l.placement, Placement::Absolute);
    EXPECT_EQ(l.left, 10.0f);
    EXPECT_EQ(l.top, 20.0f);
    EXPECT_EQ(l.w, 240.0f); // 0 keeps the size
    EXPECT_EQ(l.h, 90.0f);
    EXPECT_EQ(tree.popup_layer, layer);
    apply_request(tree, { .node = layer, .kind = RequestKind::PopOff });
    EXPECT_EQ(l.left, -1000000.0f);
    EXPECT_FALSE(l.right || l.bottom);
    EXPECT_FALSE(tree.popup_layer);
}

TEST(NodeRequests, limits_leave_negative_fields_alone_and_a_zero_maximum_means_none)
{
    Tree tree;
    NodeId node = tree.append(tree.root, Model(NodeKind::Frame));
    apply_request(tree, { .node = node, .a = 200, .b = -1, .c = 0, .kind = RequestKind::Limits, .d = 50 });
    LayoutParams const& l = tree.node(node).layout;
    EXPECT_EQ(l.min_w, 200.0f);
    EXPECT_EQ(l.min_h, 0.0f);
    EXPECT_TRUE(std::isinf(l.max_w));
    EXPECT_EQ(l.max_h, 50.0f);
}

TEST(NodeRequests, an_outline_is_unpacked_from_two_halves_and_removed_again)
{
    Tree tree;
    NodeId node = tree.append(tree.root, Model(NodeKind::Button));
    std::uint32_t rgba = 0xFF000080;
    apply_request(tree, { .node = node, .a = float(rgba >> 16), .b = float(rgba & 0xFFFF), .c = 2,
                            .kind = RequestKind::BorderLine, .d = 1 });
    Style const& style = tree.node(node).styles.base();
    ASSERT_TRUE(style.border_color);
    EXPECT_EQ(*style.border_color, Color::from_rgba8(rgba));
    EXPECT_EQ(style.border_width, 2.0f);
    apply_request(tree, { .node = node, .kind = RequestKind::BorderLine, .d = 0 });
    EXPECT_FALSE(tree.node(node).styles.base().border_color);
}

TEST(NodeRequests, header_heights_and_resizable_columns)
{
    Tree tree;
    NodeId table = tree.append(tree.root, Model(NodeKind::Table));
    apply_request(tree, { .node = table, .a = 48, .kind = RequestKind::HeaderHeight });
    EXPECT_EQ(tree.header_heights.at(table), 48.0f);
    apply_request(tree, { .node = table, .a = 0, .kind = RequestKind::HeaderHeight });
    EXPECT_FALSE(tree.header_heights.contains(table));
    apply_request(tree, { .node = table, .a = 1, .kind = RequestKind::ResizableColumns });
    EXPECT_TRUE(tree.resizable_columns_set.contains(table));
}

TEST(FrameUpdate, the_later_of_two_list_selections_wins)
{
    Frames f;
    NodeId list = f.add(NodeKind::List);
    f.tree.node(list).model.as<ListModel>()->items = { u"a", u"b", u"c" };
    f.tree.list_operations.push({ list, 5, { 0 } });
    f.tree.list_operations.push({ list, 5, { 2, 1 } });
    EXPECT_TRUE(f.update());
    auto const* model = f.tree.node(list).model.as<ListModel>();
    EXPECT_EQ(model->selection, (std::vector<std::uint32_t> { 1, 2 }));
    EXPECT_EQ(model->current, 2u);
}

TEST(Tweens, a_zero_length_tween_reports_its_end_value_once)
{
    Frames f;
    std::vector<float> seen;
    f.tree.tween_inbox.push({ .on_value = [&](Tree&, float v) { seen.push_back(v); }, .from = 0, .to = 5, .duration = 0 });
    EXPECT_TRUE(f.update());
    EXPECT_FALSE(f.update(10ms));
    EXPECT_EQ(seen, (std::vector<float> { 5 }));
}

TEST(Tweens, run_from_start_to_end_and_end_exactly_on_the_last_frame)
{
    Frames f;
    std::vector<float> seen;
    f.tree.tween_inbox.push(
        { .on_value = [&](Tree&, float v) { seen.push_back(v); }, .from = 10, .to = 20, .duration = 1, .easing = 0 });
    f.update();
    f.update(500ms);
    f.update(700ms);
    EXPECT_FALSE(f.update(10ms));
    EXPECT_EQ(seen, (std::vector<float> { 10, 15, 20 }));
}

TEST(Tweens, easings_at_the_quarter_and_the_middle)
{
    EXPECT_FLOAT_EQ(ease(0, 0.25f), 0.25f);
    EXPECT_FLOAT_EQ(ease(1, 0.5f), 0.125f);
    EXPECT_FLOAT_EQ(ease(3, 0.25f), 4 * 0.25f * 0.25f * 0.25f);
    EXPECT_FLOAT_EQ(ease(3, 0.75f), 1 - 0.125f / 2);
    EXPECT_FLOAT_EQ(ease(2, 0.5f), 0.875f);
    EXPECT_FLOAT_EQ(ease(77, 0.5f), 0.875f);
}

TEST(Tweens, a_linear_half_second_tween_rises_evenly_and_unknown_names_ease_out)
{
    Frames f;
    std::vector<float> seen;
    f.tree.tween_inbox.push({ .on_value = [&](Tree&, float v) { seen.push_back(v); },
        .from = 0,
        .to = 1,
        .duration = 0.5f,
        .easing = easing_from_name("lin") });
    f.update();
    for (int frame = 0; frame < 5; ++frame)
        f.update(100ms);
    ASSERT_EQ(seen.size(), 6u);
    for (std::size_t i = 0; i < seen.size(); ++i)
        EXPECT_NEAR(seen[i], 0.2f * static_cast<float>(i), 1e-5f);
    EXPECT_FALSE(f.update(100ms));
    EXPECT_EQ(seen.back(), 1.0f);

    EXPECT_EQ(easing_from_name("in"), 1);
    EXPECT_EQ(easing_from_name("io"), 3);
    EXPECT_EQ(easing_from_name("out"), 2);
    EXPECT_EQ(easing_from_name("LIN"), 2);
    EXPECT_EQ(easing_from_name(""), 2);
}

TEST(Timers, an_after_zero_fires_once_at_least_a_millisecond_after_intake)
{
    Frames f;
    int fired = 0;
    f.tree.timer_inbox.push({ .on_fire = [&](Tree&) { ++fired; }, .id = 1, .milliseconds = 0, .once = true });
    f.update();
    f.update(500us);
    EXPECT_EQ(fired, 0);
    f.update(500us);
    f.update(10ms);
    EXPECT_EQ(fired, 1);
    EXPECT_TRUE(f.tree.timers.empty());
}

TEST(Timers, the_timer_step_reads_the_clock_again_and_never_goes_back_in_time)
{
    Frames f;
    int fired = 0;
    Instant clock = f.now;
    // The hook stands for work that takes time before the timers' turn.
    std::chrono::nanoseconds hook_takes = 2ms;
    f.tree.frame_hook = [&](Tree&) {
        clock += hook_takes;
        return false;
    };
    auto update = [&](std::chrono::nanoseconds advance) {
        f.now += advance;
        clock = f.now;
        return frame_update(f.tree, { .now = f.now, .clock = [&] { return clock; } });
    };
    f.tree.timer_inbox.push({ .on_fire = [&](Tree&) { ++fired; }, .id = 1, .milliseconds = 0, .once = true });
    update(0ns);
    EXPECT_EQ(fired, 0); // taken in at the time read after the hook
    f.tree.timer_inbox.push({ .on_fire = [&](Tree&) { fired += 10; }, .id = 3, .milliseconds = 2, .once = true });
    // Due 1 ms after its intake, read after the hook: the first fires.
    update(1ms);
    EXPECT_EQ(fired, 1);
    // The second counts from the reading after the hook too, not from the
    // update's start: 1 ms of its 2, then both.
    update(1ms);
    EXPECT_EQ(fired, 1);
    update(1ms);
    EXPECT_EQ(fired, 11);
    fired = 1;
    // A clock that reads earlier than the update's own time is not believed.
    hook_takes = -1h;
    f.tree.timer_inbox.push({ .on_fire = [&](Tree&) { ++fired; }, .id = 2, .milliseconds = 5, .once = true });
    update(0ns);
    update(4ms);
    EXPECT_EQ(fired, 1);
    update(1ms);
    EXPECT_EQ(fired, 2);
}

TEST(Timers, a_firing_asks_for_a_repaint_only_when_its_callback_left_something_to_show)
{
    Frames f;
    NodeId label = f.add(NodeKind::Label);
    f.tree.layout_dirty = false; // as a layout leaves it
    bool change = false;
    f.tree.timer_inbox.push({ .on_fire =
                                  [&](Tree& tree) {
                                      if (change)
                                          tree.text_queue.push({ .node = label, .mode = TextMode::Label, .texts = { u"новое" } });
                                  },
        .id = 1,
        .milliseconds = 10 });
    f.update();
    EXPECT_FALSE(f.update(10ms)); // polled, nothing changed
    change = true;
    EXPECT_TRUE(f.update(10ms)); // the text is applied in the same update
    EXPECT_EQ(f.tree.node(label).model.as<TextModel>()->text, u"новое");
    EXPECT_FALSE(f.update());
    EXPECT_FALSE(f.update(10ms)); // the same text again: nothing new to show
    change = false;
    f.tree.layout_dirty = false;
    EXPECT_FALSE(f.update(10ms));
    // A binding applies its value to the tree and leaves the layout stale.
    f.tree.timer_inbox.push({ .on_fire = [](Tree& tree) { tree.layout_dirty = true; }, .id = 2, .milliseconds = 10 });
    f.update();
    EXPECT_TRUE(f.update(10ms));
}

TEST(Timers, a_timer_that_sets_values_and_flags_to_what_they_are_costs_no_repaint)
{
    Frames f;
    NodeId slider = f.add(NodeKind::Slider);
    NodeId box = f.add(NodeKind::Container);
    float value = 0.5f;
    f.tree.timer_inbox.push({ .on_fire =
                                  [&](Tree& tree) {
                                      tree.enqueue_request({ .node = slider, .a = value, .kind = RequestKind::NumericState });
                                      tree.enqueue_request({ .node = box, .a = 1, .kind = RequestKind::Show });
                                      tree.enqueue_request({ .node = 999, .a = 1, .kind = RequestKind::Limits });
                                  },
        .id = 1,
        .milliseconds = 10 });
    f.update();
    EXPECT_TRUE(f.update(10ms)); // the slider's first value
    f.tree.layout_dirty = false;
    EXPECT_FALSE(f.update(10ms)); // the same value, a shown node shown, a node that does not exist
    EXPECT_FALSE(f.tree.layout_dirty);
    value = 0.75f;
    EXPECT_TRUE(f.update(10ms));
    EXPECT_EQ(f.tree.node(slider).model.as<ValueModel>()->value, 0.75f);
}

TEST(Timers, a_repeating_timer_counts_each_period_from_its_firing)
{
    Frames f;
    int fired = 0;
    f.tree.timer_inbox.push({ .on_fire = [&](Tree&) { ++fired; }, .id = 7, .milliseconds = 100 });
    f.update();
    f.update(130ms);
    f.update(80ms); // 80 ms since firing: not yet
    f.update(20ms);
    EXPECT_EQ(fired, 2);
    f.tree.cancelled_timers.push(7);
    f.tree.cancelled_timers.push(7);
    f.tree.cancelled_timers.push(99);
    f.update(500ms);
    EXPECT_EQ(fired, 2);
    EXPECT_TRUE(f.tree.timers.empty());
}

TEST(Timers, hostile_intervals_stay_representable)
{
    EXPECT_EQ(timer_interval(0), 1ms);
    EXPECT_EQ(timer_interval(-5), 1ms);
    EXPECT_EQ(timer_interval(std::numeric_limits<float>::quiet_NaN()), 1ms);
    EXPECT_EQ(timer_interval(std::numeric_limits<float>::infinity()), std::chrono::nanoseconds(24h));
    EXPECT_EQ(timer_interval(2.5f), 2500us);
}

TEST(Spinners, a_window_with_a_spinner_never_rests)
{
    Frames f;
    NodeId spinner = f.add(NodeKind::Spinner);
    EXPECT_TRUE(f.update());
    EXPECT_TRUE(f.update(500ms));
    EXPECT_NEAR(f.tree.node(spinner).model.as<SpinnerModel>()->phase, 0.8f, 1e-5);
    EXPECT_TRUE(f.update(500ms));
    EXPECT_NEAR(f.tree.node(spinner).model.as<SpinnerModel>()->phase, 0.6f, 1e-5);
}

TEST(Tooltips, updates_keep_coming_while_the_delay_runs_then_stop)
{
    Frames f;
    NodeId button = f.add(NodeKind::Button);
    f.tree.node(button).extras_mut().tip = u"Подсказка";
    f.update();
    f.tree.hovered = Hovered { button, f.now };
    EXPECT_TRUE(f.update(100ms));
    EXPECT_TRUE(f.update(1000ms));
    EXPECT_FALSE(f.update(200ms));
    f.tree.node(button).extras_mut().tip.reset();
    f.tree.hovered = Hovered { button, f.now };
    EXPECT_FALSE(f.update(10ms));
}

TEST(FrameUpdate, timed_overlays_keep_frames_coming)
{
    Frames f;
    EXPECT_TRUE(frame_update(f.tree, { .now = f.now, .timed_overlays_visible = true }));
}

TEST(FrameUpdate, tree_cell_rectangles_follow_the_visible_rows)
{
    Frames f;
    TreeviewModel model;
    model.rows = { { .depth = 0, .text = u"a", .leaf = false, .open = false }, { .depth = 1, .text = u"b", .leaf = true },
        { .depth = 0, .text = u"c", .leaf = true } };
    NodeId view = f.add(NodeKind::Treeview, Model(NodeKind::Treeview, Boxed<TreeviewModel>(model)));
    f.tree.node(view).rect = { 10, 20, 300, 200 };
    f.update();
    CellRects const& rects = *f.tree.cell_rects;
    ASSERT_TRUE(rects.get(view, 0, 0));
    EXPECT_EQ(rects.get(view, 0, 0)->y, 20.0f);
    EXPECT_FALSE(rects.get(view, 1, 0)); // under a closed row
    EXPECT_EQ(rects.get(view, 2, 0)->y, 20.0f + 32.0f);
}
