// Virtual-key codes and control characters for SDL keys.
#include "platform/linux/detail/key_map.hpp"

namespace orvy::linux_platform::detail {

namespace {

std::uint32_t from_keycode(SDL_Keycode key)
{
    if (key >= SDLK_a && key <= SDLK_z)
        return static_cast<std::uint32_t>('A' + (key - SDLK_a));
    if (key >= SDLK_0 && key <= SDLK_9)
        return static_cast<std::uint32_t>('0' + (key - SDLK_0));
    if (key >= SDLK_F1 && key <= SDLK_F12)
        return 0x70 + static_cast<std::uint32_t>(key - SDLK_F1);
    if (key >= SDLK_F13 && key <= SDLK_F24)
        return 0x7C + static_cast<std::uint32_t>(key - SDLK_F13);
    if (key >= SDLK_KP_1 && key <= SDLK_KP_9)
        return 0x61 + static_cast<std::uint32_t>(key - SDLK_KP_1);
    switch (key) {
    case SDLK_BACKSPACE: return 0x08;
    case SDLK_TAB: return 0x09;
    case SDLK_RETURN: case SDLK_KP_ENTER: return 0x0D;
    case SDLK_LSHIFT: case SDLK_RSHIFT: return 0x10;
    case SDLK_LCTRL: case SDLK_RCTRL: return 0x11;
    case SDLK_LALT: case SDLK_RALT: return 0x12;
    case SDLK_PAUSE: return 0x13;
    case SDLK_CAPSLOCK: return 0x14;
    case SDLK_ESCAPE: return 0x1B;
    case SDLK_SPACE: return 0x20;
    case SDLK_PAGEUP: return 0x21;
    case SDLK_PAGEDOWN: return 0x22;
    case SDLK_END: return 0x23;
    case SDLK_HOME: return 0x24;
    case SDLK_LEFT: return 0x25;
    case SDLK_UP: return 0x26;
    case SDLK_RIGHT: return 0x27;
    case SDLK_DOWN: return 0x28;
    case SDLK_SELECT: return 0x29;
    case SDLK_EXECUTE: return 0x2B;
    case SDLK_PRINTSCREEN: return 0x2C;
    case SDLK_INSERT: return 0x2D;
    case SDLK_DELETE: return 0x2E;
    case SDLK_HELP: return 0x2F;
    case SDLK_LGUI: return 0x5B;
    case SDLK_RGUI: return 0x5C;
    case SDLK_APPLICATION: case SDLK_MENU: return 0x5D;
    case SDLK_SLEEP: return 0x5F;
    case SDLK_KP_0: return 0x60;
    case SDLK_KP_MULTIPLY: return 0x6A;
    case SDLK_KP_PLUS: return 0x6B;
    case SDLK_KP_COMMA: return 0x6C;
    case SDLK_KP_MINUS: return 0x6D;
    case SDLK_KP_PERIOD: case SDLK_KP_DECIMAL: return 0x6E;
    case SDLK_KP_DIVIDE: return 0x6F;
    case SDLK_NUMLOCKCLEAR: return 0x90;
    case SDLK_SCROLLLOCK: return 0x91;
    case SDLK_AC_BACK: return 0xA6;
    case SDLK_AC_FORWARD: return 0xA7;
    case SDLK_AC_REFRESH: return 0xA8;
    case SDLK_AC_STOP: return 0xA9;
    case SDLK_AC_SEARCH: return 0xAA;
    case SDLK_AC_BOOKMARKS: return 0xAB;
    case SDLK_AC_HOME: return 0xAC;
    case SDLK_MUTE: return 0xAD;
    case SDLK_VOLUMEDOWN: return 0xAE;
    case SDLK_VOLUMEUP: return 0xAF;
    case SDLK_AUDIONEXT: return 0xB0;
    case SDLK_AUDIOPREV: return 0xB1;
    case SDLK_AUDIOSTOP: return 0xB2;
    case SDLK_AUDIOPLAY: return 0xB3;
    case SDLK_MAIL: return 0xB4;
    case SDLK_MEDIASELECT: return 0xB5;
    case SDLK_SEMICOLON: return 0xBA;
    case SDLK_EQUALS: case SDLK_PLUS: return 0xBB;
    case SDLK_COMMA: return 0xBC;
    case SDLK_MINUS: return 0xBD;
    case SDLK_PERIOD: return 0xBE;
    case SDLK_SLASH: return 0xBF;
    case SDLK_BACKQUOTE: return 0xC0;
    case SDLK_LEFTBRACKET: return 0xDB;
    case SDLK_BACKSLASH: return 0xDC;
    case SDLK_RIGHTBRACKET: return 0xDD;
    case SDLK_QUOTE: return 0xDE;
    default: return 0;
    }
}

std::uint32_t from_scancode(SDL_Scancode scancode)
{
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z)
        return static_cast<std::uint32_t>('A' + (scancode - SDL_SCANCODE_A));
    if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9)
        return static_cast<std::uint32_t>('1' + (scancode - SDL_SCANCODE_1));
    switch (scancode) {
    case SDL_SCANCODE_0: return '0';
    case SDL_SCANCODE_SEMICOLON: return 0xBA;
    case SDL_SCANCODE_EQUALS: return 0xBB;
    case SDL_SCANCODE_COMMA: return 0xBC;
    case SDL_SCANCODE_MINUS: return 0xBD;
    case SDL_SCANCODE_PERIOD: return 0xBE;
    case SDL_SCANCODE_SLASH: return 0xBF;
    case SDL_SCANCODE_GRAVE: return 0xC0;
    case SDL_SCANCODE_LEFTBRACKET: return 0xDB;
    case SDL_SCANCODE_BACKSLASH: return 0xDC;
    case SDL_SCANCODE_RIGHTBRACKET: return 0xDD;
    case SDL_SCANCODE_APOSTROPHE: return 0xDE;
    case SDL_SCANCODE_NONUSBACKSLASH: return 0xE2;
    default: return 0;
    }
}

}

std::uint32_t virtual_key(SDL_Keycode key, SDL_Scancode scancode)
{
    std::uint32_t code = from_keycode(key);
    return code ? code : from_scancode(scancode);
}

char16_t control_character(SDL_Keycode key)
{
    switch (key) {
    case SDLK_BACKSPACE: return 0x08;
    case SDLK_TAB: return 0x09;
    case SDLK_RETURN: case SDLK_KP_ENTER: return 0x0D;
    case SDLK_ESCAPE: return 0x1B;
    default: return 0;
    }
}

}
