// One whole frame of a window as the loop runs it — frame update, layout and
// paint through the pipeline — for a 1,000-node tree at 1280 x 720.
#include "core/frame/window_core.hpp"
#include "platform/linux/cairo_canvas.hpp"
#include "platform/linux/image_decoder.hpp"
#include "platform/linux/pango_text_engine.hpp"

#include <benchmark/benchmark.h>

#include <string>

using namespace orvy;

namespace {

constexpr std::uint32_t width = 1280;
constexpr std::uint32_t height = 720;

// 100 rows of ten nodes: a row box with a label, a button, a check box, a
// slider, a progress bar, a text field, a switch, a badge and a separator.
void build_form(Tree& tree)
{
    NodeId scroll = tree.append(tree.root, Model(NodeKind::Scroll), { .pd = 8, .gp = 4 });
    for (int i = 0; i < 100; ++i) {
        NodeId row = tree.append(scroll, Model(NodeKind::Frame), { .h = 36, .gp = 8, .axis = Axis::Horizontal });
        std::u16string n(u"Row ");
        for (char c : std::to_string(i))
            n.push_back(static_cast<char16_t>(c));
        tree.append(row, Model(NodeKind::Label, TextModel { .text = n }), { .w = 120 });
        tree.append(row, Model(NodeKind::Button, ButtonModel { .caption = u"Go" }), { .w = 80 });
        tree.append(row, Model(NodeKind::Checkbox, ToggleModel { .on = i % 2 == 0 }), { .w = 30 });
        tree.append(row, Model(NodeKind::Slider, ValueModel { .value = 0.5f }), { .grow = 1 });
        tree.append(row, Model(NodeKind::Progress, ValueModel { .value = 0.3f }), { .w = 120 });
        tree.append(row, Model(NodeKind::Textbox), { .w = 160 });
        tree.append(row, Model(NodeKind::Switch, ToggleModel { .on = true }), { .w = 60 });
        tree.append(row, Model(NodeKind::Badge, TextModel { .text = u"7" }), { .w = 30 });
        tree.append(row, Model(NodeKind::Separator), { .w = 10 });
    }
}

void window_frame_1000_nodes(benchmark::State& state)
{
    Tree tree;
    build_form(tree);
    StyleContext styles;
    WindowCore core(tree, styles, WindowLook {}, WindowCells {}, std::make_unique<linux_platform::PangoTextEngine>(),
        std::make_unique<linux_platform::LinuxImageDecoder>(), nullptr);
    core.resize({ width, height });
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    linux_platform::CairoCanvas canvas;
    auto frame = [&] {
        tree.layout_dirty = true; // every frame lays out again, as after a change
        canvas.begin(surface);
        core.paint(canvas);
        canvas.end();
    };
    frame(); // the first frame fills the text caches
    for (auto _ : state)
        frame();
    state.counters["nodes"] = static_cast<double>(tree.size());
    cairo_surface_destroy(surface);
}
BENCHMARK(window_frame_1000_nodes)->Unit(benchmark::kMillisecond);

}
