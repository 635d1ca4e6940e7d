// Column edges of tables and trees: where the user grabs them, the resize a
// drag or a fit makes, and the width that fits a column's cells.
#include "core/operations/detail/numbers.hpp"
#include "core/operations/operations.hpp"

#include <algorithm>
#include <cmath>

namespace orvy {

namespace {

// A fit measures at most this many cells, the longest texts, so that a
// double press on a column of a million rows stays quick.
constexpr std::size_t fit_measured_cells = 2048;
// A tree row's label starts after its indentation, expander and icon.
constexpr float tree_indent_step = 18.0f;
constexpr float tree_expander_width = 22.0f;
constexpr float tree_icon_width = 30.0f;

struct Cell {
    std::u16string_view text;
    float lead = 0; // pixels before the text
};

// The cells of one column, in row order.
std::vector<Cell> column_cells(Node const& node, std::size_t column)
{
    std::vector<Cell> cells;
    if (auto const* table = node.kind() == NodeKind::Table ? node.model.as<TableModel>() : nullptr) {
        cells.reserve(table->rows.size());
        for (std::size_t i = 0; i < table->rows.size(); ++i) {
            if (auto row = table->rows[i]; column < row.size())
                cells.push_back({ row[column] });
        }
    } else if (auto const* tree = node.kind() == NodeKind::Treeview ? node.model.as<TreeviewModel>() : nullptr) {
        cells.reserve(tree->rows.size());
        for (TreeRow const& row : tree->rows) {
            if (column == 0) {
                float icon = row.icon.empty() ? 0.0f : tree_icon_width;
                cells.push_back({ row.text, tree_indent_step * static_cast<float>(row.depth) + tree_expander_width + icon });
            } else if (column - 1 < row.values.size()) {
                cells.push_back({ row.values[column - 1] });
            }
        }
    }
    return cells;
}

}

float column_minimum(Columns const& columns, std::size_t column)
{
    float minimum = column < columns.minimums.size() ? columns.minimums[column] : 0.0f;
    return minimum > 0.0f ? minimum : flexible_column_base;
}

std::optional<std::size_t> column_edge_at(Tree const& tree, NodeId id, PointF point)
{
    if (!tree.contains(id) || !tree.resizable_columns_set.contains(id))
        return std::nullopt;
    Node const& node = tree.node(id);
    Columns const* columns = columns_of(node);
    if (!columns || columns->titles.size() < 2)
        return std::nullopt;
    RectF rect = node.rect;
    if (!(point.y >= rect.y && point.y < rect.y + header_height(tree, id)))
        return std::nullopt;
    std::vector<ColumnSpan> spans = column_layout(tree, id);
    for (std::size_t i = 0; i + 1 < spans.size(); ++i) {
        if (std::fabs(point.x - (spans[i].x + spans[i].w)) <= column_edge_grip)
            return i;
    }
    return std::nullopt;
}

bool resize_column(Tree& tree, NodeId id, std::size_t column, float width)
{
    if (!tree.contains(id) || std::isnan(width))
        return false;
    Columns* columns = columns_of(tree.node(id));
    if (!columns)
        return false;
    std::vector<ColumnSpan> spans = column_layout(tree, id);
    if (column + 1 >= spans.size())
        return false;
    float pair = spans[column].w + spans[column + 1].w;
    float lowest = column_minimum(*columns, column);
    float highest = pair - column_minimum(*columns, column + 1);
    // Too narrow a pair for both minimums: no width satisfies them, so none changes.
    if (!(highest >= lowest))
        return false;
    float own = detail::clamp_number(width, lowest, highest);
    float next = pair - own;
    std::vector<float>& widths = columns->widths;
    if (widths.size() < column + 2)
        widths.resize(column + 2, 0.0f);
    if (widths[column] == own && widths[column + 1] == next)
        return false;
    widths[column] = own;
    widths[column + 1] = next;
    tree.layout_dirty = true;
    return true;
}

float fitted_column_width(Tree const& tree, NodeId id, std::size_t column, CellTextWidth const& width_of)
{
    if (!tree.contains(id))
        return column_fit_padding;
    std::vector<Cell> cells = column_cells(tree.node(id), column);
    if (cells.size() > fit_measured_cells) {
        // Width grows with length closely enough that the widest text is
        // among the longest ones.
        auto longer = [](Cell const& a, Cell const& b) { return a.text.size() + a.lead / 8 > b.text.size() + b.lead / 8; };
        std::nth_element(cells.begin(), cells.begin() + fit_measured_cells, cells.end(), longer);
        cells.resize(fit_measured_cells);
    }
    float widest = 0.0f;
    for (Cell const& cell : cells) {
        float text = cell.text.empty() || !width_of ? 0.0f : width_of(id, cell.text);
        widest = std::max(widest, cell.lead + (std::isnan(text) ? 0.0f : text));
    }
    return widest + column_fit_padding;
}

}
