// Layout engine interface: the top-down pass that gives every node its rect,
// the clip walk, hit testing, the splitter gutter test and raise on press.
#pragma once

#include "core/tree/tree.hpp"

#include <optional>

namespace orvy {

inline constexpr float tab_strip_height = 40.0f;
inline constexpr float accordion_header = 40.0f;
inline constexpr float accordion_row_default = 36.0f;
inline constexpr float scroll_row_default = 40.0f;
inline constexpr float scroll_bar_reserve = 14.0f;
inline constexpr float splitter_gutter = 8.0f;
inline constexpr float splitter_ratio_tolerance = 0.0005f;
inline constexpr float group_header = 30.0f;
inline constexpr float dock_header = 32.0f;
inline constexpr float column_default_width = 40.0f;

// Lays the tree out in the client rectangle when it is dirty or the rectangle
// changed: writes every rect, the scroll content heights, clamped splitter
// ratios, clips and disabled flags, then clears layout_dirty. Returns whether
// a pass ran.
bool layout(Tree& tree, RectF client);

// Runs a full pass whatever the dirty state.
void layout_pass(Tree& tree, RectF client);

// What the pass derives bottom-up for one node: its minimum size and the
// height it has of its own, if any. Computes the whole tree's figures, so use
// it for inspection, not in loops.
struct NodeMeasure {
    float min_w = 0;
    float min_h = 0;
    std::optional<float> definite_h;
};
NodeMeasure measure_node(Tree const& tree, NodeId node);

// The topmost enabled, non-ghost node whose rect holds the point (edges
// included), as the painter stacks them: later in document order and higher z
// is nearer. Hidden subtrees, disabled subtrees and points outside a scroll
// area's clip are skipped.
std::optional<NodeId> hit_test(Tree const& tree, PointF point);

// The same answer by a plain walk of the whole tree, without the index the
// pass builds; hit_test falls back to it when nodes were added since the pass.
std::optional<NodeId> hit_test_walk(Tree const& tree, PointF point);

// Whether the point lies on the 8-pixel strip between a splitter's panes.
bool on_splitter_gutter(Tree const& tree, NodeId splitter, PointF point);

// A press at the point lifts the nearest node of front_set under it (the
// greatest z) above its siblings' depth. Returns whether its z changed.
bool raise_on_press(Tree& tree, PointF point);

}
