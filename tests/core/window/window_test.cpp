#include "core/window/window.hpp"

#include <gtest/gtest.h>

using namespace orvy;

TEST(WindowStyles, the_default_main_window_has_every_caption_button_and_a_sizing_border)
{
    EXPECT_EQ(window_styles(WindowOptions {}), (WindowStyles { 0x00CF0000, 0 }));
}

TEST(WindowStyles, sub_windows_lose_the_close_button_only_without_other_buttons)
{
    WindowOptions options = WindowOptions::sub_window();
    EXPECT_EQ(window_styles(options).style, 0x00CC0000u);
    options.closebox = false;
    EXPECT_EQ(window_styles(options).style, 0x00C40000u);
    options.resizable = false;
    EXPECT_EQ(window_styles(options).style, 0x00C00000u);
    options.maxbox = true;
    EXPECT_EQ(window_styles(options).style, 0x00C90000u);
    EXPECT_TRUE(window_styles(options).has_close_button());
}

TEST(WindowStyles, frameless_windows_are_tool_popups_whatever_the_buttons)
{
    WindowOptions options;
    options.frameless = true;
    options.topmost = true;
    EXPECT_EQ(window_styles(options), (WindowStyles { 0x80000000, 0x00000088 }));
    options.closebox = false;
    options.resizable = false;
    EXPECT_EQ(window_styles(options), (WindowStyles { 0x80000000, 0x00000088 }));
    EXPECT_FALSE(window_styles(options).has_caption());
}

TEST(WindowStyles, glass_only_adds_its_extended_bit)
{
    WindowOptions options;
    options.glass = true;
    EXPECT_EQ(window_styles(options), (WindowStyles { 0x00CF0000, 0x00200000 }));
}

TEST(WindowPlacement, centring_uses_the_outer_size_and_truncates_toward_zero)
{
    WindowOptions options;
    options.width = 400;
    options.height = 300;
    options.center = CenterMode::Screen;
    EXPECT_EQ(initial_position(options, { 0, 0, 1920, 1040 }), (PointI { 760, 370 }));
    // A work area narrower than the window gives a negative offset; -25 / 2 is -12.
    EXPECT_EQ(initial_position(options, { 0, 0, 375, 300 }), (PointI { -12, 0 }));
    EXPECT_EQ(initial_position(options, { 100, 50, 601, 351 }), (PointI { 150, 50 }));
}

TEST(WindowPlacement, the_reference_rectangle_depends_on_the_mode_and_the_owner)
{
    WindowOptions options;
    EXPECT_FALSE(placement_reference(options));
    EXPECT_FALSE(initial_position(options, { 0, 0, 1920, 1080 }));

    options.center = CenterMode::Parent;
    EXPECT_EQ(placement_reference(options), PlacementReference::PrimaryWorkArea);
    options.owner = 7;
    EXPECT_EQ(placement_reference(options), PlacementReference::OwnerWindow);
    options.center = CenterMode::Screen;
    EXPECT_EQ(placement_reference(options), PlacementReference::OwnerWorkArea);

    options.position = PointI { -5, 9 };
    EXPECT_FALSE(placement_reference(options));
    EXPECT_EQ(initial_position(options, {}), (PointI { -5, 9 }));
}

TEST(WindowPlacement, centre_words)
{
    EXPECT_EQ(parse_center_mode("screen"), CenterMode::Screen);
    EXPECT_EQ(parse_center_mode("parent"), CenterMode::Parent);
    EXPECT_EQ(parse_center_mode("Screen"), CenterMode::None);
}

TEST(CaptionColors, red_and_blue_bytes_change_places)
{
    static_assert(colorref_from_rgb(0x112233) == 0x332211);
    static_assert(colorref_from_rgb(0xFF0000) == 0x0000FF);
    static_assert(rgb_from_colorref(colorref_from_rgb(0xABCDEF)) == 0xABCDEF);
}

TEST(FrameTimer, stops_on_the_ninth_quiet_tick)
{
    FrameTimer timer;
    for (int i = 0; i < 8; ++i)
        EXPECT_FALSE(timer.tick(false, false).stop);
    EXPECT_TRUE(timer.tick(false, false).stop);
    EXPECT_FALSE(timer.running());
}

TEST(FrameTimer, a_change_resets_the_count_and_asks_for_a_repaint)
{
    FrameTimer timer;
    for (int i = 0; i < 8; ++i)
        timer.tick(false, false);
    auto result = timer.tick(true, false);
    EXPECT_TRUE(result.repaint);
    EXPECT_EQ(timer.idle_ticks(), 0u);
    for (int i = 0; i < 8; ++i)
        EXPECT_FALSE(timer.tick(false, false).stop);
}

TEST(FrameTimer, app_timers_keep_it_running_and_wake_or_paint_restart_it)
{
    FrameTimer timer;
    for (int i = 0; i < 50; ++i)
        EXPECT_FALSE(timer.tick(false, true).stop);
    EXPECT_TRUE(timer.tick(false, false).stop);
    EXPECT_TRUE(timer.wake());
    EXPECT_TRUE(timer.running());
    EXPECT_FALSE(timer.paint()); // already running: not started twice
    for (int i = 0; i < 8; ++i)
        timer.tick(false, false);
    EXPECT_TRUE(timer.tick(false, false).stop);
    EXPECT_TRUE(timer.paint());
    EXPECT_EQ(timer.idle_ticks(), 0u);
}
