// One keystroke into a multi-line text field as the window handles it: the
// character reaches the focused field through the window core, then the
// frame is painted (frame update, caret scroll, the field's visible lines).
// Fields of 1,000, 10,000 and 100,000 lines show whether the cost follows the
// text or only what is in view.
#include "core/frame/window_core.hpp"
#include "core/input/keyboard.hpp"
#include "platform/linux/cairo_canvas.hpp"
#include "platform/linux/image_decoder.hpp"
#include "platform/linux/pango_text_engine.hpp"

#include <benchmark/benchmark.h>

#include <string>

using namespace orvy;

namespace {

constexpr std::uint32_t width = 1280;
constexpr std::uint32_t height = 720;

std::u16string lines_of_text(std::int64_t count)
{
    std::u16string text;
    for (std::int64_t i = 0; i < count; ++i) {
        if (i)
            text += u'\n';
        text += u"Line ";
        for (char c : std::to_string(i))
            text.push_back(static_cast<char16_t>(c));
        text += u": the quick brown fox jumps over the lazy dog";
    }
    return text;
}

// Types into the middle of the text (the caret starts at the middle line),
// or at its end: lines of 56 characters, each ended by Enter, so the typed
// paragraph stays as long as a typist's line however many keys are timed.
enum class Keys : std::uint8_t { Lines, Enter };

void keystroke(benchmark::State& state, bool at_end, Keys keys = Keys::Lines)
{
    Tree tree;
    TextboxModel field;
    field.text = lines_of_text(state.range(0));
    field.caret = field.anchor = at_end ? field.text.size() : field.text.size() / 2;
    NodeId box = tree.append(tree.root, Model(NodeKind::Textbox, Boxed<TextboxModel>(std::move(field))), { .grow = 1 });
    tree.node(box).multiline = true;
    StyleContext styles;
    WindowCore core(tree, styles, WindowLook {}, WindowCells {}, std::make_unique<linux_platform::PangoTextEngine>(),
        std::make_unique<linux_platform::LinuxImageDecoder>(), nullptr);
    core.resize({ width, height });
    core.pointer().set_focus(box);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    linux_platform::CairoCanvas canvas;
    auto frame = [&] {
        canvas.begin(surface);
        core.paint(canvas);
        canvas.end();
    };
    frame(); // lays out and fills the text caches
    char16_t const typed[] = u"typing ";
    std::size_t next = 0;
    for (auto _ : state) {
        if (keys == Keys::Enter || ++next % 57 == 0)
            core.key_down(virtual_key::enter);
        else
            core.character(typed[next % 7]);
        frame();
    }
    state.counters["lines"] = static_cast<double>(state.range(0));
    cairo_surface_destroy(surface);
}

void keystroke_in_the_middle(benchmark::State& state) { keystroke(state, false); }
void keystroke_at_the_end(benchmark::State& state) { keystroke(state, true); }
// Every key an Enter in the middle: a paragraph made each time.
void enter_in_the_middle(benchmark::State& state) { keystroke(state, false, Keys::Enter); }

BENCHMARK(keystroke_in_the_middle)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(keystroke_at_the_end)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(enter_in_the_middle)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

}
