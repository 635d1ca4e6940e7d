// Theme: the four named themes, their nine-colour palettes, and the pending
// theme cell through which a running window is switched to another theme.
#pragma once

#include "core/base/node_kind.hpp"
#include "core/base/style.hpp"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>

namespace orvy {

enum class ThemeId : std::uint8_t { White = 0, Light = 1, Dark = 2, Black = 3 };

// What each palette slot is used for; the value is the slot's index.
enum class PaletteRole : std::uint8_t {
    Background = 0,    // clear colour of each frame
    Surface = 1,       // frame, panel, popup, menu, dialog and toast bodies
    TextColor = 2,     // default text and glyphs
    Border = 3,        // outlines, separators, tracks; disabled widgets
    Selection = 4,     // hovered popup rows, selected rows
    Accent = 5,        // checked state, filled parts, default dialog button
    AccentHover = 6,   // accent fill under the pointer
    AccentPressed = 7, // accent fill while the button is down
    OnAccent = 8,      // text on accent fills
};

inline constexpr std::size_t palette_size = 9;

struct Palette {
    std::array<Color, palette_size> slots;

    Color const& operator[](PaletteRole role) const { return slots[static_cast<std::size_t>(role)]; }
    Color const& background() const { return (*this)[PaletteRole::Background]; }
    Color const& surface() const { return (*this)[PaletteRole::Surface]; }
    Color const& text() const { return (*this)[PaletteRole::TextColor]; }
    Color const& border() const { return (*this)[PaletteRole::Border]; }
    Color const& selection() const { return (*this)[PaletteRole::Selection]; }
    Color const& accent() const { return (*this)[PaletteRole::Accent]; }
    Color const& accent_hover() const { return (*this)[PaletteRole::AccentHover]; }
    Color const& accent_pressed() const { return (*this)[PaletteRole::AccentPressed]; }
    Color const& on_accent() const { return (*this)[PaletteRole::OnAccent]; }

    friend bool operator==(Palette const&, Palette const&) = default;
};

// "wht", "lit", "drk", "blk", compared byte for byte; every other name is "drk".
ThemeId theme_from_name(std::string_view name);
std::string_view theme_name(ThemeId id);
Palette const& palette_of(ThemeId id);

// A window's pending theme switch. The window and its `Thm` controllers hold
// the same cell; a request replaces any earlier one not yet taken.
class PendingTheme {
public:
    PendingTheme() : m_cell(std::make_shared<std::optional<ThemeId>>()) { }

    void request(std::string_view name) { *m_cell = theme_from_name(name); }
    void request(ThemeId id) { *m_cell = id; }
    std::optional<ThemeId> take() { return std::exchange(*m_cell, std::nullopt); }
    bool is_pending() const { return m_cell->has_value(); }

private:
    std::shared_ptr<std::optional<ThemeId>> m_cell;
};

// The theme a window paints with: its id and the palette built from it.
class Theme {
public:
    explicit Theme(ThemeId id = ThemeId::Dark) { set(id); }
    explicit Theme(std::string_view name) : Theme(theme_from_name(name)) { }

    ThemeId id() const { return m_id; }
    Palette const& palette() const { return m_palette; }
    Color const& color(PaletteRole role) const { return m_palette[role]; }

    void set(ThemeId id);
    // Takes the pending switch, if any, and rebuilds the palette; returns
    // whether there was one.
    bool take_pending(PendingTheme& pending);

private:
    ThemeId m_id = ThemeId::Dark;
    Palette m_palette;
};

// How the node is being interacted with when it is painted.
struct Interaction {
    bool focused = false;  // the focus node
    bool hovered = false;  // the node under the pointer
    bool disabled = false; // its own or an ancestor's enable(False)
};

// The style a node is painted with: the base style, then the focus overlay,
// then the hover overlay (never for buttons, whose hover background becomes
// their hover fill instead); a disabled node gets neither overlay and is drawn
// in the border colour (text always, background for every kind but container).
Style effective_style(StyleSet const& styles, NodeKind kind, Interaction interaction, Palette const& palette);

// The default font: entry 0 of the font-family table, at this base size until
// the script sets another. Headings use the title factor at the title weight.
inline constexpr std::u16string_view default_font_family = u"Segoe UI";
inline constexpr float default_base_font_size = 20.0f;
inline constexpr float title_size_factor = 1.2f;
inline constexpr int title_font_weight = 600;
inline constexpr int body_font_weight = 400;

}
