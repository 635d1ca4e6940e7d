// Keyboard input: the message box's keys, hot keys, the context menu, Tab
// focus traversal, Esc and F12, the keys of the focused widget, text editing
// with the clipboard, typed characters and input-method text. Keys arrive as
// Windows virtual-key codes and characters as UTF-16 code units on every
// platform.
#pragma once

#include "core/input/pointer.hpp"

#include <cstdint>
#include <string_view>

namespace orvy {

namespace virtual_key {
inline constexpr std::uint32_t backspace = 0x08;
inline constexpr std::uint32_t tab = 0x09;
inline constexpr std::uint32_t enter = 0x0D;
inline constexpr std::uint32_t escape = 0x1B;
inline constexpr std::uint32_t space = 0x20;
inline constexpr std::uint32_t page_up = 0x21;
inline constexpr std::uint32_t page_down = 0x22;
inline constexpr std::uint32_t end = 0x23;
inline constexpr std::uint32_t home = 0x24;
inline constexpr std::uint32_t left = 0x25;
inline constexpr std::uint32_t up = 0x26;
inline constexpr std::uint32_t right = 0x27;
inline constexpr std::uint32_t down = 0x28;
inline constexpr std::uint32_t insert = 0x2D;
inline constexpr std::uint32_t delete_key = 0x2E;
inline constexpr std::uint32_t f12 = 0x7B;
}

// Key down, in this order (the first that applies consumes the key):
//   message box open: Tab / Shift+Tab   -> focus the next / previous button, cyclically
//                                          (the first Tab focuses the first, or the last with Shift)
//                     Enter, Space      -> press the focused button, or the last one
//                     Esc               -> close; the handler gets dialog_dismissed
//                     any other key     -> eaten
//   Esc, pop layer shown                -> hide it, relayout, clear the focus, LayerClosed
//   a hot key, no menu or dropdown list
//   open and no text field focused      -> its handler
//   context menu open: Enter, Space     -> pick the highlighted item; Esc closes;
//                      Up, Down         -> move the highlight; other keys do nothing
//   Tab / Shift+Tab                     -> focus the next / previous focusable node
//   Esc                                 -> close the dropdown list, the open list and the
//                                          context menu, clear the focus (a text box hears keys(0))
//   F12, window made with the inspector -> show or hide the inspector label
//   anything else                       -> the focused node's own keys (keyboard_kinds.cpp,
//                                          keyboard_text.cpp)
class KeyboardInput {
public:
    KeyboardInput(Tree& tree, OverlayState& overlays, PointerInput& pointer)
        : m_tree(tree), m_overlays(overlays), m_pointer(pointer)
    {
    }

    // Whether F12 may show the inspector (the window's `insp` option).
    void allow_inspector(bool allowed) { m_inspector_allowed = allowed; }
    // Where text geometry and the clipboard come from; without services the
    // clipboard is empty and Up/Down in multi-line fields do nothing.
    void set_text_services(TextServices* services) { m_services = services; }

    // Each returns whether the window must be repainted.
    bool key_down(std::uint32_t key, std::uint8_t modifiers);
    // One UTF-16 code unit typed: Backspace is 0x08, Enter 0x0D.
    bool character(char16_t unit);
    // Text an input method committed: one edit, one undo step.
    bool input_method_result(std::u16string_view text);
    // What an input method is composing, shown at the caret; empty ends it.
    bool input_method_preedit(std::u16string_view text);
    // Applies the `focus(node, txt=, sel=)` requests in order.
    bool take_focus_requests();

private:
    bool dialog_key(std::uint32_t key, std::uint8_t modifiers);
    bool pop_layer_escape();
    bool context_menu_key(std::uint32_t key);
    bool tab(bool backward);
    bool escape();
    // keyboard_kinds.cpp
    bool focused_node_key(NodeId focus, std::uint32_t key, std::uint8_t modifiers);
    bool tree_key(NodeId node, std::uint32_t key);
    bool dropdown_key(NodeId node, std::uint32_t key);
    bool rows_key(NodeId node, std::uint32_t key);
    // keyboard_text.cpp
    bool text_key(NodeId field, std::uint32_t key, std::uint8_t modifiers);
    bool vertical_caret_move(NodeId field, TextboxModel& box, bool down, bool extend);
    bool clipboard_key(NodeId field, TextboxModel& box, std::uint32_t key);
    bool submit_command(NodeId term);
    // Raises the text box's text handler with its whole text.
    void text_changed(NodeId field);

    Tree& m_tree;
    OverlayState& m_overlays;
    PointerInput& m_pointer;
    TextServices* m_services = nullptr;
    bool m_inspector_allowed = false;
};

// The text a text box edits, or a terminal's input line; null for other kinds.
TextboxModel* text_field_of(Tree& tree, NodeId node);
// Kinds that Tab visits: button, slider, checkbox, textbox, dropdown, tabs,
// table, switch, radio, toggle, list and tree view.
bool is_tab_stop(NodeKind kind);
// The nodes Tab visits, in depth-first document order, leaving out hidden
// subtrees and disabled nodes.
std::vector<NodeId> tab_order(Tree const& tree);

}
