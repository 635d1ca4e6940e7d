// Color and Style: the per-node style records that themes, CSS and painting share.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <utility>

namespace orvy {

// Straight (not premultiplied) RGBA, each channel 0..1.
struct Color {
    float r = 0, g = 0, b = 0, a = 1;

    static constexpr Color from_rgba8(std::uint32_t rgba)
    {
        return { ((rgba >> 24) & 0xFF) / 255.0f, ((rgba >> 16) & 0xFF) / 255.0f, ((rgba >> 8) & 0xFF) / 255.0f,
            (rgba & 0xFF) / 255.0f };
    }
    static constexpr Color from_rgb8(std::uint32_t rgb) { return from_rgba8((rgb << 8) | 0xFF); }
    // 0xRRGGBBAA, each channel clamped to 0..1 and rounded to a byte.
    std::uint32_t to_rgba8() const
    {
        auto byte = [](float channel) {
            float clamped = channel > 0 ? (channel < 1 ? channel : 1.0f) : 0.0f; // NaN gives 0
            return static_cast<std::uint32_t>(clamped * 255.0f + 0.5f);
        };
        return (byte(r) << 24) | (byte(g) << 16) | (byte(b) << 8) | byte(a);
    }

    friend bool operator==(Color const&, Color const&) = default;
};

enum class Wrap : std::uint8_t { Off = 0, On = 1, Unset = 2 };
enum class GradientDirection : std::uint8_t { Default = 0, Horizontal = 1, Diagonal = 2, DiagonalUp = 3 };

// Every member is optional: unset means the theme or the widget's own default applies.
struct Style {
    std::optional<Color> background;
    std::optional<Color> text_color;
    std::optional<float> radius;
    std::optional<float> shadow;
    std::optional<std::pair<Color, Color>> gradient;
    std::optional<float> font_size;
    std::optional<Color> border_color;
    std::optional<float> border_width;
    std::optional<std::uint16_t> font_family;
    Wrap wrap = Wrap::Unset;
    GradientDirection gradient_direction = GradientDirection::Default;

    bool is_empty() const { return *this == Style {}; }
    friend bool operator==(Style const&, Style const&) = default;
};

// Copies onto `style` what a hover or focus style may change: background, text
// colour, radius, shadow, the gradient with its direction, and wrap when the
// overlay sets it. Font and border fields of those styles never take effect.
void apply_overlay(Style& style, Style const& overlay);

enum class StyleState : std::uint8_t { Base = 0, Focus = 1, Hover = 2 };

// The three style records of a node (base, focus, hover). Most nodes never
// get a style, so the records live behind one pointer that is allocated on the
// first write; reading an unallocated set sees three empty styles.
class StyleSet {
public:
    StyleSet() = default;
    StyleSet(StyleSet const& other) { *this = other; }
    StyleSet& operator=(StyleSet const& other)
    {
        if (this != &other)
            m_styles = other.m_styles ? std::make_unique<Records>(*other.m_styles) : nullptr;
        return *this;
    }
    StyleSet(StyleSet&&) noexcept = default;
    StyleSet& operator=(StyleSet&&) noexcept = default;

    Style const& get(StyleState state) const
    {
        static Style const empty;
        return m_styles ? (*m_styles)[static_cast<std::size_t>(state)] : empty;
    }
    Style& get_mut(StyleState state)
    {
        if (!m_styles)
            m_styles = std::make_unique<Records>();
        return (*m_styles)[static_cast<std::size_t>(state)];
    }

    Style const& base() const { return get(StyleState::Base); }
    Style const& focus() const { return get(StyleState::Focus); }
    Style const& hover() const { return get(StyleState::Hover); }
    Style& base_mut() { return get_mut(StyleState::Base); }

    bool is_allocated() const { return m_styles != nullptr; }

    friend bool operator==(StyleSet const& a, StyleSet const& b)
    {
        for (auto s : { StyleState::Base, StyleState::Focus, StyleState::Hover }) {
            if (!(a.get(s) == b.get(s)))
                return false;
        }
        return true;
    }

private:
    using Records = std::array<Style, 3>;
    std::unique_ptr<Records> m_styles;
};

}
