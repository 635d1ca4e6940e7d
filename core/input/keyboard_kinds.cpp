// The keys of the focused node by kind: trees, dropdowns, tabs, tables,
// lists, sliders and clickable nodes; text fields go on to keyboard_text.cpp.
#include "core/input/detail/pointer_detail.hpp"
#include "core/input/keyboard.hpp"

#include <algorithm>

namespace orvy {

namespace {

constexpr std::int64_t tree_page_rows = 8;
constexpr float slider_key_step = 0.05f;

// The row one step up or down from `current` among `count` rows; with no
// current row Up gives the first row and Down the second.
std::uint32_t stepped_row(std::optional<std::uint32_t> current, bool down, std::size_t count)
{
    auto last = static_cast<std::int64_t>(count) - 1;
    std::int64_t row = current ? static_cast<std::int64_t>(*current) + (down ? 1 : -1) : (down ? 1 : 0);
    return static_cast<std::uint32_t>(std::clamp<std::int64_t>(row, 0, std::max<std::int64_t>(last, 0)));
}

void close_dropdown(Tree& tree, NodeId node, ChoiceModel& choice)
{
    choice.open = false;
    if (tree.open_dropdown == node)
        tree.open_dropdown.reset();
    tree.keyboard_row.reset();
}

}

bool KeyboardInput::focused_node_key(NodeId focus, std::uint32_t key, std::uint8_t modifiers)
{
    Node& node = m_tree.node(focus);
    switch (node.kind()) {
    case NodeKind::Textbox:
    case NodeKind::Term:
        return text_key(focus, key, modifiers);
    case NodeKind::Treeview:
        return tree_key(focus, key);
    case NodeKind::Dropdown:
        return dropdown_key(focus, key);
    case NodeKind::Tabs:
        if (auto* choice = node.model.as<ChoiceModel>();
            choice && !choice->items.empty() && (key == virtual_key::left || key == virtual_key::right)) {
            std::uint32_t last = static_cast<std::uint32_t>(choice->items.size()) - 1;
            std::uint32_t tab = key == virtual_key::left ? (choice->selected > 0 ? choice->selected - 1 : 0)
                                                         : std::min(choice->selected + 1, last);
            set_numeric_state(m_tree, focus, static_cast<float>(tab));
            m_tree.layout_dirty = true;
            m_tree.fire_change(focus, static_cast<float>(tab));
            return true;
        }
        return false;
    case NodeKind::Table:
    case NodeKind::List:
        return rows_key(focus, key);
    case NodeKind::Slider:
        if (auto* slider = node.model.as<ValueModel>(); slider && (key == virtual_key::left || key == virtual_key::right)) {
            float step = key == virtual_key::left ? -slider_key_step : slider_key_step;
            slider->value = std::clamp(slider->value + step, 0.0f, 1.0f);
            m_tree.fire_change(focus, slider->value);
            return true;
        }
        return false;
    default:
        if ((key == virtual_key::enter || key == virtual_key::space) && detail::is_clickable(m_tree, focus)) {
            m_pointer.activate(focus);
            return true;
        }
        return false;
    }
}

bool KeyboardInput::tree_key(NodeId node, std::uint32_t key)
{
    auto* model = m_tree.node(node).model.as<TreeviewModel>();
    if (!model || model->rows.empty())
        return false;
    std::vector<std::uint32_t> visible = visible_tree_rows(*model);
    if (visible.empty())
        return false;
    auto last = static_cast<std::int64_t>(visible.size()) - 1;
    std::int64_t at = -1;
    if (model->current) {
        auto found = std::find(visible.begin(), visible.end(), *model->current);
        if (found != visible.end())
            at = found - visible.begin();
    }
    std::optional<std::int64_t> next;
    switch (key) {
    case virtual_key::up: next = at < 0 ? 0 : at - 1; break;
    case virtual_key::down: next = at + 1; break;
    case virtual_key::page_up: next = at < 0 ? 0 : at - tree_page_rows; break;
    case virtual_key::page_down: next = at + tree_page_rows; break;
    case virtual_key::home: next = 0; break;
    case virtual_key::end: next = last; break;
    case virtual_key::left:
    case virtual_key::right: {
        if (at < 0)
            return false;
        std::uint32_t row = visible[static_cast<std::size_t>(at)];
        TreeRow const& current = model->rows[row];
        bool has_children = row + 1 < model->rows.size() && model->rows[row + 1].depth > current.depth;
        if (key == virtual_key::left && !current.leaf && current.open) {
            open_tree_rows(m_tree, node, std::span(&row, 1), false);
            return true;
        }
        if (key == virtual_key::right && !current.leaf && !current.open) {
            open_tree_rows(m_tree, node, std::span(&row, 1), true);
            return true;
        }
        if (key == virtual_key::right) {
            if (!has_children)
                return false;
            next = at + 1; // the first child follows its open parent
            break;
        }
        // Left on a closed row or a leaf goes to the parent: the nearest row above of smaller depth.
        for (std::int64_t i = at - 1; i >= 0; --i) {
            if (model->rows[visible[static_cast<std::size_t>(i)]].depth < current.depth) {
                next = i;
                break;
            }
        }
        if (!next)
            return false;
        break;
    }
    default: return false;
    }
    auto position = static_cast<std::size_t>(std::clamp<std::int64_t>(*next, 0, last));
    tree_select_row(m_tree, node, visible[position]);
    return true;
}

bool KeyboardInput::dropdown_key(NodeId node, std::uint32_t key)
{
    auto* choice = m_tree.node(node).model.as<ChoiceModel>();
    if (!choice)
        return false;
    auto count = static_cast<std::uint32_t>(choice->items.size());
    std::optional<std::uint32_t>& hovered = m_tree.keyboard_row;
    bool open = choice->open && m_tree.open_dropdown == node;
    if (key == virtual_key::enter || key == virtual_key::space) {
        if (!open) {
            choice->open = true;
            m_tree.open_dropdown = node;
            hovered = count > 0 ? std::optional(std::min(choice->selected, count - 1)) : std::nullopt;
            return true;
        }
        std::optional<std::uint32_t> picked = hovered;
        close_dropdown(m_tree, node, *choice);
        if (picked && *picked < count) {
            choice->selected = *picked;
            m_tree.layout_dirty = true;
            m_tree.fire_change(node, static_cast<float>(*picked));
        }
        return true;
    }
    if (!open || count == 0 || (key != virtual_key::up && key != virtual_key::down))
        return false;
    if (key == virtual_key::up)
        hovered = hovered ? (*hovered > 0 ? *hovered - 1 : 0) : 0;
    else
        hovered = std::min(hovered ? *hovered + 1 : 1, count - 1);
    return true;
}

bool KeyboardInput::rows_key(NodeId node, std::uint32_t key)
{
    if (key != virtual_key::up && key != virtual_key::down)
        return false;
    bool down = key == virtual_key::down;
    Node& target = m_tree.node(node);
    if (auto* table = target.model.as<TableModel>()) {
        if (table->rows.empty())
            return false;
        std::uint32_t row = stepped_row(table->current, down, table->rows.size());
        table->current = row;
        scroll_into_view(m_tree, node, row);
        m_tree.layout_dirty = true;
        m_tree.fire_change(node, static_cast<float>(row));
        return true;
    }
    auto* list = target.model.as<ListModel>();
    if (!list || list->items.empty())
        return false;
    std::uint32_t row = stepped_row(list->current, down, list->items.size());
    list->current = row;
    float top = static_cast<float>(row) * list_row_height;
    float visible = target.rect.h;
    list->scroll = std::min(list->scroll, top);
    if (top + list_row_height > list->scroll + visible)
        list->scroll = top + list_row_height - visible;
    list->scroll = std::max(list->scroll, 0.0f);
    m_tree.layout_dirty = true;
    if (list->multi) {
        list->selection.assign(1, row);
        m_tree.fire(node, UiEvent::SelectionChanged, row);
    } else {
        m_tree.fire_change(node, static_cast<float>(row));
    }
    return true;
}

}
