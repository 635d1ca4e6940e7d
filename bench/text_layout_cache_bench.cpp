// Cost of the text layout cache: a hit (what painting pays for every label
// every frame) and a miss with the fixed-advance engine (the cache's own
// bookkeeping around the backend).
#include "core/text/fixed_advance_text_engine.hpp"

#include <benchmark/benchmark.h>

#include <string>

using namespace orvy;

static void layout_cache_hit(benchmark::State& state)
{
    FixedAdvanceTextEngine engine;
    auto format = engine.format(text_format_key(TextRole::Body, 0, 20));
    std::u16string text(static_cast<std::size_t>(state.range(0)), u'x');
    engine.layout(text, *format, 240, 32);
    for (auto _ : state)
        benchmark::DoNotOptimize(engine.layout(text, *format, 240, 32));
}
BENCHMARK(layout_cache_hit)->Arg(12)->Arg(64);

static void layout_cache_hit_among_thousands(benchmark::State& state)
{
    FixedAdvanceTextEngine engine;
    auto format = engine.format(text_format_key(TextRole::Body, 0, 20));
    std::vector<std::u16string> texts;
    for (int i = 0; i < 4000; ++i) {
        std::string ascii = "row " + std::to_string(i) + " label";
        texts.emplace_back(ascii.begin(), ascii.end());
        engine.layout(texts.back(), *format, 240, 32);
    }
    std::size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(engine.layout(texts[i++ % texts.size()], *format, 240, 32));
}
BENCHMARK(layout_cache_hit_among_thousands);

static void text_width_cached(benchmark::State& state)
{
    FixedAdvanceTextEngine engine;
    auto format = engine.format(text_format_key(TextRole::Body, 0, 20));
    for (auto _ : state)
        benchmark::DoNotOptimize(engine.text_width(u"Сохранить как…", *format));
}
BENCHMARK(text_width_cached);
