// Hot keys: the grammar of key descriptions ("ctrl+shift+s") and matching a key
// press against a window's table.
#pragma once

#include "core/tree/tree.hpp"

#include <cstdint>
#include <optional>
#include <string_view>

namespace orvy {

struct HotKeySpec {
    std::uint32_t key = 0;       // Windows virtual-key code
    std::uint8_t modifiers = 0;  // key_modifier bits
    friend bool operator==(HotKeySpec const&, HotKeySpec const&) = default;
};

// Pieces between "+" signs, trimmed of white space and compared without
// regard to ASCII case: "ctrl"/"control", "shift", "alt" and one key (a
// letter, a digit, a named key or f1..f24; a later key replaces an earlier
// one). Anything else, or no key at all, gives nothing.
std::optional<HotKeySpec> parse_hotkey(std::u16string_view spec);

// Runs the first entry whose key and modifiers equal the press (keypad plus
// and minus count as the main keys). The table is taken out while the
// handler runs; entries it adds go after the existing ones. Returns whether
// one matched.
bool run_hotkey(Tree& tree, std::uint32_t key, std::uint8_t modifiers);

}
