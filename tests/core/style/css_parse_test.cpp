#include "core/style/css.hpp"

#include <gtest/gtest.h>

using namespace orvy;

namespace {

Compound compound(char const* type, char const* class_name = nullptr, bool child = false)
{
    Compound c;
    if (type)
        c.type = type;
    if (class_name)
        c.class_name = class_name;
    c.child = child;
    return c;
}

}

TEST(CssComments, are_removed_and_an_unterminated_one_swallows_the_rest)
{
    EXPECT_EQ(strip_comments("a/* x */b"), "ab");
    EXPECT_EQ(strip_comments("a/* x *//* y */b/c"), "ab/c");
    EXPECT_EQ(strip_comments("a /* never closed } b {"), "a ");
    EXPECT_EQ(strip_comments("a/*/b*/c"), "ac"); // "/*/" does not close itself
    EXPECT_EQ(strip_comments("a/*/"), "a");
    EXPECT_EQ(strip_comments("a*/b"), "a*/b");
}

TEST(CssRules, a_missing_closing_brace_drops_the_last_rule_and_ends_parsing)
{
    ParsedSheet sheet = parse_sheet("label { color: #f00 } button { color: #0f0 ");
    ASSERT_EQ(sheet.rules.size(), 1u);
    EXPECT_EQ(sheet.rules[0].compounds, std::vector { compound("label") });

    EXPECT_TRUE(parse_sheet("label color: #f00 }").rules.empty());
    // The text between a "}" and the next "{" is the next selector list, stray text included.
    sheet = parse_sheet("a{x:1} junk b {x:2}");
    ASSERT_EQ(sheet.rules.size(), 2u);
    EXPECT_EQ(sheet.rules[1].compounds, (std::vector { compound("junk"), compound("b") }));
}

TEST(CssRules, declarations_need_a_colon_and_a_name_and_rules_need_declarations)
{
    ParsedSheet sheet = parse_sheet("x { ; novalue; : #f00; COLOR :  #F00 ; Font-Family: a:b ;; } y { nothing } z {}");
    ASSERT_EQ(sheet.rules.size(), 1u);
    EXPECT_EQ(sheet.declarations(sheet.rules[0]),
        (std::vector<Declaration> { { "color", "#F00" }, { "font-family", "a:b" } }));
}

TEST(CssSelectors, a_list_gives_one_rule_per_selector_sharing_the_declarations)
{
    ParsedSheet sheet = parse_sheet("label, .big , , button:hover { wrap: 1 }");
    ASSERT_EQ(sheet.rules.size(), 3u); // the empty part yields nothing
    for (Rule const& rule : sheet.rules)
        EXPECT_EQ(sheet.declarations(rule), (std::vector<Declaration> { { "wrap", "1" } }));
    // Sorted by specificity: label (10), .big (100), button:hover (110).
    EXPECT_EQ(sheet.rules[0].compounds, std::vector { compound("label") });
    EXPECT_EQ(sheet.rules[1].compounds, std::vector { compound(nullptr, "big") });
    EXPECT_EQ(sheet.rules[2].state, RuleState::Hover);
}

TEST(CssSelectors, child_combinator_with_or_without_spaces)
{
    auto const expected = std::vector { compound("frame"), compound("label", nullptr, true) };
    for (char const* text : { "frame>label{a:b}", "frame > label{a:b}", "frame\t>\nlabel{a:b}", "frame >label{a:b}" })
        EXPECT_EQ(parse_sheet(text).rules.at(0).compounds, expected) << text;
    EXPECT_EQ(parse_sheet("frame label{a:b}").rules.at(0).compounds,
        (std::vector { compound("frame"), compound("label") }));
    // A ">" with nothing after it is dropped; one before the first compound marks it.
    EXPECT_EQ(parse_sheet("frame >{a:b}").rules.at(0).compounds, std::vector { compound("frame") });
    EXPECT_EQ(parse_sheet(">label{a:b}").rules.at(0).compounds, std::vector { compound("label", nullptr, true) });
    EXPECT_TRUE(parse_sheet(" > {a:b}").rules.empty());
}

TEST(CssSelectors, types_are_lower_cased_classes_kept_and_star_means_any)
{
    ParsedSheet sheet = parse_sheet("LaBeL.Big, *.x, .a.b, label., *, :hover {a:b}");
    std::vector<std::vector<Compound>> seen;
    for (Rule const& rule : sheet.rules)
        seen.push_back(rule.compounds);
    EXPECT_EQ(seen[0], std::vector { compound(nullptr) });     // *        (0)
    EXPECT_EQ(seen[1], std::vector { compound(nullptr, "x") }); // *.x     (100)
    EXPECT_EQ(seen[2], std::vector { compound(nullptr, "a.b") }); // .a.b  (100)
    EXPECT_EQ(seen[3], std::vector { compound(nullptr) });     // :hover   (100)
    EXPECT_EQ(seen[4], std::vector { compound("label", "Big") }); // (110)
    EXPECT_EQ(seen[5], std::vector { compound("label", "") }); // label.   (110)
}

TEST(CssSelectors, only_hover_and_focus_are_pseudo_classes_and_the_last_one_sets_the_state)
{
    ParsedSheet sheet = parse_sheet("label:active {a:b} frame:focus label:hover {a:b} frame:hover label {a:b}");
    ASSERT_EQ(sheet.rules.size(), 3u);
    EXPECT_EQ(sheet.rules[0].state, RuleState::None);
    EXPECT_EQ(sheet.rules[0].specificity, 10u);
    EXPECT_EQ(sheet.rules[0].compounds, std::vector { compound("label") });
    EXPECT_EQ(sheet.rules[1].state, RuleState::Hover); // frame:hover label: 10 + 100 + 10
    EXPECT_EQ(sheet.rules[1].specificity, 120u);
    EXPECT_EQ(sheet.rules[2].state, RuleState::Hover); // frame:focus label:hover: 10 + 100 + 10 + 100
    EXPECT_EQ(sheet.rules[2].specificity, 220u);
    EXPECT_EQ(parse_sheet("a:HOVER {a:b}").rules.at(0).state, RuleState::None);
}

TEST(CssOrder, is_stable_by_specificity_then_source_position)
{
    ParsedSheet sheet = parse_sheet(".x {n:1} label {n:2} label, button {n:3} .y label {n:4}");
    std::vector<std::pair<std::uint32_t, std::uint32_t>> order;
    for (Rule const& rule : sheet.rules)
        order.emplace_back(rule.specificity, rule.source_index);
    EXPECT_EQ(order, (std::vector<std::pair<std::uint32_t, std::uint32_t>> {
                         { 10, 1 }, { 10, 2 }, { 10, 3 }, { 100, 0 }, { 110, 4 } }));
}

TEST(CssText, multi_byte_characters_survive_and_unicode_spaces_separate)
{
    ParsedSheet sheet = parse_sheet("frame\u00A0.клас\u3000label { font-family: «Шрифт» }");
    ASSERT_EQ(sheet.rules.size(), 1u);
    EXPECT_EQ(sheet.rules[0].compounds, (std::vector { compound("frame"), compound(nullptr, "клас"), compound("label") }));
    EXPECT_EQ(sheet.declarations(sheet.rules[0]).at(0).value, "«Шрифт»");
    // The Kelvin sign lower-cases to an ASCII k.
    EXPECT_EQ(parse_sheet("lin\u212A {a:b}").rules.at(0).compounds, std::vector { compound("link") });
}
