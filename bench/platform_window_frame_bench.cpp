// One whole frame of a window as the loop runs it — frame update, layout and
// paint through the pipeline — for a 1,000-node tree at 1280 x 720.
#include "core/frame/window_core.hpp"
#include "platform/linux/cairo_canvas.hpp"
#include "platform/linux/image_decoder.hpp"
#include "platform/linux/pango_text_engine.hpp"
#include "tests/platform/form_tree.hpp"

#include <benchmark/benchmark.h>

#include <string>

using namespace orvy;

namespace {

constexpr std::uint32_t width = 1280;
constexpr std::uint32_t height = 720;

// With a screen reader listening, the loop also asks the window's accessible
// view for its changes after every painted frame.
void run_frames(benchmark::State& state, bool accessible)
{
    Tree tree;
    form::build(tree);
    StyleContext styles;
    WindowCore core(tree, styles, WindowLook {}, WindowCells {}, std::make_unique<linux_platform::PangoTextEngine>(),
        std::make_unique<linux_platform::LinuxImageDecoder>(), nullptr);
    core.resize({ width, height });
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    linux_platform::CairoCanvas canvas;
    AccessibleView* view = accessible ? core.accessible() : nullptr;
    auto frame = [&] {
        tree.layout_dirty = true; // every frame lays out again, as after a change
        canvas.begin(surface);
        core.paint(canvas);
        canvas.end();
        if (view)
            benchmark::DoNotOptimize(view->take_events());
    };
    frame(); // the first frame fills the text caches
    for (auto _ : state)
        frame();
    state.counters["nodes"] = static_cast<double>(tree.size());
    cairo_surface_destroy(surface);
}
void window_frame_1000_nodes(benchmark::State& state) { run_frames(state, false); }
void window_frame_1000_nodes_with_screen_reader(benchmark::State& state) { run_frames(state, true); }
BENCHMARK(window_frame_1000_nodes)->Unit(benchmark::kMillisecond);
BENCHMARK(window_frame_1000_nodes_with_screen_reader)->Unit(benchmark::kMillisecond);

}
