// Virtual-key codes and control characters for X key symbols.
#include "platform/linux/detail/key_map.hpp"

#include "core/window/host.hpp"

#include <string_view>

#include <X11/XF86keysym.h>
#include <X11/keysym.h>

namespace orvy::linux_platform::detail {

namespace {

std::uint32_t from_keysym(unsigned long key)
{
    if (key >= XK_a && key <= XK_z)
        return static_cast<std::uint32_t>('A' + (key - XK_a));
    if (key >= XK_A && key <= XK_Z)
        return static_cast<std::uint32_t>(key);
    if (key >= XK_0 && key <= XK_9)
        return static_cast<std::uint32_t>(key);
    if (key >= XK_F1 && key <= XK_F24)
        return 0x70 + static_cast<std::uint32_t>(key - XK_F1);
    if (key >= XK_KP_0 && key <= XK_KP_9)
        return 0x60 + static_cast<std::uint32_t>(key - XK_KP_0);
    switch (key) {
    case XK_BackSpace: return 0x08;
    case XK_Tab: case XK_ISO_Left_Tab: case XK_KP_Tab: return 0x09;
    case XK_Clear: case XK_KP_Begin: return 0x0C;
    case XK_Return: case XK_KP_Enter: return 0x0D;
    case XK_Shift_L: case XK_Shift_R: return 0x10;
    case XK_Control_L: case XK_Control_R: return 0x11;
    case XK_Alt_L: case XK_Alt_R: case XK_ISO_Level3_Shift: return 0x12;
    case XK_Pause: return 0x13;
    case XK_Caps_Lock: return 0x14;
    case XK_Escape: return 0x1B;
    case XK_space: case XK_KP_Space: return 0x20;
    case XK_Page_Up: case XK_KP_Page_Up: return 0x21;
    case XK_Page_Down: case XK_KP_Page_Down: return 0x22;
    case XK_End: case XK_KP_End: return 0x23;
    case XK_Home: case XK_KP_Home: return 0x24;
    case XK_Left: case XK_KP_Left: return 0x25;
    case XK_Up: case XK_KP_Up: return 0x26;
    case XK_Right: case XK_KP_Right: return 0x27;
    case XK_Down: case XK_KP_Down: return 0x28;
    case XK_Select: return 0x29;
    case XK_Execute: return 0x2B;
    case XK_Print: return 0x2C;
    case XK_Insert: case XK_KP_Insert: return 0x2D;
    case XK_Delete: case XK_KP_Delete: return 0x2E;
    case XK_Help: return 0x2F;
    case XK_Super_L: return 0x5B;
    case XK_Super_R: return 0x5C;
    case XK_Menu: return 0x5D;
    case XF86XK_Sleep: return 0x5F;
    case XK_KP_Multiply: return 0x6A;
    case XK_KP_Add: return 0x6B;
    case XK_KP_Separator: return 0x6C;
    case XK_KP_Subtract: return 0x6D;
    case XK_KP_Decimal: return 0x6E;
    case XK_KP_Divide: return 0x6F;
    case XK_Num_Lock: return 0x90;
    case XK_Scroll_Lock: return 0x91;
    case XF86XK_Back: return 0xA6;
    case XF86XK_Forward: return 0xA7;
    case XF86XK_Refresh: case XF86XK_Reload: return 0xA8;
    case XF86XK_Stop: return 0xA9;
    case XF86XK_Search: return 0xAA;
    case XF86XK_Favorites: return 0xAB;
    case XF86XK_HomePage: return 0xAC;
    case XF86XK_AudioMute: return 0xAD;
    case XF86XK_AudioLowerVolume: return 0xAE;
    case XF86XK_AudioRaiseVolume: return 0xAF;
    case XF86XK_AudioNext: return 0xB0;
    case XF86XK_AudioPrev: return 0xB1;
    case XF86XK_AudioStop: return 0xB2;
    case XF86XK_AudioPlay: case XF86XK_AudioPause: return 0xB3;
    case XF86XK_Mail: return 0xB4;
    case XF86XK_AudioMedia: return 0xB5;
    case XK_semicolon: return 0xBA;
    case XK_equal: case XK_plus: return 0xBB;
    case XK_comma: return 0xBC;
    case XK_minus: return 0xBD;
    case XK_period: return 0xBE;
    case XK_slash: return 0xBF;
    case XK_grave: return 0xC0;
    case XK_bracketleft: return 0xDB;
    case XK_backslash: return 0xDC;
    case XK_bracketright: return 0xDD;
    case XK_apostrophe: return 0xDE;
    default: return 0;
    }
}

// The code of the key at this place on a US keyboard, by its evdev number.
std::uint32_t from_position(unsigned keycode)
{
    if (keycode < 8)
        return 0;
    unsigned evdev = keycode - 8;
    // KEY_1..KEY_9, KEY_0
    if (evdev >= 2 && evdev <= 10)
        return '1' + (evdev - 2);
    static constexpr char rows[][11] = { "QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM" };
    static constexpr unsigned row_starts[] = { 16, 30, 44 };
    for (std::size_t row = 0; row < 3; ++row) {
        if (evdev < row_starts[row])
            continue;
        std::string_view letters = rows[row];
        if (unsigned column = evdev - row_starts[row]; column < letters.size())
            return static_cast<std::uint32_t>(letters[column]);
    }
    switch (evdev) {
    case 11: return '0';
    case 12: return 0xBD; // minus
    case 13: return 0xBB; // equal
    case 26: return 0xDB; // left brace
    case 27: return 0xDD; // right brace
    case 39: return 0xBA; // semicolon
    case 40: return 0xDE; // apostrophe
    case 41: return 0xC0; // grave
    case 43: return 0xDC; // backslash
    case 51: return 0xBC; // comma
    case 52: return 0xBE; // dot
    case 53: return 0xBF; // slash
    case 86: return 0xE2; // the key beside the left Shift on ISO keyboards
    default: return 0;
    }
}

}

std::uint32_t virtual_key(unsigned long keysym, unsigned keycode)
{
    std::uint32_t code = from_keysym(keysym);
    return code ? code : from_position(keycode);
}

char16_t control_character(unsigned long keysym)
{
    switch (keysym) {
    case XK_BackSpace: return 0x08;
    case XK_Tab: case XK_ISO_Left_Tab: case XK_KP_Tab: return 0x09;
    case XK_Return: case XK_KP_Enter: return 0x0D;
    case XK_Escape: return 0x1B;
    default: return 0;
    }
}

std::uint8_t modifier_bit(unsigned long keysym)
{
    switch (keysym) {
    case XK_Control_L: case XK_Control_R: return key_modifier::control;
    case XK_Shift_L: case XK_Shift_R: return key_modifier::shift;
    case XK_Alt_L: case XK_Alt_R: case XK_Meta_L: case XK_Meta_R: return key_modifier::alt;
    default: return 0;
    }
}

}
