// The traversal in depth order and the common part of node paint: cull,
// clip, effective style, formats, the kind's drawing through one table, border.
#include "core/base/kind_table.hpp"
#include "core/layout/layout.hpp"
#include "core/paint/detail/node_paint.hpp"

#include <array>

namespace orvy {

namespace {

using detail::NodePaint;
using Painter = void (*)(NodePaint const&);

void paint_nothing(NodePaint const&) { }

// A kind without a row draws nothing of its own (containers, stacks).
constexpr auto painters = kind_table<Painter>(paint_nothing, {
    { NodeKind::Frame, detail::paint_frame },
    { NodeKind::Label, detail::paint_label },
    { NodeKind::Button, detail::paint_button },
    { NodeKind::Slider, detail::paint_slider },
    { NodeKind::Progress, detail::paint_progress },
    { NodeKind::Checkbox, detail::paint_checkbox },
    { NodeKind::Textbox, detail::paint_textbox },
    { NodeKind::Dropdown, detail::paint_dropdown },
    { NodeKind::Tabs, detail::paint_tabs },
    { NodeKind::Table, detail::paint_table },
    { NodeKind::Image, detail::paint_image_node },
    { NodeKind::Switch, detail::paint_switch },
    { NodeKind::Radio, detail::paint_radio },
    { NodeKind::Toggle, detail::paint_toggle },
    { NodeKind::Separator, detail::paint_separator },
    { NodeKind::List, detail::paint_list },
    { NodeKind::Group, detail::paint_group },
    { NodeKind::Link, detail::paint_link },
    { NodeKind::Accordion, detail::paint_accordion },
    { NodeKind::Scroll, detail::paint_scroll },
    { NodeKind::Splitter, detail::paint_splitter },
    { NodeKind::Spinner, detail::paint_spinner },
    { NodeKind::Gauge, detail::paint_gauge },
    { NodeKind::Meter, detail::paint_meter },
    { NodeKind::Chart, detail::paint_chart },
    { NodeKind::Range, detail::paint_range },
    { NodeKind::Status, detail::paint_status },
    { NodeKind::Split, detail::paint_split },
    { NodeKind::Menubar, detail::paint_menubar },
    { NodeKind::Dial, detail::paint_dial },
    { NodeKind::Treeview, detail::paint_treeview },
    { NodeKind::Calendar, detail::paint_calendar },
    { NodeKind::Color, detail::paint_color },
    { NodeKind::Time, detail::paint_time },
    { NodeKind::Propgrid, detail::paint_propgrid },
    { NodeKind::Badge, detail::paint_badge },
    { NodeKind::Crumbs, detail::paint_crumbs },
    { NodeKind::Pager, detail::paint_pager },
    { NodeKind::Rating, detail::paint_rating },
    { NodeKind::Canvas, detail::paint_canvas },
    { NodeKind::Term, detail::paint_term },
    { NodeKind::Dock, detail::paint_dock },
    { NodeKind::Drop, detail::paint_drop },
});

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
