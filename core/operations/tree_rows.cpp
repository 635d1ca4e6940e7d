// Tree-view rows: visibility under closed ancestors, opening and closing,
// scrolling to a row, replacing rows and row selection.
#include "core/operations/detail/numbers.hpp"
#include "core/operations/operations.hpp"

#include <algorithm>

namespace orvy {

namespace {

TreeviewModel* tree_model(Tree& tree, NodeId id)
{
    if (!tree.contains(id) || tree.node(id).kind() != NodeKind::Treeview)
        return nullptr;
    return tree.node(id).model.as<TreeviewModel>();
}

// The ancestors of a row, nearest first: each is the nearest preceding row
// of smaller depth than the one found before it.
std::vector<std::uint32_t> ancestors_of(TreeviewModel const& model, std::size_t row)
{
    std::vector<std::uint32_t> ancestors;
    std::uint32_t depth = model.rows[row].depth;
    for (std::size_t i = row; i-- > 0 && depth > 0;) {
        if (model.rows[i].depth < depth) {
            ancestors.push_back(static_cast<std::uint32_t>(i));
            depth = model.rows[i].depth;
        }
    }
    return ancestors;
}

bool hides_descendants(TreeRow const& row) { return !row.leaf && !row.open; }

// Sets one row's open state and tells RowOpened; false when nothing changed.
bool set_row_open(Tree& tree, NodeId id, std::uint32_t row, bool open)
{
    auto* model = tree_model(tree, id);
    if (!model || row >= model->rows.size() || model->rows[row].leaf || model->rows[row].open == open)
        return false;
    model->rows[row].open = open;
    tree.layout_dirty = true;
    tree.fire(id, UiEvent::RowOpened, row, open ? 1.0f : 0.0f);
    return true;
}

}

bool tree_row_visible(TreeviewModel const& model, std::size_t row)
{
    if (row >= model.rows.size())
        return false;
    for (std::uint32_t ancestor : ancestors_of(model, row)) {
        if (hides_descendants(model.rows[ancestor]))
            return false;
    }
    return true;
}

std::vector<std::uint32_t> visible_tree_rows(TreeviewModel const& model)
{
    std::vector<std::uint32_t> visible;
    visible.reserve(model.rows.size());
    // Rows deeper than a visible closed row are hidden until the depth
    // comes back up to it.
    std::optional<std::uint32_t> hidden_below;
    for (std::size_t i = 0; i < model.rows.size(); ++i) {
        TreeRow const& row = model.rows[i];
        if (hidden_below && row.depth > *hidden_below)
            continue;
        hidden_below.reset();
        visible.push_back(static_cast<std::uint32_t>(i));
        if (hides_descendants(row))
            hidden_below = row.depth;
    }
    return visible;
}

void lower_tree_scroll(Tree& tree, NodeId id)
{
    auto* model = tree_model(tree, id);
    if (!model)
        return;
    float visible_height = std::max(tree.node(id).rect.h - header_height(tree, id), 0.0f);
    float rows = static_cast<float>(visible_tree_rows(*model).size());
    float largest = std::max(rows * tree_row_height - visible_height, 0.0f);
    if (model->scroll > largest) {
        model->scroll = largest;
        tree.layout_dirty = true;
    }
}

namespace {

bool same_row(TreeRow const& a, TreeRow const& b)
{
    return a.depth == b.depth && a.text == b.text && a.leaf == b.leaf && a.open == b.open && a.values == b.values
        && a.background == b.background && a.foreground == b.foreground && a.icon == b.icon
        && a.cell_backgrounds == b.cell_backgrounds && a.cell_foregrounds == b.cell_foregrounds;
}

bool same_rows(std::vector<TreeRow> const& a, std::vector<TreeRow> const& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), same_row);
}

}

bool set_tree_rows(Tree& tree, NodeId id, std::vector<TreeRow> rows)
{
    auto* model = tree_model(tree, id);
    if (!model || same_rows(model->rows, rows))
        return false;
    model->rows = std::move(rows);
    std::size_t count = model->rows.size();
    std::erase_if(model->selection, [count](std::uint32_t row) { return row >= count; });
    if (model->current && *model->current >= count)
        model->current.reset();
    tree.layout_dirty = true;
    lower_tree_scroll(tree, id);
    return true;
}

void open_tree_rows(Tree& tree, NodeId id, std::span<std::uint32_t const> rows, bool open)
{
    auto* model = tree_model(tree, id);
    if (!model)
        return;
    if (rows.empty()) {
        // The row count is read again each step: a RowOpened callback may
        // replace the rows through a binding.
        for (std::uint32_t row = 0;; ++row) {
            auto* current = tree_model(tree, id);
            if (!current || row >= current->rows.size())
                break;
            set_row_open(tree, id, row, open);
        }
    } else {
        std::vector<std::uint32_t> listed(rows.begin(), rows.end());
        for (std::uint32_t row : listed)
            set_row_open(tree, id, row, open);
    }
    tree.layout_dirty = true;
    lower_tree_scroll(tree, id);
}

void tree_see(Tree& tree, NodeId id, std::uint32_t row)
{
    auto* model = tree_model(tree, id);
    if (!model || row >= model->rows.size())
        return;
    // Outermost first, so each opened row is already visible when it opens.
    auto ancestors = ancestors_of(*model, row);
    for (auto it = ancestors.rbegin(); it != ancestors.rend(); ++it)
        set_row_open(tree, id, *it, true);
    lower_tree_scroll(tree, id);
    scroll_into_view(tree, id, row);
}

void tree_select_row(Tree& tree, NodeId id, std::uint32_t row, std::uint32_t column)
{
    auto* model = tree_model(tree, id);
    if (!model || row >= model->rows.size())
        return;
    model->current = row;
    model->selection.assign(1, row);
    bool multi = model->multi;
    scroll_into_view(tree, id, row);
    tree.layout_dirty = true;
    // The selection callback hears every change, so a single-selection tree
    // reports through it as well as through its change callback.
    if (!multi)
        tree.fire_change(id, static_cast<float>(row));
    tree.fire(id, UiEvent::SelectionChanged, row);
    tree.fire(id, UiEvent::RowClick, row, static_cast<float>(column));
}

void tree_clear_selection(Tree& tree, NodeId id)
{
    auto* model = tree_model(tree, id);
    if (!model)
        return;
    model->current.reset();
    model->selection.clear();
    bool multi = model->multi;
    tree.layout_dirty = true;
    if (!multi)
        tree.fire_change(id, -1.0f);
    tree.fire(id, UiEvent::SelectionChanged, no_index);
}

}
