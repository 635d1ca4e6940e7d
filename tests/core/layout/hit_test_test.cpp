// The clip walk, hit testing, the splitter gutter and raise on press.
#include "tests/core/layout/layout_fixture.hpp"

#include <limits>

using namespace orvy;

namespace {

LayoutParams at(float x, float y, float w, float h)
{
    return { .w = w, .h = h, .left = x, .top = y, .placement = Placement::Absolute };
}

// Both the indexed query and the plain walk must give the same answer.
std::optional<NodeId> hit(LayoutTree& t, float x, float y)
{
    std::optional<NodeId> indexed = hit_test(t.tree, { x, y });
    EXPECT_EQ(indexed, hit_test_walk(t.tree, { x, y })) << "at " << x << ", " << y;
    return indexed;
}

}

TEST(ClipWalk, scroll_areas_clip_their_subtrees_and_disabled_state_is_inherited)
{
    LayoutTree t;
    NodeId outer = t.add(0, NodeKind::Scroll, at(10, 10, 100, 100));
    NodeId row = t.add(outer, { .h = 300 });
    NodeId inner = t.add(row, NodeKind::Scroll, at(50, 50, 200, 20));
    NodeId deep = t.add(inner);
    NodeId sibling = t.add(0);
    t.tree.disabled_set.insert(row);
    t.run(400, 400);
    EXPECT_EQ(t.tree.clips[0], std::nullopt);
    EXPECT_EQ(t.tree.clips[outer], std::nullopt);
    EXPECT_EQ(t.tree.clips[row], (RectF { 10, 10, 100, 100 }));
    EXPECT_EQ(t.tree.clips[inner], (RectF { 10, 10, 100, 100 }));
    EXPECT_EQ(t.tree.clips[deep], (RectF { 60, 60, 50, 20 }));
    EXPECT_EQ(t.tree.clips[sibling], std::nullopt);
    EXPECT_EQ(t.tree.disabled_flags, (std::vector<bool> { false, false, true, true, true, false }));
}

TEST(HitTest, the_node_painted_last_wins)
{
    LayoutTree t;
    NodeId back = t.add(0, at(0, 0, 100, 100));
    NodeId front = t.add(0, at(50, 50, 100, 100));
    NodeId child = t.add(back, at(40, 40, 20, 20));
    t.run(400, 400);
    EXPECT_EQ(hit(t, 10, 10), back);
    EXPECT_EQ(hit(t, 45, 45), child);
    // The later sibling covers the earlier one's child.
    EXPECT_EQ(hit(t, 55, 55), front);
    EXPECT_EQ(hit(t, 300, 300), 0u);
    EXPECT_EQ(hit(t, 500, 10), std::nullopt);

    // Depth reorders siblings; equal depths keep document order.
    t.params(back).z = 1;
    EXPECT_EQ(hit(t, 55, 55), child);
    t.params(front).z = 1;
    EXPECT_EQ(hit(t, 55, 55), front);
    t.params(front).z = -1;
    t.params(back).z = 0;
    EXPECT_EQ(hit(t, 55, 55), child);
}

TEST(HitTest, edges_are_included)
{
    LayoutTree t;
    NodeId a = t.add(0, at(10, 10, 20, 20));
    t.run(100, 100);
    EXPECT_EQ(hit(t, 10, 10), a);
    EXPECT_EQ(hit(t, 30, 30), a);
    EXPECT_EQ(hit(t, 30.01f, 30), 0u);
}

TEST(HitTest, ghost_nodes_let_the_pointer_through_to_what_lies_under_and_inside)
{
    LayoutTree t;
    NodeId under = t.add(0, at(0, 0, 100, 100));
    NodeId ghost = t.add(0, at(0, 0, 100, 100));
    NodeId inside = t.add(ghost, at(10, 10, 10, 10));
    t.tree.ghost_set.insert(ghost);
    t.run(200, 200);
    EXPECT_EQ(hit(t, 50, 50), under);
    EXPECT_EQ(hit(t, 15, 15), inside);
    t.tree.ghost_set.clear();
    EXPECT_EQ(hit(t, 50, 50), ghost);
}

TEST(HitTest, disabled_and_hidden_subtrees_take_no_hits)
{
    LayoutTree t;
    NodeId panel = t.add(0, at(0, 0, 100, 100));
    NodeId button = t.add(panel, at(10, 10, 20, 20));
    NodeId hidden_parent = t.add(0, at(0, 0, 100, 100));
    // Pinned far right of an off-screen parent, it would land in the window.
    NodeId escapee = t.add(hidden_parent, at(1000050, 1000050, 10, 10));
    t.tree.hidden_set.insert(hidden_parent);
    t.run(200, 200);
    EXPECT_EQ(t.rect(escapee).x, 50);
    EXPECT_EQ(hit(t, 15, 15), button);
    EXPECT_EQ(hit(t, 55, 55), panel);
    t.tree.disabled_set.insert(panel);
    EXPECT_EQ(hit(t, 15, 15), 0u);
}

TEST(HitTest, scroll_clips_hide_rows_scrolled_out_of_view)
{
    LayoutTree t;
    NodeId scroll = t.add(0, NodeKind::Scroll, at(0, 100, 200, 100));
    NodeId rows[4];
    for (NodeId& row : rows)
        row = t.add(scroll, { .h = 50 });
    t.model<ScrollModel>(scroll).offset = 75;
    t.run(300, 300);
    // Row 1 spans y 75..125 but only its part from 100 down is in view.
    EXPECT_EQ(t.rect(rows[1]).y, 75);
    EXPECT_EQ(hit(t, 20, 90), 0u);
    EXPECT_EQ(hit(t, 20, 110), rows[1]);
    EXPECT_EQ(hit(t, 20, 160), rows[2]);
    EXPECT_EQ(hit(t, 195, 160), scroll); // the bar reserve belongs to the area
    EXPECT_EQ(hit(t, 20, 210), 0u);      // row 3 hangs below the area
}

