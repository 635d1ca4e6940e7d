// LayoutState: the flat per-node arrays one pass fills (indexed by NodeId)
// and the hit-test index it leaves behind, plus the float rules they share.
#pragma once

#include "core/layout/layout.hpp"

#include <cmath>
#include <cstdint>
#include <vector>

namespace orvy {

namespace detail {

// max and min where a NaN operand yields the other one, so a NaN bound never
// wins over a number.
inline float max_of(float a, float b)
{
    if (std::isnan(a))
        return b;
    if (std::isnan(b))
        return a;
    return a < b ? b : a;
}

inline float min_of(float a, float b)
{
    if (std::isnan(a))
        return b;
    if (std::isnan(b))
        return a;
    return b < a ? b : a;
}

// v raised to the minimum, then capped by the maximum unless the minimum is
// larger: the minimum wins over a smaller maximum.
inline float bounded(float v, float minimum, float maximum)
{
    return min_of(max_of(v, minimum), max_of(maximum, minimum));
}

// A minimum that is not a positive number means none.
inline float positive_or_zero(float v) { return v > 0 ? v : 0.0f; }

// Big trees outgrow the caches: the sweeps ask for the memory they will touch
// a few nodes in advance where the hardware cannot guess it.
inline constexpr std::size_t prefetch_distance = 8;

inline void prefetch_for_read(void const* address) { __builtin_prefetch(address, 0, 3); }

inline RectF off_screen_rect() { return RectF { off_screen, off_screen, 0, 0 }; }

// Inclusive on every edge.
inline bool covers(RectF const& r, float px, float py)
{
    return px >= r.x && py >= r.y && px <= r.x + r.w && py <= r.y + r.h;
}

enum ItemFlag : std::uint16_t {
    HasW = 1 << 0,
    HasH = 1 << 1,
    HasLeft = 1 << 2,
    HasTop = 1 << 3,
    HasRight = 1 << 4,
    HasBottom = 1 << 5,
    Hidden = 1 << 6,
    Absolute = 1 << 7,
    HasDefinite = 1 << 8,
    Expand = 1 << 9,
    // The kind's own switch: accordion and dock open, splitter vertical.
    KindFlag = 1 << 10,
    Disabled = 1 << 11,
    HasCell = 1 << 12,
};

// Set membership of a node for one pass.
enum Mark : std::uint8_t {
    MarkHidden = 1 << 0,
    MarkDisabled = 1 << 1,
};

// What the placement rules read of one node, gathered into one compact record
// of one cache line so the sweeps stay inside a small contiguous array. What
// few nodes need (edge offsets, grid cells) sits apart in Extra.
struct alignas(64) Item {
    float w, h;
    float padding, gap, grow;
    float max_w, max_h;
    float min_w, min_h; // resolved minimums, never NaN or negative
    float definite_h;   // valid with HasDefinite
    union {
        float kind_value;         // splitter ratio, scroll offset
        std::uint32_t kind_index; // tabs selected index, stack page
    };
    std::uint32_t first_child;
    std::uint32_t child_count;
    std::uint16_t flags;
    NodeKind kind;
    Axis axis;
    Justify justify;
    Cross cross;
    ChildLayout child_layout;
    PackSide pack_side;
    PackFill pack_fill;

    bool has(std::uint16_t flag) const { return (flags & flag) != 0; }
    bool is_flow() const { return (flags & (Hidden | Absolute)) == 0; }
};
static_assert(sizeof(Item) == 64);

// Edge offsets, kept only for absolutely placed nodes, and the grid cell,
// kept only when it differs from the first cell with a span of one (HasCell).
struct Extra {
    float left, top, right, bottom;
    std::uint8_t row, col, row_span, col_span;
};

// A hit box: the range of points where anything in a subtree can be hit.
struct Box {
    float x0, y0, x1, y1;
    bool holds(float px, float py) const { return px >= x0 && px <= x1 && py >= y0 && py <= y1; }
    bool is_empty() const { return !(x0 <= x1 && y0 <= y1); }
};

inline constexpr std::uint32_t no_node = 0xFFFFFFFFu;

// Nodes with at least this many children get a run when they can have one.
inline constexpr std::uint32_t wide_node_children = 32;

// The children of a wide node whose boxes are not empty, when those boxes
// advance along one axis (both edges never going back, as in a list or a
// row): the ones that can hold a coordinate then form one stretch, found by
// two binary searches instead of a look at every child.
struct ChildRun {
    std::uint32_t node;
    std::uint32_t first; // into LayoutState::run_children
    std::uint32_t count;
    bool along_x;
};

}

struct LayoutState {
    std::vector<detail::Item> items;
    std::vector<detail::Extra> extras; // valid as the item's flags say
    std::vector<std::uint32_t> children; // every node's children, in document order, back to back
    std::vector<std::uint32_t> parents;
    // Scratch of pass 1: each node's first child and each node's next
    // sibling, linked as the backward walk meets them.
    std::vector<std::uint32_t> first_born;
    std::vector<std::uint32_t> next_born;
    std::vector<std::uint8_t> marks;     // hidden / disabled set membership for this pass
    // What the parent offers a node, until the node clamps it into its rect.
    std::vector<RectF> rects;
    std::vector<detail::Box> boxes;
    std::vector<std::uint32_t> wide_nodes; // at least wide_node_children children, descending
    std::vector<detail::ChildRun> runs;    // ordered by node
    std::vector<std::uint32_t> run_children;
    // The node count the index was built for; 0 means no index.
    std::size_t indexed_nodes = 0;
};

namespace detail {

LayoutState& state_of(Tree& tree);

// Pass 1 (bottom-up): gathers items and child lists, resolves minimum sizes
// and definite heights.
void measure_tree(Tree const& tree, LayoutState& state);
NodeMeasure measure_of(LayoutState const& state, NodeId id);

// Places the children of one node: writes the rectangle offered to each of
// them into state.rects.
// May update the node's scroll content height or splitter ratio.
void place_children(Tree& tree, LayoutState& state, NodeId id, RectF const& rect);

// Pass 4 (bottom-up): builds the hit boxes from rects and clips.
void build_hit_index(Tree const& tree, LayoutState& state);

}

}
