// Pointer input: a window's pointer state and the handlers that turn pointer
// events into changes of its tree and overlays and into UiEvents.
#pragma once

#include "core/operations/operations.hpp"
#include "core/paint/overlays.hpp"
#include "core/text/text_engine.hpp"
#include "core/tree/tree.hpp"
#include "core/window/host.hpp"

#include <array>
#include <cstdint>
#include <optional>

namespace orvy {

// Two presses make a double press when they are less than 400 ms apart
// (whole milliseconds, truncated) and less than 6 px apart on both axes.
inline constexpr std::int64_t double_press_milliseconds = 400;
inline constexpr float double_press_distance = 6.0f;
// The vertical scroll bar zone at the right edge of lists, tables, trees and scroll areas.
inline constexpr float scrollbar_zone_width = 12.0f;
// Pointer travel that turns a dial through its whole range.
inline constexpr float dial_drag_span = 160.0f;
// The arrow part at the right of a split button.
inline constexpr float split_arrow_width = 34.0f;
inline constexpr float pager_button_width = 40.0f;
inline constexpr float wheel_notch = 120.0f;
inline constexpr float slider_wheel_step = 0.05f;

enum class DragKind : std::uint8_t {
    None,
    Slider,
    ScrollBar, // lists, scroll areas and tables
    TreeScrollBar,
    Splitter,
    RangeThumb,
    Dial,
    Color,
    CanvasPan,
    ColumnEdge, // the edge between a column of a table or tree and the next
};

// The one drag a press may start, with what it started from.
struct Drag {
    DragKind kind = DragKind::None;
    NodeId node = 0;
    RangeThumb thumb = RangeThumb::Lower;
    ColorPart color_part = ColorPart::Field;
    float start_value = 0;
    PointF start_pointer;
    PointF start_view;
    std::uint32_t column = 0; // of a column-edge drag
    bool resized = false;     // whether a column-edge drag changed a width
};

// What input asks of the window about texts: where a text field's
// characters lie on screen, and the clipboard. Positions are code-unit
// offsets into the field's text (a terminal: its input line).
class TextServices {
public:
    virtual ~TextServices() = default;
    // The caret before `position`, in window coordinates.
    virtual CaretLine caret_at(NodeId field, std::size_t position) = 0;
    // The text position nearest to a window point.
    virtual std::size_t position_at(NodeId field, PointF point) = 0;
    virtual std::u16string clipboard_text() = 0;
    virtual void set_clipboard_text(std::u16string_view text) = 0;
    // The width of a text in the body font of a node (a table's or tree's
    // cells); without a text engine every text counts as empty.
    virtual float text_width(NodeId, std::u16string_view) { return 0.0f; }
};

// What the handlers read from the window at the time of the event.
struct PointerContext {
    Instant now;
    float client_width = 0;
    float client_height = 0;
    std::uint8_t modifiers = 0; // key_modifier bits
    // Height of the open message box's text, which bounds its scrolling.
    float dialog_text_height = 0;
};

// The pointer state machine of one window. Every handler returns whether the
// window must be repainted.
//
// Left button (press, then release):
//   down on a clickable, up over it             -> click (activate)
//   down on a clickable, up elsewhere           -> nothing
//   down on a clickable, away, back, up         -> click
//   down on a drag handle, move                 -> the drag follows the pointer
//   down on a drag handle, up anywhere          -> the drag ends
//   down on a canvas, up                        -> PointerDown, PointerUp
//   second down within 400 ms and 6 px          -> double press (canvas, tree,
//                                                  splitter reset, column fit,
//                                                  word select)
//   down in a text field, move, up              -> caret placed, selection follows
//   down on a column edge, move, up             -> the column resizes, then
//                                                  ColumnsChanged when it did
// Overlays take the press first, in this order:
//   dialog open, down on a button  -> dialog closes with that button; any other down is eaten
//   pop layer shown, down outside  -> layer hidden, LayerClosed
//   toast with an action, down in  -> toast removed, its action runs
//   open list, down anywhere       -> list closes; a row in it is picked
//   context menu, down anywhere    -> menu closes; an item in it is picked
//   open dropdown, down anywhere   -> list closes; a row in it is selected;
//                                     down on the list or the dropdown ends there
class PointerInput {
public:
    PointerInput(Tree& tree, OverlayState& overlays) : m_tree(tree), m_overlays(overlays) { }

