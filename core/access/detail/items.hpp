// Items of lists, tables, trees, tabs and menus as accessible objects.
#pragma once

#include "core/access/accessible.hpp"

#include <cstddef>
#include <string_view>

namespace orvy::detail {

// How many items a node has, and how many cells an item has.
std::size_t accessible_item_count(Tree const& tree, NodeId node);
std::size_t accessible_cell_count(Tree const& tree, AccessibleRef item);
// The item refs of a node in reading order (a tree lists only its visible rows).
std::vector<AccessibleRef> accessible_items(Tree const& tree, NodeId node);
// What a frame's comparison needs of one item: its index (a tree's row),
// its name and whether it is selected.
struct ItemSummary {
    std::uint32_t item = 0;
    std::u16string_view name;
    bool selected = false;
};
// The items of accessible_items with their names and selection, found in one
// pass over the model without the extents and actions describe_item works
// out, so that a big table or tree costs a frame linear time.
std::vector<ItemSummary> summarize_items(Tree const& tree, NodeId node);
// Role, name, states (selection, expansion), actions and extents of an item or cell.
AccessibleInfo describe_item(Tree const& tree, AccessibleRef ref);

}
