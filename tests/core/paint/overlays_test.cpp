#include "tests/core/paint/paint_fixture.hpp"

using namespace orvy;

namespace {

using Overlays = PaintTest;

Toast toast(ToastCorner corner, bool message_only)
{
    Toast made;
    made.corner = corner;
    made.message_only = message_only;
    made.message = u"сообщение";
    return made;
}

}

TEST(ToastPlacement, toasts_of_one_corner_stack_away_from_its_edge_in_list_order)
{
    std::vector<Toast> toasts;
    toasts.push_back(toast(ToastCorner::TopRight, false));
    toasts.push_back(toast(ToastCorner::BottomCenter, true));
    toasts.push_back(toast(ToastCorner::TopRight, false));
    toasts.push_back(toast(ToastCorner::BottomLeft, true));
    toasts.push_back(toast(ToastCorner::BottomCenter, true));
    toasts.push_back(toast(ToastCorner::BottomCenter, false)); // titled: counts as top right
    auto placed = place_toasts(toasts, 1280, 720);
    ASSERT_EQ(placed.size(), 6u);
    EXPECT_EQ(placed[0].box, (RectF { 940, 20, 320, 76 }));
    EXPECT_EQ(placed[0].button, (RectF { 1160, 62, 86, 26 }));
    EXPECT_EQ(placed[1].box, (RectF { 410, 636, 460, 56 }));
    EXPECT_EQ(placed[1].button, (RectF { 760, 646, 96, 36 }));
    EXPECT_EQ(placed[2].box, (RectF { 940, 106, 320, 76 }));
    EXPECT_EQ(placed[3].box, (RectF { 20, 644, 320, 56 }));
    EXPECT_EQ(placed[4].box.y, 636 - 66);
    EXPECT_EQ(placed[5].box, (RectF { 940, 192, 320, 76 }));
    // A narrow window shrinks the width to W − 40.
    EXPECT_EQ(place_toasts(std::span(toasts).first(2), 300, 400)[1].box, (RectF { 20, 316, 260, 56 }));
    EXPECT_EQ(toast_at(placed, { 1000, 120 }), 2u);
    EXPECT_FALSE(toast_at(placed, { 600, 20 }));
}

TEST(ToastPlacement, corner_names_match_two_exact_characters)
{
    EXPECT_EQ(parse_toast_corner("br"), ToastCorner::BottomRight);
    EXPECT_EQ(parse_toast_corner("tl"), ToastCorner::TopLeft);
    EXPECT_EQ(parse_toast_corner("xx"), ToastCorner::BottomCenter);
    EXPECT_EQ(parse_toast_corner("TR"), ToastCorner::BottomCenter);
    EXPECT_EQ(parse_toast_corner(""), ToastCorner::BottomCenter);
}

TEST(OverlayExpiry, notifications_and_toasts_leave_when_their_time_is_up)
{
    Instant start = Clock::now();
    OverlayState state;
    state.notification = Notification { u"n", start + std::chrono::seconds(1) };
    Toast timed = toast(ToastCorner::TopLeft, true);
    timed.start = start;
    timed.lifetime = 2;
    Toast lasting = toast(ToastCorner::TopLeft, true);
    lasting.lifetime = 0;
    state.toasts.push_back(std::move(timed));
    state.toasts.push_back(std::move(lasting));
    EXPECT_TRUE(state.expire(start + std::chrono::milliseconds(500)));
    EXPECT_EQ(state.toasts.size(), 2u);
    EXPECT_TRUE(state.expire(start + std::chrono::seconds(3)));
    EXPECT_FALSE(state.notification);
    ASSERT_EQ(state.toasts.size(), 1u);
    EXPECT_EQ(state.toasts[0].lifetime, 0);
    EXPECT_NEAR(notification_alpha(start + std::chrono::milliseconds(175), start), 0.5f, 1e-3f);
    EXPECT_EQ(notification_alpha(start, start + std::chrono::seconds(1)), 0);
    EXPECT_EQ(notification_alpha(start + std::chrono::seconds(9), start), 1);
}

