// The monitor a window is placed on and the part of the desktop's work area
// that falls on it, worked out by hand for two monitors side by side.
#include "platform/linux/detail/monitors.hpp"

#include <gtest/gtest.h>

using namespace orvy;
using namespace orvy::linux_platform::detail;

namespace {

// A 1920 × 1080 screen split into two halves; the right one is the primary.
std::vector<Monitor> const halves = {
    { { 0, 0, 960, 1080 }, false },
    { { 960, 0, 1920, 1080 }, true },
};

}

TEST(Monitors, the_primary_monitor_wins_over_the_first_and_the_first_stands_in_for_a_missing_primary)
{
    EXPECT_EQ(primary_monitor(halves), (RectI { 960, 0, 1920, 1080 }));
    std::vector<Monitor> unmarked = halves;
    unmarked[1].primary = false;
    EXPECT_EQ(primary_monitor(unmarked), (RectI { 0, 0, 960, 1080 }));
    EXPECT_EQ(primary_monitor({}), std::nullopt);
}

TEST(Monitors, a_window_goes_to_the_monitor_it_covers_most_or_else_the_closest)
{
    // 100 pixels on the left half, 300 on the right.
    EXPECT_EQ(nearest_monitor(halves, { 860, 100, 1260, 400 }), (RectI { 960, 0, 1920, 1080 }));
    EXPECT_EQ(nearest_monitor(halves, { 600, 100, 1000, 400 }), (RectI { 0, 0, 960, 1080 }));
    // Off every monitor: below the left half, and above and right of the right half.
    EXPECT_EQ(nearest_monitor(halves, { 100, 1200, 300, 1300 }), (RectI { 0, 0, 960, 1080 }));
    EXPECT_EQ(nearest_monitor(halves, { 2500, -400, 2600, -300 }), (RectI { 960, 0, 1920, 1080 }));
    // A window of no size still finds the monitor it sits on.
    EXPECT_EQ(nearest_monitor(halves, { 1500, 500, 1500, 500 }), (RectI { 960, 0, 1920, 1080 }));
    EXPECT_EQ(nearest_monitor({}, { 0, 0, 10, 10 }), std::nullopt);
}

TEST(Monitors, the_desktop_work_area_is_cut_to_the_monitor_and_never_leaves_it_empty)
{
    RectI right { 960, 0, 1920, 1080 };
    // A panel of 40 pixels along the bottom of the whole desktop.
    EXPECT_EQ(work_area_within(right, RectI { 0, 0, 1920, 1040 }), (RectI { 960, 0, 1920, 1040 }));
    EXPECT_EQ(work_area_within(right, std::nullopt), right);
    // A work area that misses the monitor (a stale property) leaves the monitor whole.
    EXPECT_EQ(work_area_within(right, RectI { 0, 0, 900, 1080 }), right);
    EXPECT_EQ(work_area_within(right, RectI { 0, 0, 960, 1080 }), right);
}
