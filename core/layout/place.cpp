// Placement of a node's children: the rules of the kinds that arrange their
// children themselves (tabs, stack, accordion, scroll, splitter, dock) and the
// general rule with absolute placement.
#include "core/layout/detail/place.hpp"

#include <limits>

namespace orvy::detail {

namespace {

void hide_all(LayoutState& state, Item const& item)
{
    for (std::uint32_t k = 0; k < item.child_count; ++k)
        state.rects[state.children[item.first_child + k]] = off_screen_rect();
}

// Only the child at the given position is shown, in the given rectangle.
void show_one(LayoutState& state, Item const& item, std::uint32_t position, RectF shown)
{
    for (std::uint32_t k = 0; k < item.child_count; ++k) {
        std::uint32_t child = state.children[item.first_child + k];
        bool visible = k == position && !state.items[child].has(Hidden);
        state.rects[child] = visible ? shown : off_screen_rect();
    }
}

struct Rows {
    float total = 0;
    std::uint32_t count = 0;
};

// Accordion and scroll rows: each visible child at its definite height (or
// the default), one under the other; hidden children take no room.
Rows stack_rows(LayoutState& state, Item const& item, float x, float y, float width, float row_default)
{
    Rows rows;
    for (std::uint32_t k = 0; k < item.child_count; ++k) {
        std::uint32_t id = state.children[item.first_child + k];
        Item const& child = state.items[id];
        if (child.has(Hidden)) {
            state.rects[id] = off_screen_rect();
            continue;
        }
        float height = bounded(child.has(HasDefinite) ? child.definite_h : row_default, child.min_h, child.max_h);
        state.rects[id] = RectF { x, y, width, height };
        y += height + item.gap;
        rows.total += height;
        ++rows.count;
    }
    return rows;
}

void place_scroll(Tree& tree, LayoutState& state, NodeId id, Item const& item, RectF const& r)
{
    float p = item.padding;
    float width = max_of(r.w - 2 * p - scroll_bar_reserve, 0);
    Rows rows = stack_rows(state, item, r.x + p, r.y + p - item.kind_value, width, scroll_row_default);
    float gaps = rows.count > 1 ? static_cast<float>(rows.count - 1) * item.gap : 0.0f;
    if (auto* scroll = tree.nodes[id].model.as<ScrollModel>())
        scroll->content_height = max_of(2 * p + rows.total + gaps, 0);
}

// Two panes split by a gutter; the ratio gives way to the panes' limits, and
// the achieved ratio is stored back when it moved noticeably.
void place_splitter(Tree& tree, LayoutState& state, NodeId id, Item const& item, RectF const& r)
{
    hide_all(state, item);
    if (item.child_count == 0)
        return;
    bool vertical = item.has(KindFlag);
    float ratio = item.kind_value;
    std::uint32_t a_id = state.children[item.first_child];
    Item const& a = state.items[a_id];
    bool has_b = item.child_count > 1;
    std::uint32_t b_id = has_b ? state.children[item.first_child + 1] : 0;
    Item const* b = has_b ? &state.items[b_id] : nullptr;
    bool a_hidden = a.has(Hidden);
    bool b_hidden = b && b->has(Hidden);

    float gutter = a_hidden || b_hidden ? 0.0f : splitter_gutter;
    float available = max_of((vertical ? r.w : r.h) - gutter, 0);
    float length = a_hidden ? 0.0f : b_hidden ? available : ratio * available;
    length = bounded(length, vertical ? a.min_w : a.min_h, vertical ? a.max_w : a.max_h);
    if (b) {
        float b_min = vertical ? b->min_w : b->min_h;
        float b_max = vertical ? b->max_w : b->max_h;
        length = min_of(length, max_of(available - b_min, 0));
        // The second pane's maximum wins over its minimum.
        if (b_max != std::numeric_limits<float>::infinity())
            length = max_of(length, max_of(available - b_max, 0));
    }
    float t = min_of(max_of(length, 0), available);
    // A hidden pane forces the split to an edge; storing that would lose the
    // ratio the user set for when both panes show again.
    if (!a_hidden && !b_hidden && available > 0 && std::fabs(t / available - ratio) > splitter_ratio_tolerance) {
        if (auto* splitter = tree.nodes[id].model.as<SplitterModel>())
            splitter->ratio = t / available;
    }
    RectF first = vertical ? RectF { r.x, r.y, t, r.h } : RectF { r.x, r.y, r.w, t };
    RectF second = vertical ? RectF { r.x + t + gutter, r.y, available - t, r.h }
                            : RectF { r.x, r.y + t + gutter, r.w, available - t };
    if (!a_hidden)
        state.rects[a_id] = first;
    if (b && !b_hidden)
        state.rects[b_id] = second;
}

struct Span {
    float start, length;
};

// One axis of an absolutely placed child: offsets from either edge of the
// content box, a fixed size, or both; with neither edge a fixed size centres.
Span absolute_span(float origin, float extent, bool has_near, float near, bool has_far, float far, bool has_size,
    float size)
{
    if (has_near) {
        float room = extent - near;
        if (has_far)
            return { origin + near, max_of(room - far, 0) };
        return { origin + near, has_size ? size : max_of(room, 0) };
    }
    if (has_far) {
        if (!has_size)
            return { origin, max_of(extent - far, 0) };
        return { origin + extent - far - size, size };
    }
    if (!has_size)
        return { origin, extent };
    return { origin + (extent - size) / 2, size };
}

void place_general(LayoutState& state, Item const& item, RectF const& r, float header)
{
    float p = item.padding;
    ContentBox box { r.x + p, r.y + p + header, max_of(r.w - 2 * p, 0), max_of(r.h - 2 * p - header, 0) };
    std::uint32_t flow_count = 0;
    for (std::uint32_t k = 0; k < item.child_count; ++k) {
        std::uint32_t id = state.children[item.first_child + k];
        Item const& child = state.items[id];
        if (child.has(Hidden)) {
            state.rects[id] = off_screen_rect();
        } else if (child.has(Absolute)) {
            Extra const& edges = state.extras[id];
            Span x = absolute_span(box.x, box.w, child.has(HasLeft), edges.left, child.has(HasRight), edges.right,
                child.has(HasW), child.w);
            Span y = absolute_span(box.y, box.h, child.has(HasTop), edges.top, child.has(HasBottom), edges.bottom,
                child.has(HasH), child.h);
            state.rects[id] = RectF { x.start, y.start, x.length, y.length };
        } else {
            ++flow_count;
        }
    }
    if (flow_count == 0)
        return;
    switch (item.child_layout) {
    case ChildLayout::Grid:
        place_grid(state, item, box);
        break;
    case ChildLayout::Pack:
        place_pack(state, item, box);
        break;
    default:
        place_flow(state, item, box, flow_count);
        break;
    }
}

}

void place_children(Tree& tree, LayoutState& state, NodeId id, RectF const& r)
{
    Item const& item = state.items[id];
    switch (item.kind) {
    case NodeKind::Tabs:
        show_one(state, item, item.kind_index,
            RectF { r.x, r.y + tab_strip_height, r.w, max_of(r.h - tab_strip_height, 0) });
        break;
    case NodeKind::Stack:
        show_one(state, item, item.kind_index, r);
        break;
    case NodeKind::Accordion:
        if (!item.has(KindFlag))
            hide_all(state, item);
        else
            stack_rows(state, item, r.x + item.padding, r.y + accordion_header, max_of(r.w - 2 * item.padding, 0),
                accordion_row_default);
        break;
    case NodeKind::Scroll:
        place_scroll(tree, state, id, item, r);
        break;
    case NodeKind::Splitter:
        place_splitter(tree, state, id, item, r);
        break;
    case NodeKind::Group:
        place_general(state, item, r, group_header);
        break;
    case NodeKind::Dock:
        if (!item.has(KindFlag))
            hide_all(state, item);
        else
            place_general(state, item, r, dock_header);
        break;
    default:
        place_general(state, item, r, 0);
        break;
    }
}

}
