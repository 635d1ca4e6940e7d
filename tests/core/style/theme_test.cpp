#include "core/style/theme.hpp"

#include <gtest/gtest.h>

using namespace orvy;

namespace {

// Each slot as written in the palette table, one row per theme.
struct PaletteRow {
    char const* name;
    ThemeId id;
    std::array<std::uint32_t, palette_size> rgb;
};

PaletteRow const rows[] {
    { "wht", ThemeId::White, { 0xFFFFFF, 0xF5F5F5, 0xAAAAAA, 0xEAEAEA, 0xCCE0FF, 0xFFFFFF, 0xEAEAEA, 0xDDDDDD, 0xAAAAAA } },
    { "lit", ThemeId::Light, { 0xF7F8FA, 0xFFFFFF, 0x1B1F24, 0xD8DEE6, 0xCFE0FF, 0x2F6FEB, 0x3B7BF5, 0x2559C4, 0xFFFFFF } },
    { "drk", ThemeId::Dark, { 0x0E1116, 0x171A21, 0xE6E8EB, 0x2A2F38, 0x274671, 0x3B82F6, 0x4B8FF7, 0x2E6AD1, 0xFFFFFF } },
    { "blk", ThemeId::Black, { 0x000000, 0x1A1A1A, 0x424242, 0x2A2A2A, 0x2E2E2E, 0x000000, 0x242424, 0x101010, 0x424242 } },
};

}

TEST(Theme, every_slot_is_the_tabled_colour_in_exact_multiples_of_one_255th)
{
    for (PaletteRow const& row : rows) {
        Theme theme(row.name);
        ASSERT_EQ(theme.id(), row.id) << row.name;
        EXPECT_EQ(theme_name(row.id), row.name);
        for (std::size_t slot = 0; slot < palette_size; ++slot) {
            Color c = theme.color(static_cast<PaletteRole>(slot));
            std::uint32_t rgb = row.rgb[slot];
            EXPECT_EQ(c.r * 255.0f, static_cast<float>(rgb >> 16)) << row.name << " slot " << slot;
            EXPECT_EQ(c.g * 255.0f, static_cast<float>((rgb >> 8) & 0xFF)) << row.name << " slot " << slot;
            EXPECT_EQ(c.b * 255.0f, static_cast<float>(rgb & 0xFF)) << row.name << " slot " << slot;
            EXPECT_EQ(c.a, 1.0f);
        }
    }
}

TEST(Theme, named_roles_read_their_slots)
{
    Palette const& p = palette_of(ThemeId::White);
    EXPECT_EQ(p.accent(), Color::from_rgb8(0xFFFFFF));
    EXPECT_EQ(p.on_accent(), Color::from_rgb8(0xAAAAAA));
    EXPECT_EQ(p.surface(), p[PaletteRole::Surface]);
    EXPECT_EQ(p.accent_pressed(), Color::from_rgb8(0xDDDDDD));
    EXPECT_EQ(palette_of(ThemeId::Light).selection(), Color::from_rgb8(0xCFE0FF));
}

TEST(Theme, only_the_exact_three_byte_names_select_their_theme)
{
    for (char const* other : { "LIT", "Wht", "blK", "dark", "lite", "lit ", " lit", "", "li", "drk\n", "zzz" })
        EXPECT_EQ(theme_from_name(other), ThemeId::Dark) << '"' << other << '"';
    EXPECT_EQ(theme_from_name(std::string_view("lit\0", 4)), ThemeId::Dark);
    EXPECT_EQ(theme_from_name("blk"), ThemeId::Black);
}

TEST(Theme, a_later_request_replaces_an_untaken_one_and_taking_empties_the_cell)
{
    Theme theme;
    PendingTheme pending;
    PendingTheme controller = pending; // the Thm object shares the cell
    EXPECT_FALSE(theme.take_pending(pending));
    controller.request("lit");
    controller.request("blk");
    EXPECT_TRUE(theme.take_pending(pending));
    EXPECT_EQ(theme.id(), ThemeId::Black);
    EXPECT_EQ(theme.palette(), palette_of(ThemeId::Black));
    EXPECT_FALSE(pending.is_pending());
    EXPECT_FALSE(theme.take_pending(pending));
    EXPECT_EQ(theme.id(), ThemeId::Black);
}

TEST(StyleOverlay, copies_only_the_fields_hover_and_focus_may_change)
{
    Style base;
    base.background = Color::from_rgb8(0x111111);
    base.font_size = 12;
    base.border_color = Color::from_rgb8(0x222222);
    base.wrap = Wrap::On;
    Style overlay;
    overlay.text_color = Color::from_rgb8(0xFF0000);
    overlay.radius = 4;
    overlay.shadow = 2;
    overlay.gradient = std::pair { Color::from_rgb8(0x000000), Color::from_rgb8(0xFFFFFF) };
    overlay.gradient_direction = GradientDirection::Diagonal;
    overlay.font_size = 30;
    overlay.font_family = 3;
    overlay.border_color = Color::from_rgb8(0x00FF00);
    overlay.border_width = 5;

    Style result = base;
    apply_overlay(result, overlay);
    EXPECT_EQ(result.background, base.background); // unset in the overlay
    EXPECT_EQ(result.text_color, overlay.text_color);
    EXPECT_EQ(result.radius, 4.0f);
    EXPECT_EQ(result.shadow, 2.0f);
    EXPECT_EQ(result.gradient, overlay.gradient);
    EXPECT_EQ(result.gradient_direction, GradientDirection::Diagonal);
    EXPECT_EQ(result.font_size, 12.0f);
    EXPECT_FALSE(result.font_family);
    EXPECT_EQ(result.border_color, base.border_color);
    EXPECT_FALSE(result.border_width);
    EXPECT_EQ(result.wrap, Wrap::On); // unset wrap leaves it

    overlay.wrap = Wrap::Off;
    apply_overlay(result, overlay);
    EXPECT_EQ(result.wrap, Wrap::Off);
}

TEST(StyleOverlay, hover_applies_after_focus_except_on_buttons_and_disabled_nodes_use_the_border_slot)
{
    Palette const& palette = palette_of(ThemeId::Light);
    StyleSet styles;
    styles.base_mut().background = Color::from_rgb8(0x010101);
    styles.get_mut(StyleState::Focus).background = Color::from_rgb8(0x020202);
    styles.get_mut(StyleState::Hover).background = Color::from_rgb8(0x030303);

    EXPECT_EQ(effective_style(styles, NodeKind::Frame, {}, palette).background, Color::from_rgb8(0x010101));
    EXPECT_EQ(effective_style(styles, NodeKind::Frame, { .focused = true }, palette).background, Color::from_rgb8(0x020202));
    EXPECT_EQ(effective_style(styles, NodeKind::Frame, { .focused = true, .hovered = true }, palette).background,
        Color::from_rgb8(0x030303));
    EXPECT_EQ(effective_style(styles, NodeKind::Button, { .hovered = true }, palette).background, Color::from_rgb8(0x010101));

    Style disabled = effective_style(styles, NodeKind::Button, { .focused = true, .hovered = true, .disabled = true }, palette);
    EXPECT_EQ(disabled.background, palette.border());
    EXPECT_EQ(disabled.text_color, palette.border());
    Style container = effective_style(styles, NodeKind::Container, { .disabled = true }, palette);
    EXPECT_EQ(container.background, Color::from_rgb8(0x010101));
    EXPECT_EQ(container.text_color, palette.border());
}
