#include "platform/linux/detail/key_map.hpp"
#include "platform/linux/detail/utf.hpp"

#include <gtest/gtest.h>

using namespace orvy::linux_platform::detail;

TEST(KeyMap, keys_map_to_windows_virtual_key_codes)
{
    EXPECT_EQ(virtual_key(SDLK_a, SDL_SCANCODE_A), 0x41u);
    EXPECT_EQ(virtual_key(SDLK_7, SDL_SCANCODE_7), 0x37u);
    EXPECT_EQ(virtual_key(SDLK_F5, SDL_SCANCODE_F5), 0x74u);
    EXPECT_EQ(virtual_key(SDLK_F24, SDL_SCANCODE_F24), 0x87u);
    EXPECT_EQ(virtual_key(SDLK_RETURN, SDL_SCANCODE_RETURN), 0x0Du);
    EXPECT_EQ(virtual_key(SDLK_KP_MINUS, SDL_SCANCODE_KP_MINUS), 0x6Du);
    EXPECT_EQ(virtual_key(SDLK_MINUS, SDL_SCANCODE_MINUS), 0xBDu);
    EXPECT_EQ(virtual_key(SDLK_RCTRL, SDL_SCANCODE_RCTRL), 0x11u);
    EXPECT_EQ(virtual_key(SDLK_DELETE, SDL_SCANCODE_DELETE), 0x2Eu);
}

TEST(KeyMap, every_key_text_editing_and_hot_keys_name_has_its_code)
{
    struct Case {
        SDL_Keycode key;
        SDL_Scancode scancode;
        std::uint32_t code;
    };
    Case const cases[] = {
        { SDLK_F1, SDL_SCANCODE_F1, 0x70 }, { SDLK_F12, SDL_SCANCODE_F12, 0x7B }, { SDLK_F13, SDL_SCANCODE_F13, 0x7C },
        { SDLK_0, SDL_SCANCODE_0, 0x30 }, { SDLK_9, SDL_SCANCODE_9, 0x39 }, { SDLK_z, SDL_SCANCODE_Z, 0x5A },
        { SDLK_EQUALS, SDL_SCANCODE_EQUALS, 0xBB }, { SDLK_LEFT, SDL_SCANCODE_LEFT, 0x25 },
        { SDLK_UP, SDL_SCANCODE_UP, 0x26 }, { SDLK_RIGHT, SDL_SCANCODE_RIGHT, 0x27 },
        { SDLK_DOWN, SDL_SCANCODE_DOWN, 0x28 }, { SDLK_HOME, SDL_SCANCODE_HOME, 0x24 },
        { SDLK_END, SDL_SCANCODE_END, 0x23 }, { SDLK_PAGEUP, SDL_SCANCODE_PAGEUP, 0x21 },
        { SDLK_PAGEDOWN, SDL_SCANCODE_PAGEDOWN, 0x22 }, { SDLK_INSERT, SDL_SCANCODE_INSERT, 0x2D },
        { SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE, 0x08 }, { SDLK_TAB, SDL_SCANCODE_TAB, 0x09 },
        { SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, 0x1B }, { SDLK_SPACE, SDL_SCANCODE_SPACE, 0x20 },
        { SDLK_KP_0, SDL_SCANCODE_KP_0, 0x60 }, { SDLK_KP_9, SDL_SCANCODE_KP_9, 0x69 },
        { SDLK_KP_PLUS, SDL_SCANCODE_KP_PLUS, 0x6B }, { SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER, 0x0D },
        { SDLK_KP_PERIOD, SDL_SCANCODE_KP_PERIOD, 0x6E }, { SDLK_KP_DIVIDE, SDL_SCANCODE_KP_DIVIDE, 0x6F },
        { SDLK_KP_MULTIPLY, SDL_SCANCODE_KP_MULTIPLY, 0x6A }, { SDLK_VOLUMEUP, SDL_SCANCODE_VOLUMEUP, 0xAF },
    };
    for (Case const& c : cases)
        EXPECT_EQ(virtual_key(c.key, c.scancode), c.code) << SDL_GetScancodeName(c.scancode);
}

TEST(KeyMap, letters_of_other_alphabets_fall_back_to_the_key_position)
{
    // A Russian layout types "я" on the key where a Latin layout has Z.
    EXPECT_EQ(virtual_key(0x44F, SDL_SCANCODE_Z), 0x5Au);
    EXPECT_EQ(virtual_key(0x44F, SDL_SCANCODE_UNKNOWN), 0u);
    EXPECT_EQ(control_character(SDLK_BACKSPACE), 0x08);
    EXPECT_EQ(control_character(SDLK_KP_ENTER), 0x0D);
    EXPECT_EQ(control_character(SDLK_a), 0);
}

TEST(Utf, round_trips_and_replaces_what_is_malformed)
{
    std::u16string text = u"Ок \U0001F600!";
    std::vector<std::uint32_t> offsets;
    std::string utf8 = to_utf8(text, &offsets);
    EXPECT_EQ(utf8, "Ок \xF0\x9F\x98\x80!");
    EXPECT_EQ(offsets, (std::vector<std::uint32_t> { 0, 2, 4, 5, 5, 9, 10 }));
    EXPECT_EQ(to_utf16(utf8), text);

    EXPECT_EQ(to_utf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
    EXPECT_EQ(to_utf16("a\xC0\xAF" "b\xF5\x80"), u"a\uFFFD\uFFFDb\uFFFD\uFFFD");
    EXPECT_EQ(to_utf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(to_utf16("abcdef", 4), u"abcd");
}
