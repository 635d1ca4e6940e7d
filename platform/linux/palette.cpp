// Palette: a colour cube and gray ramp in a colour map, or the map's fixed
// colours, and the ordered dither that picks a cell for each pixel.
#include "platform/linux/detail/palette.hpp"

#include <algorithm>
#include <bit>
#include <limits>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace orvy::linux_platform::detail {

namespace {

// 4 × 4 Bayer thresholds, spread over 0 ... 255: a fraction above the
// threshold takes the upper colour.
constexpr std::uint8_t thresholds[4][4] = {
    { 8, 136, 40, 168 },
    { 200, 72, 232, 104 },
    { 56, 184, 24, 152 },
    { 248, 120, 216, 88 },
};

std::uint8_t red(std::uint32_t rgb) { return static_cast<std::uint8_t>(rgb >> 16); }
std::uint8_t green(std::uint32_t rgb) { return static_cast<std::uint8_t>(rgb >> 8); }
std::uint8_t blue(std::uint32_t rgb) { return static_cast<std::uint8_t>(rgb); }

std::uint8_t luminance(std::uint32_t rgb)
{
    return static_cast<std::uint8_t>((red(rgb) * 77 + green(rgb) * 150 + blue(rgb) * 29 + 128) >> 8);
}

std::uint32_t gray(std::uint8_t value) { return value * 0x010101u; }

}

Dither Dither::cube(int levels, std::vector<std::uint8_t> cube_cells, std::vector<std::uint8_t> gray_cells)
{
    Dither dither(Kind::Cube);
    dither.m_levels = levels;
    dither.m_cube = std::move(cube_cells);
    for (int value = 0; value < 256; ++value) {
        int scaled = value * (levels - 1);
        auto lower = static_cast<std::uint8_t>(scaled / 255);
        dither.m_channel[static_cast<std::size_t>(value)] = { lower,
            static_cast<std::uint8_t>(lower == levels - 1 ? 0 : scaled % 255) };
    }
    std::vector<PaletteCell> ramp;
    int count = static_cast<int>(gray_cells.size());
    for (int i = 0; i < count; ++i)
        ramp.push_back({ gray(level(i, count)), gray_cells[static_cast<std::size_t>(i)] });
    Dither grays = Dither::grays(ramp);
    dither.m_gray_lower = grays.m_gray_lower;
    dither.m_gray_upper = grays.m_gray_upper;
    dither.m_gray_fraction = grays.m_gray_fraction;
    return dither;
}

Dither Dither::grays(std::span<PaletteCell const> cells)
{
    Dither dither(Kind::Grays);
    // Pass 1: the cells by intensity, one cell for each.
    std::vector<PaletteCell> ramp;
    for (PaletteCell const& cell : cells)
        ramp.push_back({ luminance(cell.rgb), cell.pixel });
    std::stable_sort(ramp.begin(), ramp.end(), [](auto const& a, auto const& b) { return a.rgb < b.rgb; });
    ramp.erase(std::unique(ramp.begin(), ramp.end(), [](auto const& a, auto const& b) { return a.rgb == b.rgb; }),
        ramp.end());
    if (ramp.empty())
        return dither;
    // Pass 2: each intensity between the two cells around it; below the
    // darkest or above the lightest, that one alone.
    std::size_t upper = 0;
    for (std::uint32_t value = 0; value < 256; ++value) {
        while (upper < ramp.size() && ramp[upper].rgb < value)
            ++upper;
        std::size_t index = value;
        if (upper == ramp.size() || upper == 0 || ramp[upper].rgb == value) {
            PaletteCell const& only = ramp[std::min(upper, ramp.size() - 1)];
            dither.m_gray_lower[index] = dither.m_gray_upper[index] = only.pixel;
            continue;
        }
        PaletteCell const& below = ramp[upper - 1];
        PaletteCell const& above = ramp[upper];
        dither.m_gray_lower[index] = below.pixel;
        dither.m_gray_upper[index] = above.pixel;
        dither.m_gray_fraction[index] = static_cast<std::uint8_t>((value - below.rgb) * 255 / (above.rgb - below.rgb));
    }
    return dither;
}

