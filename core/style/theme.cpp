// The palette table of the four themes and the name rule.
#include "core/style/theme.hpp"

namespace orvy {

namespace {

constexpr Palette make_palette(std::array<std::uint32_t, palette_size> rgb)
{
    Palette palette;
    for (std::size_t i = 0; i < palette_size; ++i)
        palette.slots[i] = Color::from_rgb8(rgb[i]);
    return palette;
}

// Slots: background, surface, text, border, selection, accent, accent hover,
// accent pressed, on-accent.
constexpr std::array<Palette, 4> palettes {
    make_palette({ 0xFFFFFF, 0xF5F5F5, 0xAAAAAA, 0xEAEAEA, 0xCCE0FF, 0xFFFFFF, 0xEAEAEA, 0xDDDDDD, 0xAAAAAA }),
    make_palette({ 0xF7F8FA, 0xFFFFFF, 0x1B1F24, 0xD8DEE6, 0xCFE0FF, 0x2F6FEB, 0x3B7BF5, 0x2559C4, 0xFFFFFF }),
    make_palette({ 0x0E1116, 0x171A21, 0xE6E8EB, 0x2A2F38, 0x274671, 0x3B82F6, 0x4B8FF7, 0x2E6AD1, 0xFFFFFF }),
    make_palette({ 0x000000, 0x1A1A1A, 0x424242, 0x2A2A2A, 0x2E2E2E, 0x000000, 0x242424, 0x101010, 0x424242 }),
};

constexpr std::array<std::string_view, 4> names { "wht", "lit", "drk", "blk" };

}

ThemeId theme_from_name(std::string_view name)
{
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i] == name)
            return static_cast<ThemeId>(i);
    }
    return ThemeId::Dark;
}

std::string_view theme_name(ThemeId id) { return names[static_cast<std::size_t>(id) % names.size()]; }

Palette const& palette_of(ThemeId id) { return palettes[static_cast<std::size_t>(id) % palettes.size()]; }

void Theme::set(ThemeId id)
{
    m_id = id;
    m_palette = palette_of(id);
}

bool Theme::take_pending(PendingTheme& pending)
{
    auto id = pending.take();
    if (!id)
        return false;
    set(*id);
    return true;
}

}
