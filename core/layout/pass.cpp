// The layout pass: entry, the top-down placement sweep with the clip walk
// folded in, and the per-tree state it keeps.
#include "core/layout/detail/state.hpp"

namespace orvy {

void LayoutStateDeleter::operator()(LayoutState* state) const { delete state; }

namespace detail {

LayoutState& state_of(Tree& tree)
{
    if (!tree.layout_state)
        tree.layout_state.reset(new LayoutState);
    return *tree.layout_state;
}

namespace {

void mark_sets(Tree const& tree, LayoutState& state)
{
    std::size_t count = tree.nodes.size();
    state.marks.assign(count, 0);
    for (NodeId id : tree.hidden_set) {
        if (id < count)
            state.marks[id] |= MarkHidden;
    }
    for (NodeId id : tree.disabled_set) {
        if (id < count)
            state.marks[id] |= MarkDisabled;
    }
}

RectF intersect(RectF const& a, RectF const& b)
{
    float left = max_of(a.x, b.x);
    float top = max_of(a.y, b.y);
    return RectF { left, top, max_of(min_of(a.right(), b.right()) - left, 0),
        max_of(min_of(a.bottom(), b.bottom()) - top, 0) };
}

}

}

void layout_pass(Tree& tree, RectF client)
{
    using namespace detail;
    LayoutState& state = state_of(tree);
    std::size_t count = tree.nodes.size();
    state.indexed_nodes = 0;

    // Pass 0: set membership as flat marks, so the sweeps never hash.
    mark_sets(tree, state);

    // Pass 1: minimum sizes and definite heights, children first.
    measure_tree(tree, state);

    // Pass 2: parents first (every child's id exceeds its parent's), each node
    // clamps the rectangle its parent offered and offers rectangles to its
    // children; the clip and disabled state flow down the same way.
    state.rects.resize(count);
    tree.clips.resize(count);
    tree.disabled_flags.resize(count);
    state.rects[tree.root] = client;
    for (std::size_t i = 0; i < count; ++i) {
        if (i + prefetch_distance < count) {
            RectF const* ahead = &tree.nodes[i + prefetch_distance].rect;
            prefetch_for_read(ahead);
            prefetch_for_read(&ahead->h);
        }
        Item const& item = state.items[i];
        RectF& rect = state.rects[i];
        if (item.has(Hidden))
            rect = off_screen_rect();
        else
            rect = RectF { rect.x, rect.y, bounded(rect.w, item.min_w, item.max_w), bounded(rect.h, item.min_h, item.max_h) };
        // Most rects come out as they were; leaving those lines clean spares
        // writing them back to memory in big trees.
        if (!(tree.nodes[i].rect == rect))
            tree.nodes[i].rect = rect;

        // A scroll area clips what it holds to its own rectangle.
        std::optional<RectF> clip;
        bool disabled = item.has(Disabled);
        if (i != tree.root) {
            std::uint32_t parent = state.parents[i];
            clip = tree.clips[parent];
            if (state.items[parent].kind == NodeKind::Scroll)
                clip = clip ? intersect(*clip, state.rects[parent]) : state.rects[parent];
            disabled = disabled || tree.disabled_flags[parent];
        }
        if (!(tree.clips[i] == clip))
            tree.clips[i] = clip;
        if (tree.disabled_flags[i] != disabled)
            tree.disabled_flags[i] = disabled;

        if (item.child_count > 0)
            place_children(tree, state, i, rect);
    }

    // Pass 3: the hit boxes for pointer queries until the next pass.
    build_hit_index(tree, state);

    tree.last_layout_rect = client;
    tree.layout_dirty = false;
}

bool layout(Tree& tree, RectF client)
{
    if (!tree.layout_dirty && tree.last_layout_rect == client)
        return false;
    layout_pass(tree, client);
    return true;
}

NodeMeasure measure_node(Tree const& tree, NodeId node)
{
    LayoutState state;
    detail::mark_sets(tree, state);
    detail::measure_tree(tree, state);
    return detail::measure_of(state, node);
}

}
