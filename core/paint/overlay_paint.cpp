// Drawing of the window overlays in frame order: open lists and menus, the
// inspector label, hint texts, tooltip, notification pill, toasts and the
// modal dialog. Hovered rows and buttons follow the pointer.
#include "core/layout/layout.hpp"
#include "core/paint/detail/node_paint.hpp"
#include "core/paint/overlays.hpp"

#include <cmath>
#include <limits>

namespace orvy {

namespace {

using detail::draw_text;
using detail::non_negative;

struct Overlay {
    Canvas& canvas;
    PaintContext const& context;
    Tree const& tree;
    OverlayState const& state;

    Palette const& palette() const { return context.palette; }
    void text(std::u16string_view value, TextFormat const* format, RectF box, Color color) const
    {
        draw_text(canvas, context.text, value, format, box, color);
    }
    // The body format centred on one line, for labels on small buttons.
    std::shared_ptr<TextFormat const> centred_body() const
    {
        if (!context.text || !context.formats.body)
            return nullptr;
        TextFormatKey key = context.formats.body->key();
        key.align = TextAlign::Center;
        key.wrap = WordWrap::NoWrap;
        return context.text->format(key);
    }
};

struct RowStyle {
    float highlight_inset_x = 3;
    float highlight_inset_y = 2;
    float text_inset = 12;
    float text_trim = 24; // text box width = list width − this
};

// A panel of uniform rows: surface body (radius 8), square border outline,
// the hovered row highlighted in selection (radius 5), texts in the body format.
void paint_row_list(Overlay const& o, RectF panel, float row_height, TextList const& items, RowStyle style = {},
    std::optional<std::uint32_t> keyboard_row = std::nullopt)
{
    Palette const& palette = o.palette();
    o.canvas.fill_rounded_rect(panel, 8, palette.surface());
    o.canvas.stroke_rect(panel, palette.border(), 1);
    auto hovered = keyboard_row ? keyboard_row
                                : list_row_at(panel, row_height, items.size(), o.context.pointer);
    for (std::size_t i = 0; i < items.size(); ++i) {
        float top = panel.y + row_height * static_cast<float>(i);
        if (top > o.context.viewport_height + 48)
            break;
        if (hovered == i)
            o.canvas.fill_rounded_rect({ panel.x + style.highlight_inset_x, top + style.highlight_inset_y,
                                           non_negative(panel.w - 2 * style.highlight_inset_x),
                                           non_negative(row_height - 2 * style.highlight_inset_y) },
                5, palette.selection());
        o.text(items[i], o.context.formats.body.get(),
            { panel.x + style.text_inset, top, non_negative(panel.w - style.text_trim), row_height }, palette.text());
    }
}

void paint_open_dropdown(Overlay const& o)
{
    if (!o.tree.open_dropdown || !o.tree.contains(*o.tree.open_dropdown))
        return;
    Node const& node = o.tree.node(*o.tree.open_dropdown);
    auto const* model = node.model.as<ChoiceModel>();
    if (!model || model->items.empty() || !(node.rect.h > 0))
        return;
    paint_row_list(o, dropdown_list_rect(node.rect, model->items.size()), node.rect.h, model->items, {},
        o.tree.keyboard_row);
}

void paint_context_menu(Overlay const& o)
{
    if (!o.tree.menu_open || o.tree.menu_items.empty())
        return;
    paint_row_list(o, context_menu_rect(o.tree.menu_pos, o.tree.menu_items.size()), menu_item_height,
        o.tree.menu_items, {}, o.tree.keyboard_row);
}

void paint_menu_list(Overlay const& o)
{
    if (!o.state.open_list || o.state.open_list->items.empty())
        return;
    OpenList const& list = *o.state.open_list;
    paint_row_list(o, menu_list_rect(list), menu_list_row, list.items);
}

void paint_inspector(Overlay const& o)
{
    if (!o.state.inspector || !o.context.hover || !o.tree.contains(*o.context.hover))
        return;
    Node const& node = o.tree.node(*o.context.hover);
    RectF box { node.rect.x, std::max(node.rect.y - 22, 0.0f), 240, 22 };
    o.canvas.fill_rounded_rect(box, 4, Color { 0, 0, 0, 0.85f });
    auto whole = [](float value) -> std::int64_t {
        if (std::isnan(value))
            return 0;
        constexpr float limit = static_cast<float>(std::numeric_limits<std::int32_t>::max());
        return static_cast<std::int64_t>(std::clamp(value, -limit, limit));
    };
    char16_t label[64];
    std::size_t length = 0;
    for (char c : kind_name(node.kind()))
        label[length++] = static_cast<char16_t>(c);
    label[length++] = u' ';
    auto width = detail::decimal(whole(node.rect.w));
    length += width.view().copy(label + length, width.length);
    label[length++] = u'x';
    auto height = detail::decimal(whole(node.rect.h));
    length += height.view().copy(label + length, height.length);
    o.text({ label, length }, o.context.formats.body.get(), { box.x + 6, box.y, 228, 22 }, Color { 1, 1, 1, 1 });
}

void paint_hints(Overlay const& o)
{
    for (NodeId id = 0; id < o.tree.size(); ++id) {
        Node const& node = o.tree.node(id);
        if (node.kind() != NodeKind::Textbox)
            continue;
        auto const* model = node.model.as<TextboxModel>();
        if (!model || !model->text.empty() || model->placeholder.empty())
            continue;
        RectF r = node.rect;
        if (r.x <= hidden_subtree_x || r.y <= hidden_subtree_x || r.right() < 0 || r.bottom() < 0
            || r.x > o.context.viewport_width || r.y > o.context.viewport_height)
            continue;
        bool clipped = id < o.tree.clips.size() && o.tree.clips[id];
        if (clipped)
            o.canvas.push_clip(*o.tree.clips[id]);
        RectF box = node.multiline ? RectF { r.x + 10, r.y + 6, non_negative(r.w - 20), 28 }
                                   : RectF { r.x + 12, r.y, non_negative(r.w - 24), r.h };
        // The hint stands in for the field's text, so it takes the field's font.
        Style const& style = node.styles.base();
        std::shared_ptr<TextFormat const> own;
        if ((style.font_size || style.font_family) && o.context.text) {
            TextFormatKey key = text_format_key(TextRole::Body, style.font_family.value_or(0), 1);
            key.size = style.font_size.value_or(20.0f);
            own = o.context.text->format(key);
        }
        o.text(model->placeholder, own ? own.get() : o.context.formats.body.get(), box, o.palette().border());
        if (clipped)
            o.canvas.pop_clip();
    }
}

void paint_tooltip(Overlay const& o)
{
    if (o.state.dialog || !tooltip_due(o.tree, o.context.now) || !o.context.text || !o.context.formats.heading)
        return;
    Text const& tip = *o.tree.node(o.tree.hovered->node).extras().tip;
    auto layout = o.context.text->layout(tip, *o.context.formats.heading, TextEngine::measure_box, 100);
    if (!layout)
        return;
    TextSize size = layout->size();
    RectF box = tooltip_box(o.context.pointer, size, o.tree.tip_pad_x, o.tree.tip_pad_y, o.context.viewport_width,
        o.context.viewport_height);
    o.canvas.fill_rounded_rect(box, o.tree.tip_radius, o.palette().text());
    o.text(tip, o.context.formats.heading.get(), { box.x + o.tree.tip_pad_x, box.y + o.tree.tip_pad_y, size.width, size.height },
        o.palette().surface());
}

void paint_notification(Overlay const& o)
{
    if (!o.state.notification)
        return;
    Notification const& note = *o.state.notification;
    float alpha = notification_alpha(note.end, o.context.now);
    if (!(alpha > 0))
        return;
    float width = detail::text_width(o.context.text, note.message, o.context.formats.body.get());
    RectF pill = notification_pill(width, o.context.viewport_width, o.context.viewport_height);
    Color fill = o.palette().accent(), text = o.palette().on_accent();
    o.canvas.fill_rounded_rect(pill, 12, detail::with_alpha(fill, fill.a * alpha));
    o.text(note.message, o.context.formats.body.get(), { pill.x + 24, pill.y, non_negative(pill.w - 48), pill.h },
        detail::with_alpha(text, text.a * alpha));
}

void paint_toasts(Overlay const& o)
{
    if (o.state.toasts.empty())
        return;
    Palette const& palette = o.palette();
    std::vector<ToastPlacement> placements
        = place_toasts(o.state.toasts, o.context.viewport_width, o.context.viewport_height);
    auto centred = o.centred_body();
    TextFormat const* body = o.context.formats.body.get();
    for (std::size_t i = 0; i < placements.size(); ++i) {
        Toast const& toast = o.state.toasts[i];
        RectF box = placements[i].box;
        o.canvas.fill_rounded_rect(box, 12, palette.surface());
        o.canvas.stroke_rounded_rect(box, 12, palette.border(), 1);
        if (toast.message_only) {
            o.text(toast.message, body, { box.x + 16, box.y, non_negative(box.w - 140), box.h }, palette.text());
        } else {
            o.text(toast.title, body, { box.x + 16, box.y + 8, non_negative(box.w - 32), 26 }, palette.text());
            o.text(toast.message, body, { box.x + 16, box.y + 34, non_negative(box.w - 120), 30 }, palette.border());
        }
        if (!toast.button.empty()) {
            o.canvas.fill_rounded_rect(placements[i].button, 6, palette.accent());
            o.text(toast.button, centred.get(), placements[i].button, palette.on_accent());
        }
    }
}

void paint_dialog(Overlay const& o)
{
    if (!o.state.dialog)
        return;
    Dialog const& dialog = *o.state.dialog;
    Palette const& palette = o.palette();
    float W = o.context.viewport_width, H = o.context.viewport_height;
    o.canvas.fill_rect({ 0, 0, W, H }, Color { 0, 0, 0, 0.5f });
    RectF panel = dialog_panel(W, H);
    o.canvas.fill_rounded_rect(panel, 14, palette.surface());
    o.canvas.stroke_rounded_rect(panel, 14, palette.border(), 1);
    o.text(dialog.title, o.context.formats.title.get(),
        { panel.x + 24, panel.y + 20, dialog_message_width, 34 }, palette.text());
    RectF message { panel.x + 24, panel.y + 60, dialog_message_width, dialog_message_height };
    TextFormat const* paragraph = o.context.formats.paragraph.get();
    o.canvas.push_clip(message);
    o.text(dialog.message, paragraph, { message.x, message.y - dialog.scroll, dialog_message_width, 100000.0f },
        palette.text());
    o.canvas.pop_clip();
    if (o.context.text && paragraph) {
        float height = dialog_message_height_of(*o.context.text, *paragraph, dialog.message);
        paint_scroll_bar(o.canvas, { message.x, message.y, message.w + 14, message.h }, height,
            dialog_message_height, dialog.scroll, palette.border(), palette.text());
    }
    std::size_t count = dialog.buttons.size();
    auto hovered = dialog_button_at(panel, count, o.context.pointer);
    for (std::size_t i = 0; i < count; ++i) {
        RectF button = dialog_button(panel, i, count);
        if (dialog.focused_button == i)
            o.canvas.fill_rounded_rect({ button.x - 3, button.y - 3, button.w + 6, button.h + 6 }, 13, palette.text());
        bool primary = i + 1 == count;
        bool hover = hovered == i;
        if (primary) {
            o.canvas.fill_rounded_rect(button, 10, hover ? palette.accent_hover() : palette.accent());
            o.text(dialog.buttons[i], o.context.formats.title.get(), button, palette.on_accent());
        } else {
            o.canvas.fill_rounded_rect(button, 10, hover ? palette.border() : palette.surface());
            o.canvas.stroke_rounded_rect(button, 10, palette.border(), 1);
            o.text(dialog.buttons[i], o.context.formats.title.get(), button, palette.text());
        }
    }
}

}

void paint_overlays(Canvas& canvas, PaintContext const& context, Tree const& tree, OverlayState const& overlays)
{
    Overlay o { canvas, context, tree, overlays };
    paint_open_dropdown(o);
    paint_context_menu(o);
    paint_menu_list(o);
    paint_inspector(o);
    paint_hints(o);
    paint_tooltip(o);
    paint_notification(o);
    paint_toasts(o);
    paint_dialog(o);
}

}
