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
