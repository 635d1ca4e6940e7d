// Painters of the plain kinds: frame, label, button, link, image, separator,
// group, scroll area, splitter, badge and status bar.
#include "core/paint/detail/node_paint.hpp"

namespace orvy::detail {

namespace {

struct IconBox {
    Bitmap const* bitmap = nullptr;
    RectF box;
};

IconBox find_icon(NodePaint const& p, float side, float x)
{
    if (!p.node.extras().icon || p.node.extras().icon->empty())
        return {};
    Bitmap const* bitmap = find_image(p.context, std::u16string_view(*p.node.extras().icon));
    if (!bitmap)
        return {};
    return { bitmap, { x, p.r.y + (p.r.h - side) / 2, side, side } };
}

}

void paint_frame(NodePaint const& p)
{
    float r = p.radius();
    if (p.style.shadow && *p.style.shadow > 0)
        paint_shadow(p.canvas, p.r, *p.style.shadow, r);
    p.body(p.r, r, p.background_or(p.palette().surface()));
}

void paint_label(NodePaint const& p)
{
    auto const* model = p.node.model.as<TextModel>();
    if (!model)
        return;
    RectF box = p.r;
    float side = std::clamp(p.r.h - 6, 12.0f, 28.0f);
    IconBox icon = find_icon(p, side, p.r.x);
    if (icon.bitmap) {
        paint_image(p.canvas, *icon.bitmap, icon.box, FitMode::Contain);
        box.x += side + 8;
        box.w = non_negative(box.w - side - 8);
    }
    TextFormat const* format = p.style.wrap == Wrap::On ? p.formats.paragraph
        : icon.bitmap                                   ? p.formats.body
                                                        : p.formats.title;
    p.text(model->text, format, box, p.text_or(p.palette().text()));
}

// Shared by buttons and toggles: the icon at the left and the label in the
// rest of the rectangle, or the icon alone filling the rectangle.
void paint_icon_and_label(NodePaint const& p, std::u16string_view label, Color color)
{
    float side = std::clamp(p.r.h - 10, 12.0f, 26.0f);
    IconBox icon = find_icon(p, side, p.r.x + 12);
    RectF box = p.r;
    if (icon.bitmap) {
        paint_image(p.canvas, *icon.bitmap, icon.box, FitMode::Contain);
        box.x = p.r.x + side + 20;
        box.w = non_negative(p.r.right() - box.x);
    }
    p.text(label, p.formats.title, box, color);
}

void paint_button(NodePaint const& p)
{
    auto const* model = p.node.model.as<ButtonModel>();
    if (!model)
        return;
    Palette const& palette = p.palette();
    float r = p.radius();
    bool has_icon = p.node.extras().icon && !p.node.extras().icon->empty();
    if (has_icon && model->caption.empty()) {
        // Icon only: no body, the icon fills the rectangle less 4 px.
        if (Bitmap const* bitmap = find_image(p.context, std::u16string_view(*p.node.extras().icon)))
            paint_image(p.canvas, *bitmap, { p.r.x + 4, p.r.y + 4, non_negative(p.r.w - 8), non_negative(p.r.h - 8) },
                FitMode::Contain);
        return;
    }
    if (p.style.shadow && *p.style.shadow > 0)
        paint_shadow(p.canvas, p.r, *p.style.shadow, r);
    Color normal = palette.accent(), hover = palette.accent_hover(), pressed = palette.accent_pressed();
    if (p.style.background) {
        normal = *p.style.background;
        hover = lightened(normal);
        pressed = darkened(normal);
    }
    if (!p.disabled && p.node.styles.hover().background)
        hover = *p.node.styles.hover().background;
    Color fill = p.is_pressed() ? pressed : p.is_hot() ? hover : normal;
    if (p.disabled)
        fill = normal;
    if (p.is_focus())
        p.fill({ p.r.x - 3, p.r.y - 3, p.r.w + 6, p.r.h + 6 }, r + 3, palette.text());
    p.body(p.r, r, fill);
    paint_icon_and_label(p, model->caption, p.text_or(palette.on_accent()));
}

void paint_link(NodePaint const& p)
{
    auto const* model = p.node.model.as<TextModel>();
    if (!model)
        return;
    Color color = p.text_or(p.palette().accent());
    p.text(model->text, p.formats.body, p.r, color);
    if (p.is_hot() || p.is_focus()) {
        float width = std::min(text_width(p.context.text, model->text, p.formats.body), p.r.w);
        p.canvas.fill_rect({ p.r.x, p.r.y + p.r.h / 2 + 10, non_negative(width), 1.5f }, color);
    }
}

void paint_image_node(NodePaint const& p)
{
    auto const* model = p.node.model.as<ImageModel>();
    if (!model)
        return;
    if (Bitmap const* bitmap = find_image(p.context, std::string_view(model->source)))
        paint_image(p.canvas, *bitmap, p.r, static_cast<FitMode>(model->fit));
}

void paint_separator(NodePaint const& p)
{
    auto const* model = p.node.model.as<SeparatorModel>();
    Color color = p.background_or(p.palette().border());
    if (model && model->vertical)
        p.canvas.fill_rect({ p.r.x + p.r.w / 2 - 1, p.r.y, 2, p.r.h }, color);
    else
        p.canvas.fill_rect({ p.r.x, p.r.y + p.r.h / 2 - 1, p.r.w, 2 }, color);
}

void paint_group(NodePaint const& p)
{
    float r = p.radius();
    if (p.style.background)
        p.body(p.r, r, *p.style.background);
    p.canvas.stroke_rounded_rect(p.r, r, p.palette().border(), 1);
    if (auto const* model = p.node.model.as<GroupModel>())
        p.text(model->title, p.formats.body, { p.r.x + 14, p.r.y + 2, non_negative(p.r.w - 28), 30 },
            p.text_or(p.palette().text()));
}

void paint_scroll(NodePaint const& p)
{
    if (p.style.background)
        p.body(p.r, p.radius_or(10), *p.style.background);
    if (auto const* model = p.node.model.as<ScrollModel>())
        paint_scroll_bar(p.canvas, p.r, model->content_height, p.r.h, model->offset, p.palette().border(),
            p.palette().text());
}

// The handle sits on the gutter layout leaves between the panes: a vertical
// splitter has its panes side by side, so its handle is a vertical bar.
void paint_splitter(NodePaint const& p)
{
    auto const* model = p.node.model.as<SplitterModel>();
    if (!model)
        return;
    float ratio = model->ratio > 0 ? std::min(model->ratio, 1.0f) : 0.0f;
    RectF handle = model->vertical ? RectF { p.r.x + (p.r.w - 8) * ratio, p.r.y, 8, p.r.h }
                                   : RectF { p.r.x, p.r.y + (p.r.h - 8) * ratio, p.r.w, 8 };
    p.canvas.fill_rect(handle, p.background_or(p.palette().border()));
}

void paint_badge(NodePaint const& p)
{
    auto const* model = p.node.model.as<TextModel>();
    if (!model)
        return;
    Color fill = p.background_or(p.palette().accent());
    if (model->dot) {
        float side = std::min({ p.r.w, p.r.h, 12.0f });
        p.canvas.fill_ellipse({ p.r.right() - side, p.r.y + (p.r.h - side) / 2, side, side }, fill);
        return;
    }
    p.fill(p.r, p.r.h / 2, fill);
    p.text(model->text, p.formats.title, p.r, p.text_or(p.palette().on_accent()));
}

void paint_status(NodePaint const& p)
{
    p.body(p.r, p.radius_or(0), p.background_or(p.palette().surface()));
    if (auto const* model = p.node.model.as<TextModel>())
        p.text(model->text, p.formats.body, { p.r.x + 12, p.r.y, non_negative(p.r.w - 24), p.r.h },
            p.text_or(p.palette().text()));
}

}