Dither Dither::nearest(std::span<PaletteCell const> cells)
{
    Dither dither(Kind::Nearest);
    dither.m_table.assign(32 * 32 * 32, 0);
    if (cells.empty())
        return dither;
    // Per channel, the step between the values the map has, as if they were even.
    for (int channel = 0; channel < 3; ++channel) {
        std::array<bool, 256> seen {};
        int distinct = 0;
        for (PaletteCell const& cell : cells) {
            auto value = static_cast<std::uint8_t>(cell.rgb >> (16 - 8 * channel));
            distinct += seen[value] ? 0 : 1;
            seen[value] = true;
        }
        dither.m_spread[static_cast<std::size_t>(channel)] = distinct > 1 ? 255 / (distinct - 1) : 0;
    }
    for (int r = 0; r < 32; ++r) {
        for (int g = 0; g < 32; ++g) {
            for (int b = 0; b < 32; ++b) {
                int at[3] = { r * 255 / 31, g * 255 / 31, b * 255 / 31 };
                int best = std::numeric_limits<int>::max();
                std::uint8_t chosen = 0;
                for (PaletteCell const& cell : cells) {
                    int dr = red(cell.rgb) - at[0], dg = green(cell.rgb) - at[1], db = blue(cell.rgb) - at[2];
                    // Green counts most and blue least, as the eye sees them.
                    int distance = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
                    if (distance < best) {
                        best = distance;
                        chosen = cell.pixel;
                    }
                }
                dither.m_table[static_cast<std::size_t>((r * 32 + g) * 32 + b)] = chosen;
            }
        }
    }
    return dither;
}

std::uint8_t Dither::pixel(std::uint32_t rgb, int x, int y) const
{
    std::uint8_t threshold = thresholds[y & 3][x & 3];
    auto ramp = [&](std::uint8_t value) {
        return m_gray_fraction[value] > threshold ? m_gray_upper[value] : m_gray_lower[value];
    };
    switch (m_kind) {
    case Kind::Grays: return ramp(luminance(rgb));
    case Kind::Nearest: {
        // Spread by about one step between the map's colours, so that an
        // area between them averages out instead of taking one neighbour.
        auto bin = [threshold, this](std::uint8_t value, int channel) {
            return std::clamp(value + (threshold - 128) * m_spread[channel] / 256, 0, 255) >> 3;
        };
        return m_table[static_cast<std::size_t>(
            (bin(red(rgb), 0) * 32 + bin(green(rgb), 1)) * 32 + bin(blue(rgb), 2))];
    }
    case Kind::Cube: break;
    }
    std::uint8_t r = red(rgb), g = green(rgb), b = blue(rgb);
    if (std::max({ r, g, b }) - std::min({ r, g, b }) <= 12)
        return ramp(luminance(rgb));
    auto channel = [&](std::uint8_t value) {
        Step step = m_channel[value];
        return step.lower + (step.fraction > threshold ? 1 : 0);
    };
    return m_cube[static_cast<std::size_t>((channel(r) * m_levels + channel(g)) * m_levels + channel(b))];
}

namespace {

XColor x_colour(std::uint32_t rgb, unsigned long pixel)
{
    XColor colour {};
    colour.pixel = pixel;
    colour.red = static_cast<unsigned short>(red(rgb) * 257);
    colour.green = static_cast<unsigned short>(green(rgb) * 257);
    colour.blue = static_cast<unsigned short>(blue(rgb) * 257);
    colour.flags = DoRed | DoGreen | DoBlue;
    return colour;
}

std::vector<PaletteCell> cells_of(Display* display, Colormap map, int entries)
{
    std::vector<XColor> colours(static_cast<std::size_t>(entries));
    for (int i = 0; i < entries; ++i)
        colours[static_cast<std::size_t>(i)].pixel = static_cast<unsigned long>(i);
    XQueryColors(display, map, colours.data(), entries);
    std::vector<PaletteCell> cells;
    for (XColor const& colour : colours) {
        cells.push_back({ static_cast<std::uint32_t>((colour.red >> 8) << 16 | (colour.green >> 8) << 8 | colour.blue >> 8),
            static_cast<std::uint8_t>(colour.pixel) });
    }
    return cells;
}

}

