// What a frame costs on a screen of a colour map: every pixel of a 1280 x 720
// frame through the dither to a cell of the 6 x 6 x 6 cube and gray ramp,
// for a frame of UI grays and one of colours between the cube's.
#include "platform/linux/detail/palette.hpp"

#include <benchmark/benchmark.h>

#include <vector>

using orvy::linux_platform::detail::Dither;

namespace {

Dither cube_dither()
{
    std::vector<std::uint8_t> cube, grays;
    for (int i = 0; i < 216; ++i)
        cube.push_back(static_cast<std::uint8_t>(i));
    for (int i = 0; i < 16; ++i)
        grays.push_back(static_cast<std::uint8_t>(i % 3 == 0 ? (i / 3) * 43 : 216 + i));
    return Dither::cube(6, cube, grays);
}

void convert_frame(benchmark::State& state, std::uint32_t first, std::uint32_t step)
{
    Dither dither = cube_dither();
    int const width = 1280, height = 720;
    std::vector<std::uint32_t> frame(static_cast<std::size_t>(width * height));
    for (std::size_t i = 0; i < frame.size(); ++i)
        frame[i] = first + static_cast<std::uint32_t>(i / 4096) * step;
    std::vector<std::uint8_t> out(frame.size());
    for (auto _ : state) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                auto at = static_cast<std::size_t>(y * width + x);
                out[at] = dither.pixel(frame[at], x, y);
            }
        benchmark::DoNotOptimize(out.data());
    }
}

}

static void dither_frame_of_grays(benchmark::State& state) { convert_frame(state, 0x101010, 0x010101); }
BENCHMARK(dither_frame_of_grays)->Unit(benchmark::kMillisecond);

static void dither_frame_of_colours(benchmark::State& state) { convert_frame(state, 0x2060C0, 0x010300); }
BENCHMARK(dither_frame_of_colours)->Unit(benchmark::kMillisecond);
