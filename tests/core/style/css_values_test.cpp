#include "core/style/css.hpp"

#include <gtest/gtest.h>

#include <cmath>

using namespace orvy;

TEST(CssColor, three_six_and_eight_digits_in_either_case)
{
    EXPECT_EQ(parse_color("#abc"), parse_color("#aabbcc"));
    EXPECT_EQ(parse_color("  #AbC\t"), Color::from_rgb8(0xAABBCC));
    EXPECT_EQ(parse_color("#ff000080"), (Color { 1, 0, 0, 128 / 255.0f }));
    EXPECT_EQ(parse_color("#102030"), (Color { 16 / 255.0f, 32 / 255.0f, 48 / 255.0f, 1 }));
}

TEST(CssColor, names_functions_and_other_digit_counts_do_not_parse)
{
    for (char const* bad : { "", "#", "#ab", "#abcd", "#abcde", "#abcdeff", "#abcdef012", "red", "rgb(1,2,3)",
             "#ggg", "abc", "# abc", "#+f+f+f", "#-12345", "#12 345" })
        EXPECT_FALSE(parse_color(bad)) << '"' << bad << '"';
}

TEST(CssLength, pixels_signs_and_exponents)
{
    EXPECT_EQ(parse_length("10"), 10.0f);
    EXPECT_EQ(parse_length(" 200px "), 200.0f);
    EXPECT_EQ(parse_length("12 px"), 12.0f);
    EXPECT_EQ(parse_length("-1.5"), -1.5f);
    EXPECT_EQ(parse_length("+.5px"), 0.5f);
    EXPECT_EQ(parse_length("3."), 3.0f);
    EXPECT_EQ(parse_length("2e2"), 200.0f);
    EXPECT_EQ(parse_length("25E-1px"), 2.5f);
    EXPECT_EQ(parse_length("1e-60"), 0.0f); // too small for a float: zero
}

TEST(CssLength, units_words_and_values_beyond_the_float_range_do_not_parse)
{
    for (char const* bad : { "", "px", "auto", "10em", "10PX", "10pxpx", "1,5", "1.2.3", "e5", "1e", "1e+", "--1",
             "+-1", "inf", "nan", "infinity", "0x10", "1 0", "1e39", "-1e39", "99999999999999999999999999999999999999999" })
        EXPECT_FALSE(parse_length(bad)) << '"' << bad << '"';
}

TEST(CssFamily, quotes_are_removed_once_and_an_empty_name_is_nothing)
{
    EXPECT_EQ(parse_family_name(" 'Consolas' "), "Consolas");
    EXPECT_EQ(parse_family_name("\"Fira Code\""), "Fira Code");
    EXPECT_EQ(parse_family_name("\"' Mono '\""), "Mono"); // double, then single, then trimmed
    EXPECT_EQ(parse_family_name("'\"Mono\"'"), "\"Mono\"");
    EXPECT_EQ(parse_family_name("\"Mono"), "\"Mono");
    EXPECT_FALSE(parse_family_name("  "));
    EXPECT_FALSE(parse_family_name("\"\""));
    EXPECT_FALSE(parse_family_name("\"' '\""));
}

TEST(FontFamilyTable, names_keep_their_first_index_and_compare_exactly)
{
    FontFamilyTable table;
    EXPECT_EQ(table.name(0), u"Segoe UI");
    EXPECT_EQ(table.intern(u"Segoe UI"), 0);
    EXPECT_EQ(table.intern(u"Consolas"), 1);
    EXPECT_EQ(table.intern(u"consolas"), 2);
    EXPECT_EQ(table.intern(u"Consolas"), 1);
    EXPECT_EQ(table.name(2), u"consolas");
    EXPECT_EQ(table.name(999), u"Segoe UI");

    table.set_default(u"Consolas");
    EXPECT_EQ(table.find(u"Consolas"), 0); // the lowest index wins
    EXPECT_FALSE(table.find(u"Segoe UI"));
    EXPECT_EQ(table.intern(u"Segoe UI"), 3);
}

TEST(FontFamilyTable, a_full_table_gives_new_names_no_index)
{
    FontFamilyTable table;
    while (table.size() < FontFamilyTable::capacity)
        ASSERT_TRUE(table.intern(u"f" + std::u16string(1, static_cast<char16_t>(table.size()))));
    EXPECT_FALSE(table.intern(u"one too many"));
    EXPECT_EQ(table.intern(u"Segoe UI"), 0);
}
