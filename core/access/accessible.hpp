// The accessible view of a window: what assistive technology sees of the
// tree (roles, names, states, values, text, actions, extents) and the
// changes it hears about. Backends publish it (AT-SPI, UI Automation).
#pragma once

#include "core/base/geometry.hpp"
#include "core/tree/node.hpp"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace orvy {

class Tree;
struct OverlayState;
struct WindowOptions;

enum class AccessibleRole : std::uint8_t {
    Panel, Frame, Label, PushButton, CheckBox, RadioButton, ToggleButton, Slider, SpinButton, ProgressBar,
    LevelBar, Dial, Link, Entry, PasswordText, ComboBox, List, ListItem, Table, TableRow, TableCell,
    ColumnHeader, Tree, TreeItem, PageTabList, PageTab, MenuBar, Menu, MenuItem, Dialog, Alert, Notification,
    ScrollPane, SplitPane, Separator, Image, Calendar, ColorChooser, Terminal, StatusBar, Grouping, Canvas,
    Chart, Animation, Rating, DateEditor, Filler,
};

enum class AccessibleState : std::uint8_t {
    Enabled, Sensitive, Focusable, Focused, Checkable, Checked, Pressed, Selectable, Selected, Expandable,
    Expanded, Collapsed, Visible, Showing, Editable, MultiLine, SingleLine, MultiSelectable, Modal, Horizontal,
    Vertical, ReadOnly, HasTooltip, Active,
};

class AccessibleStates {
public:
    void set(AccessibleState state, bool on = true)
    {
        auto bit = std::uint32_t { 1 } << static_cast<unsigned>(state);
        m_bits = on ? m_bits | bit : m_bits & ~bit;
    }
    bool has(AccessibleState state) const { return (m_bits >> static_cast<unsigned>(state)) & 1u; }
    std::uint32_t bits() const { return m_bits; }
    friend bool operator==(AccessibleStates, AccessibleStates) = default;

private:
    std::uint32_t m_bits = 0;
};

// One accessible object: a node, an item of a node (list item, table row,
// tree row, tab, menu) or a part of an item (table cell, menu entry). The
// message box and the notifications drawn over the tree are items of the
// overlay node.
struct AccessibleRef {
    static constexpr NodeId overlay = ~NodeId { 0 };
    static constexpr std::uint32_t whole = 0xFFFFFFFFu;
    // Items of the overlay node.
    static constexpr std::uint32_t dialog_item = 0;
    static constexpr std::uint32_t notification_item = 1;

    NodeId node = 0;
    std::uint32_t item = whole;
    std::uint32_t cell = whole;

    bool is_node() const { return item == whole; }
    friend bool operator==(AccessibleRef const&, AccessibleRef const&) = default;
};

struct AccessibleValue {
    double current = 0;
    double minimum = 0;
    double maximum = 1;
    double step = 0;
};

// What a text field holds, in UTF-16 code units.
struct AccessibleText {
    Text text;
    std::size_t caret = 0;
    std::size_t anchor = 0;
    bool editable = false;
};

struct AccessibleInfo {
    AccessibleRole role = AccessibleRole::Panel;
    Text name;
    Text description;
    AccessibleStates states;
    RectF extents; // client coordinates
    std::optional<AccessibleValue> value;
    // The shown value as words (a dropdown's choice, a date, a colour).
    Text value_text;
    bool has_text = false;       // the Text interface applies
    bool has_selection = false;  // the Selection interface applies
    std::vector<std::string_view> actions;
};

enum class AccessibleEventKind : std::uint8_t {
    Focus,           // target now has the keyboard focus
    StateChanged,    // state turned on or off
    ValueChanged,
    NameChanged,
    TextInserted,    // offset, length, text
    TextRemoved,
    CaretMoved,      // offset
    SelectionChanged,
    ChildrenAdded,   // offset is the child's index, child its ref
    ChildrenRemoved, // offset is the index the child had, child its ref then
    Announcement,    // a dialog or notification appeared (target is it)
};