unsigned long make_direct_colormap(Display* display, unsigned long window, void* visual_pointer,
    std::function<bool()> const& install)
{
    auto* visual = static_cast<Visual*>(visual_pointer);
    int entries = visual->map_entries;
    if (visual->c_class != DirectColor || entries < 2 || entries > 65536)
        return 0;
    Colormap own = XCreateColormap(display, window, visual, AllocAll);
    if (!own)
        return 0;
    // Each channel's cell i holds level i of that channel, as many levels
    // as the channel has bits for (fields of 5 and 6 bits differ).
    std::vector<XColor> cells;
    for (auto [mask, flag] : { std::pair { visual->red_mask, DoRed }, std::pair { visual->green_mask, DoGreen },
             std::pair { visual->blue_mask, DoBlue } }) {
        int bits = std::popcount(mask);
        if (bits == 0 || bits > 16)
            continue;
        int levels = 1 << bits;
        for (int i = 0; i < levels; ++i) {
            XColor cell {};
            cell.pixel = static_cast<unsigned long>(i) << std::countr_zero(mask);
            auto value = static_cast<unsigned short>(static_cast<long>(i) * 65535 / (levels - 1));
            cell.red = cell.green = cell.blue = value;
            cell.flags = static_cast<char>(flag);
            cells.push_back(cell);
        }
    }
    XStoreColors(display, own, cells.data(), static_cast<int>(cells.size()));
    XSetWindowColormap(display, window, own);
    if (install())
        XInstallColormap(display, own);
    return own;
}

