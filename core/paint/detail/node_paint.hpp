// NodePaint: what every kind painter reads for one node, the text and colour
// helpers they share, and the painter of each family of kinds.
#pragma once

#include "core/paint/painter.hpp"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace orvy::detail {

inline float non_negative(float value) { return value > 0 ? value : 0; } // NaN too

// a + (1 − a) × 0.1 per channel: 10 % towards white, alpha kept.
inline Color lightened(Color c) { return { c.r + (1 - c.r) * 0.1f, c.g + (1 - c.g) * 0.1f, c.b + (1 - c.b) * 0.1f, c.a }; }
inline Color darkened(Color c) { return { c.r * 0.9f, c.g * 0.9f, c.b * 0.9f, c.a }; }
inline Color with_alpha(Color c, float alpha) { return { c.r, c.g, c.b, alpha }; }

// Draws the text laid out in the box; nothing for an empty text, without an
// engine or without a format.
void draw_text(Canvas& canvas, TextEngine* engine, std::u16string_view text, TextFormat const* format, RectF box,
    Color color);
float text_width(TextEngine* engine, std::u16string_view text, TextFormat const* format);

struct NodePaint;

// What a text field shows: its text (or one bullet per unit when masked) with
// the input method's composition inserted at the caret.
struct EditedText {
    std::u16string_view text;
    std::uint32_t caret = 0;
    std::uint32_t preedit_start = 0;
    std::uint32_t preedit_end = 0;
};
EditedText edited_text(TextboxModel const& model, bool masked);
float caret_x_of(TextEngine* engine, std::u16string_view text, TextFormat const* format, std::uint32_t position);
// Underlines the composition of a single-line text laid out from `origin`
// (its left edge and the underline's height).
void underline_preedit(NodePaint const& p, EditedText const& shown, PointF origin, Color color);

// Decimal text of a number in a caller-owned buffer, so painting numbers
// allocates nothing.
struct NumberText {
    char16_t units[24];
    std::size_t length = 0;
    std::u16string_view view() const { return { units, length }; }
};
NumberText decimal(std::int64_t value);
NumberText two_digits(std::int64_t value);

// The bitmap an icon or image source names, if it is loaded.
Bitmap const* find_image(PaintContext const& context, std::u16string_view source);
Bitmap const* find_image(PaintContext const& context, std::string_view source);

struct NodeFormats {
    TextFormat const* title = nullptr;
    TextFormat const* body = nullptr;
    TextFormat const* paragraph = nullptr;
    TextFormat const* heading = nullptr; // the title on one line, for grid cells
};

struct NodePaint {
    Canvas& canvas;
    PaintContext const& context;
    Tree const& tree;
    NodeId id;
    Node const& node;
    RectF r;
    Style const& style;
    NodeFormats formats;
    bool disabled = false;
    bool masked = false;

    Palette const& palette() const { return context.palette; }
    Color background_or(Color fallback) const { return style.background.value_or(fallback); }
    Color text_or(Color fallback) const { return style.text_color.value_or(fallback); }
    // The style radius when set, else the node's own corner radius.
    float radius() const;
    float radius_or(float fallback) const { return style.radius.value_or(fallback); }

    bool is_focus() const { return context.focus == id; }
    bool is_visible_focus() const { return context.visible_focus == id; }
    bool is_hover() const { return context.hover == id; }
    bool is_hot() const { return context.hot == id; }
    bool is_pressed() const { return context.pressed == id; }

    void text(std::u16string_view value, TextFormat const* format, RectF box, Color color) const
    {
        draw_text(canvas, context.text, value, format, box, color);
    }
    void fill(RectF box, float radius, Color color) const { canvas.fill_rounded_rect(box, radius, color); }
    // A gradient fill when the style has one, else the colour.
    void body(RectF box, float radius, Color color) const;
};

// The node's own corner radius: frames, buttons, groups, accordions and split buttons have one.
float own_radius(Node const& node);

// A button's or toggle's icon at the left with the label in the rest of the
// rectangle (title format).
void paint_icon_and_label(NodePaint const& p, std::u16string_view label, Color color);

// A row or cell position clamped into 0..count, NaN as 0, so no
// out-of-range float ever reaches an integer conversion.
inline std::size_t clamp_index(double value, std::size_t count)
{
    if (!(value > 0))
        return 0;
    return value >= static_cast<double>(count) ? count : static_cast<std::size_t>(value);
}

// Value clamped to 0..1, NaN as 0.
inline float unit(float value) { return value > 0 ? std::min(value, 1.0f) : 0.0f; }

// One painter per kind, grouped by family in widgets/*.cpp.
void paint_frame(NodePaint const&);
void paint_label(NodePaint const&);
void paint_button(NodePaint const&);
void paint_link(NodePaint const&);
void paint_image_node(NodePaint const&);
void paint_separator(NodePaint const&);
void paint_group(NodePaint const&);
void paint_scroll(NodePaint const&);
void paint_splitter(NodePaint const&);
void paint_badge(NodePaint const&);
void paint_status(NodePaint const&);

void paint_checkbox(NodePaint const&);
void paint_radio(NodePaint const&);
void paint_switch(NodePaint const&);
void paint_toggle(NodePaint const&);
void paint_slider(NodePaint const&);
void paint_range(NodePaint const&);
void paint_progress(NodePaint const&);
void paint_dropdown(NodePaint const&);
void paint_split(NodePaint const&);

void paint_textbox(NodePaint const&);

void paint_gauge(NodePaint const&);
void paint_dial(NodePaint const&);
void paint_meter(NodePaint const&);
void paint_spinner(NodePaint const&);
void paint_rating(NodePaint const&);
void paint_chart(NodePaint const&);
void paint_pager(NodePaint const&);
void paint_crumbs(NodePaint const&);
void paint_time(NodePaint const&);
void paint_color(NodePaint const&);

void paint_list(NodePaint const&);
void paint_table(NodePaint const&);
void paint_treeview(NodePaint const&);
void paint_propgrid(NodePaint const&);

void paint_tabs(NodePaint const&);
void paint_accordion(NodePaint const&);
void paint_dock(NodePaint const&);
void paint_drop(NodePaint const&);
void paint_menubar(NodePaint const&);
void paint_calendar(NodePaint const&);
void paint_term(NodePaint const&);
void paint_canvas(NodePaint const&);

}
