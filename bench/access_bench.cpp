// What a screen reader's presence costs each frame: the accessible view
// compares the tree with what it last reported, over big tables and trees.
#include "core/access/tree_view.hpp"
#include "core/input/pointer.hpp"
#include "core/paint/overlays.hpp"
#include "core/tree/tree.hpp"

#include <benchmark/benchmark.h>

#include <string>

using namespace orvy;

namespace {

struct Window {
    Tree tree;
    OverlayState overlays;
    PointerInput input { tree, overlays };
    TreeAccessibleView view { tree, input, overlays, { .client_size = [] { return ClientSize { 1280, 720 }; } } };

    NodeId add(NodeKind kind)
    {
        NodeId id = tree.append(tree.root, Model(kind));
        tree.node(id).rect = { 0, 0, 1280, 720 };
        return id;
    }
};

std::u16string numbered(char16_t const* prefix, std::int64_t i)
{
    std::u16string text = prefix;
    for (char c : std::to_string(i))
        text.push_back(static_cast<char16_t>(c));
    return text;
}

// An unchanged frame of a window holding one table of `range(0)` rows of four cells.
void unchanged_table(benchmark::State& state)
{
    Window window;
    auto& table = *window.tree.node(window.add(NodeKind::Table)).model.as<TableModel>();
    for (std::int64_t i = 0; i < state.range(0); ++i)
        table.rows.push_back({ numbered(u"row ", i), u"b", u"c", u"d" });
    window.view.take_events();
    for (auto _ : state)
        benchmark::DoNotOptimize(window.view.take_events());
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(unchanged_table)->Arg(10000)->Unit(benchmark::kMicrosecond);

// The same for a tree view of `range(0)` rows, every tenth a folder.
void unchanged_tree(benchmark::State& state)
{
    Window window;
    auto& rows = *window.tree.node(window.add(NodeKind::Treeview)).model.as<TreeviewModel>();
    for (std::int64_t i = 0; i < state.range(0); ++i)
        rows.rows.push_back({ .depth = i % 10 == 0 ? 0u : 1u, .text = numbered(u"file ", i), .leaf = i % 10 != 0,
            .open = true });
    window.view.take_events();
    for (auto _ : state)
        benchmark::DoNotOptimize(window.view.take_events());
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(unchanged_tree)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

}
