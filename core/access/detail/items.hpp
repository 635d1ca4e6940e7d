// Items of lists, tables, trees, tabs and menus as accessible objects.
#pragma once

#include "core/access/accessible.hpp"

#include <cstddef>

namespace orvy::detail {

// How many items a node has, and how many cells an item has.
std::size_t accessible_item_count(Tree const& tree, NodeId node);
std::size_t accessible_cell_count(Tree const& tree, AccessibleRef item);
// The item refs of a node in reading order (a tree lists only its visible rows).
std::vector<AccessibleRef> accessible_items(Tree const& tree, NodeId node);
// Role, name, states (selection, expansion), actions and extents of an item or cell.
AccessibleInfo describe_item(Tree const& tree, AccessibleRef ref);

}
