// Key down in its order: the message box, pop layers, hot keys, the context
// menu, Tab traversal, Esc and F12, then the focused node; and the focus
// requests made from code.
#include "core/input/keyboard.hpp"

#include "core/base/utf.hpp"
#include "core/input/hotkeys.hpp"
#include "core/layout/layout.hpp"
#include "core/models/text_field.hpp"

#include <algorithm>
#include <utility>

namespace orvy {

TextboxModel* text_field_of(Tree& tree, NodeId node)
{
    if (!tree.contains(node))
        return nullptr;
    Model& model = tree.node(node).model;
    if (model.kind == NodeKind::Textbox)
        return model.as<TextboxModel>();
    if (auto* term = model.kind == NodeKind::Term ? model.as<TermModel>() : nullptr)
        return &term->input;
    return nullptr;
}

bool is_tab_stop(NodeKind kind)
{
    switch (kind) {
    case NodeKind::Button:
    case NodeKind::Slider:
    case NodeKind::Checkbox:
    case NodeKind::Textbox:
    case NodeKind::Dropdown:
    case NodeKind::Tabs:
    case NodeKind::Table:
    case NodeKind::Switch:
    case NodeKind::Radio:
    case NodeKind::Toggle:
    case NodeKind::List:
    case NodeKind::Treeview:
        return true;
    default:
        return false;
    }
}

std::vector<NodeId> tab_order(Tree const& tree)
{
    std::vector<NodeId> order;
    if (!tree.contains(tree.root))
        return order;
    std::vector<NodeId> pending { tree.root };
    while (!pending.empty()) {
        NodeId id = pending.back();
        pending.pop_back();
        Node const& node = tree.node(id);
        // Hidden subtrees are laid out far off to the left; disabled ones take no focus.
        if (node.rect.x <= hidden_subtree_x || tree.disabled_set.contains(id))
            continue;
        if (is_tab_stop(node.kind()))
            order.push_back(id);
        for (auto child = node.children.rbegin(); child != node.children.rend(); ++child)
            pending.push_back(*child);
    }
    return order;
}

bool KeyboardInput::key_down(std::uint32_t key, std::uint8_t modifiers)
{
    bool shift = (modifiers & key_modifier::shift) != 0;
    // Step 1: the message box is modal.
    if (m_overlays.dialog)
        return dialog_key(key, modifiers);
    // Step 2: Esc hides a shown pop layer.
    if (key == virtual_key::escape && pop_layer_escape())
        return true;
    // Step 3: hot keys, silent while a list is open or a text field has the focus.
    std::optional<NodeId> focus = m_pointer.focus();
    if (focus && !m_tree.contains(*focus))
        focus.reset();
    bool text_focus = focus && text_field_of(m_tree, *focus);
    if (!m_tree.menu_open && !m_tree.open_dropdown && !text_focus && run_hotkey(m_tree, key, modifiers))
        return true;
    // Step 4: the context menu takes every key while it is open.
    if (m_tree.menu_open)
        return context_menu_key(key);
    // Steps 5 to 7: Tab, Esc, F12.
    if (key == virtual_key::tab)
        return tab(shift);
    if (key == virtual_key::escape)
        return escape();
    if (key == virtual_key::f12 && m_inspector_allowed) {
        m_overlays.inspector = !m_overlays.inspector;
        return true;
    }
    // Step 8: the focused node's own keys.
    return focus && focused_node_key(*focus, key, modifiers);
}

bool KeyboardInput::dialog_key(std::uint32_t key, std::uint8_t modifiers)
{
    Dialog& dialog = *m_overlays.dialog;
    auto count = static_cast<std::uint32_t>(dialog.buttons.size());
    switch (key) {
    case virtual_key::tab: {
        if (count == 0)
            return false;
        bool backward = (modifiers & key_modifier::shift) != 0;
        std::optional<std::uint32_t>& focused = dialog.focused_button;
        if (!focused)
            focused = backward ? count - 1 : 0;
        else
            focused = backward ? (*focused + count - 1) % count : (*focused + 1) % count;
        return true;
    }
    case virtual_key::enter:
    case virtual_key::space: {
        std::int32_t button = dialog_dismissed;
        if (dialog.focused_button && *dialog.focused_button < count)
            button = static_cast<std::int32_t>(*dialog.focused_button);
        else if (count > 0)
            button = static_cast<std::int32_t>(count - 1);
        m_overlays.close_dialog(m_tree, button);
        return true;
    }
    case virtual_key::escape:
        m_overlays.close_dialog(m_tree, dialog_dismissed);
        return true;
    default:
        return false; // eaten: the box is modal
    }
}

bool KeyboardInput::pop_layer_escape()
{
    auto layer = m_tree.popup_layer;
    if (!layer || !m_tree.contains(*layer) || m_tree.node(*layer).rect.x <= hidden_subtree_x)
        return false;
    hide_pop_layer(m_tree, *layer);
    m_pointer.set_focus(std::nullopt);
    m_tree.fire(*layer, UiEvent::LayerClosed);
    return true;
}

bool KeyboardInput::context_menu_key(std::uint32_t key)
{
    auto count = static_cast<std::uint32_t>(m_tree.menu_items.size());
    std::optional<std::uint32_t>& row = m_tree.keyboard_row;
    switch (key) {
    case virtual_key::enter:
    case virtual_key::space: {
        std::optional<std::uint32_t> picked = row;
        m_tree.menu_open = false;
        row.reset();
        if (picked && *picked < count)
            m_tree.fire_change(m_tree.root, static_cast<float>(*picked));
        return true;
    }
    case virtual_key::escape:
        m_tree.menu_open = false;
        row.reset();
        return true;
    case virtual_key::up:
        row = row ? (*row > 0 ? *row - 1 : 0) : 0;
        return true;
    case virtual_key::down:
        if (count > 0)
            row = std::min(row ? *row + 1 : 1, count - 1);
        return true;
    default:
        return false;
    }
}

bool KeyboardInput::tab(bool backward)
{
    if (auto open = std::exchange(m_tree.open_dropdown, std::nullopt); open && m_tree.contains(*open)) {
        if (auto* choice = m_tree.node(*open).model.as<ChoiceModel>())
            choice->open = false;
    }
    std::vector<NodeId> order = tab_order(m_tree);
    if (order.empty())
        return true;
    std::optional<NodeId> focus = m_pointer.focus();
    auto at = focus ? std::find(order.begin(), order.end(), *focus) : order.end();
    NodeId next;
    if (at == order.end())
        next = backward ? order.back() : order.front();
    else if (backward)
        next = at == order.begin() ? order.back() : *(at - 1);
    else
        next = at + 1 == order.end() ? order.front() : *(at + 1);
    m_pointer.set_focus(next, true);
    // A text box losing the focus reports its text, as it does to a press elsewhere.
    if (focus && *focus != next)
        text_changed(*focus);
    return true;
}

bool KeyboardInput::escape()
{
    if (auto open = std::exchange(m_tree.open_dropdown, std::nullopt); open && m_tree.contains(*open)) {
        if (auto* choice = m_tree.node(*open).model.as<ChoiceModel>())
            choice->open = false;
    }
    m_overlays.close_open_list(m_tree);
    m_tree.menu_open = false;
    m_tree.keyboard_row.reset();
    std::optional<NodeId> focus = m_pointer.focus();
    m_pointer.set_focus(std::nullopt);
    if (focus && m_tree.contains(*focus) && m_tree.node(*focus).kind() == NodeKind::Textbox)
        m_tree.fire_change(*focus, 0.0f);
    return true;
}

bool KeyboardInput::take_focus_requests()
{
    std::vector<FocusRequest> requests = m_tree.focus_requests.take();
    for (FocusRequest& request : requests) {
        if (!request.node || !m_tree.contains(*request.node)) {
            m_pointer.set_focus(std::nullopt);
            continue;
        }
        NodeId node = *request.node;
        m_pointer.set_focus(node);
        if (request.text)
            set_text(m_tree, node, std::move(*request.text));
        if (TextboxModel* field = text_field_of(m_tree, node)) {
            if (request.select_all)
                select_all(*field);
            else
                place_caret(*field, field->text.size(), false);
        }
    }
    return !requests.empty();
}

void KeyboardInput::text_changed(NodeId field)
{
    // Converting a long text costs; nobody listening, nothing to convert.
    if (!m_tree.contains(field) || m_tree.node(field).kind() != NodeKind::Textbox || !m_tree.node(field).extras().on_submit)
        return;
    auto const* box = m_tree.node(field).model.as<TextboxModel>();
    m_tree.fire_submit(field, utf16_to_utf8(box->text.view()));
}

}
