// Appending nodes and ordering children by depth.
#include "core/tree/tree.hpp"

#include <benchmark/benchmark.h>

using namespace orvy;

static void append_nodes(benchmark::State& state)
{
    for (auto _ : state) {
        Tree tree;
        for (std::int64_t i = 0; i < state.range(0); ++i)
            tree.append(i % 10 == 0 ? tree.root : static_cast<NodeId>(i - i % 10), Model(NodeKind::Label));
        benchmark::DoNotOptimize(tree.nodes.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.counters["sizeof_Node"] = sizeof(Node);
}
BENCHMARK(append_nodes)->Arg(1000)->Arg(100000);
