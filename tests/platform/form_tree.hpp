// The 1,000-node form the whole-frame measurements use on every backend.
#pragma once

#include "core/operations/operations.hpp"
#include "core/tree/tree.hpp"

#include <string>

namespace orvy::form {

// 100 rows of ten nodes: a row box with a label, a button, a check box, a
// slider, a progress bar, a text field, a switch, a badge and a separator.
inline void build(Tree& tree)
{
    NodeId scroll = tree.append(tree.root, Model(NodeKind::Scroll), { .padding = 8, .gap = 4 });
    for (int i = 0; i < 100; ++i) {
        NodeId row = tree.append(scroll, Model(NodeKind::Frame), { .h = 36, .gap = 8, .axis = Axis::Horizontal });
        std::u16string n(u"Row ");
        for (char c : std::to_string(i))
            n.push_back(static_cast<char16_t>(c));
        tree.append(row, Model(NodeKind::Label, TextModel { .text = n }), { .w = 120 });
        tree.append(row, Model(NodeKind::Button, ButtonModel { .caption = u"Go" }), { .w = 80 });
        tree.append(row, Model(NodeKind::Checkbox, ToggleModel { .on = i % 2 == 0 }), { .w = 30 });
        tree.append(row, Model(NodeKind::Slider, ValueModel { .value = 0.5f }), { .grow = 1 });
        tree.append(row, Model(NodeKind::Progress, ValueModel { .value = 0.3f }), { .w = 120 });
        tree.append(row, Model(NodeKind::Textbox), { .w = 160 });
        tree.append(row, Model(NodeKind::Switch, ToggleModel { .on = true }), { .w = 60 });
        tree.append(row, Model(NodeKind::Badge, TextModel { .text = u"7" }), { .w = 30 });
        tree.append(row, Model(NodeKind::Separator), { .w = 10 });
    }
}

}
