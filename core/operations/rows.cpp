// Rows of lists and tables: hit testing, scroll bars, selection, scrolling
// into view, column layout and table clicks.
#include "core/operations/detail/numbers.hpp"
#include "core/operations/operations.hpp"

#include <algorithm>
#include <cmath>

namespace orvy {

float header_height(Tree const& tree, NodeId id)
{
    if (!tree.contains(id))
        return 0.0f;
    Node const& node = tree.node(id);
    if (node.kind() == NodeKind::Treeview && node.model.as<TreeviewModel>()->columns.titles.empty())
        return 0.0f;
    if (node.kind() != NodeKind::Table && node.kind() != NodeKind::Treeview)
        return 0.0f;
    auto it = tree.header_heights.find(id);
    return it == tree.header_heights.end() ? default_header_height : it->second;
}

std::optional<std::uint32_t> list_item_at(Tree const& tree, NodeId id, float py)
{
    if (!tree.contains(id) || tree.node(id).kind() != NodeKind::List)
        return std::nullopt;
    Node const& node = tree.node(id);
    auto const* list = node.model.as<ListModel>();
    if (!(py >= node.rect.y))
        return std::nullopt;
    float row = std::floor((py - node.rect.y + list->scroll) / list_row_height);
    if (!(row < static_cast<float>(list->items.size())))
        return std::nullopt;
    return static_cast<std::uint32_t>(row);
}

void scrollbar_drag(Tree& tree, NodeId id, float py)
{
    if (!tree.contains(id))
        return;
    Node& node = tree.node(id);
    RectF rect = node.rect;
    if (!(rect.h > 0.0f))
        return;
    float f = detail::clamp01((py - rect.y) / rect.h);
    if (auto* list = node.kind() == NodeKind::List ? node.model.as<ListModel>() : nullptr) {
        float range = std::max(static_cast<float>(list->items.size()) * list_row_height - rect.h, 0.0f);
        if (range > 0.0f)
            list->scroll = f * range;
    } else if (auto* scroll = node.kind() == NodeKind::Scroll ? node.model.as<ScrollModel>() : nullptr) {
        float range = std::max(scroll->content_height - rect.h, 0.0f);
        if (range > 0.0f) {
            scroll->offset = f * range;
            tree.layout_dirty = true;
        }
    }
}

void set_selection(Tree& tree, NodeId id, std::span<std::uint32_t const> indexes)
{
    if (!tree.contains(id))
        return;
    Node& node = tree.node(id);
    std::size_t count = 0;
    std::vector<std::uint32_t>* selection = nullptr;
    std::optional<std::uint32_t>* current = nullptr;
    if (auto* list = node.kind() == NodeKind::List ? node.model.as<ListModel>() : nullptr) {
        count = list->items.size();
        selection = &list->selection;
        current = &list->current;
    } else if (auto* rows = node.kind() == NodeKind::Treeview ? node.model.as<TreeviewModel>() : nullptr) {
        count = rows->rows.size();
        selection = &rows->selection;
        current = &rows->current;
    } else {
        return;
    }
    std::vector<std::uint32_t> kept;
    kept.reserve(indexes.size());
    for (std::uint32_t index : indexes) {
        if (index < count)
            kept.push_back(index);
    }
    // The first index as given, not the smallest, becomes current.
    *current = kept.empty() ? std::nullopt : std::optional(kept.front());
    std::sort(kept.begin(), kept.end());
    kept.erase(std::unique(kept.begin(), kept.end()), kept.end());
    *selection = std::move(kept);
    tree.layout_dirty = true;
}

namespace {

// Clamps an offset so the item at `position` shows within `visible` pixels.
float offset_for(float offset, std::size_t position, std::size_t count, float row_height, float visible)
{
    float top = static_cast<float>(position) * row_height;
    if (offset > top)
        offset = top;
    else if (offset + visible < top + row_height)
        offset = top + row_height - visible;
    float largest = std::max(static_cast<float>(count) * row_height - visible, 0.0f);
    return detail::clamp_number(offset, 0.0f, largest);
}

}

void scroll_into_view(Tree& tree, NodeId id, std::uint32_t index)
{
    if (!tree.contains(id))
        return;
    Node& node = tree.node(id);
    float h = node.rect.h;
    float before = 0.0f, after = 0.0f;
    switch (node.kind()) {
    case NodeKind::List: {
        auto* list = node.model.as<ListModel>();
        before = list->scroll;
        after = list->scroll = offset_for(list->scroll, index, list->items.size(), list_row_height, std::max(h, 0.0f));
        break;
    }
    case NodeKind::Table: {
        auto* table = node.model.as<TableModel>();
        float visible = std::max(h - header_height(tree, id), 0.0f);
        before = table->scroll;
        after = table->scroll = offset_for(table->scroll, index, table->rows.size(), table_row_height, visible);
        break;
    }
    case NodeKind::Treeview: {
        auto* model = node.model.as<TreeviewModel>();
        if (index >= model->rows.size() || !tree_row_visible(*model, index))
            return;
        auto visible_rows = visible_tree_rows(*model);
        std::size_t position = std::lower_bound(visible_rows.begin(), visible_rows.end(), index) - visible_rows.begin();
        float visible = std::max(h - header_height(tree, id), 0.0f);
        before = model->scroll;
        after = model->scroll = offset_for(model->scroll, position, visible_rows.size(), tree_row_height, visible);
        break;
    }
    default:
        return;
    }
    if (before != after)
        tree.layout_dirty = true;
}

void table_see(Tree& tree, NodeId id, std::uint32_t row)
{
    if (!tree.contains(id) || tree.node(id).kind() != NodeKind::Table)
        return;
    auto* table = tree.node(id).model.as<TableModel>();
    if (row >= table->rows.size())
        return;
    table->current = row;
    scroll_into_view(tree, id, row);
    tree.layout_dirty = true;
}

bool set_table_rows(Tree& tree, NodeId id, TextRows rows)
{
    if (!tree.contains(id) || tree.node(id).kind() != NodeKind::Table)
        return false;
    Node& node = tree.node(id);
    auto* table = node.model.as<TableModel>();
    if (table->rows == rows)
        return false;
    table->rows = std::move(rows);
    if (table->current && *table->current >= table->rows.size())
        table->current.reset();
    float visible = std::max(node.rect.h - header_height(tree, id), 0.0f);
    float largest = std::max(static_cast<float>(table->rows.size()) * table_row_height - visible, 0.0f);
    table->scroll = detail::clamp_number(table->scroll, 0.0f, largest);
    tree.layout_dirty = true;
    return true;
}

std::vector<ColumnSpan> column_layout(RectF rect, std::size_t count, std::span<float const> widths,
    std::span<float const> minimums)
{
    std::size_t n = std::max<std::size_t>(count, 1);
    auto entry = [](std::span<float const> values, std::size_t i) { return i < values.size() ? values[i] : 0.0f; };

    // Pass 1: fixed columns take their width, flexible ones their base.
    std::vector<ColumnSpan> columns(n);
    std::vector<bool> flexible(n);
    float taken = 0.0f;
    std::size_t flexible_count = 0;
    for (std::size_t i = 0; i < n; ++i) {
        float width = entry(widths, i);
        float minimum = entry(minimums, i);
        if (width > 0.0f) {
            columns[i].w = std::max(width, std::max(minimum, 0.0f));
        } else {
            columns[i].w = minimum > 0.0f ? minimum : flexible_column_base;
            flexible[i] = true;
            ++flexible_count;
        }
        taken += columns[i].w;
    }

    // Pass 2: the flexible columns share what is left after the scroll bar's reserve.
    if (flexible_count > 0) {
        float extra = (std::max(rect.w - column_scrollbar_reserve, 1.0f) - taken) / static_cast<float>(flexible_count);
        if (extra > 0.0f) {
            for (std::size_t i = 0; i < n; ++i) {
                if (flexible[i])
                    columns[i].w += extra;
            }
        }
    }

    // Pass 3: side by side from the left edge.
    float x = rect.x;
    for (auto& column : columns) {
        column.x = x;
        x += column.w;
    }
    return columns;
}

Columns* columns_of(Node& node)
{
    if (node.kind() == NodeKind::Table)
        return &node.model.as<TableModel>()->columns;
    if (node.kind() == NodeKind::Treeview)
        return &node.model.as<TreeviewModel>()->columns;
    return nullptr;
}

Columns const* columns_of(Node const& node) { return columns_of(const_cast<Node&>(node)); }

std::vector<ColumnSpan> column_layout(Tree const& tree, NodeId id)
{
    if (!tree.contains(id))
        return {};
    Node const& node = tree.node(id);
    Columns const* columns = columns_of(node);
    if (!columns)
        return {};
    return column_layout(node.rect, columns->titles.size(), columns->widths, columns->minimums);
}

std::size_t column_at(std::span<ColumnSpan const> columns, float x)
{
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (x >= columns[i].x && x < columns[i].x + columns[i].w)
            return i;
    }
    return columns.empty() ? 0 : columns.size() - 1;
}