TEST(OverlayExpiry, a_button_toast_becomes_the_notification_for_the_tree_toast_time)
{
    Tree tree;
    OverlayState state;
    Instant now = Clock::now();
    EXPECT_FALSE(state.take_notification(tree, now));
    tree.toast_text = u"Сохранено";
    EXPECT_TRUE(state.take_notification(tree, now));
    ASSERT_TRUE(state.notification);
    EXPECT_EQ(state.notification->message, u"Сохранено");
    EXPECT_TRUE(tree.toast_text.empty());
    EXPECT_NEAR(std::chrono::duration<float>(state.notification->end - now).count(), 2.5f, 1e-3f);
    EXPECT_TRUE(state.expire(now + std::chrono::seconds(2)));
    EXPECT_FALSE(state.expire(now + std::chrono::seconds(3)));
}

TEST(DialogGeometry, buttons_share_one_row_sixteen_pixels_apart)
{
    RectF panel = dialog_panel(1280, 720);
    EXPECT_EQ(panel, (RectF { 420, 250, 440, 220 }));
    EXPECT_EQ(dialog_button(panel, 0, 1), (RectF { 436, 410, 408, 44 }));
    float w = (440.0f - 4 * 16) / 3;
    RectF third = dialog_button(panel, 2, 3);
    EXPECT_FLOAT_EQ(third.x, 436 + 2 * (w + 16));
    EXPECT_FLOAT_EQ(third.w, w);
    EXPECT_EQ(dialog_button_at(panel, 3, { third.x + 1, third.y + 1 }), 2u);
    EXPECT_FALSE(dialog_button_at(panel, 3, { third.x - 8, third.y + 1 }));
}

TEST(TooltipGeometry, the_box_follows_the_pointer_and_stays_inside_the_window)
{
    EXPECT_EQ(tooltip_box({ 100, 100 }, { 80, 20 }, 12, 5, 800, 600), (RectF { 114, 122, 104, 30 }));
    EXPECT_EQ(tooltip_box({ 780, 590 }, { 80, 20 }, 12, 5, 800, 600), (RectF { 690, 564, 104, 30 }));
    EXPECT_EQ(tooltip_box({ 10, 10 }, { 900, 700 }, 12, 5, 800, 600), (RectF { 4, 4, 924, 710 }));
}

TEST_F(Overlays, the_open_dropdown_lists_its_items_below_and_highlights_the_row_under_the_pointer)
{
    NodeId dropdown = add(NodeKind::Dropdown, ChoiceModel { { u"a", u"b", u"c" }, 0 }, { 100, 50, 200, 40 });
    tree.open_dropdown = dropdown;
    context.pointer = { 150, 90 + 40 + 10 };
    paint_overlays(canvas, context, tree, {});
    auto panels = fills();
    ASSERT_EQ(panels.size(), 2u);
    EXPECT_EQ(panels[0].rect, (RectF { 100, 90, 200, 120 }));
    EXPECT_EQ(panels[0].radius, 8);
    EXPECT_EQ(panels[1].rect, (RectF { 103, 132, 194, 36 }));
    EXPECT_EQ(panels[1].radius, 5);
    EXPECT_EQ(panels[1].color, palette().selection());
    EXPECT_EQ(canvas.texts(), (std::vector<Text> { u"a", u"b", u"c" }));
    EXPECT_EQ(canvas.of(DrawOp::DrawText)[0].rect, (RectF { 112, 90, 176, 40 }));
}

