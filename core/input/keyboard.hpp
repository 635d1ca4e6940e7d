// Window-level keys: the message box's keys, Esc on pop-up layers and open
// lists, and F12 for the inspector. Keys arrive as Windows virtual-key codes
// on every platform.
#pragma once

#include "core/input/pointer.hpp"

#include <cstdint>

namespace orvy {

namespace virtual_key {
inline constexpr std::uint32_t tab = 0x09;
inline constexpr std::uint32_t enter = 0x0D;
inline constexpr std::uint32_t escape = 0x1B;
inline constexpr std::uint32_t space = 0x20;
inline constexpr std::uint32_t f12 = 0x7B;
}

// Key down, in this order (the first that applies consumes the key):
//   message box open: Tab / Shift+Tab   -> focus the next / previous button, cyclically
//                                          (the first Tab focuses the first, or the last with Shift)
//                     Enter, Space      -> press the focused button, or the last one
//                     Esc               -> close; the handler gets dialog_dismissed
//                     any other key     -> eaten
//   Esc, pop layer shown                -> hide it, relayout, clear the focus, LayerClosed
//   Esc                                 -> close the dropdown list, the open list and the
//                                          context menu, clear the focus
//   F12, window made with the inspector -> show or hide the inspector label
class KeyboardInput {
public:
    KeyboardInput(Tree& tree, OverlayState& overlays, PointerInput& pointer)
        : m_tree(tree), m_overlays(overlays), m_pointer(pointer)
    {
    }

    // Whether F12 may show the inspector (the window's `insp` option).
    void allow_inspector(bool allowed) { m_inspector_allowed = allowed; }

    // Returns whether the window must be repainted.
    bool key_down(std::uint32_t key, std::uint8_t modifiers);

private:
    bool dialog_key(std::uint32_t key, std::uint8_t modifiers);
    bool escape();

    Tree& m_tree;
    OverlayState& m_overlays;
    PointerInput& m_pointer;
    bool m_inspector_allowed = false;
};

}
