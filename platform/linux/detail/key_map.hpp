// SDL keys to the Windows virtual-key codes that core speaks.
#pragma once

#include <cstdint>

#include <SDL.h>

namespace orvy::linux_platform::detail {

// The code of the key as labelled on a Latin layout; keys that produce
// other letters (Cyrillic, Greek...) fall back to their position, as Windows
// does. 0 for keys without a code.
std::uint32_t virtual_key(SDL_Keycode key, SDL_Scancode scancode);

// The control character Windows types for the key (Backspace 0x08, Tab
// 0x09, Enter 0x0D, Escape 0x1B), or 0.
char16_t control_character(SDL_Keycode key);

}
