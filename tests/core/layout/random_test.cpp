// Random trees with hostile parameters: the pass never crashes, never gives a
// node a NaN or negative size, and the indexed hit test agrees with the walk.
#include "tests/core/layout/layout_fixture.hpp"

#include <cmath>
#include <limits>
#include <random>

using namespace orvy;

namespace {

class RandomTrees {
public:
    explicit RandomTrees(unsigned seed) : m_random(seed) { }

    bool chance(double p) { return std::bernoulli_distribution(p)(m_random); }
    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_random); }
    float between(float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(m_random); }

    // Mostly ordinary sizes, often the values that break arithmetic.
    float any_size()
    {
        constexpr float nan = std::numeric_limits<float>::quiet_NaN();
        constexpr float inf = std::numeric_limits<float>::infinity();
        switch (below(10)) {
        case 0: return nan;
        case 1: return chance(0.5) ? inf : -inf;
        case 2: return -between(0, 1000);
        case 3: return chance(0.5) ? 1e30f : std::numeric_limits<float>::max();
        case 4: return 0;
        default: return between(0, 400);
        }
    }
    std::optional<float> maybe_size(double p) { return chance(p) ? std::optional<float>(any_size()) : std::nullopt; }
    std::uint8_t any_byte() { return static_cast<std::uint8_t>(chance(0.7) ? below(4) : below(256)); }

    LayoutParams params()
    {
        LayoutParams l;
        l.w = maybe_size(0.3);
        l.h = maybe_size(0.3);
        bool placed = chance(0.15);
        if (placed) {
            l.placement = Placement::Absolute;
            l.left = maybe_size(0.5);
            l.top = maybe_size(0.5);
            l.right = maybe_size(0.5);
            l.bottom = maybe_size(0.5);
        }
        if (chance(0.3))
            l.padding = any_size();
        if (chance(0.3))
            l.gap = any_size();
        if (chance(0.2))
            l.grow = any_size();
        if (chance(0.2))
            l.min_w = any_size();
        if (chance(0.2))
            l.min_h = any_size();
        if (chance(0.2))
            l.max_w = any_size();
        if (chance(0.2))
            l.max_h = any_size();
        l.axis = static_cast<Axis>(below(2));
        l.justify = static_cast<Justify>(below(4));
        l.cross = static_cast<Cross>(below(4));
        l.child_layout = static_cast<ChildLayout>(below(3));
        l.row = any_byte();
        l.col = any_byte();
        l.row_span = any_byte();
        l.col_span = any_byte();
        l.pack_side = static_cast<PackSide>(below(4));
        l.pack_fill = static_cast<PackFill>(below(4));
        l.pack_expand = chance(0.3);
        l.z = chance(0.1) ? below(5) - 2 : 0;
        return l;
    }

    void shake_payload(Model& model)
    {
        std::uint32_t index = static_cast<std::uint32_t>(chance(0.9) ? below(4) : 0xFFFFFFFFu);
        if (auto* tabs = model.as<ChoiceModel>())
            tabs->selected = index;
        if (auto* stack = model.as<StackModel>())
            stack->page = index;
        if (auto* accordion = model.as<AccordionModel>())
            accordion->open = chance(0.6);
        if (auto* dock = model.as<DockModel>())
            dock->open = chance(0.7);
        if (auto* splitter = model.as<SplitterModel>()) {
            splitter->vertical = chance(0.5);
            splitter->ratio = chance(0.7) ? between(0, 1) : any_size();
        }
        if (auto* scroll = model.as<ScrollModel>())
            scroll->offset = chance(0.7) ? between(0, 300) : any_size();
        if (auto* table = model.as<TableModel>()) {
            table->columns.titles.resize(static_cast<std::size_t>(below(4)));
            for (int i = below(5); i > 0; --i)
                table->columns.widths.push_back(any_size());
            for (int i = below(5); i > 0; --i)
                table->columns.minimums.push_back(any_size());
        }
    }

    Tree tree(std::size_t count)
    {
        Tree tree;
        tree.node(0).layout = params();
        tree.node(0).layout.placement = Placement::Flow;
        // Parents are drawn from the last few nodes for depth or from anywhere for width.
        bool deep = chance(0.3);
        for (std::size_t i = 1; i < count; ++i) {
            std::size_t parent = deep && chance(0.8) ? i - 1 - static_cast<std::size_t>(below(static_cast<int>(std::min<std::size_t>(i, 3))))
                                                     : static_cast<std::size_t>(below(static_cast<int>(i)));
            Model model(static_cast<NodeKind>(below(static_cast<int>(kind_count))));
            shake_payload(model);
            NodeId id = tree.append(parent, std::move(model), params());
            if (chance(0.08))
                tree.hidden_set.insert(id);
            if (chance(0.04))
                tree.disabled_set.insert(id);
            if (chance(0.05))
                tree.ghost_set.insert(id);
        }
        return tree;
    }

    PointF point_in(Tree const& tree)
    {
        RectF r = tree.node(static_cast<NodeId>(below(static_cast<int>(tree.size())))).rect;
        switch (below(4)) {
        case 0: return { r.x, r.y };
        case 1: return { r.x + r.w, r.y + r.h };
        case 2: return { r.x + r.w / 2, r.y + r.h / 2 };
        default: return { between(-50, 1300), between(-50, 900) };
        }
    }

private:
    std::mt19937 m_random;
};

