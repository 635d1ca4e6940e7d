// Painting for real with Cairo and Pango at 1280 x 720: a full repaint of
// the gallery tree (every widget kind), and a frame of a table with 1k and
// with 100k rows, whose cost must not grow with the row count.
#include "core/layout/layout.hpp"
#include "core/paint/overlays.hpp"
#include "platform/linux/cairo_canvas.hpp"
#include "platform/linux/image_decoder.hpp"
#include "platform/linux/pango_text_engine.hpp"
#include "tests/platform/gallery_tree.hpp"

#include <benchmark/benchmark.h>

using namespace orvy;

namespace {

constexpr int width = 1280;
constexpr int height = 720;

struct Frame {
    Frame() : surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height))
    {
        context.viewport_width = width;
        context.viewport_height = height;
        context.palette = palette_of(ThemeId::Dark);
        context.text = &text;
        context.formats = make_frame_formats(text, 0, 20);
        context.images = &images;
        context.now = Clock::now();
    }
    ~Frame() { cairo_surface_destroy(surface); }

    void paint(Tree const& tree)
    {
        canvas.begin(surface);
        canvas.clear(context.palette.background());
        paint_tree(canvas, context, tree);
        paint_overlays(canvas, context, tree, overlays);
        canvas.end();
    }

    cairo_surface_t* surface;
    linux_platform::PangoTextEngine text;
    linux_platform::CairoCanvas canvas;
    ImageCache images;
    OverlayState overlays;
    PaintContext context;
};

void gallery_repaint_1280x720(benchmark::State& state)
{
    Tree tree;
    gallery::build(tree);
    layout_pass(tree, { 0, 0, width, height });
    Frame frame;
    frame.paint(tree); // the first frame fills the text caches
    for (auto _ : state)
        frame.paint(tree);
}

Tree table_tree(std::size_t rows)
{
    Tree tree;
    TableModel model;
    model.columns.titles = { u"Номер", u"Имя", u"Размер", u"Тип" };
    model.rows.reserve(rows, rows * 4, rows * 24);
    for (std::size_t i = 0; i < rows; ++i) {
        std::string number = std::to_string(i);
        model.rows.push_back({ std::u16string(number.begin(), number.end()), u"файл", u"12 КБ", u"текст" });
    }
    model.scroll = static_cast<float>(rows / 2) * table_row_height;
    model.row_line = 1;
    tree.append(tree.root, Model(NodeKind::Table, Boxed<TableModel>(std::move(model))));
    layout_pass(tree, { 0, 0, width, height });
    return tree;
}

void table_frame(benchmark::State& state)
{
    Tree tree = table_tree(static_cast<std::size_t>(state.range(0)));
    Frame frame;
    frame.paint(tree);
    for (auto _ : state)
        frame.paint(tree);
}

// The first frame of the peers' 10,000-row table: a new text engine, so
// every visible cell is laid out afresh (the fonts themselves stay loaded
// in the process after the first iteration).
void table_first_frame(benchmark::State& state)
{
    Tree tree;
    TableModel model;
    model.columns.titles = { u"Column 0", u"Column 1", u"Column 2", u"Column 3" };
    for (std::size_t i = 0; i < 10000; ++i) {
        std::u16string row[4];
        for (std::size_t c = 0; c < 4; ++c) {
            std::string text = "r" + std::to_string(i) + " c" + std::to_string(c);
            row[c] = std::u16string(text.begin(), text.end());
        }
        model.rows.push_back({ row[0], row[1], row[2], row[3] });
    }
    tree.append(tree.root, Model(NodeKind::Table, Boxed<TableModel>(std::move(model))));
    layout_pass(tree, { 0, 0, width, height });
    for (auto _ : state) {
        Frame frame;
        frame.paint(tree);
    }
}

}

BENCHMARK(gallery_repaint_1280x720)->Unit(benchmark::kMillisecond);
BENCHMARK(table_frame)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(table_first_frame)->Unit(benchmark::kMillisecond);
