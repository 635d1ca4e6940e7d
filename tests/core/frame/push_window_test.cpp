#include "core/frame/push_window.hpp"
#include "core/layout/layout.hpp"
#include "core/text/fixed_advance_text_engine.hpp"
#include "../window/fake_window.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <thread>

using namespace orvy;

namespace {

struct PushHarness {
    explicit PushHarness(PushLifetime lifetime)
    {
        build_push_tree(tree, PushContent { .title = u"Готово", .text = u"Файл сохранён" });
        core = std::make_unique<PushWindowCore>(tree, styles, WindowLook {}, WindowCells {},
            std::make_unique<FixedAdvanceTextEngine>(), nullptr, nullptr, lifetime);
        window.size = { 200, 150 };
        core->attached(window);
    }

    Tree tree;
    StyleContext styles;
    FakeWindow window;
    std::unique_ptr<PushWindowCore> core;
};

}

TEST(PushWindow, its_tree_is_a_frame_covering_the_window_with_the_title_above_the_text)
{
    Tree tree;
    PushContent content { .title = u"Готово", .text = u"Файл сохранён", .font_family = 3, .font_size = 18,
        .radius = 5, .padding = 12, .gap = 4 };
    content.background = { 1, 0, 0, 1 };
    content.foreground = { 0, 0, 1, 1 };
    build_push_tree(tree, content);
    ASSERT_EQ(tree.size(), 4u);
    Node const& frame = tree.node(1);
    EXPECT_EQ(frame.kind(), NodeKind::Frame);
    EXPECT_EQ(frame.styles.base().background, content.background);
    EXPECT_EQ(frame.styles.base().radius, 5.0f);
    for (NodeId id : { NodeId { 2 }, NodeId { 3 } }) {
        Style const& style = tree.node(id).styles.base();
        EXPECT_EQ(tree.node(id).kind(), NodeKind::Label);
        EXPECT_EQ(style.text_color, content.foreground);
        EXPECT_EQ(style.font_size, 18.0f);
        EXPECT_EQ(style.font_family, std::optional<std::uint16_t>(3));
    }
    EXPECT_EQ(tree.node(2).model.as<TextModel>()->text, u"Готово");
    EXPECT_EQ(tree.node(3).model.as<TextModel>()->text, u"Файл сохранён");

    layout(tree, { 0, 0, 200, 150 });
    EXPECT_EQ(tree.node(1).rect, (RectF { 0, 0, 200, 150 }));
    RectF title = tree.node(2).rect, text = tree.node(3).rect;
    EXPECT_EQ(title.x, 12.0f);
    EXPECT_EQ(title.y, 12.0f);
    EXPECT_EQ(title.h, 27.0f) << "one line of the 18-pixel font";
    EXPECT_FLOAT_EQ(text.y, title.y + title.h + 4);
    EXPECT_FLOAT_EQ(text.y + text.h, 150 - 12) << "the text takes the rest";
}

TEST(PushWindow, options_make_a_frameless_topmost_glass_window_that_takes_no_focus)
{
    WindowOptions options = push_window_options(240, 90, PointI { 5, 6 });
    WindowStyles styles = window_styles(options);
    EXPECT_EQ(styles.style, window_style::popup);
    EXPECT_EQ(styles.extended, window_style::no_redirection_bitmap | window_style::topmost | window_style::tool_window);
    EXPECT_TRUE(options.title.empty());
    EXPECT_EQ(options.width, 240);
    EXPECT_EQ(options.height, 90);
    EXPECT_EQ(options.position, (PointI { 5, 6 }));
    EXPECT_FALSE(options.takes_focus);
    EXPECT_EQ(options.tint, 0.0f);
    EXPECT_FALSE(options.blur);
}

TEST(PushStack, windows_stack_upwards_from_the_bottom_right_and_start_again_when_the_column_is_full)
{
    PushStack stack;
    RectI area { 0, 0, 1920, 1040 };
    auto first = stack.place(area, 200, 150);
    EXPECT_EQ(first.position, (PointI { 1704, 874 }));
    auto second = stack.place(area, 300, 150);
    EXPECT_EQ(second.position, (PointI { 1604, 716 }));
    // The lowest closing leaves the others where they are; the next goes on top.
    stack.release(first.slot);
    EXPECT_EQ(stack.place(area, 200, 150).position, (PointI { 1704, 558 }));

    PushStack short_column;
    RectI low { 0, 100, 800, 500 };
    EXPECT_EQ(short_column.place(low, 200, 150).position.y, 334);
    EXPECT_EQ(short_column.place(low, 200, 150).position.y, 176);
    EXPECT_EQ(short_column.place(low, 200, 150).position.y, 334) << "no room above: back to the bottom";
}

TEST(PushWindowCore, it_asks_to_close_once_when_its_time_is_up)
{
    PushHarness h({ .seconds = 0.0f });
    EXPECT_TRUE(h.core->has_app_timers());
    h.core->frame_update();
    h.core->frame_update();
    EXPECT_EQ(h.window.close_requests, 1);
    EXPECT_FALSE(h.core->has_app_timers()) << "a closing window lets its timer stop";
}

TEST(PushWindowCore, a_click_closes_it_unless_clicks_are_off_and_its_time_counts_from_showing)
{
    PushHarness clicked({ .seconds = 60.0f });
    clicked.core->frame_update();
    EXPECT_EQ(clicked.window.close_requests, 0);
    clicked.core->left_up();
    EXPECT_EQ(clicked.window.close_requests, 0) << "a release without a press is no click";
    clicked.core->left_down(20, 20);
    clicked.core->left_up();
    EXPECT_EQ(clicked.window.close_requests, 1);

    PushHarness kept({ .seconds = 0.05f, .close_on_click = false });
    kept.core->left_down(20, 20);
    kept.core->left_up();
    EXPECT_EQ(kept.window.close_requests, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    kept.core->frame_update();
    EXPECT_EQ(kept.window.close_requests, 1);

    PushHarness forever({ .seconds = INFINITY });
    forever.core->frame_update();
    EXPECT_EQ(forever.window.close_requests, 0);
    EXPECT_FALSE(forever.core->has_app_timers()) << "without a deadline the window idles";
}
