// Colours for screens whose pixels index a colour map (8 bits a pixel or
// fewer): which cells hold which colours, and the cell each of Cairo's
// pixels is shown with.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <utility>
#include <vector>

struct _XDisplay;

namespace orvy::linux_platform::detail {

// A colour the map holds (0xRRGGBB) and its cell.
struct PaletteCell {
    std::uint32_t rgb = 0;
    std::uint8_t pixel = 0;
};

// Chooses a cell for each pixel. A colour between the map's colours is
// dithered with a 4 × 4 ordered pattern, so that an area of it averages
// out to the colour and gradients keep their steps small.
class Dither {
public:
    // The colours a ramp of `count` levels per channel (0 and 255 among
    // them) places a colour between: levels i and i + 1, and how far it is
    // towards i + 1, out of 255.
    struct Step {
        std::uint8_t lower = 0;
        std::uint8_t fraction = 0;
    };

    // A cube of `levels` per channel (cells ordered red, green, blue, blue
    // fastest) and a gray ramp, whose levels include the cube's grays
    // (3 × (levels − 1) + 1 of them). Grays and near grays take the ramp:
    // screens mostly show them, and the ramp has finer steps.
    static Dither cube(int levels, std::vector<std::uint8_t> cube_cells, std::vector<std::uint8_t> gray_cells);
    // Gray cells only, of any intensities: every pixel by its luminance.
    static Dither grays(std::span<PaletteCell const> cells);
    // Fixed colours of any kind: the nearest one to the colour moved by the
    // pattern up to half a step of the map's values either way.
    static Dither nearest(std::span<PaletteCell const> cells);

    std::uint8_t pixel(std::uint32_t rgb, int x, int y) const;

    // The number of levels the gray ramp of a cube of `levels` has.
    static int gray_levels(int levels) { return 3 * (levels - 1) + 1; }
    // The colour of one cube cell or ramp level, 0 ... 255.
    static std::uint8_t level(int index, int levels) { return static_cast<std::uint8_t>(index * 255 / (levels - 1)); }

private:
    enum class Kind { Cube, Grays, Nearest };
    explicit Dither(Kind kind) : m_kind(kind) { }

    Kind m_kind;
    int m_levels = 0;
    std::vector<std::uint8_t> m_cube;
    // Per 8-bit channel value: the cube's step, and the gray ramp's
    // lower and upper cell with the fraction between them.
    std::array<Step, 256> m_channel {};
    std::array<std::uint8_t, 256> m_gray_lower {};
    std::array<std::uint8_t, 256> m_gray_upper {};
    std::array<std::uint8_t, 256> m_gray_fraction {};
    // Nearest: a 32 × 32 × 32 table of cells, 5 bits a channel, and how
    // far the pattern moves a colour.
    std::vector<std::uint8_t> m_table;
    std::array<int, 3> m_spread {};
};

// A colour map of the window's own for a direct-colour visual, whose cells
// hold each channel's value as it is, so that pixels show as on a true-colour
// screen (the screen's map of such a visual may hold anything, black
// included). Installed at once when `install` says so. 0 when there is no
// such visual or no map.
unsigned long make_direct_colormap(_XDisplay* display, unsigned long window, void* visual,
    std::function<bool()> const& install);

// The cells a window's frames are drawn with, allocated for as long as
// the window shows frames.
class Palette {
public:
    // For a visual with a colour map of at most 256 cells; null for any
    // other visual or when no colours can be had. A map whose colours can
    // be changed gets a colour cube and gray ramp (a gray ramp alone on a
    // gray screen), allocated in the screen's map or, when that is full,
    // in a map of the window's own, which is installed at once when
    // `install` says so (no window manager would install it). A map of
    // fixed colours is used as it is.
    static std::unique_ptr<Palette> create(_XDisplay* display, unsigned long window, void* visual,
        std::function<bool()> const& install);
    ~Palette();
    Palette(Palette const&) = delete;
    Palette& operator=(Palette const&) = delete;

    Dither const& dither() const { return m_dither; }

private:
    Palette(_XDisplay* display, Dither dither) : m_display(display), m_dither(std::move(dither)) { }

    _XDisplay* m_display;
    Dither m_dither;
    // Cells this palette took in the screen's map, given back at the end.
    unsigned long m_shared_map = 0;
    std::vector<unsigned long> m_taken;
    // The window's own map, where the screen's was full.
    unsigned long m_own_map = 0;
};

}
