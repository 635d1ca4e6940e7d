// Full layout passes over mixed trees of 1k, 10k and 100k nodes, and hit
// tests in a 10k-node tree.
#include "core/layout/layout.hpp"

#include <benchmark/benchmark.h>

#include <random>

using namespace orvy;

namespace {

// How sections are attached: right after their container, as the builders
// inside `with` blocks append them, or to containers made long before, as
// `pr=` and late `build()` calls do, which scatters each subtree over the array.
enum class Order { DepthFirst, Scattered };

// Builds a window-like tree: flow lists, grids, pack frames, scroll areas,
// deep chains, wide rows, tabs and splitters, nested into one another until
// the node count is reached.
class MixedTree {
public:
    MixedTree(std::size_t target, Order order) : m_target(target), m_order(order)
    {
        while (room()) {
            NodeId host = m_order == Order::Scattered ? m_hosts[(m_turn * 7919u) % m_hosts.size()] : tree.root;
            section(host, m_turn++ % 8);
        }
    }

    Tree tree;

private:
    bool room() const { return tree.size() < m_target; }

    // A container that can hold further sections.
    void host_made(NodeId host)
    {
        if (m_order == Order::Scattered) {
            m_hosts.push_back(host);
            return;
        }
        if (m_depth >= 6)
            return;
        ++m_depth;
        for (int k = 0; k < 2 && room(); ++k)
            section(host, m_turn++ % 8);
        --m_depth;
    }

    NodeId add(NodeId parent, NodeKind kind, LayoutParams params = {})
    {
        return tree.append(parent, Model(kind), params);
    }

    void section(NodeId host, unsigned style)
    {
        LayoutParams framed;
        framed.padding = 8;
        framed.gap = 4;
        switch (style) {
        case 0: { // a list of labels, some of fixed height
            NodeId list = add(host, NodeKind::Frame, framed);
            host_made(list);
            for (int i = 0; i < 20 && room(); ++i) {
                LayoutParams row;
                if (i % 3 == 0)
                    row.h = 24;
                add(list, NodeKind::Label, row);
            }
            break;
        }
        case 1: { // a 4 × 4 grid of buttons
            LayoutParams grid = framed;
            grid.child_layout = ChildLayout::Grid;
            NodeId panel = add(host, NodeKind::Frame, grid);
            for (int i = 0; i < 16 && room(); ++i) {
                LayoutParams cell;
                cell.row = static_cast<std::uint8_t>(i / 4);
                cell.col = static_cast<std::uint8_t>(i % 4);
                add(panel, NodeKind::Button, cell);
            }
            break;
        }
        case 2: { // toolbar, status bar, side bar and a centre that hosts more
            LayoutParams pack = framed;
            pack.child_layout = ChildLayout::Pack;
            NodeId frame = add(host, NodeKind::Frame, pack);
            LayoutParams side;
            side.pack_fill = PackFill::Both;
            side.h = 32;
            add(frame, NodeKind::Container, side);
            side.pack_side = PackSide::Bottom;
            add(frame, NodeKind::Status, side);
            side.h.reset();
            side.w = 180;
            side.pack_side = PackSide::Left;
            host_made(add(frame, NodeKind::Container, side));
            side.w.reset();
            side.pack_expand = true;
            side.pack_side = PackSide::Top;
            host_made(add(frame, NodeKind::Container, side));
            break;
        }
        case 3: { // a scroll area of rows
            NodeId scroll = add(host, NodeKind::Scroll, framed);
            host_made(scroll);
            for (int i = 0; i < 30 && room(); ++i) {
                LayoutParams row;
                row.h = 28;
                add(scroll, NodeKind::Label, row);
            }
            break;
        }
        case 4: { // a deep chain of nested frames
            NodeId at = host;
            for (int i = 0; i < 40 && room(); ++i) {
                LayoutParams nested;
                nested.padding = 1;
                nested.axis = i % 2 ? Axis::Horizontal : Axis::Vertical;
                at = add(at, i % 5 == 4 ? NodeKind::Group : NodeKind::Frame, nested);
            }
            host_made(at);
            break;
        }
        case 5: { // a wide row
            LayoutParams row = framed;
            row.axis = Axis::Horizontal;
            row.justify = Justify::Between;
            row.cross = Cross::Center;
            NodeId wide = add(host, NodeKind::Frame, row);
            for (int i = 0; i < 100 && room(); ++i) {
                LayoutParams item;
                item.w = 12;
                item.h = 12;
                add(wide, NodeKind::Badge, item);
            }
            break;
        }
        case 6: { // tabs with three pages
            NodeId tabs = add(host, NodeKind::Tabs);
            for (int i = 0; i < 3 && room(); ++i)
                host_made(add(tabs, NodeKind::Frame, framed));
            break;
        }
        default: { // a splitter with two panes and a pinned overlay
            NodeId splitter = add(host, NodeKind::Splitter);
            LayoutParams pane = framed;
            pane.min_w = 120;
            host_made(add(splitter, NodeKind::Frame, pane));
            host_made(add(splitter, NodeKind::Frame, pane));
            LayoutParams pinned;
            pinned.placement = Placement::Absolute;
            pinned.right = 10;
            pinned.bottom = 10;
            pinned.w = 200;
            pinned.h = 60;
            add(host, NodeKind::Frame, pinned);
            break;
        }
        }
    }

