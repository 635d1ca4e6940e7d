#include "core/tree/tree.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include <string>
#include <vector>

using namespace orvy;

namespace {

NodeId add(Tree& tree, NodeId parent, NodeKind kind = NodeKind::Frame, std::int32_t z = 0)
{
    LayoutParams layout;
    layout.z = z;
    return tree.append(parent, Model(kind), layout);
}

}

TEST(Tree, starts_with_a_dirty_container_root_and_nothing_else)
{
    Tree tree;
    ASSERT_EQ(tree.size(), 1u);
    EXPECT_EQ(tree.root, 0u);
    EXPECT_EQ(tree.node(0).kind(), NodeKind::Container);
    EXPECT_FALSE(tree.node(0).parent);
    EXPECT_TRUE(tree.layout_dirty);
    EXPECT_FALSE(tree.popup_layer);
    EXPECT_EQ(tree.toast_secs, 2.5f);
    EXPECT_EQ(tree.tip_radius, 6.0f);
    EXPECT_EQ(tree.tip_pad_x, 12.0f);
    EXPECT_EQ(tree.tip_pad_y, 5.0f);
}

TEST(Tree, node_defaults_match_the_documented_record)
{
    Node node;
    LayoutParams const& l = node.layout;
    EXPECT_FALSE(l.w || l.h || l.left || l.top || l.right || l.bottom);
    EXPECT_EQ(l.grow, 0.0f);
    EXPECT_EQ(l.z, 0);
    EXPECT_EQ(l.min_w, 0.0f);
    EXPECT_TRUE(std::isinf(l.max_w) && std::isinf(l.max_h));
    EXPECT_EQ(l.row_span, 1);
    EXPECT_EQ(l.col_span, 1);
    EXPECT_EQ(l.axis, Axis::Vertical);
    EXPECT_EQ(l.placement, Placement::Flow);
    EXPECT_EQ(l.pack_fill, PackFill::None);
    EXPECT_TRUE(node.styles.base().is_empty());
    EXPECT_FALSE(node.styles.is_allocated());
    EXPECT_EQ(node.rect, RectF {});
    EXPECT_FALSE(node.multiline);
}

TEST(Tree, append_links_parent_and_children_in_document_order)
{
    Tree tree;
    NodeId box = add(tree, tree.root);
    NodeId a = add(tree, box, NodeKind::Label);
    NodeId b = add(tree, box, NodeKind::Button);
    NodeId c = add(tree, tree.root);
    EXPECT_EQ(tree.node(tree.root).children, (std::vector<NodeId> { box, c }));
    EXPECT_EQ(tree.node(box).children, (std::vector<NodeId> { a, b }));
    EXPECT_EQ(tree.node(b).parent, box);
    for (NodeId id = 1; id < tree.size(); ++id)
        EXPECT_GT(id, *tree.node(id).parent);
}

TEST(Tree, equal_depths_keep_document_order_and_a_raised_sibling_comes_last)
{
    Tree tree;
    NodeId a = add(tree, tree.root);
    NodeId b = add(tree, tree.root);
    NodeId c = add(tree, tree.root);
    EXPECT_EQ(tree.children_in_z_order(tree.root), (std::vector<NodeId> { a, b, c }));
    tree.node(a).layout.z = 2;
    tree.node(c).layout.z = -1;
    EXPECT_EQ(tree.children_in_z_order(tree.root), (std::vector<NodeId> { c, b, a }));
    EXPECT_EQ(tree.node(tree.root).children, (std::vector<NodeId> { a, b, c }));
}

TEST(Tree, kind_names_are_the_css_type_names_in_order)
{
    EXPECT_EQ(kind_names.size(), 45u);
    EXPECT_EQ(kind_name(NodeKind::Container), "container");
    EXPECT_EQ(kind_name(NodeKind::Menubar), "menubar");
    EXPECT_EQ(kind_name(NodeKind::Drop), "drop");
    EXPECT_EQ(static_cast<int>(NodeKind::Term), 42);
    EXPECT_EQ(kind_from_name("treeview"), NodeKind::Treeview);
    EXPECT_FALSE(kind_from_name("Treeview"));
}

TEST(EventRegistry, fire_calls_with_the_arguments_and_reports_whether_one_ran)
{
    Tree tree;
    NodeId canvas = add(tree, tree.root, NodeKind::Canvas);
    std::vector<float> seen;
    tree.register_event(canvas, UiEvent::PointerDown, [&](Tree&, std::uint32_t index, float x, float y) {
        seen = { static_cast<float>(index), x, y };
    });
    EXPECT_TRUE(tree.fire(canvas, UiEvent::PointerDown, 3, 1.5f, 2.5f));
    EXPECT_EQ(seen, (std::vector<float> { 3, 1.5f, 2.5f }));
    EXPECT_FALSE(tree.fire(canvas, UiEvent::PointerUp));
    EXPECT_FALSE(tree.fire(canvas + 1, UiEvent::PointerDown));
}

