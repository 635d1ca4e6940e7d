#include "core/window/decoration.hpp"

#include <gtest/gtest.h>

using namespace orvy;

TEST(FrameColor, number_signs_and_letter_case_do_not_matter)
{
    EXPECT_EQ(parse_frame_color("#1a2b3c"), 0x1A2B3Cu);
    EXPECT_EQ(parse_frame_color("##1A2B3C"), 0x1A2B3Cu);
    EXPECT_EQ(parse_frame_color("1a2b3c"), 0x1A2B3Cu);
}

TEST(FrameColor, only_the_first_six_characters_count)
{
    EXPECT_EQ(parse_frame_color("#11223344"), 0x112233u);
    EXPECT_EQ(parse_frame_color("#123456zz"), 0x123456u);
    EXPECT_EQ(parse_frame_color("#abc"), 0xABCu);
    EXPECT_EQ(parse_frame_color("+12345"), 0x12345u);
}

TEST(FrameColor, malformed_text_leaves_the_colour_absent)
{
    EXPECT_FALSE(parse_frame_color("zz"));
    EXPECT_FALSE(parse_frame_color(""));
    EXPECT_FALSE(parse_frame_color("###"));
    EXPECT_FALSE(parse_frame_color("+"));
    EXPECT_FALSE(parse_frame_color("-"));
    EXPECT_FALSE(parse_frame_color("-12"));
    EXPECT_FALSE(parse_frame_color("#12 456"));
    EXPECT_FALSE(parse_frame_color("\xD0\x9A\xD0\x9A"));
}
