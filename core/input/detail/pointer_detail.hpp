// Small queries shared by the pointer handlers.
#pragma once

#include "core/tree/tree.hpp"

#include <algorithm>
#include <cmath>

namespace orvy::detail {

inline bool is_clickable(Tree const& tree, NodeId id)
{
    if (!tree.contains(id))
        return false;
    Node const& node = tree.node(id);
    switch (node.kind()) {
    case NodeKind::Button:
    case NodeKind::Checkbox:
    case NodeKind::Switch:
    case NodeKind::Radio:
    case NodeKind::Toggle:
    case NodeKind::Link:
        return true;
    default:
        return static_cast<bool>(node.extras().on_activate);
    }
}

inline bool in_scrollbar_zone(RectF rect, float x) { return x >= rect.x + rect.w - 12.0f; }

inline float clamp_unit(float value)
{
    if (std::isnan(value))
        return 0.0f;
    return std::clamp(value, 0.0f, 1.0f);
}

// floor(value) as an index, or -1 for NaN and negatives.
inline std::int64_t floor_index(float value)
{
    if (!(value >= 0.0f))
        return -1;
    if (value >= 4.0e9f)
        return std::int64_t { 4000000000 };
    return static_cast<std::int64_t>(std::floor(value));
}

// Moves a scroll position so that it stays in 0..max(content − visible, 0).
inline float clamp_scroll(float offset, float content, float visible)
{
    float top = std::max(content - visible, 0.0f);
    if (std::isnan(offset))
        return 0.0f;
    return std::clamp(offset, 0.0f, top);
}

// Sets the scroll position of a list, table, tree, scroll area or terminal
// from a fraction of its extent (the scroll bar mapping), or returns false
// for other kinds.
bool scrollbar_to(Tree& tree, NodeId id, float py);

}