    std::size_t m_target;
    Order m_order;
    std::vector<NodeId> m_hosts { 0 };
    unsigned m_turn = 0;
    int m_depth = 0;
};

constexpr RectF client { 0, 0, 1280, 800 };

void run_passes(benchmark::State& state, Order order)
{
    MixedTree mixed(static_cast<std::size_t>(state.range(0)), order);
    Tree& tree = mixed.tree;
    for (auto _ : state) {
        tree.layout_dirty = true;
        layout(tree, client);
        benchmark::DoNotOptimize(tree.nodes.back().rect);
    }
    auto nodes = static_cast<double>(tree.size());
    state.counters["nodes"] = nodes;
    state.counters["per_node"] =
        benchmark::Counter(nodes * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
void full_pass(benchmark::State& state) { run_passes(state, Order::DepthFirst); }
void full_pass_scattered(benchmark::State& state) { run_passes(state, Order::Scattered); }
BENCHMARK(full_pass)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(full_pass_scattered)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

void hit_test_10k(benchmark::State& state)
{
    MixedTree mixed(10000, Order::DepthFirst);
    Tree& tree = mixed.tree;
    layout(tree, client);
    std::mt19937 random(7);
    std::uniform_real_distribution<float> x(0, client.w), y(0, client.h);
    std::vector<PointF> points(4096);
    for (PointF& p : points)
        p = { x(random), y(random) };
    std::size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(hit_test(tree, points[next]));
        next = (next + 1) % points.size();
    }
}
BENCHMARK(hit_test_10k);

// One scroll area holding 10k rows: the widest node a window is likely to have.
void hit_test_10k_rows(benchmark::State& state)
{
    Tree tree;
    LayoutParams area;
    area.padding = 4;
    area.gap = 2;
    NodeId scroll = tree.append(tree.root, Model(NodeKind::Scroll), area);
    for (int i = 0; i < 10000; ++i) {
        LayoutParams row;
        row.h = 24;
        tree.append(scroll, Model(NodeKind::Label), row);
    }
    tree.node(scroll).model.as<ScrollModel>()->offset = 120000;
    layout(tree, client);
    std::mt19937 random(7);
    std::uniform_real_distribution<float> x(0, client.w), y(0, client.h);
    std::vector<PointF> points(4096);
    for (PointF& p : points)
        p = { x(random), y(random) };
    std::size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(hit_test(tree, points[next]));
        next = (next + 1) % points.size();
    }
}
BENCHMARK(hit_test_10k_rows);

}
