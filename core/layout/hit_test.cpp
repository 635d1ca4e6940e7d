// Pointer queries over the laid-out tree: hit testing (with the box index the
// pass leaves behind), the splitter gutter test and raise on press.
#include "core/layout/detail/state.hpp"

#include <algorithm>
#include <limits>

namespace orvy {

namespace detail {

namespace {

constexpr float infinity = std::numeric_limits<float>::infinity();
constexpr Box empty_box { infinity, infinity, -infinity, -infinity };

void extend(Box& box, Box const& other)
{
    box.x0 = std::min(box.x0, other.x0);
    box.y0 = std::min(box.y0, other.y0);
    box.x1 = std::max(box.x1, other.x1);
    box.y1 = std::max(box.y1, other.y1);
}

void restrict_to(Box& box, Box const& other)
{
    box.x0 = std::max(box.x0, other.x0);
    box.y0 = std::max(box.y0, other.y0);
    box.x1 = std::min(box.x1, other.x1);
    box.y1 = std::min(box.y1, other.y1);
}

// The points where covers(r, ...) holds, or nothing when an edge is NaN (then
// no point is covered).
std::optional<Box> range_of(RectF const& r)
{
    Box box { r.x, r.y, r.x + r.w, r.y + r.h };
    if (std::isnan(box.x0) || std::isnan(box.y0) || std::isnan(box.x1) || std::isnan(box.y1))
        return std::nullopt;
    return box;
}

bool skips_subtree(Tree const& tree, NodeId id, RectF const& rect, float px, float py)
{
    if (rect.x <= hidden_subtree_x)
        return true;
    if (id < tree.clips.size() && tree.clips[id] && !covers(*tree.clips[id], px, py))
        return true;
    return !tree.disabled_set.empty() && tree.disabled_set.contains(id);
}

bool takes_hit(Tree const& tree, NodeId id, RectF const& rect, float px, float py)
{
    return covers(rect, px, py) && !(!tree.ghost_set.empty() && tree.ghost_set.contains(id));
}

}

// Each node's box holds every point at which the node or a node below it can
// be hit: the union of their rectangles, each cut to its own clip, and the
// whole cut to the node's clip, since a node outside its clip is skipped with
// everything below it. Hidden subtrees get an empty box.
namespace {

bool advances(Box const& before, Box const& after, bool along_x)
{
    return along_x ? before.x0 <= after.x0 && before.x1 <= after.x1 : before.y0 <= after.y0 && before.y1 <= after.y1;
}

void add_child_run(LayoutState& state, std::uint32_t node)
{
    Item const& item = state.items[node];
    auto first = static_cast<std::uint32_t>(state.run_children.size());
    bool along_y = true, along_x = true;
    Box const* previous = nullptr;
    for (std::uint32_t k = 0; k < item.child_count && (along_y || along_x); ++k) {
        std::uint32_t child = state.children[item.first_child + k];
        Box const& box = state.boxes[child];
        if (box.is_empty())
            continue;
        if (previous) {
            along_y = along_y && advances(*previous, box, false);
            along_x = along_x && advances(*previous, box, true);
        }
        previous = &box;
        state.run_children.push_back(child);
    }
    if (!along_y && !along_x) {
        state.run_children.resize(first);
        return;
    }
    state.runs.push_back({ node, first, static_cast<std::uint32_t>(state.run_children.size()) - first, !along_y });
}

}

void build_hit_index(Tree const& tree, LayoutState& state)
{
    std::size_t count = state.rects.size();
    state.boxes.assign(count, empty_box);
    state.runs.clear();
    state.run_children.clear();
    for (std::size_t i = count; i-- > 0;) {
        RectF const& rect = state.rects[i];
        Box& box = state.boxes[i];
        if (rect.x <= hidden_subtree_x) {
            box = empty_box;
        } else {
            if (auto own = range_of(rect))
                extend(box, *own);
            if (std::optional<RectF> const& clip = tree.clips[i]) {
                if (auto clip_range = range_of(*clip))
                    restrict_to(box, *clip_range);
                else
                    box = empty_box;
            }
        }
        if (i != tree.root && !box.is_empty())
            extend(state.boxes[state.parents[i]], box);
    }
    for (auto node = state.wide_nodes.rbegin(); node != state.wide_nodes.rend(); ++node)
        add_child_run(state, *node);
    state.indexed_nodes = count;
}

}

std::optional<NodeId> hit_test_walk(Tree const& tree, PointF point)
{
    std::optional<NodeId> hit;
    std::vector<NodeId> pending { tree.root };
    while (!pending.empty()) {
        NodeId id = pending.back();
        pending.pop_back();
        RectF const& rect = tree.nodes[id].rect;
        if (detail::skips_subtree(tree, id, rect, point.x, point.y))
            continue;
        if (detail::takes_hit(tree, id, rect, point.x, point.y))
            hit = id;
        std::vector<NodeId> order = tree.children_in_z_order(id);
        pending.insert(pending.end(), order.rbegin(), order.rend());
    }
    return hit;
}

namespace detail {

namespace {

ChildRun const* run_of(LayoutState const& state, std::uint32_t node)
{
    auto it = std::lower_bound(state.runs.begin(), state.runs.end(), node,
        [](ChildRun const& run, std::uint32_t id) { return run.node < id; });
    return it != state.runs.end() && it->node == node ? &*it : nullptr;
}

// The children of the run whose boxes reach the coordinate along its axis.
std::pair<std::uint32_t const*, std::uint32_t const*> stretch_holding(LayoutState const& state, ChildRun const& run,
    float at)
{
    std::uint32_t const* begin = state.run_children.data() + run.first;
    std::uint32_t const* end = begin + run.count;
    bool along_x = run.along_x;
    auto near_edge = [&](std::uint32_t id) { return along_x ? state.boxes[id].x0 : state.boxes[id].y0; };
    auto far_edge = [&](std::uint32_t id) { return along_x ? state.boxes[id].x1 : state.boxes[id].y1; };
    std::uint32_t const* from = std::partition_point(begin, end, [&](std::uint32_t id) { return far_edge(id) < at; });
    std::uint32_t const* to = std::partition_point(from, end, [&](std::uint32_t id) { return near_edge(id) <= at; });
    return { from, to };
}

}

}

std::optional<NodeId> hit_test(Tree const& tree, PointF point)
{
    using namespace detail;
    LayoutState* state = tree.layout_state.get();
    if (!state || state->indexed_nodes != tree.nodes.size() || tree.clips.size() != tree.nodes.size())
        return hit_test_walk(tree, point);

    // The walk runs backwards: the nearest child's subtree first, each node
    // after its children, so the first node that takes the hit is the one
    // painted last. A node is entered only when its box holds the point.
    float px = point.x, py = point.y;
    struct Step {
        std::uint32_t node;
        bool children_done;
    };
    thread_local std::vector<Step> pending;
    pending.clear();
    if (state->boxes[tree.root].holds(px, py))
        pending.push_back({ static_cast<std::uint32_t>(tree.root), false });
    while (!pending.empty()) {
        Step step = pending.back();
        pending.pop_back();
        RectF const& rect = state->rects[step.node];
        if (step.children_done) {
            if (takes_hit(tree, step.node, rect, px, py))
                return step.node;
            continue;
        }
        if (skips_subtree(tree, step.node, rect, px, py))
            continue;
        pending.push_back({ step.node, true });
        std::size_t first = pending.size();
        bool any_depth = false;
        auto consider = [&](std::uint32_t child) {
            if (!state->boxes[child].holds(px, py))
                return;
            pending.push_back({ child, false });
            any_depth = any_depth || tree.nodes[child].layout.z != 0;
        };
        Item const& item = state->items[step.node];
        if (ChildRun const* run = item.child_count >= wide_node_children ? run_of(*state, step.node) : nullptr) {
            auto [from, to] = stretch_holding(*state, *run, run->along_x ? px : py);
            for (std::uint32_t const* at = from; at != to; ++at)
                consider(*at);
        } else {
            for (std::uint32_t k = 0; k < item.child_count; ++k)
                consider(state->children[item.first_child + k]);
        }
        // Only the children that can take the hit need ordering: sorting them
        // by depth keeps the order they have among all the children.
        if (any_depth) {
            std::stable_sort(pending.begin() + static_cast<std::ptrdiff_t>(first), pending.end(),
                [&tree](Step a, Step b) { return tree.nodes[a.node].layout.z < tree.nodes[b.node].layout.z; });
        }
    }
    return std::nullopt;
}

bool on_splitter_gutter(Tree const& tree, NodeId splitter, PointF point)
{
    if (splitter >= tree.nodes.size())
        return false;
    Node const& node = tree.nodes[splitter];
    auto const* model = node.model.as<SplitterModel>();
    if (node.kind() != NodeKind::Splitter || !model)
        return false;
    RectF const& r = node.rect;
    if (model->vertical) {
        float x = r.x + (r.w - splitter_gutter) * model->ratio;
        return point.x >= x && point.x <= x + splitter_gutter && point.y >= r.y && point.y <= r.bottom();
    }
    float y = r.y + (r.h - splitter_gutter) * model->ratio;
    return point.y >= y && point.y <= y + splitter_gutter && point.x >= r.x && point.x <= r.right();
}

bool raise_on_press(Tree& tree, PointF point)
{
    std::optional<NodeId> pressed;
    for (NodeId id : tree.front_set) {
        if (id >= tree.nodes.size())
            continue;
        RectF const& r = tree.nodes[id].rect;
        if (!(r.x > hidden_subtree_x) || !detail::covers(r, point.x, point.y))
            continue;
        // Ties go to the later node, the one painted over the other.
        if (!pressed || tree.nodes[id].layout.z > tree.nodes[*pressed].layout.z
            || (tree.nodes[id].layout.z == tree.nodes[*pressed].layout.z && id > *pressed))
            pressed = id;
    }
    if (!pressed || !tree.nodes[*pressed].parent)
        return false;
    std::int32_t highest = std::numeric_limits<std::int32_t>::min();
    for (NodeId sibling : tree.nodes[*tree.nodes[*pressed].parent].children) {
        if (sibling != *pressed)
            highest = std::max(highest, tree.nodes[sibling].layout.z);
    }
    std::int32_t& z = tree.nodes[*pressed].layout.z;
    if (highest < z)
        return false;
    std::int32_t raised = highest == std::numeric_limits<std::int32_t>::max() ? highest : highest + 1;
    if (raised == z)
        return false;
    z = raised;
    return true;
}

}
