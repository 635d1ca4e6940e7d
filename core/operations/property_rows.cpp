// The property grid's rows: replacing them, selecting one with the pointer.
#include "core/operations/detail/numbers.hpp"
#include "core/operations/operations.hpp"

#include <algorithm>
#include <cmath>

namespace orvy {

namespace {

PropgridModel* property_grid(Tree& tree, NodeId id)
{
    if (!tree.contains(id) || tree.node(id).kind() != NodeKind::Propgrid)
        return nullptr;
    return tree.node(id).model.as<PropgridModel>();
}

}

bool set_property_rows(Tree& tree, NodeId id, std::vector<std::pair<Text, Text>> rows)
{
    auto* grid = property_grid(tree, id);
    if (!grid || grid->rows == rows)
        return false;
    grid->rows = std::move(rows);
    if (grid->current && *grid->current >= grid->rows.size())
        grid->current.reset();
    float content = static_cast<float>(grid->rows.size()) * property_row_height;
    float largest = std::max(content - tree.node(id).rect.h, 0.0f);
    grid->scroll = detail::clamp_number(grid->scroll, 0.0f, largest);
    tree.layout_dirty = true;
    return true;
}

void property_grid_press(Tree& tree, NodeId id, float py)
{
    auto* grid = property_grid(tree, id);
    if (!grid)
        return;
    float row = std::floor((py - tree.node(id).rect.y + grid->scroll) / property_row_height);
    if (!(row >= 0.0f && row < static_cast<float>(grid->rows.size())))
        return;
    auto index = static_cast<std::uint32_t>(row);
    grid->current = index;
    tree.layout_dirty = true;
    tree.fire_change(id, static_cast<float>(index));
}

}
