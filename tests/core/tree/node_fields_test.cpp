#include "core/tree/node.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>

using namespace orvy;

TEST(OptionalFloat, absent_differs_from_every_stored_value_including_nan)
{
    OptionalFloat absent;
    EXPECT_FALSE(absent);
    EXPECT_EQ(absent, std::nullopt);

    float const nan = std::numeric_limits<float>::quiet_NaN();
    // Whatever NaN is stored, even one with the absent marker's bits, it stays a value.
    for (float value : { 0.0f, -0.0f, nan, -nan, std::bit_cast<float>(0x7FC0DA55u), std::bit_cast<float>(0x7FA00001u),
             std::numeric_limits<float>::infinity() }) {
        OptionalFloat stored = value;
        ASSERT_TRUE(stored.has_value());
        EXPECT_EQ(std::isnan(*stored), std::isnan(value));
        std::optional<float> widened = stored;
        ASSERT_TRUE(widened);
        EXPECT_EQ(std::isnan(*widened), std::isnan(value));
    }
    OptionalFloat from_double = 2.5;
    EXPECT_EQ(from_double.value_or(0), 2.5f);
    from_double.reset();
    EXPECT_EQ(from_double.value_or(7), 7.0f);
}

TEST(OptionalFloat, compares_as_std_optional_does)
{
    float const nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_TRUE(OptionalFloat() == OptionalFloat(std::nullopt));
    EXPECT_TRUE(OptionalFloat() == std::optional<float>());
    EXPECT_TRUE(std::optional<float>() == OptionalFloat());
    EXPECT_FALSE(OptionalFloat() == OptionalFloat(0.0f));
    EXPECT_TRUE(OptionalFloat(3.0f) == 3.0f);
    EXPECT_TRUE(OptionalFloat(3.0f) == std::optional<float>(3.0f));
    EXPECT_FALSE(OptionalFloat(nan) == OptionalFloat(nan));
    EXPECT_FALSE(OptionalFloat(3.0f) == std::optional<float>());

    LayoutParams a, b;
    a.w = 10;
    EXPECT_FALSE(a == b);
    b.w = std::optional<float>(10.0f);
    EXPECT_TRUE(a == b);
}

TEST(HeapOptional, assigns_resets_and_copies_deeply)
{
    HeapOptional<Text> tip;
    EXPECT_FALSE(tip);
    tip = u"подсказка";
    ASSERT_TRUE(tip);
    EXPECT_EQ(*tip, u"подсказка");
    tip = Text(u"другая");
    EXPECT_EQ(tip->size(), 6u);

    HeapOptional<Text> copy = tip;
    *copy = u"копия";
    EXPECT_EQ(*tip, u"другая");
    copy = std::nullopt;
    EXPECT_FALSE(copy);
    tip.reset();
    EXPECT_FALSE(tip.has_value());
}

TEST(Node, record_fits_three_cache_lines_with_the_layout_fields_in_the_first_two)
{
    EXPECT_LE(sizeof(Node), 192u);
    EXPECT_EQ(alignof(Node), 64u);
    Node node;
    auto offset = [&node](void const* field) {
        return static_cast<std::size_t>(static_cast<char const*>(field) - reinterpret_cast<char const*>(&node));
    };
    EXPECT_LE(offset(&node.layout) + sizeof(LayoutParams), 128u);
    EXPECT_LT(offset(&node.model.kind), 128u);
}

TEST(OptionalNodeId, reads_and_compares_as_std_optional_does)
{
    OptionalNodeId none;
    EXPECT_FALSE(none);
    EXPECT_EQ(none, std::nullopt);
    EXPECT_FALSE(none == NodeId { 0 });
    EXPECT_EQ(std::optional<NodeId>(none), std::nullopt);
    OptionalNodeId zero = NodeId { 0 };
    ASSERT_TRUE(zero);
    EXPECT_EQ(*zero, 0u);
    EXPECT_EQ(std::optional<NodeId>(zero), NodeId { 0 });
    EXPECT_EQ(OptionalNodeId(std::optional<NodeId>(7)), NodeId { 7 });
    EXPECT_EQ(OptionalNodeId(std::optional<NodeId>()), none);
    zero.reset();
    EXPECT_EQ(zero.value_or(3), 3u);
}

TEST(NodeExtras, reading_allocates_nothing_and_writing_keeps_each_field)
{
    Node node;
    Node const& reader = node;
    EXPECT_FALSE(reader.extras().on_change);
    EXPECT_FALSE(reader.extras().tip);
    EXPECT_EQ(&reader.extras(), &Node().extras()) << "nodes without extras share the empty record";
    node.extras_mut().on_change = [](Tree&, float) { };
    node.extras_mut().tip = u"подсказка";
    EXPECT_NE(&reader.extras(), &Node().extras());
    ASSERT_TRUE(reader.extras().on_change);
    EXPECT_EQ(*reader.extras().tip, u"подсказка");
    EXPECT_FALSE(reader.extras().class_name);
    Node moved = std::move(node);
    ASSERT_TRUE(moved.extras().on_change);
    EXPECT_EQ(*moved.extras().tip, u"подсказка");
}