TEST_F(Overlays, a_dialog_draws_shade_panel_focus_ring_and_the_last_button_as_primary)
{
    OverlayState state;
    state.dialog = Dialog { u"Заголовок", u"Текст", { u"Ок" } };
    state.dialog->focused_button = 0;
    paint_overlays(canvas, context, tree, state);
    auto shade = canvas.of(DrawOp::FillRect);
    ASSERT_EQ(shade.size(), 1u);
    EXPECT_EQ(shade[0].rect, (RectF { 0, 0, 800, 600 }));
    EXPECT_EQ(shade[0].color, (Color { 0, 0, 0, 0.5f }));
    auto shapes = fills();
    ASSERT_EQ(shapes.size(), 3u);
    EXPECT_EQ(shapes[0].rect, (RectF { 180, 190, 440, 220 }));
    EXPECT_EQ(shapes[0].radius, 14);
    EXPECT_EQ(shapes[1].rect, (RectF { 193, 347, 414, 50 }));
    EXPECT_EQ(shapes[1].radius, 13);
    EXPECT_EQ(shapes[2].rect, (RectF { 196, 350, 408, 44 }));
    EXPECT_EQ(shapes[2].color, palette().accent());
    context.pointer = { 300, 360 };
    canvas.reset();
    paint_overlays(canvas, context, tree, state);
    EXPECT_EQ(fills()[2].color, palette().accent_hover());
}

TEST_F(Overlays, the_tooltip_waits_for_the_rest_time_and_hides_under_a_dialog)
{
    NodeId button = add(NodeKind::Button, ButtonModel { u"b" }, { 0, 0, 50, 30 });
    tree.node(button).extras_mut().tip = u"подсказка";
    tree.hovered = Hovered { button, context.now - std::chrono::milliseconds(500) };
    paint_overlays(canvas, context, tree, {});
    EXPECT_TRUE(canvas.commands().empty());
    tree.hovered->since = context.now - std::chrono::milliseconds(700);
    context.pointer = { 20, 20 };
    paint_overlays(canvas, context, tree, {});
    ASSERT_EQ(fills().size(), 1u);
    EXPECT_EQ(fills()[0].color, palette().text());
    EXPECT_EQ(fills()[0].radius, 6);
    // Heading format: 24 px, 12 px per unit in the fixed-advance engine.
    EXPECT_EQ(fills()[0].rect, (RectF { 34, 42, 9 * 12 + 24, 30 + 10 }));
    OverlayState with_dialog;
    with_dialog.dialog = Dialog {};
    canvas.reset();
    paint_overlays(canvas, context, tree, with_dialog);
    EXPECT_TRUE(canvas.texts().empty() || canvas.texts().front() != u"подсказка");
}

TEST_F(Overlays, hints_show_in_empty_text_boxes_only)
{
    TextboxModel empty;
    empty.placeholder = u"Имя";
    TextboxModel filled = empty;
    filled.text = u"Анна";
    NodeId single = add(NodeKind::Textbox, Boxed<TextboxModel>(empty), { 10, 10, 200, 40 });
    add(NodeKind::Textbox, Boxed<TextboxModel>(filled), { 10, 60, 200, 40 });
    NodeId multi = add(NodeKind::Textbox, Boxed<TextboxModel>(empty), { 10, 110, 200, 80 });
    tree.node(multi).multiline = true;
    paint_overlays(canvas, context, tree, {});
    auto hints = canvas.of(DrawOp::DrawText);
    ASSERT_EQ(hints.size(), 2u);
    EXPECT_EQ(hints[0].rect, (RectF { 22, 10, 176, 40 }));
    EXPECT_EQ(hints[1].rect, (RectF { 20, 116, 180, 28 }));
    EXPECT_EQ(hints[0].color, palette().border());
    (void)single;
}

TEST_F(Overlays, the_inspector_labels_the_hovered_node_with_its_kind_and_size)
{
    NodeId slider = add(NodeKind::Slider, ValueModel {}, { 40, 10, 120.6f, 24.2f });
    context.hover = slider;
    OverlayState state;
    state.inspector = true;
    paint_overlays(canvas, context, tree, state);
    ASSERT_EQ(fills().size(), 1u);
    EXPECT_EQ(fills()[0].rect, (RectF { 40, 0, 240, 22 }));
    EXPECT_EQ(fills()[0].color, (Color { 0, 0, 0, 0.85f }));
    EXPECT_EQ(canvas.texts(), (std::vector<Text> { u"slider 120x24" }));
}
