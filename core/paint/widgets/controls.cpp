// Painters of the input controls: check box, radio, switch, toggle, slider,
// range, progress bar, drop-down and split button.
#include "core/paint/detail/node_paint.hpp"

namespace orvy::detail {

namespace {

// The label right of a check box, radio or switch, body format.
void side_label(NodePaint const& p, ToggleModel const& model, float offset)
{
    p.text(model.caption, p.formats.body, { p.r.x + offset, p.r.y, non_negative(p.r.w - offset), p.r.h },
        p.text_or(p.palette().text()));
}

// A 16 px disc whose left edge is clamped into the track.
RectF knob(RectF r, float centre_x)
{
    float left = std::clamp(centre_x - 8, r.x, std::max(r.x + r.w - 16, r.x));
    return { left, r.y + r.h / 2 - 8, 16, 16 };
}

}

void paint_checkbox(NodePaint const& p)
{
    auto const* model = p.node.model.as<ToggleModel>();
    if (!model)
        return;
    Palette const& palette = p.palette();
    RectF box { p.r.x, p.r.y + (p.r.h - 22) / 2, 22, 22 };
    if (p.is_focus())
        p.fill({ box.x - 3, box.y - 3, 28, 28 }, 8, palette.text());
    if (model->on) {
        p.fill(box, 5, p.background_or(palette.accent()));
        p.text(u"✓", p.formats.title, box, palette.on_accent());
    } else {
        p.fill(box, 5, palette.border());
        p.fill({ box.x + 2, box.y + 2, 18, 18 }, 4, palette.surface());
    }
    side_label(p, *model, 32);
}

void paint_radio(NodePaint const& p)
{
    auto const* model = p.node.model.as<ToggleModel>();
    if (!model)
        return;
    Palette const& palette = p.palette();
    RectF box { p.r.x, p.r.y + (p.r.h - 22) / 2, 22, 22 };
    Color mark = p.background_or(palette.accent());
    if (p.is_focus())
        p.fill({ box.x - 3, box.y - 3, 28, 28 }, 14, palette.text());
    p.fill(box, 11, model->on ? mark : palette.border());
    p.fill({ box.x + 2, box.y + 2, 18, 18 }, 9, palette.surface());
    if (model->on)
        p.fill({ box.x + 6, box.y + 6, 10, 10 }, 5, mark);
    side_label(p, *model, 32);
}

void paint_switch(NodePaint const& p)
{
    auto const* model = p.node.model.as<ToggleModel>();
    if (!model)
        return;
    Palette const& palette = p.palette();
    RectF track { p.r.x, p.r.y + (p.r.h - 24) / 2, 44, 24 };
    if (p.is_focus())
        p.fill({ track.x - 3, track.y - 3, 50, 30 }, 15, palette.text());
    p.fill(track, 12, model->on ? p.background_or(palette.accent()) : palette.border());
    p.fill({ p.r.x + (model->on ? 23.0f : 3.0f), track.y + 3, 18, 18 }, 9, palette.on_accent());
    side_label(p, *model, 54);
}

void paint_toggle(NodePaint const& p)
{
    auto const* model = p.node.model.as<ToggleModel>();
    if (!model)
        return;
    Palette const& palette = p.palette();
    float r = p.radius_or(10);
    if (p.is_focus())
        p.fill({ p.r.x - 3, p.r.y - 3, p.r.w + 6, p.r.h + 6 }, r + 3, palette.text());
    Color fill = p.background_or(model->on ? palette.accent() : palette.surface());
    if (p.is_pressed())
        fill = darkened(fill);
    else if (p.is_hot())
        fill = lightened(fill);
    p.fill(p.r, r, fill);
    Color label = p.style.text_color ? *p.style.text_color : model->on ? palette.on_accent() : palette.text();
    paint_icon_and_label(p, model->caption, label);
}

void paint_slider(NodePaint const& p)
{
    auto const* model = p.node.model.as<ValueModel>();
    if (!model)
        return;
    Palette const& palette = p.palette();
    float v = unit(model->value);
    float cy = p.r.y + p.r.h / 2;
    p.fill({ p.r.x, cy - 3, p.r.w, 6 }, 3, palette.border());
    p.fill({ p.r.x, cy - 3, v * p.r.w, 6 }, 3, p.background_or(palette.accent()));
    p.fill(knob(p.r, p.r.x + v * p.r.w), 8, p.is_visible_focus() ? palette.accent() : palette.text());
}

void paint_range(NodePaint const& p)
{
    auto const* model = p.node.model.as<RangeModel>();
    if (!model)
        return;
    Palette const& palette = p.palette();
    float lo = unit(model->lo);
    float hi = model->hi > lo ? std::min(model->hi, 1.0f) : lo;
    float cy = p.r.y + p.r.h / 2;
    p.fill({ p.r.x, cy - 3, p.r.w, 6 }, 3, palette.border());
    p.fill({ p.r.x + lo * p.r.w, cy - 3, non_negative((hi - lo) * p.r.w), 6 }, 3, p.background_or(palette.accent()));
    p.fill(knob(p.r, p.r.x + lo * p.r.w), 8, palette.text());
    p.fill(knob(p.r, p.r.x + hi * p.r.w), 8, palette.text());
}

void paint_progress(NodePaint const& p)
{
    auto const* model = p.node.model.as<ValueModel>();
    if (!model)
        return;
    float v = unit(model->value);
    float cy = p.r.y + p.r.h / 2;
    p.fill({ p.r.x, cy - 5, p.r.w, 10 }, 5, p.palette().border());
    p.fill({ p.r.x, cy - 5, v * p.r.w, 10 }, 5, p.background_or(p.palette().accent()));
}

void paint_dropdown(NodePaint const& p)
{
    auto const* model = p.node.model.as<ChoiceModel>();
    if (!model)
        return;
    Palette const& palette = p.palette();
    p.fill(p.r, 8, p.background_or(palette.surface()));
    p.canvas.stroke_rounded_rect(p.r, 8, p.is_visible_focus() ? palette.accent() : palette.border(), 1);
    Color color = p.text_or(palette.text());
    if (model->selected < model->items.size())
        p.text(model->items[model->selected], p.formats.body, { p.r.x + 12, p.r.y, non_negative(p.r.w - 40), p.r.h },
            color);
    p.text(u"▾", p.formats.title, { p.r.right() - 28, p.r.y, 20, p.r.h }, color);
}

void paint_split(NodePaint const& p)
{
    auto const* model = p.node.model.as<SplitModel>();
    if (!model)
        return;
    p.body(p.r, p.radius(), p.background_or(p.palette().accent()));
    Color color = p.text_or(p.palette().on_accent());
    p.text(model->caption, p.formats.title, { p.r.x, p.r.y, non_negative(p.r.w - 34), p.r.h }, color);
    p.fill({ p.r.right() - 34, p.r.y + 6, 1, non_negative(p.r.h - 12) }, 0.5f, color);
    p.text(u"▼", p.formats.title, { p.r.right() - 34, p.r.y, 34, p.r.h }, color);
}

}
