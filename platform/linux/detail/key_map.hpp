// X keys to the Windows virtual-key codes that core speaks.
#pragma once

#include <cstdint>

namespace orvy::linux_platform::detail {

// The code of the key as its symbol names it on a Latin layout; keys whose
// symbol has no code (Cyrillic, Greek... letters) fall back to the key's
// position, as Windows does. `keycode` is the X server's (evdev + 8).
// 0 for keys without a code.
std::uint32_t virtual_key(unsigned long keysym, unsigned keycode);

// The control character Windows types for the key (Backspace 0x08, Tab
// 0x09, Enter 0x0D, Escape 0x1B), or 0.
char16_t control_character(unsigned long keysym);

// Whether a key's symbol is a modifier and which bit of key_modifier it holds; 0 otherwise.
std::uint8_t modifier_bit(unsigned long keysym);

}