    bool move(PointerContext const& context, PointF point);
    void left_down(PointerContext const& context, PointF point);
    bool left_up(PointerContext const& context);
    bool right_down(PointerContext const& context, PointF point);
    bool wheel(PointerContext const& context, std::int32_t delta);
    CursorKind cursor_kind() const;

    void set_text_services(TextServices* services) { m_services = services; }

    PointF pointer() const { return m_pointer; }
    // The clickable node under the pointer, and the one the button went down on.
    std::optional<NodeId> hot() const { return m_hot; }
    std::optional<NodeId> pressed() const { return m_pressed; }
    std::optional<NodeId> focus() const { return m_focus; }
    // Moves the keyboard focus; a text field losing it drops its composition.
    // `visible` marks focus moved by the keyboard, which widgets outline.
    void set_focus(std::optional<NodeId> node, bool visible = false);
    // The focus while it was moved by the keyboard, else none.
    std::optional<NodeId> visible_focus() const { return m_focus_visible ? m_focus : std::nullopt; }
    // Grows with every focus change, for observers of the focus.
    std::uint64_t focus_generation() const { return m_focus_generation; }
    bool is_selecting_text() const { return m_selecting_text; }
    Drag const& drag() const { return m_drag; }
    // Runs a node's click: toggles flip, radios join their group, accordions
    // open or close, anything else calls its activate handler.
    bool activate(NodeId node);

private:
    bool press_overlays(PointerContext const& context, PointF point);
    bool is_double_press(PointerContext const& context, PointF point) const;
    void record_press(PointerContext const& context, PointF point);
    bool press_splitter(PointerContext const& context, PointF point, NodeId hit);
    bool press_column_edge(PointerContext const& context, PointF point, NodeId hit);
    bool follow_column_edge(PointF point);
    bool end_column_edge_drag();
    bool over_column_edge() const;
    // A left press on a node, as the per-kind handlers get it. The kind
    // handlers (pointer_press.cpp) open, select or start what the kind does;
    // the value handlers (pointer_values.cpp) then pick the value where the
    // press lands. Each runs through a table indexed by the node kind.
    struct Press {
        PointerContext const& context;
        PointF point;
        NodeId hit;
        Node& node;
        RectF rect;
    };
    using PressHandler = void (PointerInput::*)(Press const&);
    static std::array<PressHandler, kind_count> const kind_presses;
    static std::array<PressHandler, kind_count> const value_presses;
    void press_kind(PointerContext const& context, PointF point, NodeId hit);
    void press_value(PointerContext const& context, PointF point, NodeId hit);
    void press_dropdown(Press const&);
    void press_tabs(Press const&);
    void press_scrolled(Press const&); // tables, lists and scroll areas
    void press_accordion(Press const&);
    void press_split(Press const&);
    void press_menubar(Press const&);
    void press_canvas(Press const&);
    void press_text(Press const&);
    void press_list(Press const&);
    void press_slider(Press const&);
    void press_range(Press const&);
    void press_dial(Press const&);
    void press_treeview(Press const&);
    void press_calendar(Press const&);
    void press_propgrid(Press const&);
    void press_color(Press const&);
    void press_time(Press const&);
    void press_crumbs(Press const&);
    void press_pager(Press const&);
    void press_rating(Press const&);
    void press_term(Press const&);
    void press_dock(Press const&);
    bool follow_drag(PointF point);
    bool select_text_to(PointF point);
    bool scroll_container(NodeId from, float notches);
    PointF canvas_point(NodeId canvas, PointF point) const;

    Tree& m_tree;
    OverlayState& m_overlays;
    PointF m_pointer;
    std::optional<NodeId> m_hot;
    std::optional<NodeId> m_pressed;
    std::optional<NodeId> m_focus;
    bool m_focus_visible = false;
    std::uint64_t m_focus_generation = 0;
    bool m_selecting_text = false;
    TextServices* m_services = nullptr;
    std::optional<NodeId> m_pressed_canvas;
    std::optional<Instant> m_last_press_time;
    PointF m_last_press_point;
    Drag m_drag;
};

}