TEST(HitTest, a_tree_grown_since_the_last_pass_is_still_answered)
{
    LayoutTree t;
    NodeId a = t.add(0, at(0, 0, 50, 50));
    t.run(100, 100);
    NodeId late = t.add(a);
    t.tree.node(late).rect = { 0, 0, 10, 10 };
    EXPECT_EQ(hit(t, 5, 5), late);
}

TEST(HitTest, works_on_a_tree_that_was_never_laid_out)
{
    LayoutTree t;
    EXPECT_EQ(hit(t, 0, 0), 0u);
    EXPECT_EQ(hit(t, 1, 1), std::nullopt);
}

TEST(SplitterGutter, the_strip_sits_at_the_ratio_of_the_free_length)
{
    LayoutTree t(NodeKind::Splitter);
    t.add(0);
    t.add(0);
    t.run(408, 100);
    EXPECT_TRUE(on_splitter_gutter(t.tree, 0, { 200, 50 }));
    EXPECT_TRUE(on_splitter_gutter(t.tree, 0, { 208, 0 }));
    EXPECT_FALSE(on_splitter_gutter(t.tree, 0, { 199, 50 }));
    EXPECT_FALSE(on_splitter_gutter(t.tree, 0, { 209, 50 }));
    EXPECT_FALSE(on_splitter_gutter(t.tree, 0, { 204, 101 }));
    EXPECT_FALSE(on_splitter_gutter(t.tree, 1, { 204, 50 }));

    t.model<SplitterModel>(0) = { .vertical = false, .ratio = 0.25f };
    t.run(100, 208);
    EXPECT_TRUE(on_splitter_gutter(t.tree, 0, { 50, 54 }));
    EXPECT_FALSE(on_splitter_gutter(t.tree, 0, { 50, 40 }));
}

TEST(RaiseOnPress, lifts_the_pressed_front_node_above_its_siblings_once)
{
    LayoutTree t;
    NodeId card = t.add(0, at(0, 0, 100, 100));
    NodeId other = t.add(0, at(50, 50, 100, 100));
    t.add(0, { .z = 4, .placement = Placement::Absolute });
    t.tree.front_set.insert(card);
    t.run(300, 300);
    EXPECT_FALSE(raise_on_press(t.tree, { 200, 200 }));
    EXPECT_TRUE(raise_on_press(t.tree, { 60, 60 }));
    EXPECT_EQ(t.params(card).z, 5);
    EXPECT_EQ(hit(t, 60, 60), card);
    EXPECT_FALSE(raise_on_press(t.tree, { 60, 60 }));

    t.tree.front_set.insert(other);
    t.params(other).z = std::numeric_limits<std::int32_t>::max();
    EXPECT_TRUE(raise_on_press(t.tree, { 10, 10 }));
    EXPECT_EQ(t.params(card).z, std::numeric_limits<std::int32_t>::max());
    // Both at the ceiling: the later one is taken, and cannot climb further.
    EXPECT_FALSE(raise_on_press(t.tree, { 60, 60 }));
}

TEST(RaiseOnPress, ignores_nodes_in_hidden_subtrees_and_the_root)
{
    LayoutTree t;
    NodeId gone = t.add(0, at(0, 0, 100, 100));
    t.tree.front_set.insert(gone);
    t.tree.front_set.insert(0);
    t.tree.hidden_set.insert(gone);
    t.run(300, 300);
    EXPECT_FALSE(raise_on_press(t.tree, { 10, 10 }));
    EXPECT_EQ(t.params(0).z, 0);
}

TEST(HitTest, wide_lists_and_rows_answer_like_the_walk)
{
    LayoutTree t(NodeKind::Container, { .gap = 4, .axis = Axis::Horizontal });
    NodeId list = t.add(0, NodeKind::Scroll, { .padding = 3, .gap = 2 });
    NodeId row = t.add(0, { .gap = 1, .axis = Axis::Horizontal });
    NodeId column = t.add(0, { .gap = -3 }); // overlapping children
    for (int i = 0; i < 120; ++i) {
        NodeId item = t.add(list, { .h = 20 });
        t.add(item, { .w = 10, .h = 10, .left = 2, .top = 2, .placement = Placement::Absolute });
        if (i % 7 == 0)
            t.tree.hidden_set.insert(item);
        t.add(row);
        t.add(column);
    }
    t.model<ScrollModel>(list).offset = 2000;
    t.run(900, 600);
    auto agree = [&] {
        for (float y = -2; y < 604; y += 4.3f) {
            for (float x = -2; x < 904; x += 5.1f)
                ASSERT_EQ(hit_test(t.tree, { x, y }), hit_test_walk(t.tree, { x, y })) << x << ", " << y;
        }
    };
    agree();
    // Depth and ghosts change without a pass; pinned rows break the order.
    t.params(t.tree.node(row).children[40]).z = 2;
    t.tree.ghost_set.insert(t.tree.node(column).children[10]);
    agree();
    t.params(t.tree.node(list).children[50]).placement = Placement::Absolute;
    t.run(900, 600);
    agree();
}
