// Text editing from the keyboard: caret keys, Enter and Delete, the Ctrl
// shortcuts with the clipboard, typed characters, the terminal's command
// line and input-method text.
#include "core/input/keyboard.hpp"

#include "core/base/utf.hpp"
#include "core/models/text_field.hpp"

#include <algorithm>

namespace orvy {

namespace {

bool is_masked(Tree const& tree, NodeId node) { return tree.password_set.contains(node); }

}

bool KeyboardInput::text_key(NodeId field, std::uint32_t key, std::uint8_t modifiers)
{
    TextboxModel* box = text_field_of(m_tree, field);
    if (!box)
        return false;
    bool shift = (modifiers & key_modifier::shift) != 0;
    bool is_term = m_tree.node(field).kind() == NodeKind::Term;
    bool multiline = !is_term && m_tree.node(field).multiline;
    if (modifiers & key_modifier::control) {
        if (key == 'A')
            return select_all(*box);
        return clipboard_key(field, *box, key);
    }
    switch (key) {
    case virtual_key::home: return step_caret(*box, CaretStep::Home, shift);
    case virtual_key::end: return step_caret(*box, CaretStep::End, shift);
    case virtual_key::left: return step_caret(*box, CaretStep::Left, shift);
    case virtual_key::right: return step_caret(*box, CaretStep::Right, shift);
    case virtual_key::up:
    case virtual_key::down:
        return multiline && vertical_caret_move(field, *box, key == virtual_key::down, shift);
    case virtual_key::enter:
        // The terminal submits on the Enter character.
        if (is_term)
            return false;
        if (!multiline) {
            m_tree.fire_change(field, 1.0f);
            return true;
        }
        replace_selection(*box, u"\n", TextEdit::Kind::Typing);
        text_changed(field);
        return true;
    case virtual_key::delete_key:
        if (!delete_forward(*box))
            return false;
        text_changed(field);
        return true;
    default:
        return false;
    }
}

bool KeyboardInput::vertical_caret_move(NodeId field, TextboxModel& box, bool down, bool extend)
{
    if (!m_services)
        return false;
    CaretLine line = m_services->caret_at(field, box.caret);
    float y = down ? line.y + 1.5f * line.height : line.y - 0.5f * line.height;
    std::size_t position = m_services->position_at(field, { line.x, y });
    return place_caret(box, std::min(position, box.text.size()), extend);
}

bool KeyboardInput::clipboard_key(NodeId field, TextboxModel& box, std::uint32_t key)
{
    bool is_term = m_tree.node(field).kind() == NodeKind::Term;
    bool changed = false;
    switch (key) {
    case 'C':
    case 'X': {
        // A masked field keeps its text to itself.
        if (selection_of(box).empty() || is_masked(m_tree, field))
            return false;
        if (m_services)
            m_services->set_clipboard_text(clipboard_form(selected_text(box)));
        if (key == 'C')
            return false;
        changed = replace_selection(box, {});
        break;
    }
    case 'V': {
        Text pasted = m_services ? pasted_form(m_services->clipboard_text(), !is_term && m_tree.node(field).multiline)
                                 : Text();
        if (pasted.empty())
            return false;
        changed = replace_selection(box, pasted);
        break;
    }
    case 'Z': changed = undo(box); break;
    case 'Y': changed = redo(box); break;
    default: return false;
    }
    if (changed)
        text_changed(field);
    return changed;
}

bool KeyboardInput::character(char16_t unit)
{
    std::optional<NodeId> focus = m_pointer.focus();
    if (m_overlays.dialog || !focus)
        return false;
    TextboxModel* box = text_field_of(m_tree, *focus);
    if (!box)
        return false;
    bool is_term = m_tree.node(*focus).kind() == NodeKind::Term;
    if (is_term && unit == 0x0D)
        return submit_command(*focus);
    bool changed = false;
    if (unit == 0x08)
        changed = delete_backward(*box);
    else if (unit >= 0x20)
        changed = replace_selection(*box, std::u16string_view(&unit, 1), TextEdit::Kind::Typing);
    if (changed)
        text_changed(*focus);
    return changed;
}

bool KeyboardInput::submit_command(NodeId term)
{
    auto* model = m_tree.node(term).model.as<TermModel>();
    std::string command = utf16_to_utf8(model->input.text.view());
    model->lines.push_back(u"$ " + model->input.text.str());
    clear_field(model->input);
    m_tree.layout_dirty = true;
    m_tree.fire_submit(term, command);
    return true;
}

bool KeyboardInput::input_method_result(std::u16string_view text)
{
    std::optional<NodeId> focus = m_pointer.focus();
    TextboxModel* box = focus && !m_overlays.dialog ? text_field_of(m_tree, *focus) : nullptr;
    if (!box)
        return false;
    Text committed = committed_form(text);
    bool changed = set_preedit(*box, {});
    if (committed.empty())
        return changed;
    replace_selection(*box, committed);
    text_changed(*focus);
    return true;
}

bool KeyboardInput::input_method_preedit(std::u16string_view text)
{
    std::optional<NodeId> focus = m_pointer.focus();
    TextboxModel* box = focus && !m_overlays.dialog ? text_field_of(m_tree, *focus) : nullptr;
    return box && set_preedit(*box, committed_form(text));
}

}
