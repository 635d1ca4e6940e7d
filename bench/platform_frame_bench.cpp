// The Linux backend's frame costs: Pango layout creation against a cache
// hit, and painting plus presenting a 1280 x 720 window (needs an X server,
// for example under xvfb-run).
#include "core/paint/canvas.hpp"
#include "platform/linux/pango_text_engine.hpp"
#include "platform/linux/x11_host.hpp"

#include <benchmark/benchmark.h>

#include <string>

using namespace orvy;

static void pango_layout_created(benchmark::State& state)
{
    linux_platform::PangoTextEngine engine;
    auto format = engine.format(text_format_key(TextRole::Body, 0, 20));
    std::size_t i = 0;
    for (auto _ : state) {
        std::string ascii = "Label number " + std::to_string(i++);
        std::u16string text(ascii.begin(), ascii.end());
        benchmark::DoNotOptimize(engine.layout(text, *format, 240, 32));
        if (engine.cached_layouts() > 4000)
            engine.clear_caches();
    }
}
BENCHMARK(pango_layout_created);

static void pango_layout_cache_hit(benchmark::State& state)
{
    linux_platform::PangoTextEngine engine;
    auto format = engine.format(text_format_key(TextRole::Body, 0, 20));
    engine.layout(u"Label number 12", *format, 240, 32);
    for (auto _ : state)
        benchmark::DoNotOptimize(engine.layout(u"Label number 12", *format, 240, 32));
}
BENCHMARK(pango_layout_cache_hit);

namespace {

// A frame of a busy form: 60 rounded boxes with a label each.
class FormHandlers final : public WindowHandlers {
public:
    void paint(Canvas& canvas) override
    {
        canvas.clear(Color { 0.1f, 0.1f, 0.12f, 1 });
        auto format = m_text.format(text_format_key(TextRole::Title, 0, 20));
        for (int i = 0; i < 60; ++i) {
            RectF box { 20.0f + (i % 6) * 205.0f, 20.0f + (i / 6) * 68.0f, 190, 52 };
            canvas.fill_rounded_rect(box, 10, Color { 0.2f, 0.45f, 0.9f, 1 });
            canvas.draw_text(*m_text.layout(u"Кнопка " + std::u16string(1, char16_t(u'0' + i % 10)), *format, box.w,
                                 box.h),
                { box.x, box.y }, Color { 1, 1, 1, 1 });
        }
    }

private:
    linux_platform::PangoTextEngine m_text;
};

}

static void paint_and_present_1280x720(benchmark::State& state)
{
    linux_platform::X11Host host;
    WindowOptions options;
    options.position = PointI { 0, 0 };
    WindowCreation made = host.create_window(options, {}, std::make_unique<FormHandlers>());
    if (!made.window) {
        state.SkipWithError(("no window: " + made.error).c_str());
        return;
    }
    auto* window = static_cast<linux_platform::X11Window*>(made.window);
    host.serve_once(std::chrono::milliseconds(50));
    double present = 0;
    for (auto _ : state) {
        window->invalidate();
        host.serve_once(std::chrono::milliseconds(0));
        present += window->last_present_seconds();
    }
    state.counters["present_ms"] = benchmark::Counter(present * 1000 / static_cast<double>(state.iterations()));
}
BENCHMARK(paint_and_present_1280x720)->Unit(benchmark::kMillisecond);
