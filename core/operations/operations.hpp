// Widget model operations: the changes code, pointer and keyboard make to a
// node's per-kind state, with their clamping rules and callback firing.
#pragma once

#include "core/base/style.hpp"
#include "core/models/model.hpp"
#include "core/tree/tree.hpp"

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace orvy {

// Every operation here does nothing on a node of a kind it is not meant for,
// and clamps out-of-range values instead of rejecting them. Operations that
// fire callbacks re-find the node by id after each call, since a callback may
// grow the node array.

// Row heights and header defaults shared by painting, hit testing and scrolling.
inline constexpr float list_row_height = 32.0f;
inline constexpr float table_row_height = 30.0f;
inline constexpr float tree_row_height = 32.0f;
inline constexpr float property_row_height = 32.0f;
inline constexpr float default_header_height = 34.0f;
inline constexpr float closed_dock_extent = 32.0f;
// The scroll bar's reserve on the right of a table or tree's columns.
inline constexpr float column_scrollbar_reserve = 14.0f;
inline constexpr float flexible_column_base = 40.0f;

// ---- Scalar and composite state (no callback runs; layout_dirty on change)

// `val`, `chk`, `dd_sel`: the numeric state of a slider, gauge, toggle,
// radio, dropdown, tabs, list, stack, pager, rating or spin field. Returns
// whether it changed.
bool set_numeric_state(Tree&, NodeId, float x);
// `rsl_set`, `cal_set`, `clr_set`, `tm_set`.
bool set_composite_value(Tree&, NodeId, float a, float b, float c);
// Items of a dropdown or list; an equal list keeps the selection.
bool set_items(Tree&, NodeId, TextList items);
// Text of a textbox (caret to the end) or of a label, status or badge.
bool set_text(Tree&, NodeId, Text text);
// Crumbs items and terminal output.
bool set_crumbs(Tree&, NodeId, TextList items);
bool clear_term(Tree&, NodeId);
// Splitter share of the first area, clamped to 0..1; always dirties layout.
void set_splitter_ratio(Tree&, NodeId, float ratio);

// Membership of the tree's node sets (`show`, `ghost`, `front`, `enable`, `pwd`).
bool set_shown(Tree&, NodeId, bool shown);
bool set_ghost(Tree&, NodeId, bool on);
bool set_front(Tree&, NodeId, bool on);
bool set_enabled(Tree&, NodeId, bool enabled);
bool set_password(Tree&, NodeId, bool on);

// The pop layer: shown placed absolutely at (left, top), sized where w or h is
// positive; hidden by moving it off screen.
void show_pop_layer(Tree&, NodeId, float left, float top, float w, float h);
void hide_pop_layer(Tree&, NodeId);

// Layout from bindings, each returning whether it changed anything and
// dirtying the layout only then: absolute placement at (x, y) sized w × h;
// padding and gap where given; the stacking depth (NaN gives 0, the rest is
// clamped to the 32-bit range). A binding that keeps returning the same value
// thus costs no layout and no frame.
bool place_at(Tree&, NodeId, RectF rect);
bool set_spacing(Tree&, NodeId, std::optional<float> padding, std::optional<float> gap);
bool set_depth(Tree&, NodeId, float z);
// Content from bindings, returning whether it changed; other kinds are left
// alone. A new image source dirties the layout; the rest only needs a paint,
// which the caller asks for. Numbers compare bit for bit, so a NaN given again
// is no change.
bool set_image_source(Tree&, NodeId, std::string_view path);
bool set_image_fit(Tree&, NodeId, ImageFit fit);
bool set_chart_data(Tree&, NodeId, std::vector<float> data);
bool set_canvas_shapes(Tree&, NodeId, std::vector<Shape> shapes);

// Opens or closes an accordion section. Opening one of a non-zero group
// first closes the other open sections of that group (each told 0.0), then
// the section's own change callback hears 1.0 or 0.0.
bool set_accordion_open(Tree&, NodeId, bool open);
// Header click of a dock: flips it and gives it its size or the closed extent.
void toggle_dock(Tree&, NodeId);
// Calendar arrows: months forward (positive) or back; the day becomes 1.
void step_calendar(Tree&, NodeId, std::int32_t months);
// Clicks on a time widget's halves; fires the change callback with hour·100 + minute.
void step_time(Tree&, NodeId, std::int32_t hours, std::int32_t minutes);

// ---- Spin field: a container holding decrement button, value label, increment button

// The spin container of `node` when it is one, or the value label inside one.
std::optional<NodeId> spin_container(Tree const&, NodeId node);
// Integer text when the step is integral, otherwise the shortest float text.
Text format_spin_value(float value, float step);
// Clamps to the spin's bounds, stores and rewrites the label text (no callback).
// Returns false when `node` is not part of a spin field.
bool set_spin_value(Tree&, NodeId node, float value);
// One button press: value ± step, clamped, text rewritten, then the
// container's change callback fires with the new value.
void step_spin(Tree&, NodeId container, std::int32_t direction);

// ---- Colour picker

// 0xRRGGBB of an HSV colour, each input clamped to 0..1.
std::uint32_t hsv_to_rgb(float hue, float saturation, float value);
// The saturation/value field and the hue strip within the picker's rectangle.
RectF color_field_rect(RectF rect);
RectF color_hue_rect(RectF rect);
enum class ColorPart : std::uint8_t { Field, HueStrip };
// Sets hue (strip) or saturation and value (field) from the pointer, then
// fires the change callback with the packed 0xRRGGBB.
void pick_color(Tree&, NodeId, float px, float py, ColorPart part);

// ---- Slider and range from the pointer (fire the change callback with the fraction)

enum class RangeThumb : std::uint8_t { Lower, Upper };
void slider_from_pointer(Tree&, NodeId, float px);
void range_from_pointer(Tree&, NodeId, float px, RangeThumb thumb);

// ---- Rows, scrolling and selection of lists, tables and trees

// Header height of a table (34 unless set), or of a tree that has columns (0 without).
float header_height(Tree const&, NodeId);
// The list item under the pointer, none above the list or past its items.
std::optional<std::uint32_t> list_item_at(Tree const&, NodeId, float py);
// Dragging the vertical scroll bar of a list or scroll area.
void scrollbar_drag(Tree&, NodeId, float py);

// A tree row is visible unless a closed non-leaf ancestor hides it.
bool tree_row_visible(TreeviewModel const&, std::size_t row);
std::vector<std::uint32_t> visible_tree_rows(TreeviewModel const&);
// Lowers the scroll offset of a tree to the largest the visible rows allow.
void lower_tree_scroll(Tree&, NodeId);
// Replaces the rows, keeping only the selection that still exists. Equal
// rows change nothing (false is returned and the layout stays clean).
bool set_tree_rows(Tree&, NodeId, std::vector<TreeRow> rows);
bool set_table_rows(Tree&, NodeId, TextRows rows);
// Opens or closes the listed rows (every row when empty), only non-leaf rows
// whose state differs, firing RowOpened for each.
void open_tree_rows(Tree&, NodeId, std::span<std::uint32_t const> rows, bool open);
// Opens the closed ancestors of a row (firing RowOpened) and scrolls to it.
void tree_see(Tree&, NodeId, std::uint32_t row);
// `lst_sel`, `tre_sel`: out-of-range indexes dropped, the rest sorted and
// deduplicated; the first given becomes the current item.
void set_selection(Tree&, NodeId, std::span<std::uint32_t const> indexes);
// Scrolls a list, table or tree so the item (a tree: row) is in view.
void scroll_into_view(Tree&, NodeId, std::uint32_t index);
// `tbl_see`: current row and scrolled to it.
void table_see(Tree&, NodeId, std::uint32_t row);

struct ColumnSpan {
    float x = 0;
    float w = 0;
};
// Fixed columns keep their width (at least their minimum); the others share
// what is left of the width less the scroll bar's reserve.
std::vector<ColumnSpan> column_layout(RectF rect, std::size_t count, std::span<float const> widths,
    std::span<float const> minimums);
std::vector<ColumnSpan> column_layout(Tree const&, NodeId);
// The column containing x, the last one when none does.
std::size_t column_at(std::span<ColumnSpan const> columns, float x);
void set_column_widths(Tree&, NodeId, std::vector<float> widths);
void set_column_minimums(Tree&, NodeId, std::vector<float> minimums);
// The columns of a table or tree; null for other kinds.
Columns* columns_of(Node&);
Columns const* columns_of(Node const&);

// ---- Column edges of tables and trees with user resizing on

// How far from a column's right edge the pointer may be to grab it.
inline constexpr float column_edge_grip = 4.0f;
// What a fitted column gets around its widest cell text.
inline constexpr float column_fit_padding = 24.0f;
// The minimum of a column: its own when positive, else 40.
float column_minimum(Columns const&, std::size_t column);
// The column whose right edge is under the point, in the header band of a
// table or tree whose columns the user may resize. The last column has no
// grabbable edge: a resize moves the edge between a column and the next.
std::optional<std::size_t> column_edge_at(Tree const&, NodeId, PointF point);
// Gives `column` the width, clamped so that neither it nor the next column
// goes below its minimum; the next column takes what it gives or loses, so
// the pair keeps its total. Both get their width written, flexible ones
// included. Returns whether a width changed.
bool resize_column(Tree&, NodeId, std::size_t column, float width);
// The width of a text in the font a node draws its cells with.
using CellTextWidth = Callback<float(NodeId, std::u16string_view)>;
// The widest cell text of the column plus the padding (just the padding for
// an empty column); in a tree's first column the indentation, expander and
// icon come before the text.
float fitted_column_width(Tree const&, NodeId, std::size_t column, CellTextWidth const& width_of);

// ---- Property grid

// Replaces the rows, dropping a current row that no longer exists and
// lowering the scroll offset to what the rows allow; equal rows change
// nothing and return false.
bool set_property_rows(Tree&, NodeId, std::vector<std::pair<Text, Text>> rows);
// A press at py selects the row there and fires the change callback with it.
void property_grid_press(Tree&, NodeId, float py);

// Pointer click on a table: current row, change callback, RowClick with the column.
void table_click(Tree&, NodeId, float px, float py);
// Tree row selection by pointer or keyboard, and clearing it.
void tree_select_row(Tree&, NodeId, std::uint32_t row, std::uint32_t column = 0);
void tree_clear_selection(Tree&, NodeId);

// ---- Canvas

// 0xRRGGBBAA with each channel clamped below at 0, scaled, rounded, saturated.
std::uint32_t pack_rgba(Color color);
// One shape from its kind name, numbers, parsed colour (absent: opaque white) and text.
Shape make_shape(std::string_view kind, std::span<float const> numbers, std::optional<Color> color, Text text);
bool shape_contains(Shape const&, float x, float y);
// Index of the topmost shape under a window point, no_index when none.
std::uint32_t canvas_hit(CanvasModel const&, RectF rect, float px, float py);
// Request kinds 0 and 1: region from two corners, view offset; both clamp the view.
void set_canvas_region(Tree&, NodeId, float x1, float y1, float x2, float y2);
void set_canvas_view(Tree&, NodeId, float x, float y);
void clamp_canvas_view(Tree&, NodeId);

}
