// NodeKind: the 45 widget kinds, their CSS type names, and UiEvent codes.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace orvy {

enum class NodeKind : std::uint8_t {
    Container, Frame, Label, Button, Slider, Progress, Checkbox, Textbox, Dropdown, Tabs,
    Table, Image, Switch, Radio, Toggle, Separator, List, Group, Link, Accordion,
    Scroll, Stack, Splitter, Spinner, Gauge, Meter, Chart, Range, Status, Split,
    Menubar, Dial, Treeview, Calendar, Color, Time, Propgrid, Badge, Crumbs, Pager,
    Rating, Canvas, Term, Dock, Drop,
};

inline constexpr std::size_t kind_count = 45;

// Indexed by the kind's value; these are the names CSS type selectors match.
inline constexpr std::array<std::string_view, kind_count> kind_names {
    "container", "frame", "label", "button", "slider", "progress", "checkbox", "textbox", "dropdown", "tabs",
    "table", "image", "switch", "radio", "toggle", "separator", "list", "group", "link", "accordion",
    "scroll", "stack", "splitter", "spinner", "gauge", "meter", "chart", "range", "status", "split",
    "menubar", "dial", "treeview", "calendar", "color", "time", "propgrid", "badge", "crumbs", "pager",
    "rating", "canvas", "term", "dock", "drop",
};

constexpr std::string_view kind_name(NodeKind kind) { return kind_names[static_cast<std::size_t>(kind)]; }

constexpr std::optional<NodeKind> kind_from_name(std::string_view name)
{
    for (std::size_t i = 0; i < kind_count; ++i) {
        if (kind_names[i] == name)
            return static_cast<NodeKind>(i);
    }
    return std::nullopt;
}

// Events the core reports through the tree's registry. Code 4 is unused.
enum class UiEvent : std::uint8_t {
    PointerDown = 0,
    PointerMove = 1,
    PointerUp = 2,
    DoubleClick = 3,
    RowClick = 5,
    RowDoubleClick = 6,
    SelectionChanged = 7,
    LayerClosed = 8,
    RightClick = 9,
    ColumnsChanged = 10,
    RowOpened = 11,
};

// The index reported when an event has no row or shape (−1 as a 32-bit value).
inline constexpr std::uint32_t no_index = 0xFFFFFFFFu;

}
