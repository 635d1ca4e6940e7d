// The three ways a container places its flow children inside its content box.
#pragma once

#include "core/layout/detail/state.hpp"

namespace orvy::detail {

struct ContentBox {
    float x, y, w, h;
};

// Flow children one after another along the main axis, sharing free space by
// weight, with justify along the axis and cross alignment across it.
void place_flow(LayoutState& state, Item const& item, ContentBox const& box, std::uint32_t flow_count);

// Flow children in equal cells, at their row and column, spanning cells.
void place_grid(LayoutState& state, Item const& item, ContentBox const& box);

// Flow children against the sides of a shrinking cavity, in document order.
void place_pack(LayoutState& state, Item const& item, ContentBox const& box);

}
