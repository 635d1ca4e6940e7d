// The accessible structure below nodes: list items, table rows and cells,
// tree rows, tabs, menus, and the walk from a ref to its parent and children.
#include "core/access/detail/items.hpp"

#include "core/layout/layout.hpp"
#include "core/operations/operations.hpp"
#include "core/paint/overlays.hpp"
#include "core/tree/tree.hpp"

#include <algorithm>
#include <span>

namespace orvy {

namespace {

using enum AccessibleState;

bool contains_index(std::vector<std::uint32_t> const& indexes, std::size_t index)
{
    return std::find(indexes.begin(), indexes.end(), index) != indexes.end();
}

// Position of a tree row among the visible rows, none when it is hidden.
std::optional<std::size_t> visible_position(TreeviewModel const& rows, std::uint32_t row)
{
    std::vector<std::uint32_t> visible = visible_tree_rows(rows);
    auto at = std::find(visible.begin(), visible.end(), row);
    if (at == visible.end())
        return std::nullopt;
    return static_cast<std::size_t>(at - visible.begin());
}

RectF row_rect(RectF node, float top, std::size_t position, float row_height, float scroll)
{
    return { node.x, node.y + top + static_cast<float>(position) * row_height - scroll, node.w, row_height };
}

RectF cell_rect(Tree const& tree, AccessibleRef ref, RectF row)
{
    std::vector<ColumnSpan> columns = column_layout(tree, ref.node);
    if (ref.cell >= columns.size())
        return row;
    return { columns[ref.cell].x, row.y, columns[ref.cell].w, row.h };
}

}

namespace detail {

std::size_t accessible_item_count(Tree const& tree, NodeId id)
{
    Model const& model = tree.node(id).model;
    if (auto const* list = model.as<ListModel>())
        return list->items.size();
    if (auto const* table = model.as<TableModel>())
        return table->rows.size();
    if (auto const* rows = model.as<TreeviewModel>())
        return rows->rows.size();
    if (auto const* choice = model.as<ChoiceModel>(); choice && tree.node(id).kind() == NodeKind::Tabs)
        return choice->items.size();
    if (auto const* menubar = model.as<MenubarModel>())
        return menubar->menus.size();
    if (auto const* grid = model.as<PropgridModel>())
        return grid->rows.size();
    return 0;
}

std::size_t accessible_cell_count(Tree const& tree, AccessibleRef item)
{
    Model const& model = tree.node(item.node).model;
    if (auto const* table = model.as<TableModel>())
        return item.item < table->rows.size() ? table->rows[item.item].size() : 0;
    if (auto const* menubar = model.as<MenubarModel>())
        return item.item < menubar->menus.size() ? menubar->menus[item.item].items.size() : 0;
    if (model.as<PropgridModel>())
        return 2;
    return 0;
}

std::vector<AccessibleRef> accessible_items(Tree const& tree, NodeId id)
{
    std::vector<AccessibleRef> items;
    if (auto const* rows = tree.node(id).model.as<TreeviewModel>()) {
        for (std::uint32_t row : visible_tree_rows(*rows))
            items.push_back({ id, row });
        return items;
    }
    std::size_t count = accessible_item_count(tree, id);
    for (std::size_t i = 0; i < count; ++i)
        items.push_back({ id, static_cast<std::uint32_t>(i) });
    return items;
}

std::vector<ItemSummary> summarize_items(Tree const& tree, NodeId id)
{
    Node const& node = tree.node(id);
    std::vector<ItemSummary> items;
    // Marks the listed items selected; indexes past the end are ignored.
    auto select = [&items](std::span<std::uint32_t const> selection) {
        for (std::uint32_t index : selection) {
            if (index < items.size())
                items[index].selected = true;
        }
    };
    auto select_one = [&select](std::optional<std::uint32_t> current) {
        if (current)
            select(std::span(&*current, 1));
    };
    if (auto const* list = node.model.as<ListModel>()) {
        for (std::uint32_t i = 0; i < list->items.size(); ++i)
            items.push_back({ i, list->items[i] });
        list->multi ? select(list->selection) : select_one(list->current);
    } else if (auto const* table = node.model.as<TableModel>()) {
        for (std::uint32_t i = 0; i < table->rows.size(); ++i)
            items.push_back({ i, table->rows[i].empty() ? std::u16string_view {} : table->rows[i].front() });
        select_one(table->current);
    } else if (auto const* rows = node.model.as<TreeviewModel>()) {
        // Selection is by row; only the visible rows are items.
        for (std::uint32_t i = 0; i < rows->rows.size(); ++i)
            items.push_back({ i, rows->rows[i].text });
        rows->multi ? select(rows->selection) : select_one(rows->current);
        std::vector<ItemSummary> all = std::move(items);
        items.clear();
        for (std::uint32_t row : visible_tree_rows(*rows))
            items.push_back(all[row]);
    } else if (auto const* choice = node.model.as<ChoiceModel>(); choice && node.kind() == NodeKind::Tabs) {
        for (std::uint32_t i = 0; i < choice->items.size(); ++i)
            items.push_back({ i, choice->items[i] });
        select_one(choice->selected);
    } else if (auto const* menubar = node.model.as<MenubarModel>()) {
        for (std::uint32_t i = 0; i < menubar->menus.size(); ++i)
            items.push_back({ i, menubar->menus[i].title });
    } else if (auto const* grid = node.model.as<PropgridModel>()) {
        for (std::uint32_t i = 0; i < grid->rows.size(); ++i)
            items.push_back({ i, grid->rows[i].first });
    }
    return items;
}

AccessibleInfo describe_item(Tree const& tree, AccessibleRef ref)
{
    Node const& node = tree.node(ref.node);
    RectF rect = node.rect;
    AccessibleInfo info;
    info.actions = { "click" };
    if (auto const* list = node.model.as<ListModel>()) {
        info.role = AccessibleRole::ListItem;
        info.name = list->items[ref.item];
        info.states.set(Selectable);
        info.states.set(Selected, list->multi ? contains_index(list->selection, ref.item) : list->current == ref.item);
        info.extents = row_rect(rect, 0, ref.item, list_row_height, list->scroll);
    } else if (auto const* table = node.model.as<TableModel>()) {
        RectF row = row_rect(rect, header_height(tree, ref.node), ref.item, table_row_height, table->scroll);
        info.states.set(Selectable);
        info.states.set(Selected, table->current == ref.item);
        if (ref.cell == AccessibleRef::whole) {
            info.role = AccessibleRole::TableRow;
            info.name = table->rows[ref.item].empty() ? Text {} : Text(table->rows[ref.item].front());
            info.extents = row;
        } else {
            info.role = AccessibleRole::TableCell;
            info.name = Text(table->rows[ref.item][ref.cell]);
            if (ref.cell < table->columns.titles.size())
                info.description = table->columns.titles[ref.cell];
            info.extents = cell_rect(tree, ref, row);
        }
    } else if (auto const* rows = node.model.as<TreeviewModel>()) {
        TreeRow const& row = rows->rows[ref.item];
        info.role = AccessibleRole::TreeItem;
        info.name = row.text;
        info.states.set(Selectable);
        info.states.set(Selected, rows->multi ? contains_index(rows->selection, ref.item) : rows->current == ref.item);
        if (!row.leaf) {
            info.states.set(Expandable);
            info.states.set(row.open ? Expanded : Collapsed);
            info.actions.push_back("expand");
        }
        if (auto position = visible_position(*rows, ref.item))
            info.extents = row_rect(rect, header_height(tree, ref.node), *position, tree_row_height, rows->scroll);
        else
            info.extents = { rect.x, rect.y, 0, 0 };
    } else if (auto const* choice = node.model.as<ChoiceModel>()) {
        info.role = AccessibleRole::PageTab;
        info.name = choice->items[ref.item];
        info.states.set(Selectable);
        info.states.set(Selected, choice->selected == ref.item);
        float width = rect.w / static_cast<float>(std::max<std::size_t>(choice->items.size(), 1));
        info.extents = { rect.x + static_cast<float>(ref.item) * width, rect.y, width, std::min(rect.h, 40.0f) };
    } else if (auto const* menubar = node.model.as<MenubarModel>()) {
        Menu const& menu = menubar->menus[ref.item];
        RectF title { rect.x + static_cast<float>(ref.item) * menubar_title_width, rect.y, menubar_title_width, rect.h };
        bool open = menubar->open_menu == ref.item;
        if (ref.cell == AccessibleRef::whole) {
            info.role = AccessibleRole::Menu;
            info.name = menu.title;
            info.extents = title;
            info.states.set(Expandable);
            info.states.set(open ? Expanded : Collapsed);
        } else {
            info.role = AccessibleRole::MenuItem;
            info.name = menu.items[ref.cell];
            RectF entries = menu_list_rect({ .items = menu.items, .position = { title.x, title.bottom() } });
            info.extents = open ? RectF { entries.x, entries.y + static_cast<float>(ref.cell) * menu_list_row, entries.w, menu_list_row }
                                : RectF { title.x, title.y, 0, 0 };
        }
    } else if (auto const* grid = node.model.as<PropgridModel>()) {
        auto const& [key, value] = grid->rows[ref.item];
        info.actions.clear();
        info.role = ref.cell == AccessibleRef::whole ? AccessibleRole::TableRow : AccessibleRole::TableCell;
        info.name = ref.cell == 1 ? value : key;
        info.extents = row_rect(rect, 0, ref.item, table_row_height, 0);
    }
    return info;
}

}

bool accessible_ref_valid(Tree const& tree, AccessibleRef ref)
{
    if (!tree.contains(ref.node))
        return false;
    if (ref.is_node())
        return true;
    if (ref.item >= detail::accessible_item_count(tree, ref.node))
        return false;
    return ref.cell == AccessibleRef::whole || ref.cell < detail::accessible_cell_count(tree, ref);
}

std::vector<AccessibleRef> accessible_children(Tree const& tree, AccessibleRef ref)
{
    std::vector<AccessibleRef> children;
    if (!accessible_ref_valid(tree, ref) || ref.cell != AccessibleRef::whole)
        return children;
    if (!ref.is_node()) {
        std::size_t cells = detail::accessible_cell_count(tree, ref);
        for (std::size_t i = 0; i < cells; ++i)
            children.push_back({ ref.node, ref.item, static_cast<std::uint32_t>(i) });
        return children;
    }
    children = detail::accessible_items(tree, ref.node);
    for (NodeId child : tree.node(ref.node).children) {
        if (tree.hidden_set.contains(child) || !(tree.node(child).rect.x > hidden_subtree_x))
            continue;
        children.push_back({ child });
    }
    return children;
}

std::optional<AccessibleRef> accessible_parent(Tree const& tree, AccessibleRef ref)
{
    if (!accessible_ref_valid(tree, ref))
        return std::nullopt;
    if (ref.cell != AccessibleRef::whole)
        return AccessibleRef { ref.node, ref.item };
    if (!ref.is_node())
        return AccessibleRef { ref.node };
    if (auto parent = tree.node(ref.node).parent)
        return AccessibleRef { *parent };
    return std::nullopt;
}

RectF accessible_item_rect(Tree const& tree, AccessibleRef ref)
{
    if (!accessible_ref_valid(tree, ref))
        return {};
    return ref.is_node() ? tree.node(ref.node).rect : detail::describe_item(tree, ref).extents;
}

std::vector<AccessibleRef> accessible_overlay_items(OverlayState const& overlays)
{
    std::vector<AccessibleRef> items;
    if (overlays.dialog)
        items.push_back({ AccessibleRef::overlay, AccessibleRef::dialog_item });
    if (overlays.notification || !overlays.toasts.empty())
        items.push_back({ AccessibleRef::overlay, AccessibleRef::notification_item });
    return items;
}

AccessibleInfo describe_overlay(OverlayState const& overlays, AccessibleRef ref, float client_width,
    float client_height)
{
    AccessibleInfo info;
    info.states.set(Enabled);
    info.states.set(Sensitive);
    info.states.set(Visible);
    info.states.set(Showing);
    if (ref.item == AccessibleRef::dialog_item && overlays.dialog) {
        Dialog const& dialog = *overlays.dialog;
        RectF panel = dialog_panel(client_width, client_height);
        if (ref.cell == AccessibleRef::whole) {
            info.role = AccessibleRole::Alert;
            info.name = dialog.title;
            info.description = dialog.message;
            info.extents = panel;
            info.states.set(Modal);
        } else if (ref.cell < dialog.buttons.size()) {
            info.role = AccessibleRole::PushButton;
            info.name = dialog.buttons[ref.cell];
            info.extents = dialog_button(panel, ref.cell, dialog.buttons.size());
            info.states.set(Focusable);
            info.states.set(Focused, dialog.focused_button == ref.cell);
            info.actions = { "click" };
        }
    } else if (ref.item == AccessibleRef::notification_item) {
        info.role = AccessibleRole::Notification;
        if (!overlays.toasts.empty()) {
            Toast const& toast = overlays.toasts.back();
            info.name = toast.title.empty() ? toast.message : toast.title;
            if (!toast.title.empty())
                info.description = toast.message;
        } else if (overlays.notification) {
            info.name = overlays.notification->message;
        }
    }
    return info;
}

}
