#include "core/style/css.hpp"

#include <gtest/gtest.h>

using namespace orvy;

namespace {

Color const red = Color::from_rgb8(0xFF0000);
Color const green = Color::from_rgb8(0x00FF00);
Color const blue = Color::from_rgb8(0x0000FF);

// root > frame > (label, group > label), root > button
class Cascade : public testing::Test {
protected:
    Cascade()
    {
        frame = tree.append(tree.root, Model(NodeKind::Frame));
        label = tree.append(frame, Model(NodeKind::Label));
        group = tree.append(frame, Model(NodeKind::Group));
        deep_label = tree.append(group, Model(NodeKind::Label));
        button = tree.append(tree.root, Model(NodeKind::Button));
    }

    void run(std::string_view sheet) { cascade(tree, sheet, families); }
    Style const& base(NodeId id) const { return tree.node(id).styles.base(); }
    Style const& hover(NodeId id) const { return tree.node(id).styles.hover(); }

    Tree tree;
    FontFamilyTable families;
    NodeId frame, label, group, deep_label, button;
};

}

TEST_F(Cascade, later_rule_wins_at_equal_specificity_and_class_beats_type_in_any_order)
{
    run("button { color: #f00 } button { color: #0f0 }");
    EXPECT_EQ(base(button).text_color, green);

    tree.node(label).extras_mut().class_name = "x";
    run(".x { color: #f00 } label { color: #0f0 }");
    EXPECT_EQ(base(label).text_color, red);
    run("label { color: #0f0 } .x { color: #f00 }");
    EXPECT_EQ(base(label).text_color, red);
    EXPECT_EQ(base(deep_label).text_color, green);
}

TEST_F(Cascade, child_and_descendant_combinators)
{
    run("frame>label { color: #f00 }");
    EXPECT_EQ(base(label).text_color, red);
    EXPECT_FALSE(base(deep_label).text_color);
    run("frame > label { color: #f00 }");
    EXPECT_EQ(base(label).text_color, red);
    EXPECT_FALSE(base(deep_label).text_color);
    run("frame label { color: #f00 }");
    EXPECT_EQ(base(label).text_color, red);
    EXPECT_EQ(base(deep_label).text_color, red);
    run("container > frame > group > label { color: #0f0 } button label { color: #f00 }");
    EXPECT_EQ(base(deep_label).text_color, green);
    EXPECT_FALSE(base(label).text_color);
}

TEST_F(Cascade, descendant_steps_take_the_nearest_matching_ancestor_without_backtracking)
{
    // deep_label's nearest frame-or-group ancestor chain: group, then frame.
    tree.node(group).extras_mut().class_name = "g";
    tree.node(frame).extras_mut().class_name = "g";
    run(".g > .g > label { color: #f00 }");
    EXPECT_EQ(base(deep_label).text_color, red);
    // "frame .g label": the nearest .g above deep_label is the group, and the frame is above it.
    run("frame .g label { color: #0f0 }");
    EXPECT_EQ(base(deep_label).text_color, green);
    // The nearest .g above deep_label is the group, whose parent is not a container.
    run("container > .g label { color: #00f }");
    EXPECT_FALSE(base(deep_label).text_color);
}

TEST_F(Cascade, types_match_in_any_case_classes_only_exactly)
{
    tree.node(label).extras_mut().class_name = "big";
    run("LABEL { radius: 3 } .Big { shadow: 4 } .big { font-size: 30 }");
    EXPECT_EQ(base(label).radius, 3.0f);
    EXPECT_FALSE(base(label).shadow);
    EXPECT_EQ(base(label).font_size, 30.0f);
    EXPECT_FALSE(base(deep_label).shadow); // a node without a class never matches a class
    run("nosuchkind { radius: 3 } * { shadow: 1 }");
    EXPECT_FALSE(base(label).radius);
    EXPECT_EQ(base(tree.root).shadow, 1.0f);
}

TEST_F(Cascade, unknown_pseudo_classes_style_the_base)
{
    run("label:active { background: #00f }");
    EXPECT_EQ(base(label).background, blue);
    EXPECT_EQ(base(deep_label).background, blue);
    EXPECT_FALSE(hover(label).background);
}

TEST_F(Cascade, hover_and_focus_rules_write_their_own_style_and_never_layout)
{
    run("button:hover { background: #f00; color: #0f0; radius: 5; width: 300; gap: 7 } label:focus { shadow: 2 }");
    EXPECT_EQ(hover(button).background, red);
    EXPECT_EQ(hover(button).text_color, green);
    EXPECT_EQ(hover(button).radius, 5.0f);
    EXPECT_TRUE(base(button).is_empty());
    EXPECT_FALSE(tree.node(button).layout.w);
    EXPECT_EQ(tree.node(button).layout.gap, 0.0f);
    EXPECT_EQ(tree.node(label).styles.focus().shadow, 2.0f);
}

TEST_F(Cascade, bad_values_clear_lengths_but_leave_colours)
{
    run("label { radius: 10; background: #f00; border-color: #0f0 } label { radius: abc; background: red; border-color: #12345 }");
    EXPECT_FALSE(base(label).radius);
    EXPECT_EQ(base(label).background, red);
    EXPECT_EQ(base(label).border_color, green);
    run("label { background: #abc } button { background: #aabbcc }");
    EXPECT_EQ(base(label).background, base(button).background);
}

