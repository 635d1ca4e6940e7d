// The painters' own cost, without pixels: the gallery tree and a table of
// 1k and 100k rows painted into a canvas that draws nothing, with the
// deterministic text engine.
#include "core/layout/layout.hpp"
#include "core/paint/overlays.hpp"
#include "core/text/fixed_advance_text_engine.hpp"
#include "tests/platform/gallery_tree.hpp"

#include <benchmark/benchmark.h>

using namespace orvy;

namespace {

// Counts the calls so the painting cannot be optimised away.
class CountingCanvas final : public Canvas {
public:
    void clear(Color) override { ++calls; }
    void fill_rect(RectF, Color) override { ++calls; }
    void stroke_rect(RectF, Color, float) override { ++calls; }
    void fill_rounded_rect(RectF, float, Color) override { ++calls; }
    void stroke_rounded_rect(RectF, float, Color, float) override { ++calls; }
    void fill_ellipse(RectF, Color) override { ++calls; }
    void stroke_ellipse(RectF, Color, float) override { ++calls; }
    void draw_line(PointF, PointF, Color, float) override { ++calls; }
    void stroke_polyline(std::span<PointF const>, PathShape, Color, float) override { ++calls; }
    void fill_polygon(std::span<PointF const>, Color) override { ++calls; }
    void fill_gradient(RectF, float, LinearGradient const&) override { ++calls; }
    void push_clip(RectF) override { ++calls; }
    void pop_clip() override { ++calls; }
    void draw_text(TextLayout const&, PointF, Color) override { ++calls; }
    void draw_bitmap(Bitmap const&, RectF) override { ++calls; }

    std::size_t calls = 0;
};

struct Painter {
    Painter()
    {
        context.viewport_width = 1280;
        context.viewport_height = 720;
        context.text = &text;
        context.formats = make_frame_formats(text, 0, 20);
        context.now = Clock::now();
    }
    void paint(Tree const& tree)
    {
        paint_tree(canvas, context, tree);
        paint_overlays(canvas, context, tree, overlays);
    }
    FixedAdvanceTextEngine text;
    CountingCanvas canvas;
    OverlayState overlays;
    PaintContext context;
};

void painters_gallery(benchmark::State& state)
{
    Tree tree;
    gallery::build(tree);
    layout_pass(tree, { 0, 0, 1280, 720 });
    Painter painter;
    for (auto _ : state)
        painter.paint(tree);
    benchmark::DoNotOptimize(painter.canvas.calls);
}

void painters_table(benchmark::State& state)
{
    Tree tree;
    TableModel model;
    model.columns.titles = { u"A", u"B", u"C" };
    auto rows = static_cast<std::size_t>(state.range(0));
    for (std::size_t i = 0; i < rows; ++i)
        model.rows.push_back({ u"a", u"b", u"c" });
    model.scroll = static_cast<float>(rows / 2) * table_row_height;
    tree.append(tree.root, Model(NodeKind::Table, Boxed<TableModel>(std::move(model))));
    layout_pass(tree, { 0, 0, 1280, 720 });
    Painter painter;
    for (auto _ : state)
        painter.paint(tree);
    benchmark::DoNotOptimize(painter.canvas.calls);
}

}

BENCHMARK(painters_gallery)->Unit(benchmark::kMicrosecond);
BENCHMARK(painters_table)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);