struct AccessibleEvent {
    AccessibleEventKind kind = AccessibleEventKind::Focus;
    AccessibleRef target;
    AccessibleState state = AccessibleState::Focused;
    bool on = false;
    std::size_t offset = 0; // UTF-16 code units for text events
    std::size_t length = 0;
    Text text;
    AccessibleRef child;
};

// The accessible view of one window as a backend sees it. Every call runs on
// the UI thread; refs that no longer exist are reported as not valid and
// every other call on them does nothing.
class AccessibleView {
public:
    virtual ~AccessibleView() = default;

    virtual AccessibleRef root() const = 0;
    virtual bool is_valid(AccessibleRef ref) const = 0;
    virtual std::optional<AccessibleRef> parent(AccessibleRef ref) const = 0;
    virtual std::vector<AccessibleRef> children(AccessibleRef ref) const = 0;
    virtual AccessibleInfo describe(AccessibleRef ref) const = 0;
    virtual std::optional<AccessibleText> text(AccessibleRef ref) const = 0;
    // The box of the text between two UTF-16 offsets, in client coordinates,
    // from the field's text layout; none where no layout places the text.
    virtual std::optional<RectF> text_extents(AccessibleRef ref, std::size_t from, std::size_t to) const = 0;
    // The UTF-16 offset of the text under a client point; none outside the text.
    virtual std::optional<std::size_t> text_offset_at(AccessibleRef ref, PointF point) const = 0;
    virtual std::optional<AccessibleRef> focus() const = 0;
    // The deepest object containing the client point.
    virtual std::optional<AccessibleRef> at_point(PointF point) const = 0;

    // Each returns whether it did something; the window repaints itself.
    virtual bool do_action(AccessibleRef ref, std::size_t action) = 0;
    virtual bool grab_focus(AccessibleRef ref) = 0;
    virtual bool set_value(AccessibleRef ref, double value) = 0;
    virtual bool set_text(AccessibleRef ref, Text text) = 0;
    virtual bool replace_text(AccessibleRef ref, std::size_t from, std::size_t to, std::u16string_view insert) = 0;
    virtual bool set_caret(AccessibleRef ref, std::size_t caret, std::size_t anchor) = 0;
    // Selection of lists, tables, trees and tabs, by child index.
    virtual std::vector<std::size_t> selected_children(AccessibleRef ref) const = 0;
    virtual bool select_child(AccessibleRef ref, std::size_t index, bool selected) = 0;

    // The changes since the previous call. The first call only takes the
    // current state as its reference and reports nothing.
    virtual std::vector<AccessibleEvent> take_events() = 0;
};

// ---- The mapping from the tree, shared by every view

AccessibleRole accessible_role(Tree const& tree, NodeId node);
// The role of a window's frame: a modal window is a dialog, one that never
// takes the focus (a push notification) a notification.
AccessibleRole accessible_window_role(WindowOptions const& options);
// Whether the node is shown: not hidden, not laid off-screen, not empty.
bool accessible_node_showing(Tree const& tree, NodeId node);
// The objects under a ref, in reading order; the overlay node is not included.
std::vector<AccessibleRef> accessible_children(Tree const& tree, AccessibleRef ref);
std::optional<AccessibleRef> accessible_parent(Tree const& tree, AccessibleRef ref);
bool accessible_ref_valid(Tree const& tree, AccessibleRef ref);
// Everything but focus-dependent states; `focus` is the focused node, if any.
AccessibleInfo describe_accessible(Tree const& tree, AccessibleRef ref, std::optional<NodeId> focus);
// The rectangle of an item or cell within its node.
RectF accessible_item_rect(Tree const& tree, AccessibleRef ref);
// The overlay items shown now (dialog, notification, toasts) and their description.
std::vector<AccessibleRef> accessible_overlay_items(OverlayState const& overlays);
AccessibleInfo describe_overlay(OverlayState const& overlays, AccessibleRef ref, float client_width,
    float client_height);

}