TEST_F(Cascade, width_is_fixed_and_cleared_gap_and_padding_only_set)
{
    run("frame { width: 200px; height: 50; gap: 4; padding: 6 }");
    EXPECT_EQ(tree.node(frame).layout.w, 200.0f);
    EXPECT_EQ(tree.node(frame).layout.h, 50.0f);
    EXPECT_EQ(tree.node(frame).layout.gap, 4.0f);
    EXPECT_EQ(tree.node(frame).layout.padding, 6.0f);
    run("frame { width: 200px; gap: 4; padding: 6 } frame { width: auto; gap: wide; padding: none }");
    EXPECT_FALSE(tree.node(frame).layout.w);
    EXPECT_EQ(tree.node(frame).layout.gap, 4.0f);
    EXPECT_EQ(tree.node(frame).layout.padding, 6.0f);
    EXPECT_FALSE(tree.node(frame).styles.is_allocated()); // layout alone allocates no styles
}

TEST_F(Cascade, border_gradient_wrap_and_family_values)
{
    run("label { border: #f00 2px } button { brdln: #f00; border-width: 3 } button { border: #00f }"
        "group { border: red 2 } frame { gradient: #f00 #00f du } label { gradient: #f00 } "
        "label { wrap: true } group { wrap: True }");
    EXPECT_EQ(base(label).border_color, red);
    EXPECT_EQ(base(label).border_width, 2.0f);
    EXPECT_EQ(base(button).border_color, blue);
    EXPECT_FALSE(base(button).border_width); // one word clears the width
    EXPECT_FALSE(base(group).border_color);
    EXPECT_EQ(base(frame).gradient, std::pair(red, blue));
    EXPECT_EQ(base(frame).gradient_direction, GradientDirection::DiagonalUp);
    EXPECT_FALSE(base(label).gradient);
    EXPECT_EQ(base(label).wrap, Wrap::On);
    EXPECT_EQ(base(group).wrap, Wrap::Off);

    run("label { font-family: 'Consolas' } button { font: Consolas } frame { font-family: \"\" }");
    ASSERT_TRUE(base(label).font_family);
    EXPECT_EQ(base(label).font_family, base(button).font_family);
    EXPECT_EQ(families.name(*base(label).font_family), u"Consolas");
    EXPECT_FALSE(base(frame).font_family);
}

TEST_F(Cascade, text_colour_wrap_family_and_size_inherit_down_the_tree)
{
    run("frame { color: #f00; wrap: 1; font-size: 18; font: Mono } group { color: #zzz; wrap: 0 }");
    EXPECT_EQ(base(label).text_color, red);
    EXPECT_EQ(base(label).wrap, Wrap::On);
    EXPECT_EQ(base(label).font_size, 18.0f);
    EXPECT_EQ(base(deep_label).font_size, 18.0f); // through the group, which inherited it
    EXPECT_EQ(base(deep_label).font_family, base(frame).font_family);
    // The group's own bad colour keeps it (and so its child) from inheriting.
    EXPECT_FALSE(base(group).text_color);
    EXPECT_FALSE(base(deep_label).text_color);
    EXPECT_EQ(base(deep_label).wrap, Wrap::Off);
    EXPECT_FALSE(base(button).text_color);
    // Hover styles never inherit.
    run("frame:hover { color: #f00 }");
    EXPECT_FALSE(hover(label).text_color);
    EXPECT_FALSE(base(label).text_color);
}

TEST_F(Cascade, removing_a_rule_restores_what_was_there_before)
{
    tree.node(label).styles.base_mut().shadow = 6; // from the builder's elev
    tree.node(frame).layout.w = 120;
    run("label { shadow: 1; color: #f00 } frame { width: 10 } label:hover { background: #f00 }");
    EXPECT_EQ(base(label).shadow, 1.0f);
    run("");
    EXPECT_EQ(base(label).shadow, 6.0f);
    EXPECT_FALSE(base(label).text_color);
    EXPECT_TRUE(hover(label).is_empty());
    EXPECT_EQ(tree.node(frame).layout.w, 120.0f);
    EXPECT_FALSE(tree.node(button).styles.is_allocated());
}

TEST_F(Cascade, adding_nodes_makes_the_styled_values_the_new_baseline)
{
    run("label { color: #f00 }");
    NodeId added = tree.append(frame, Model(NodeKind::Label));
    run("");
    EXPECT_EQ(base(label).text_color, red); // taken into the new snapshot
    EXPECT_FALSE(base(added).text_color);
    run("button { color: #00f }");
    EXPECT_EQ(base(label).text_color, red);
}

TEST_F(Cascade, changes_made_between_cascades_by_others_are_kept)
{
    run("label { border: #f00 1; width: 30 }");
    // What a border request, a binding or pin writes while the sheet is in effect.
    tree.node(button).styles.base_mut().border_color = blue;
    tree.node(label).styles.base_mut().shadow = 3;
    tree.node(frame).layout.left = 5;
    tree.node(frame).layout.padding = 9;
    run("");
    EXPECT_EQ(base(button).border_color, blue);
    EXPECT_EQ(base(label).shadow, 3.0f);
    EXPECT_FALSE(base(label).border_color);
    EXPECT_FALSE(tree.node(label).layout.w);
    EXPECT_EQ(tree.node(frame).layout.left, 5.0f);
    EXPECT_EQ(tree.node(frame).layout.padding, 9.0f);
    run("button { border: #0f0 }");
    EXPECT_EQ(base(button).border_color, green);
    run("");
    EXPECT_EQ(base(button).border_color, blue);
}

TEST_F(Cascade, a_family_is_added_to_the_table_only_when_a_rule_applies)
{
    run("nosuchkind { font: Unused } label { font: Used }");
    EXPECT_FALSE(families.find(u"Unused"));
    EXPECT_EQ(families.find(u"Used"), 1);
}
