// Fuzzes the style sheet parser, the colour, length and family parsers, and a
// cascade of the input over a small tree.
#include "core/style/css.hpp"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

using namespace orvy;

namespace {

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// root > frame.card > (label, group.card > (label.x, button)), root > textbox
Tree make_tree()
{
    Tree tree;
    NodeId frame = tree.append(tree.root, Model(NodeKind::Frame));
    tree.node(frame).extras_mut().class_name = "card";
    tree.append(frame, Model(NodeKind::Label));
    NodeId group = tree.append(frame, Model(NodeKind::Group));
    tree.node(group).extras_mut().class_name = "card";
    NodeId label = tree.append(group, Model(NodeKind::Label));
    tree.node(label).extras_mut().class_name = "x";
    tree.append(group, Model(NodeKind::Button));
    tree.append(tree.root, Model(NodeKind::Textbox));
    return tree;
}

}

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size)
{
    std::string_view const text(reinterpret_cast<char const*>(data), size);

    if (auto color = parse_color(text)) {
        for (float channel : { color->r, color->g, color->b, color->a })
            check(channel >= 0.0f && channel <= 1.0f);
    }
    if (auto length = parse_length(text))
        check(std::isfinite(*length));
    if (auto family = parse_family_name(text))
        check(!family->empty() && family->size() <= text.size());

    ParsedSheet const sheet = parse_sheet(text);
    for (std::size_t i = 0; i < sheet.rules.size(); ++i) {
        Rule const& rule = sheet.rules[i];
        check(!rule.compounds.empty() && rule.block < sheet.blocks.size());
        check(!sheet.blocks[rule.block].empty());
        if (i > 0) {
            Rule const& previous = sheet.rules[i - 1];
            check(previous.specificity < rule.specificity
                || (previous.specificity == rule.specificity && previous.source_index < rule.source_index));
        }
    }

    // Twice, so the second run restores from the snapshot; then an empty sheet
    // must give back the untouched tree.
    Tree tree = make_tree();
    FontFamilyTable families;
    cascade(tree, text, families);
    cascade(tree, text, families);
    cascade(tree, "", families);
    Tree const pristine = make_tree();
    for (NodeId id = 0; id < tree.size(); ++id) {
        check(tree.node(id).styles == pristine.node(id).styles);
        check(tree.node(id).layout == pristine.node(id).layout);
    }
    return 0;
}
