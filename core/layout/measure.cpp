// Pass 1 of a layout pass: gathers each node's layout record and resolves its
// minimum size and definite height, children before parents, once per node.
#include "core/base/kind_table.hpp"
#include "core/layout/detail/state.hpp"

#include <array>
#include <cassert>

namespace orvy::detail {

namespace {

struct ChildFigures {
    std::uint32_t count = 0; // visible flow children
    float sum_w = 0, sum_h = 0;
    float largest_w = 0, largest_h = 0;
};

ChildFigures visible_flow_figures(LayoutState const& state, Item const& item)
{
    ChildFigures figures;
    for (std::uint32_t k = 0; k < item.child_count; ++k) {
        Item const& child = state.items[state.children[item.first_child + k]];
        if (!child.is_flow())
            continue;
        ++figures.count;
        figures.sum_w += child.min_w;
        figures.sum_h += child.min_h;
        figures.largest_w = max_of(figures.largest_w, child.min_w);
        figures.largest_h = max_of(figures.largest_h, child.min_h);
    }
    return figures;
}

float gaps(std::uint32_t count, float gap) { return count > 1 ? static_cast<float>(count - 1) * gap : 0.0f; }

float column_minimum(Columns const& columns)
{
    std::size_t count = columns.titles.size() > 0 ? columns.titles.size() : 1;
    float total = 0;
    bool any = false;
    for (std::size_t i = 0; i < count; ++i) {
        float width = i < columns.widths.size() ? columns.widths[i] : 0.0f;
        float minimum = i < columns.minimums.size() ? columns.minimums[i] : 0.0f;
        if (width > 0) {
            total += max_of(width, minimum);
            any = true;
        } else if (minimum > 0) {
            total += minimum;
            any = true;
        } else {
            total += column_default_width;
        }
    }
    return any ? total + scroll_bar_reserve : 0.0f;
}

struct Size {
    float w = 0, h = 0;
};

// The intrinsic minimum size of a kind from its children or its columns; kinds
// without a row have none.
using MinimumOf = Size (*)(Tree const&, LayoutState const&, NodeId, Item const&);

Size flow_minimum(Tree const&, LayoutState const& state, NodeId, Item const& item)
{
    if (item.child_layout != ChildLayout::Flow)
        return {};
    ChildFigures f = visible_flow_figures(state, item);
    if (f.count == 0)
        return {};
    float p = item.padding;
    float g = item.gap;
    bool vertical = item.axis == Axis::Vertical;
    float across_w = vertical ? f.largest_w : f.sum_w + gaps(f.count, g);
    float along_h = vertical ? f.sum_h + gaps(f.count, g) : f.largest_h;
    float header = item.kind == NodeKind::Group ? group_header : 0.0f;
    return { across_w > 0 ? across_w + 2 * p : 0.0f, along_h > 0 ? along_h + 2 * p + header : 0.0f };
}

Size tabs_minimum(Tree const&, LayoutState const& state, NodeId, Item const& item)
{
    ChildFigures f = visible_flow_figures(state, item);
    return { f.largest_w, f.largest_h > 0 ? f.largest_h + tab_strip_height : 0.0f };
}

Size stack_minimum(Tree const&, LayoutState const& state, NodeId, Item const& item)
{
    ChildFigures f = visible_flow_figures(state, item);
    return { f.largest_w, f.largest_h };
}

// The panes are the first two children by position, as the splitter places them.
Size splitter_minimum(Tree const&, LayoutState const& state, NodeId, Item const& item)
{
    Size a, b;
    if (item.child_count > 0) {
        Item const& first = state.items[state.children[item.first_child]];
        a = { first.min_w, first.min_h };
    }
    if (item.child_count > 1) {
        Item const& second = state.items[state.children[item.first_child + 1]];
        b = { second.min_w, second.min_h };
    }
    if (item.has(KindFlag)) // panes side by side
        return { a.w > 0 || b.w > 0 ? a.w + splitter_gutter + b.w : 0.0f, max_of(a.h, b.h) };
    return { max_of(a.w, b.w), a.h > 0 || b.h > 0 ? a.h + splitter_gutter + b.h : 0.0f };
}

Size accordion_minimum(Tree const&, LayoutState const& state, NodeId, Item const& item)
{
    ChildFigures f = visible_flow_figures(state, item);
    float p = item.padding;
    float width = f.largest_w > 0 ? 2 * p + f.largest_w : 0.0f;
    if (!item.has(KindFlag))
        return { width, 0 };
    float rows = f.sum_h + gaps(f.count, item.gap);
    return { width, rows > 0 ? accordion_header + p + rows : 0.0f };
}

Size scroll_minimum(Tree const&, LayoutState const& state, NodeId, Item const& item)
{
    ChildFigures f = visible_flow_figures(state, item);
    return { f.largest_w > 0 ? 2 * item.padding + f.largest_w + scroll_bar_reserve : 0.0f, 0 };
}

Size table_minimum(Tree const& tree, LayoutState const&, NodeId id, Item const&)
{
    if (auto const* table = tree.nodes[id].model.as<TableModel>())
        return { column_minimum(table->columns), 0 };
    return {};
}

Size treeview_minimum(Tree const& tree, LayoutState const&, NodeId id, Item const&)
{
    if (auto const* treeview = tree.nodes[id].model.as<TreeviewModel>())
        return { column_minimum(treeview->columns), 0 };
    return {};
}

// A kind without a row has no minimum of its own.
constexpr auto minimum_of_kind = kind_table<MinimumOf>(nullptr, {
    { NodeKind::Container, flow_minimum },
    { NodeKind::Frame, flow_minimum },
    { NodeKind::Tabs, tabs_minimum },
    { NodeKind::Table, table_minimum },
    { NodeKind::Group, flow_minimum },
    { NodeKind::Accordion, accordion_minimum },
    { NodeKind::Scroll, scroll_minimum },
    { NodeKind::Stack, stack_minimum },
    { NodeKind::Splitter, splitter_minimum },
    { NodeKind::Treeview, treeview_minimum },
});

Size intrinsic_minimum(Tree const& tree, LayoutState const& state, NodeId id, Item const& item)
{
    MinimumOf minimum = minimum_of_kind[static_cast<std::size_t>(item.kind)];
    return minimum ? minimum(tree, state, id, item) : Size {};
}

std::optional<float> definite_height(LayoutState const& state, Item const& item)
{
    if (item.has(Hidden))
        return 0.0f;
    if (item.has(HasH))
        return bounded(item.h, item.min_h, item.max_h);
    if (item.has(Absolute) || item.child_layout != ChildLayout::Flow)
        return std::nullopt;
    float p = item.padding;
    float g = item.gap;
    switch (item.kind) {
    case NodeKind::Accordion: {
        if (!item.has(KindFlag))
            return bounded(accordion_header, item.min_h, item.max_h);
        float sum = 0;
        std::uint32_t count = 0;
        for (std::uint32_t k = 0; k < item.child_count; ++k) {
            Item const& child = state.items[state.children[item.first_child + k]];
            if (child.has(Hidden))
                continue;
            ++count;
            sum += child.has(HasDefinite) ? child.definite_h : accordion_row_default;
        }
        return bounded(p + accordion_header + sum + gaps(count, g), item.min_h, item.max_h);
    }
    case NodeKind::Container:
    case NodeKind::Frame:
    case NodeKind::Group: {
        float sum = 0, largest = 0;
        std::uint32_t count = 0;
        for (std::uint32_t k = 0; k < item.child_count; ++k) {
            Item const& child = state.items[state.children[item.first_child + k]];
            if (!child.is_flow())
                continue;
            if (!child.has(HasDefinite))
                return std::nullopt;
            ++count;
            sum += child.definite_h;
            largest = max_of(largest, child.definite_h);
        }
        if (count == 0)
            return std::nullopt;
        float header = item.kind == NodeKind::Group ? group_header : 0.0f;
        float content = item.axis == Axis::Vertical ? sum + gaps(count, g) : largest;
        return bounded(header + 2 * p + content, item.min_h, item.max_h);
    }
    default:
        return std::nullopt;
    }
}

// What the layout reads of a kind's model: the selected tab or page, open
// sections, the splitter's direction and ratio, the scroll offset.
using KindGather = void (*)(Model const&, Item&, std::uint16_t& flags);

void gather_tabs(Model const& model, Item& item, std::uint16_t&)
{
    if (auto const* tabs = model.as<ChoiceModel>())
        item.kind_index = tabs->selected;
}

void gather_stack(Model const& model, Item& item, std::uint16_t&)
{
    if (auto const* stack = model.as<StackModel>())
        item.kind_index = stack->page;
}

void gather_accordion(Model const& model, Item&, std::uint16_t& flags)
{
    if (auto const* accordion = model.as<AccordionModel>(); accordion && accordion->open)
        flags |= KindFlag;
}

void gather_dock(Model const& model, Item&, std::uint16_t& flags)
{
    if (auto const* dock = model.as<DockModel>(); !dock || dock->open)
        flags |= KindFlag;
}

void gather_splitter(Model const& model, Item& item, std::uint16_t& flags)
{
    if (auto const* splitter = model.as<SplitterModel>()) {
        if (splitter->vertical)
            flags |= KindFlag;
        item.kind_value = splitter->ratio;
    } else {
        flags |= KindFlag;
        item.kind_value = 0.5f;
    }
}

void gather_scroll(Model const& model, Item& item, std::uint16_t&)
{
    if (auto const* scroll = model.as<ScrollModel>())
        item.kind_value = scroll->offset;
}

// A kind without a row has nothing in its model that the layout reads.
constexpr auto kind_gathers = kind_table<KindGather>(nullptr, {
    { NodeKind::Tabs, gather_tabs },
    { NodeKind::Accordion, gather_accordion },
    { NodeKind::Scroll, gather_scroll },
    { NodeKind::Stack, gather_stack },
    { NodeKind::Splitter, gather_splitter },
    { NodeKind::Dock, gather_dock },
});

void gather(Node const& node, Item& item, Extra& extra, std::uint8_t mark)
{
    LayoutParams const& l = node.layout;
    std::uint16_t flags = 0;
    auto take = [&flags](OptionalFloat value, std::uint16_t flag) {
        if (!value)
            return 0.0f;
        flags |= flag;
        return *value;
    };
    item.w = take(l.w, HasW);
    item.h = take(l.h, HasH);
    item.padding = l.padding;
    item.gap = l.gap;
    item.grow = l.grow;
    item.max_w = l.max_w;
    item.max_h = l.max_h;
    if (mark & MarkHidden)
        flags |= Hidden;
    if (mark & MarkDisabled)
        flags |= Disabled;
    if (l.placement == Placement::Absolute) {
        flags |= Absolute;
        extra.left = take(l.left, HasLeft);
        extra.top = take(l.top, HasTop);
        extra.right = take(l.right, HasRight);
        extra.bottom = take(l.bottom, HasBottom);
    }
    if (l.row != 0 || l.col != 0 || l.row_span != 1 || l.col_span != 1) {
        flags |= HasCell;
        extra.row = l.row;
        extra.col = l.col;
        extra.row_span = l.row_span;
        extra.col_span = l.col_span;
    }
    if (l.pack_expand)
        flags |= Expand;
    item.kind = node.kind();
    item.axis = l.axis;
    item.justify = l.justify;
    item.cross = l.cross;
    item.child_layout = l.child_layout;
    item.pack_side = l.pack_side;
    item.pack_fill = l.pack_fill;
    item.kind_index = 0;
    if (KindGather kind_gather = kind_gathers[static_cast<std::size_t>(item.kind)])
        kind_gather(node.model, item, flags);
    item.flags = flags;
}

}

void measure_tree(Tree const& tree, LayoutState& state)
{
    std::size_t count = tree.nodes.size();
    assert(count < 0xFFFFFFFFu);
    state.items.resize(count);
    state.extras.resize(count);
    state.parents.resize(count);
    state.children.resize(count - 1);
    state.first_born.assign(count, no_node);
    state.next_born.resize(count);
    state.wide_nodes.clear();

    // Children are filled from the back, so each node's list ends where the
    // list of the node before it in this descending walk begins. A node's
    // children come from the links its children left on the way (ids only
    // grow, so the later a child was appended the later it sits), which spares
    // reading child lists scattered over the heap; the node's own list is read
    // only if the counts disagree.
    std::size_t fill = count - 1;
    for (std::size_t i = count; i-- > 0;) {
        // The walk runs backwards through big records, which the hardware
        // does not follow: the two lines a node's layout fields occupy, and
        // the line of its record, are asked for well ahead.
        if (i >= 3 * prefetch_distance) {
            char const* ahead = reinterpret_cast<char const*>(&tree.nodes[i - 3 * prefetch_distance]);
            prefetch_for_read(ahead);
            prefetch_for_read(ahead + 64);
            prefetch_for_read(&state.items[i - 3 * prefetch_distance]);
        }
        Node const& node = tree.nodes[i];
        Item& item = state.items[i];
        gather(node, item, state.extras[i], state.marks[i]);
        std::uint32_t parent = node.parent ? static_cast<std::uint32_t>(*node.parent) : 0;
        if (state.parents[i] != parent)
            state.parents[i] = parent;

        std::size_t child_count = node.children.size();
        assert(child_count <= fill);
        fill -= child_count;
        item.first_child = static_cast<std::uint32_t>(fill);
        item.child_count = static_cast<std::uint32_t>(child_count);
        if (child_count >= wide_node_children)
            state.wide_nodes.push_back(static_cast<std::uint32_t>(i));
        std::size_t linked = 0;
        for (std::uint32_t child = state.first_born[i]; child != no_node && linked < child_count;
             child = state.next_born[child])
            state.children[fill + linked++] = child;
        bool complete = linked == child_count && (linked == 0 || state.next_born[state.children[fill + linked - 1]] == no_node);
        if (!complete) {
            for (std::size_t k = 0; k < child_count; ++k)
                state.children[fill + k] = static_cast<std::uint32_t>(node.children[k]);
        }
        for (std::size_t k = 0; k < child_count; ++k)
            assert(node.children[k] > i && state.children[fill + k] == node.children[k]);
        if (node.parent) {
            state.next_born[i] = state.first_born[parent];
            state.first_born[parent] = static_cast<std::uint32_t>(i);
        }

        if (item.has(Hidden)) {
            item.min_w = 0;
            item.min_h = 0;
        } else {
            LayoutParams const& l = node.layout;
            bool wants_intrinsic = !(l.min_w > 0 && l.min_h > 0) && !item.has(Absolute);
            Size intrinsic = wants_intrinsic ? intrinsic_minimum(tree, state, i, item) : Size {};
            item.min_w = l.min_w > 0 ? l.min_w : positive_or_zero(intrinsic.w);
            item.min_h = l.min_h > 0 ? l.min_h : positive_or_zero(intrinsic.h);
        }
        std::optional<float> definite = definite_height(state, item);
        if (definite) {
            item.flags |= HasDefinite;
            item.definite_h = *definite;
        } else {
            item.definite_h = 0;
        }
    }
}

NodeMeasure measure_of(LayoutState const& state, NodeId id)
{
    Item const& item = state.items[id];
    NodeMeasure result { item.min_w, item.min_h, std::nullopt };
    if (item.has(HasDefinite))
        result.definite_h = item.definite_h;
    return result;
}

}
