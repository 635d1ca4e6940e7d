#include "core/style/detail/cascade.hpp"

#include <gtest/gtest.h>

#include <random>

using namespace orvy;

namespace {

char const* const kinds[] = { "container", "frame", "label", "button", "group", "scroll", "nosuch" };
char const* const classes[] = { "a", "b", "c", "" };

// A tree whose shape, kinds and classes follow the seed.
Tree random_tree(std::uint32_t seed, std::size_t count)
{
    std::mt19937 random(seed);
    Tree tree;
    for (std::size_t i = 1; i < count; ++i) {
        NodeId parent = std::uniform_int_distribution<NodeId>(0, tree.size() - 1)(random);
        auto kind = *kind_from_name(kinds[random() % 6]);
        NodeId id = tree.append(parent, Model(kind));
        if (random() % 3 == 0)
            tree.node(id).extras_mut().class_name = classes[random() % 4];
    }
    return tree;
}

std::string random_selector(std::mt19937& random)
{
    std::string selector;
    int compounds = 1 + static_cast<int>(random() % 4);
    for (int i = 0; i < compounds; ++i) {
        if (i > 0)
            selector += random() % 2 ? " > " : " ";
        switch (random() % 4) {
        case 0: selector += kinds[random() % 7]; break;
        case 1: selector += std::string(".") + classes[random() % 4]; break;
        case 2: selector += std::string(kinds[random() % 7]) + "." + classes[random() % 4]; break;
        default: selector += "*"; break;
        }
        if (random() % 6 == 0)
            selector += random() % 2 ? ":hover" : ":focus";
    }
    return selector;
}

std::string random_sheet(std::uint32_t seed, int rules)
{
    static char const* const declarations[] = { "color: #f00", "color: #0f0", "color: bad", "background: #00f",
        "radius: 3", "radius: x", "wrap: 1", "wrap: 0", "font-size: 14", "font: Mono", "font: Sans", "width: 10",
        "width: auto", "gap: 2", "padding: 5", "border: #123 2", "gradient: #111 #222 h", "shadow: 4" };
    std::mt19937 random(seed);
    std::string sheet;
    for (int r = 0; r < rules; ++r) {
        sheet += random_selector(random);
        if (random() % 4 == 0)
            sheet += ", " + random_selector(random);
        sheet += " { ";
        for (unsigned d = 0; d < 1 + random() % 3; ++d)
            sheet += std::string(declarations[random() % std::size(declarations)]) + "; ";
        sheet += "}\n";
    }
    return sheet;
}

}

TEST(CssIndex, finds_exactly_the_nodes_the_plain_loop_finds_on_random_sheets_and_trees)
{
    std::size_t total = 0;
    for (std::uint32_t seed = 1; seed <= 40; ++seed) {
        Tree tree = random_tree(seed, 300);
        ParsedSheet sheet = parse_sheet(random_sheet(seed * 7919, 30));
        auto const plain = detail::match_rules(tree, sheet, detail::MatchStrategy::Plain);
        ASSERT_EQ(detail::match_rules(tree, sheet, detail::MatchStrategy::Indexed), plain) << "seed " << seed;
        for (auto const& nodes : plain)
            total += nodes.size();
    }
    EXPECT_GT(total, 40u * 300u); // the sheets do match, many nodes each
}

TEST(CssIndex, cascades_to_the_same_styles_as_the_plain_loop)
{
    for (std::uint32_t seed = 1; seed <= 20; ++seed) {
        Tree plain = random_tree(seed, 200);
        Tree indexed = random_tree(seed, 200);
        FontFamilyTable plain_families;
        FontFamilyTable indexed_families;
        // Two cascades each, so the second also goes through restoring.
        for (std::uint32_t round = 0; round < 2; ++round) {
            std::string text = random_sheet(seed * 31 + round, 40);
            detail::cascade_with(plain, text, plain_families, detail::MatchStrategy::Plain);
            detail::cascade_with(indexed, text, indexed_families, detail::MatchStrategy::Indexed);
            for (NodeId id = 0; id < plain.size(); ++id) {
                ASSERT_TRUE(plain.node(id).styles == indexed.node(id).styles) << "seed " << seed << " node " << id;
                ASSERT_EQ(plain.node(id).layout, indexed.node(id).layout) << "seed " << seed << " node " << id;
            }
        }
    }
}
