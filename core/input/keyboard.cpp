// Window-level keys: the message box, Esc and F12.
#include "core/input/keyboard.hpp"

#include "core/frame/frame.hpp"
#include "core/layout/layout.hpp"

namespace orvy {

bool KeyboardInput::key_down(std::uint32_t key, std::uint8_t modifiers)
{
    if (m_overlays.dialog)
        return dialog_key(key, modifiers);
    if (key == virtual_key::escape)
        return escape();
    if (key == virtual_key::f12 && m_inspector_allowed) {
        m_overlays.inspector = !m_overlays.inspector;
        return true;
    }
    return false;
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

bool KeyboardInput::escape()
{
    if (auto layer = m_tree.popup_layer; layer && m_tree.contains(*layer)
        && m_tree.node(*layer).rect.x > hidden_subtree_x) {
        apply_request(m_tree, NodeRequest { .node = *layer, .kind = RequestKind::PopOff });
        m_pointer.set_focus(std::nullopt);
        m_tree.fire(*layer, UiEvent::LayerClosed);
        return true;
    }
    if (auto open = std::exchange(m_tree.open_dropdown, std::nullopt); open && m_tree.contains(*open)) {
        if (auto* choice = m_tree.node(*open).model.as<ChoiceModel>())
            choice->open = false;
    }
    m_overlays.close_open_list(m_tree);
    m_tree.menu_open = false;
    m_pointer.set_focus(std::nullopt);
    return true;
}

}
