// Shared builders for the layout tests: a tree with a chosen root kind, node
// helpers and a readable printer for rectangles.
#pragma once

#include "core/layout/layout.hpp"

#include <gtest/gtest.h>

#include <ostream>

// Tests spell layout parameters as designated initializers and name only the
// fields that matter; the optionals left out start empty.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace orvy {

inline void PrintTo(RectF const& r, std::ostream* out)
{
    *out << "(" << r.x << ", " << r.y << ", " << r.w << ", " << r.h << ")";
}

inline RectF const hidden_rect { off_screen, off_screen, 0, 0 };

struct LayoutTree {
    Tree tree;

    explicit LayoutTree(NodeKind root_kind = NodeKind::Container, LayoutParams root_params = {})
    {
        tree.node(tree.root).model = Model(root_kind);
        tree.node(tree.root).layout = root_params;
    }

    NodeId add(NodeId parent, NodeKind kind = NodeKind::Frame, LayoutParams params = {})
    {
        return tree.append(parent, Model(kind), params);
    }
    NodeId add(NodeId parent, LayoutParams params) { return add(parent, NodeKind::Frame, params); }

    LayoutParams& params(NodeId id) { return tree.node(id).layout; }
    RectF rect(NodeId id) const { return tree.node(id).rect; }
    template<class T>
    T& model(NodeId id) { return *tree.node(id).model.as<T>(); }

    void run(float w, float h) { layout_pass(tree, RectF { 0, 0, w, h }); }
};

}