TEST(EventRegistry, registering_replaces_and_hands_back_the_old_callback)
{
    Tree tree;
    int which = 0;
    EXPECT_FALSE(tree.register_event(0, UiEvent::RightClick, [&](Tree&, std::uint32_t, float, float) { which = 1; }));
    EventCallback old = tree.register_event(0, UiEvent::RightClick, [&](Tree&, std::uint32_t, float, float) { which = 2; });
    ASSERT_TRUE(old);
    tree.fire(0, UiEvent::RightClick);
    EXPECT_EQ(which, 2);
}

TEST(EventRegistry, a_registration_made_by_the_running_callback_does_not_survive)
{
    Tree tree;
    int first = 0, second = 0;
    tree.register_event(0, UiEvent::LayerClosed, [&](Tree& t, std::uint32_t, float, float) {
        ++first;
        EXPECT_FALSE(t.has_event(0, UiEvent::LayerClosed));
        t.register_event(0, UiEvent::LayerClosed, [&](Tree&, std::uint32_t, float, float) { ++second; });
    });
    tree.fire(0, UiEvent::LayerClosed);
    tree.fire(0, UiEvent::LayerClosed);
    EXPECT_EQ(first, 2);
    EXPECT_EQ(second, 0);
}

TEST(NodeSlots, a_callback_that_grows_the_tree_is_put_back_on_its_own_node)
{
    Tree tree;
    NodeId slider = add(tree, tree.root, NodeKind::Slider);
    float got = -1;
    tree.node(slider).extras_mut().on_change = [&](Tree& t, float value) {
        got = value;
        for (int i = 0; i < 100; ++i)
            add(t, t.root);
        t.node(slider).extras_mut().on_change = [](Tree&, float) { FAIL() << "replacement must be dropped"; };
    };
    EXPECT_TRUE(tree.fire_change(slider, 0.25f));
    EXPECT_EQ(got, 0.25f);
    EXPECT_TRUE(tree.fire_change(slider, 0.5f));
    EXPECT_EQ(got, 0.5f);
    EXPECT_FALSE(tree.fire_activate(slider));
    EXPECT_FALSE(tree.fire_submit(999999, "x"));
}

TEST(RequestQueue, taking_empties_the_shared_cell_for_every_holder)
{
    Tree tree;
    SharedCell<NodeRequest> producer = tree.request_queue;
    producer.push({ .node = 1, .a = 0.5f, .kind = RequestKind::SplitterRatio });
    producer.push({ .node = 2, .kind = RequestKind::PopOff });
    auto taken = tree.request_queue.take();
    ASSERT_EQ(taken.size(), 2u);
    EXPECT_EQ(taken[0].kind, RequestKind::SplitterRatio);
    EXPECT_EQ(taken[1].node, 2u);
    EXPECT_TRUE(producer.empty());
}

TEST(Tree, disabled_and_hidden_state_is_inherited_through_ancestors)
{
    Tree tree;
    NodeId box = add(tree, tree.root);
    NodeId inner = add(tree, box);
    NodeId leaf = add(tree, inner, NodeKind::Button);
    tree.disabled_set.insert(box);
    EXPECT_TRUE(tree.in_subtree_of_set(leaf, tree.disabled_set));
    EXPECT_FALSE(tree.in_subtree_of_set(tree.root, tree.disabled_set));
    EXPECT_FALSE(tree.in_subtree_of_set(leaf, tree.hidden_set));
}

TEST(LayoutWords, unknown_words_fall_back_to_the_defaults)
{
    EXPECT_EQ(parse_justify("btw"), Justify::Between);
    EXPECT_EQ(parse_justify("center"), Justify::Start);
    EXPECT_EQ(parse_cross("st"), Cross::Start);
    EXPECT_EQ(parse_cross("str"), Cross::Stretch);
    EXPECT_EQ(parse_cross("start"), Cross::Stretch);
    EXPECT_EQ(parse_pack_side("bottom"), PackSide::Bottom);
    EXPECT_EQ(parse_pack_side("right"), PackSide::Right);
    EXPECT_EQ(parse_pack_side(""), PackSide::Top);
    EXPECT_EQ(parse_pack_fill("both"), PackFill::Both);
    EXPECT_EQ(parse_pack_fill("xy"), PackFill::Both);
    EXPECT_EQ(parse_pack_fill("yx"), PackFill::None);
    EXPECT_EQ(parse_axis("horizontal"), Axis::Horizontal);
    EXPECT_EQ(parse_axis("v"), Axis::Vertical);
}
