// Node: one widget record of a window's tree, with its layout parameters.
#pragma once

#include "core/models/model.hpp"
#include "core/style/style.hpp"
#include "core/tree/callback.hpp"
#include "core/tree/geometry.hpp"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvy {

class Tree;

// Index of a node in its tree's array. Nodes are never removed, so an id
// stays valid for the life of its tree; a child's id exceeds its parent's.
using NodeId = std::size_t;

using ActivateCallback = Callback<void(Tree&)>;
using ChangeCallback = Callback<void(Tree&, float)>;
using SubmitCallback = Callback<void(Tree&, std::string_view utf8)>;

enum class Axis : std::uint8_t { Vertical = 0, Horizontal = 1 };
enum class Placement : std::uint8_t { Flow = 0, Absolute = 1 };
enum class Justify : std::uint8_t { Start = 0, Center = 1, End = 2, Between = 3 };
enum class Cross : std::uint8_t { Stretch = 0, Start = 1, Center = 2, End = 3 };
enum class ChildLayout : std::uint8_t { Flow = 0, Grid = 1, Pack = 2 };
enum class PackSide : std::uint8_t { Top = 0, Bottom = 1, Left = 2, Right = 3 };
enum class PackFill : std::uint8_t { None = 0, X = 1, Y = 2, Both = 3 };

// Everything the layout engine reads from a node.
struct LayoutParams {
    std::optional<float> w;
    std::optional<float> h;
    std::optional<float> left;
    std::optional<float> top;
    std::optional<float> right;
    std::optional<float> bottom;
    float pd = 0.0f;
    float gp = 0.0f;
    float grow = 0.0f; // 0 or less counts as 1
    std::int32_t z = 0;
    float min_w = 0.0f; // used only when greater than 0
    float min_h = 0.0f;
    float max_w = std::numeric_limits<float>::infinity();
    float max_h = std::numeric_limits<float>::infinity();
    Axis axis = Axis::Vertical;
    Placement placement = Placement::Flow;
    bool pack_expand = false;
    Justify justify = Justify::Start;
    Cross cross = Cross::Stretch;
    ChildLayout child_layout = ChildLayout::Flow;
    std::uint8_t row = 0;
    std::uint8_t col = 0;
    std::uint8_t row_span = 1;
    std::uint8_t col_span = 1;
    PackSide pack_side = PackSide::Top;
    PackFill pack_fill = PackFill::None;

    friend bool operator==(LayoutParams const&, LayoutParams const&) = default;
};

// Words accepted by the layout setters; anything unknown falls back to the default.
Justify parse_justify(std::string_view word);   // "cnt", "end", "btw", else start
Cross parse_cross(std::string_view word);       // "st", "cnt", "end", else stretch
PackSide parse_pack_side(std::string_view word); // first character "b", "l", "r", else top
PackFill parse_pack_fill(std::string_view word); // "x", "y", "xy"/"both", else none
Axis parse_axis(std::string_view word);          // first character "h", else vertical

struct Node {
    std::optional<NodeId> parent;
    std::vector<NodeId> children; // document order
    std::optional<std::string> class_name;
    std::optional<Text> icon;
    std::optional<Text> tip;
    StyleSet styles; // base, focus, hover
    Model model;
    RectF rect;
    ActivateCallback on_activate;
    ChangeCallback on_change;
    SubmitCallback on_submit;
    LayoutParams layout;
    bool multiline = false;

    NodeKind kind() const { return model.kind; }
};

}
