// The cells a dithered frame is shown with on screens of a colour map: an
// area of one colour must average out to that colour, and colours the map
// holds must come out as themselves.
#include "platform/linux/detail/palette.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

using namespace orvy::linux_platform::detail;

namespace {

// The 6 × 6 × 6 cube in cells 0 ... 215 and the ten grays the cube lacks
// after it, as the palette allocates them in an empty map.
struct CubeMap {
    Dither dither = Dither::grays({});
    std::map<std::uint8_t, std::uint32_t> colours;

    CubeMap()
    {
        std::vector<std::uint8_t> cube, grays;
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b) {
                    auto cell = static_cast<std::uint8_t>(cube.size());
                    cube.push_back(cell);
                    colours[cell] = static_cast<std::uint32_t>(r * 51 << 16 | g * 51 << 8 | b * 51);
                }
        std::uint8_t extra = 216;
        for (int i = 0; i < 16; ++i) {
            int step = i / 3;
            if (i % 3 == 0) {
                grays.push_back(cube[static_cast<std::size_t>(step * 43)]);
                continue;
            }
            colours[extra] = static_cast<std::uint32_t>(i * 17 * 0x010101);
            grays.push_back(extra++);
        }
        dither = Dither::cube(6, cube, grays);
    }
};

// The mean of each channel over a 4 × 4 block, the dither's whole pattern.
std::array<double, 3> block_mean(Dither const& dither, std::map<std::uint8_t, std::uint32_t> const& colours,
    std::uint32_t rgb)
{
    std::array<double, 3> sum {};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            std::uint32_t shown = colours.at(dither.pixel(rgb, x, y));
            sum[0] += shown >> 16 & 0xFF;
            sum[1] += shown >> 8 & 0xFF;
            sum[2] += shown & 0xFF;
        }
    for (double& channel : sum)
        channel /= 16;
    return sum;
}

void expect_mean_near(std::array<double, 3> mean, std::uint32_t rgb, double slack)
{
    EXPECT_NEAR(mean[0], rgb >> 16 & 0xFF, slack) << std::hex << rgb;
    EXPECT_NEAR(mean[1], rgb >> 8 & 0xFF, slack) << std::hex << rgb;
    EXPECT_NEAR(mean[2], rgb & 0xFF, slack) << std::hex << rgb;
}

}

TEST(Dither, colours_the_cube_holds_come_out_whole_and_others_average_out_to_themselves)
{
    CubeMap map;
    for (std::uint32_t exact : { 0x000000u, 0xFFFFFFu, 0x3399CCu, 0xFF0066u }) {
        std::uint8_t first = map.dither.pixel(exact, 0, 0);
        EXPECT_EQ(map.colours.at(first), exact);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                EXPECT_EQ(map.dither.pixel(exact, x, y), first) << "no pattern on a colour the map holds";
    }
    // Sixteen thresholds over a step of 51 leave at most about 3 either way.
    for (std::uint32_t between : { 0x2060C0u, 0xC03030u, 0x10A040u, 0x7F00FFu })
        expect_mean_near(block_mean(map.dither, map.colours, between), between, 3.5);
}

TEST(Dither, grays_and_near_grays_take_the_finer_gray_ramp)
{
    CubeMap map;
    // 0x88 is a ramp level (8 × 17) but no cube level: one cell, no pattern.
    std::uint8_t ramp = map.dither.pixel(0x888888, 0, 0);
    EXPECT_EQ(map.colours.at(ramp), 0x888888u);
    EXPECT_EQ(map.dither.pixel(0x888888, 3, 2), ramp);
    // A panel's light gray and a barely blue white stay gray, within a step of 17.
    expect_mean_near(block_mean(map.dither, map.colours, 0xF5F5F5), 0xF5F5F5, 1.2);
    std::array<double, 3> tinted = block_mean(map.dither, map.colours, 0xF0F0F8);
    EXPECT_EQ(tinted[0], tinted[2]) << "shown as a gray";
    EXPECT_NEAR(tinted[0], 0xF1, 1.2);
}

TEST(Dither, two_cells_in_any_order_dither_a_gray_by_its_share_of_white)
{
    // A monochrome screen whose white is cell 0 and black cell 1.
    std::vector<PaletteCell> cells = { { 0xFFFFFF, 0 }, { 0x000000, 1 } };
    Dither dither = Dither::grays(cells);
    auto whites = [&](std::uint32_t rgb) {
        int count = 0;
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                count += dither.pixel(rgb, x, y) == 0;
        return count;
    };
    EXPECT_EQ(whites(0x000000), 0);
    EXPECT_EQ(whites(0xFFFFFF), 16);
    EXPECT_EQ(whites(0x808080), 8);
    EXPECT_EQ(whites(0x404040), 4);
    // Colours by their luminance: pure green is lighter than pure blue.
    EXPECT_GT(whites(0x00FF00), whites(0x0000FF));
}

TEST(Dither, a_fixed_map_gives_each_colour_its_nearest_cell)
{
    // Three bits of red and green and two of blue, as static colour maps are often laid out.
    std::vector<PaletteCell> cells;
    std::map<std::uint8_t, std::uint32_t> colours;
    for (int pixel = 0; pixel < 256; ++pixel) {
        std::uint32_t r = (pixel >> 5) * 255 / 7, g = (pixel >> 2 & 7) * 255 / 7, b = (pixel & 3) * 255 / 3;
        cells.push_back({ r << 16 | g << 8 | b, static_cast<std::uint8_t>(pixel) });
        colours[static_cast<std::uint8_t>(pixel)] = r << 16 | g << 8 | b;
    }
    Dither dither = Dither::nearest(cells);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(colours.at(dither.pixel(0xFFFFFF, x, y)), 0xFFFFFFu);
            EXPECT_EQ(colours.at(dither.pixel(0x000000, x, y)), 0u);
        }
    // A dark bluish gray between the map's colours keeps its hue on average
    // instead of turning into its nearest neighbour, a dark green.
    std::array<double, 3> dark = block_mean(dither, colours, 0x171A21);
    EXPECT_LT(dark[1], 26 + 12);
    EXPECT_GT(dark[2], dark[0]);
    expect_mean_near(block_mean(dither, colours, 0x2060C0), 0x2060C0, 20);
}
