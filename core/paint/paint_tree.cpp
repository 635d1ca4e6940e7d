// The traversal in depth order and the common part of node paint: cull,
// clip, effective style, formats, the kind's drawing through one table, border.
#include "core/layout/layout.hpp"
#include "core/paint/detail/node_paint.hpp"

#include <array>

namespace orvy {

namespace {

using detail::NodePaint;
using Painter = void (*)(NodePaint const&);

void paint_nothing(NodePaint const&) { }

// Indexed by NodeKind.
constexpr std::array<Painter, kind_count> painters {
    paint_nothing,            // container
    detail::paint_frame,      // frame
    detail::paint_label,      // label
    detail::paint_button,     // button
    detail::paint_slider,     // slider
    detail::paint_progress,   // progress
    detail::paint_checkbox,   // checkbox
    detail::paint_textbox,    // textbox
    detail::paint_dropdown,   // dropdown
    detail::paint_tabs,       // tabs
    detail::paint_table,      // table
    detail::paint_image_node, // image
    detail::paint_switch,     // switch
    detail::paint_radio,      // radio
    detail::paint_toggle,     // toggle
    detail::paint_separator,  // separator
    detail::paint_list,       // list
    detail::paint_group,      // group
    detail::paint_link,       // link
    detail::paint_accordion,  // accordion
    detail::paint_scroll,     // scroll
    paint_nothing,            // stack
    detail::paint_splitter,   // splitter
    detail::paint_spinner,    // spinner
    detail::paint_gauge,      // gauge
    detail::paint_meter,      // meter
    detail::paint_chart,      // chart
    detail::paint_range,      // range
    detail::paint_status,     // status
    detail::paint_split,      // split
    detail::paint_menubar,    // menubar
    detail::paint_dial,       // dial
    detail::paint_treeview,   // treeview
    detail::paint_calendar,   // calendar
    detail::paint_color,      // color
    detail::paint_time,       // time
    detail::paint_propgrid,   // propgrid
    detail::paint_badge,      // badge
    detail::paint_crumbs,     // crumbs
    detail::paint_pager,      // pager
    detail::paint_rating,     // rating
    detail::paint_canvas,     // canvas
    detail::paint_term,       // term
    detail::paint_dock,       // dock
    detail::paint_drop,       // drop
};

constexpr float cull_margin = 48.0f;

bool is_culled(RectF r, float viewport_width, float viewport_height)
{
    if (r.x <= hidden_subtree_x || r.y <= hidden_subtree_x)
        return true;
    if (r.x + r.w < -cull_margin || r.y + r.h < -cull_margin)
        return true;
    return r.x > viewport_width + cull_margin || r.y > viewport_height + cull_margin;
}

bool overlaps(RectF a, RectF b) { return a.x < b.right() && b.x < a.right() && a.y < b.bottom() && b.y < a.bottom(); }

float border_radius(Style const& style, Node const& node)
{
    if (style.radius)
        return *style.radius;
    switch (node.kind()) {
    case NodeKind::Frame:
    case NodeKind::Button:
    case NodeKind::Group:
    case NodeKind::Accordion:
    case NodeKind::Split: return detail::own_radius(node);
    case NodeKind::Toggle:
    case NodeKind::Scroll:
    case NodeKind::Dock:
    case NodeKind::Drop: return 10;
    case NodeKind::Canvas: return 8;
    default: return 0;
    }
}

}

void paint_node(Canvas& canvas, PaintContext const& context, Tree const& tree, NodeId id)
{
    if (!tree.contains(id))
        return;
    Node const& node = tree.node(id);
    RectF r = node.rect;
    // Step 1: cull nodes far outside the viewport and those layout did not place.
    if (is_culled(r, context.viewport_width, context.viewport_height))
        return;
    // Step 2: clip to the scrolling or clipping container the node lies in.
    bool clipped = false;
    if (id < tree.clips.size() && tree.clips[id]) {
        RectF clip = *tree.clips[id];
        if (!(clip.w > 0) || !(clip.h > 0) || !overlaps(clip, r))
            return;
        canvas.push_clip(clip);
        clipped = true;
    }
    // Step 3: the effective style, with the overlays and the disabled colours.
    bool disabled = id < tree.disabled_flags.size() && tree.disabled_flags[id];
    Interaction interaction { context.focus == id, context.hover == id, disabled };
    Style style = effective_style(node.styles, node.kind(), interaction, context.palette);
    // Step 4: node-specific formats when the style sets a font; their sizes are
    // fixed and do not follow the base font.
    std::optional<FrameFormats> own = context.text ? styled_formats(*context.text, style) : std::nullopt;
    FrameFormats const& chosen = own ? *own : context.formats;
    detail::NodeFormats formats { chosen.title.get(), chosen.body.get(), chosen.paragraph.get(),
        chosen.heading.get() };
    bool masked = tree.password_set.contains(id);
    // Step 5: the kind's own drawing.
    NodePaint paint { canvas, context, tree, id, node, r, style, formats, disabled, masked };
    painters[static_cast<std::size_t>(node.kind())](paint);
    // Step 6: the border.
    paint_border(canvas, style, r, border_radius(style, node));
    // Step 7: pop the clip.
    if (clipped)
        canvas.pop_clip();
}

void paint_tree(Canvas& canvas, PaintContext const& context, Tree const& tree)
{
    if (!tree.contains(tree.root))
        return;
    // Depth-first with an explicit stack, so deep trees cannot exhaust the
    // call stack; children are pushed in reverse so the first pops first.
    std::vector<NodeId> stack { tree.root };
    std::vector<NodeId> ordered;
    while (!stack.empty()) {
        NodeId id = stack.back();
        stack.pop_back();
        paint_node(canvas, context, tree, id);
        auto const& children = tree.node(id).children;
        bool layered = std::any_of(children.begin(), children.end(),
            [&](NodeId child) { return tree.contains(child) && tree.node(child).layout.z != 0; });
        if (!layered) {
            for (auto it = children.rbegin(); it != children.rend(); ++it) {
                if (tree.contains(*it))
                    stack.push_back(*it);
            }
            continue;
        }
        ordered.clear();
        for (NodeId child : children) {
            if (tree.contains(child))
                ordered.push_back(child);
        }
        std::stable_sort(ordered.begin(), ordered.end(),
            [&](NodeId a, NodeId b) { return tree.node(a).layout.z < tree.node(b).layout.z; });
        stack.insert(stack.end(), ordered.rbegin(), ordered.rend());
    }
}

}
