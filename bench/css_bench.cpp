// The style cascade over a large tree, and parsing a large sheet.
#include "core/style/detail/cascade.hpp"

#include <benchmark/benchmark.h>

#include <random>

using namespace orvy;

namespace {

NodeKind const leaf_kinds[] = { NodeKind::Label, NodeKind::Button, NodeKind::Checkbox, NodeKind::Textbox,
    NodeKind::Slider, NodeKind::Image, NodeKind::Link, NodeKind::Badge };
NodeKind const box_kinds[] = { NodeKind::Container, NodeKind::Frame, NodeKind::Group, NodeKind::Scroll };
std::string const class_names[] = { "card", "title", "muted", "primary", "danger", "toolbar", "row", "cell",
    "hint", "big", "small", "accent" };

// Boxes of 3 to 12 children, nested up to eight levels; a quarter of the nodes
// carry a class.
Tree make_tree(std::size_t count)
{
    std::mt19937 random(7);
    Tree tree;
    std::vector<NodeId> boxes { tree.root };
    while (tree.size() < count) {
        NodeId parent = boxes[random() % boxes.size()];
        bool is_box = random() % 5 == 0 && boxes.size() < count / 6;
        NodeKind kind = is_box ? box_kinds[random() % std::size(box_kinds)] : leaf_kinds[random() % std::size(leaf_kinds)];
        NodeId id = tree.append(parent, Model(kind));
        if (random() % 4 == 0)
            tree.node(id).extras_mut().class_name = class_names[random() % std::size(class_names)];
        if (is_box)
            boxes.push_back(id);
    }
    return tree;
}

std::string make_sheet(std::size_t rules)
{
    static char const* const selectors[] = { "label", "button", ".card", "frame > label", "group .title",
        "frame.card button:hover", ".toolbar > button", "scroll .row .cell", "textbox:focus", "* ", "label.muted",
        ".primary", "container frame label", "badge.accent", "link:hover", "group > .hint", "checkbox", "image.big" };
    static char const* const blocks[] = { "color: #334455; font-size: 15px", "background: #fff; radius: 6",
        "border: #ccc 1px; padding: 8", "gradient: #123 #456 h; shadow: 3", "wrap: 1; font-family: 'Fira Sans'",
        "width: 120px; gap: 4", "color: #e00; background: #fee" };
    std::mt19937 random(11);
    std::string sheet;
    for (std::size_t i = 0; i < rules; ++i) {
        sheet += "/* rule */ ";
        sheet += selectors[random() % std::size(selectors)];
        sheet += " { ";
        sheet += blocks[random() % std::size(blocks)];
        sheet += " }\n";
    }
    return sheet;
}

void cascade_200_rules_10k_nodes(benchmark::State& state, detail::MatchStrategy strategy)
{
    Tree tree = make_tree(10'000);
    FontFamilyTable families;
    std::string const sheet = make_sheet(200);
    for (auto _ : state) {
        detail::cascade_with(tree, sheet, families, strategy);
        benchmark::ClobberMemory();
    }
}

void parse_100kb_sheet(benchmark::State& state)
{
    std::string sheet;
    for (std::size_t rules = 64; sheet.size() < 100'000; rules *= 2)
        sheet = make_sheet(rules);
    sheet.resize(100'000);
    for (auto _ : state)
        benchmark::DoNotOptimize(parse_sheet(sheet));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(sheet.size()));
}

}

BENCHMARK_CAPTURE(cascade_200_rules_10k_nodes, indexed, detail::MatchStrategy::Indexed)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(cascade_200_rules_10k_nodes, plain, detail::MatchStrategy::Plain)->Unit(benchmark::kMillisecond);
BENCHMARK(parse_100kb_sheet)->Unit(benchmark::kMillisecond);
