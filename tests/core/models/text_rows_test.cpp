#include "core/base/utf.hpp"
#include "core/models/text_rows.hpp"
#include "core/tree/tree.hpp"

#include <gtest/gtest.h>

using namespace orvy;

namespace {

std::vector<std::vector<std::u16string>> cells_of(TextRows const& rows)
{
    std::vector<std::vector<std::u16string>> out;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        out.emplace_back();
        for (std::size_t c = 0; c < rows[i].size(); ++c)
            out.back().emplace_back(rows[i][c]);
    }
    return out;
}

}

TEST(TextRows, rows_of_any_length_read_back_cell_by_cell)
{
    TextRows rows { { u"a", u"", u"ccc" }, {}, { u"" }, { u"Ок 😀" } };
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(cells_of(rows),
        (std::vector<std::vector<std::u16string>> { { u"a", u"", u"ccc" }, {}, { u"" }, { u"Ок 😀" } }));
    EXPECT_TRUE(rows[1].empty());
    EXPECT_FALSE(rows[2].empty());
    EXPECT_EQ(rows[3].front(), u"Ок 😀");
    EXPECT_TRUE(TextRows().empty());
}

TEST(TextRows, built_in_place_from_utf8_equals_the_same_rows_given_whole)
{
    TextRows built;
    for (std::string_view row : { "один", "two" }) {
        append_utf8_as_utf16(built.text(), row);
        built.end_cell();
        append_utf8_as_utf16(built.text(), "\xFF");
        built.end_cell();
        built.end_row();
    }
    TextRows whole { { u"один", u"\uFFFD" }, { u"two", u"\uFFFD" } };
    EXPECT_EQ(built, whole);
    whole.assign(2, { u"один", u"\uFFFD" });
    EXPECT_NE(built, whole);
    EXPECT_EQ(whole.size(), 2u);
}

TEST(PageAllocator, a_tree_grown_past_the_page_threshold_keeps_its_nodes)
{
    Tree tree;
    std::size_t count = 2 * PageAllocator<Node>::page_threshold / sizeof(Node);
    for (std::size_t i = 1; i < count; ++i)
        tree.append(i / 2, Model(NodeKind::Label, TextModel { .text = utf8_to_utf16(std::to_string(i)) }));
    ASSERT_EQ(tree.size(), count);
    for (std::size_t i = 1; i < count; ++i) {
        ASSERT_EQ(tree.node(i).parent, i / 2);
        ASSERT_EQ(tree.node(i).model.as<TextModel>()->text, utf8_to_utf16(std::to_string(i)));
    }
    EXPECT_EQ(tree.node(0).children.size(), 1u);
    Tree moved = std::move(tree);
    EXPECT_EQ(moved.node(count - 1).parent, (count - 1) / 2);
}