void expect_sane_sizes(Tree const& tree, unsigned seed)
{
    ASSERT_EQ(tree.clips.size(), tree.size());
    ASSERT_EQ(tree.disabled_flags.size(), tree.size());
    for (NodeId id = 0; id < tree.size(); ++id) {
        RectF const& r = tree.node(id).rect;
        ASSERT_TRUE(r.w >= 0 && r.h >= 0) << "seed " << seed << ", node " << id << " is " << r.w << " × " << r.h;
    }
}

void expect_hits_agree(RandomTrees& random, Tree const& tree, unsigned seed)
{
    for (int i = 0; i < 40; ++i) {
        PointF p = random.point_in(tree);
        ASSERT_EQ(hit_test(tree, p), hit_test_walk(tree, p)) << "seed " << seed << " at " << p.x << ", " << p.y;
    }
}

}

TEST(RandomLayout, hostile_parameters_never_give_a_nan_or_negative_size)
{
    for (unsigned seed = 1; seed <= 60; ++seed) {
        RandomTrees random(seed);
        Tree tree = random.tree(static_cast<std::size_t>(random.below(2000)) + 1);
        RectF client { 0, 0, random.between(0, 1280), random.between(0, 800) };
        if (random.chance(0.1))
            client.w = random.any_size();
        layout_pass(tree, client);
        expect_sane_sizes(tree, seed);
        expect_hits_agree(random, tree, seed);

        // What changes between passes without a new one: depth, ghosts and
        // disabled nodes. The index must follow.
        for (NodeId id = 1; id < tree.size(); id += 7)
            tree.node(id).layout.z = random.below(3) - 1;
        tree.ghost_set.insert(static_cast<NodeId>(random.below(static_cast<int>(tree.size()))));
        tree.disabled_set.insert(static_cast<NodeId>(random.below(static_cast<int>(tree.size()))));
        expect_hits_agree(random, tree, seed);
        raise_on_press(tree, random.point_in(tree));

        // A second pass over the changed sets stays sane too.
        layout_pass(tree, client);
        expect_sane_sizes(tree, seed);
        expect_hits_agree(random, tree, seed);
    }
}

TEST(RandomLayout, a_very_deep_chain_is_laid_out_and_hit_without_recursion)
{
    Tree tree;
    for (NodeId id = 0; id < 100000; ++id)
        tree.append(id, Model(id % 2 ? NodeKind::Frame : NodeKind::Scroll), LayoutParams { .padding = 0.001f });
    layout_pass(tree, { 0, 0, 800, 600 });
    EXPECT_EQ(hit_test(tree, { 400, 300 }), hit_test_walk(tree, { 400, 300 }));
    EXPECT_TRUE(hit_test(tree, { 400, 300 }).has_value());
}

namespace {

// Equal values, a NaN matching a NaN (the pass keeps a rect that compares
// equal, so -0 and 0 may stay as they were).
bool same_value(float a, float b) { return a == b || (std::isnan(a) && std::isnan(b)); }
bool same_rect(RectF const& a, RectF const& b)
{
    return same_value(a.x, b.x) && same_value(a.y, b.y) && same_value(a.w, b.w) && same_value(a.h, b.h);
}

// New parameters and payloads for about half the nodes, and new hidden and
// disabled sets.
void change(RandomTrees& random, Tree& tree)
{
    for (NodeId id = 1; id < tree.size(); ++id) {
        if (random.chance(0.5))
            tree.node(id).layout = random.params();
        if (random.chance(0.3))
            random.shake_payload(tree.node(id).model);
    }
    tree.hidden_set.insert(static_cast<NodeId>(random.below(static_cast<int>(tree.size()))));
    tree.disabled_set.clear();
    tree.disabled_set.insert(static_cast<NodeId>(random.below(static_cast<int>(tree.size()))));
}

}

// The pass keeps its records between passes and rewrites only what changed,
// so a pass after new parameters must give exactly what a first pass over the
// same tree gives.
TEST(RandomLayout, a_pass_after_changed_parameters_matches_a_first_pass)
{
    for (unsigned seed = 1; seed <= 30; ++seed) {
        RandomTrees random(seed), twin_random(seed);
        Tree tree = random.tree(static_cast<std::size_t>(random.below(1500)) + 1);
        Tree twin = twin_random.tree(static_cast<std::size_t>(twin_random.below(1500)) + 1);
        RectF client { 0, 0, random.between(0, 1280), random.between(0, 800) };
        twin_random.between(0, 1280);
        twin_random.between(0, 800);
        layout_pass(tree, client);

        change(random, tree);
        change(twin_random, twin);
        // The first pass may have moved splitter ratios to the panes' limits.
        for (NodeId id = 0; id < tree.size(); ++id) {
            if (auto const* splitter = tree.node(id).model.as<SplitterModel>())
                twin.node(id).model.as<SplitterModel>()->ratio = splitter->ratio;
        }
        layout_pass(tree, client);
        layout_pass(twin, client);
        ASSERT_EQ(tree.size(), twin.size());
        for (NodeId id = 0; id < tree.size(); ++id) {
            ASSERT_TRUE(same_rect(tree.node(id).rect, twin.node(id).rect)) << "seed " << seed << ", node " << id;
            ASSERT_EQ(tree.clips[id].has_value(), twin.clips[id].has_value()) << "seed " << seed << ", node " << id;
            if (tree.clips[id]) {
                ASSERT_TRUE(same_rect(*tree.clips[id], *twin.clips[id])) << "seed " << seed << ", node " << id;
            }
            ASSERT_EQ(tree.disabled_flags[id], twin.disabled_flags[id]) << "seed " << seed << ", node " << id;
        }
    }
}
