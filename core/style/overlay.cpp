// Hover and focus overlays and the effective style of a painted node.
#include "core/style/theme.hpp"

namespace orvy {

void apply_overlay(Style& style, Style const& overlay)
{
    if (overlay.background)
        style.background = overlay.background;
    if (overlay.text_color)
        style.text_color = overlay.text_color;
    if (overlay.radius)
        style.radius = overlay.radius;
    if (overlay.shadow)
        style.shadow = overlay.shadow;
    if (overlay.gradient) {
        style.gradient = overlay.gradient;
        style.gradient_direction = overlay.gradient_direction;
    }
    if (overlay.wrap != Wrap::Unset)
        style.wrap = overlay.wrap;
}

Style effective_style(StyleSet const& styles, NodeKind kind, Interaction interaction, Palette const& palette)
{
    Style style = styles.base();
    if (interaction.disabled) {
        style.text_color = palette.border();
        if (kind != NodeKind::Container)
            style.background = palette.border();
        return style;
    }
    if (!styles.is_allocated())
        return style;
    if (interaction.focused)
        apply_overlay(style, styles.focus());
    if (interaction.hovered && kind != NodeKind::Button)
        apply_overlay(style, styles.hover());
    return style;
}

}
