#include "core/paint/recording_canvas.hpp"
#include "core/text/fixed_advance_text_engine.hpp"

#include <gtest/gtest.h>

using namespace orvy;

TEST(RecordingCanvas, records_texts_with_their_box_and_the_clip_depth)
{
    FixedAdvanceTextEngine engine;
    auto format = engine.format(text_format_key(TextRole::Title, 0, 20));
    RecordingCanvas canvas;
    canvas.push_clip({ 0, 0, 50, 50 });
    canvas.draw_text(*engine.layout(u"Ок", *format, 80, 30), { 5, 6 }, Color { 1, 0, 0, 1 });
    canvas.pop_clip();
    canvas.pop_clip();

    auto texts = canvas.of(DrawOp::DrawText);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, u"Ок");
    EXPECT_EQ(texts[0].rect, (RectF { 5, 6, 80, 30 }));
    EXPECT_EQ(texts[0].font_size, 24.0f);
    EXPECT_EQ(texts[0].font_weight, 600);
    EXPECT_EQ(texts[0].clip_depth, 1u);
    EXPECT_EQ(canvas.clip_depth(), 0u);
    EXPECT_EQ(canvas.unmatched_pops(), 1u);
}

TEST(Gradient, each_direction_runs_across_the_rectangle)
{
    RectF rect { 10, 20, 100, 50 };
    Color a { 1, 0, 0, 1 }, b { 0, 0, 1, 1 };
    auto line = [&](GradientDirection direction) {
        LinearGradient gradient = gradient_across(rect, direction, a, b);
        return std::array<float, 4> { gradient.start.x, gradient.start.y, gradient.end.x, gradient.end.y };
    };
    EXPECT_EQ(line(GradientDirection::Default), (std::array<float, 4> { 10, 20, 10, 70 }));
    EXPECT_EQ(line(GradientDirection::Horizontal), (std::array<float, 4> { 10, 20, 110, 20 }));
    EXPECT_EQ(line(GradientDirection::Diagonal), (std::array<float, 4> { 10, 20, 110, 70 }));
    EXPECT_EQ(line(GradientDirection::DiagonalUp), (std::array<float, 4> { 10, 70, 110, 20 }));
}