std::unique_ptr<Palette> Palette::create(Display* display, unsigned long window, void* visual_pointer,
    std::function<bool()> const& install)
{
    auto* visual = static_cast<Visual*>(visual_pointer);
    int entries = visual->map_entries;
    int screen = DefaultScreen(display);
    // Windows take the screen's visual unless they are glass, which is true colour.
    if (entries < 2 || entries > 256 || visual != DefaultVisual(display, screen))
        return nullptr;
    Colormap shared = DefaultColormap(display, screen);
    if (visual->c_class == StaticGray || visual->c_class == StaticColor) {
        std::vector<PaletteCell> cells = cells_of(display, shared, entries);
        Dither dither = visual->c_class == StaticGray ? Dither::grays(cells) : Dither::nearest(cells);
        return std::unique_ptr<Palette>(new Palette(display, std::move(dither)));
    }
    if (visual->c_class != PseudoColor && visual->c_class != GrayScale)
        return nullptr;

    // Pass 1: the colours wanted. A colour screen gets a cube with a gray
    // ramp, whose levels the cube has already (every third) take the
    // cube's cells; a gray screen gets a ramp alone.
    bool colour = visual->c_class == PseudoColor;
    auto colours_for = [colour, entries](int levels) {
        int ramp = colour ? Dither::gray_levels(levels) : std::min(entries, 32);
        std::vector<std::uint32_t> wanted;
        if (colour) {
            for (int r = 0; r < levels; ++r)
                for (int g = 0; g < levels; ++g)
                    for (int b = 0; b < levels; ++b)
                        wanted.push_back(static_cast<std::uint32_t>(Dither::level(r, levels) << 16
                            | Dither::level(g, levels) << 8 | Dither::level(b, levels)));
        }
        for (int i = 0; i < ramp; ++i) {
            if (!colour || i % 3 != 0)
                wanted.push_back(gray(Dither::level(i, ramp)));
        }
        return wanted;
    };
    int largest = 6;
    while (largest > 2 && static_cast<int>(colours_for(largest).size()) > entries)
        --largest;

    // Pass 2: cells in the screen's map, for the largest cube down to one
    // of 4 levels a channel that fits what other programs left; else the
    // top of a map of the window's own with the largest cube, whose other
    // cells copy the screen's so that other windows keep their colours
    // while this one's map is installed.
    int levels = largest;
    std::vector<std::uint32_t> wanted;
    std::vector<unsigned long> pixels;
    std::vector<XColor> stored;
    Colormap own = 0;
    for (int shared_levels = largest; shared_levels >= std::min(largest, colour ? 4 : 6); --shared_levels) {
        wanted = colours_for(shared_levels);
        pixels.assign(wanted.size(), 0);
        if (XAllocColorCells(display, shared, False, nullptr, 0, pixels.data(), static_cast<unsigned>(wanted.size()))) {
            levels = shared_levels;
            for (std::size_t i = 0; i < wanted.size(); ++i)
                stored.push_back(x_colour(wanted[i], pixels[i]));
            XStoreColors(display, shared, stored.data(), static_cast<int>(stored.size()));
            break;
        }
    }
    if (stored.empty()) {
        wanted = colours_for(largest);
        auto count = static_cast<int>(wanted.size());
        if (count > entries)
            return nullptr;
        pixels.assign(wanted.size(), 0);
        own = XCreateColormap(display, window, visual, AllocAll);
        for (PaletteCell const& cell : cells_of(display, shared, entries))
            stored.push_back(x_colour(cell.rgb, cell.pixel));
        for (int i = 0; i < count; ++i) {
            auto pixel = static_cast<std::size_t>(entries - count + i);
            pixels[static_cast<std::size_t>(i)] = pixel;
            stored[pixel] = x_colour(wanted[static_cast<std::size_t>(i)], pixel);
        }
        XStoreColors(display, own, stored.data(), entries);
        XSetWindowColormap(display, window, own);
        if (install())
            XInstallColormap(display, own);
    }
    auto count = static_cast<int>(wanted.size());
    int ramp = colour ? Dither::gray_levels(levels) : count;

    // Pass 3: the cells in the order the dither reads them.
    std::vector<std::uint8_t> cells;
    for (unsigned long pixel : pixels)
        cells.push_back(static_cast<std::uint8_t>(pixel));
    Dither dither = Dither::grays({});
    if (colour) {
        auto cube_size = static_cast<std::size_t>(levels * levels * levels);
        std::vector<std::uint8_t> cube(cells.begin(), cells.begin() + static_cast<std::ptrdiff_t>(cube_size));
        std::vector<std::uint8_t> grays;
        std::size_t extra = cube_size;
        for (int i = 0; i < ramp; ++i) {
            int step = i / 3;
            grays.push_back(i % 3 == 0 ? cube[static_cast<std::size_t>((step * levels + step) * levels + step)]
                                       : cells[extra++]);
        }
        dither = Dither::cube(levels, std::move(cube), std::move(grays));
    } else {
        std::vector<PaletteCell> ramp_cells;
        for (int i = 0; i < count; ++i)
            ramp_cells.push_back({ wanted[static_cast<std::size_t>(i)], cells[static_cast<std::size_t>(i)] });
        dither = Dither::grays(ramp_cells);
    }
    auto palette = std::unique_ptr<Palette>(new Palette(display, std::move(dither)));
    if (own) {
        palette->m_own_map = own;
    } else {
        palette->m_shared_map = shared;
        palette->m_taken = std::move(pixels);
    }
    return palette;
}

Palette::~Palette()
{
    if (m_own_map)
        XFreeColormap(m_display, m_own_map);
    if (!m_taken.empty())
        XFreeColors(m_display, m_shared_map, m_taken.data(), static_cast<int>(m_taken.size()), 0);
}

}
