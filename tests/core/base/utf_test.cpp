#include "core/base/utf.hpp"

#include <gtest/gtest.h>

using namespace orvy;

TEST(Utf, round_trips_cyrillic_and_astral_text)
{
    std::string text = "Ок \xF0\x9F\x98\x80 Перетащите";
    std::u16string wide = utf8_to_utf16(text);
    EXPECT_EQ(wide.substr(0, 2), u"Ок");
    EXPECT_EQ(wide[3], 0xD83D); // a surrogate pair for U+1F600
    EXPECT_EQ(wide[4], 0xDE00);
    EXPECT_EQ(utf16_to_utf8(wide), text);
}

TEST(Utf, invalid_input_becomes_replacement_characters_without_losing_the_rest)
{
    EXPECT_EQ(utf8_to_utf16("a\xFF" "b"), u"a\uFFFDb");
    EXPECT_EQ(utf8_to_utf16("\xC0\xAF"), u"\uFFFD\uFFFD"); // overlong
    EXPECT_EQ(utf8_to_utf16("\xE2\x82"), u"\uFFFD\uFFFD"); // truncated
    EXPECT_EQ(utf8_to_utf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD"); // surrogate
    EXPECT_EQ(utf16_to_utf8(u"x\xD800y"), "x\xEF\xBF\xBDy");
}

TEST(Utf, appending_keeps_the_text_before_and_widens_past_the_first_other_byte)
{
    std::u16string text = u"Ок ";
    append_utf8_as_utf16(text, "r1 \xD0\xB4 x");
    append_utf8_as_utf16(text, "");
    append_utf8_as_utf16(text, "\xF0\x9F\x98\x80!");
    EXPECT_EQ(text, u"Ок r1 д x\U0001F600!");
}