void set_column_widths(Tree& tree, NodeId id, std::vector<float> widths)
{
    if (!tree.contains(id))
        return;
    if (auto* columns = columns_of(tree.node(id))) {
        columns->widths = std::move(widths);
        tree.layout_dirty = true;
    }
}

void set_column_minimums(Tree& tree, NodeId id, std::vector<float> minimums)
{
    if (!tree.contains(id))
        return;
    if (auto* columns = columns_of(tree.node(id))) {
        columns->minimums = std::move(minimums);
        tree.layout_dirty = true;
    }
}

void table_click(Tree& tree, NodeId id, float px, float py)
{
    if (!tree.contains(id) || tree.node(id).kind() != NodeKind::Table)
        return;
    Node& node = tree.node(id);
    auto* table = node.model.as<TableModel>();
    float header = header_height(tree, id);
    if (table->rows.empty() || !(py >= node.rect.y + header))
        return;
    float row = std::floor((py - (node.rect.y + header) + table->scroll) / table_row_height);
    if (!(row >= 0.0f && row < static_cast<float>(table->rows.size())))
        return;
    auto index = static_cast<std::uint32_t>(row);
    table->current = index;
    auto columns = column_layout(tree, id);
    auto column = static_cast<float>(column_at(columns, px));
    scroll_into_view(tree, id, index);
    tree.layout_dirty = true;
    tree.fire_change(id, static_cast<float>(index));
    tree.fire(id, UiEvent::RowClick, index, column);
}

}
