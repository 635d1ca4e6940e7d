// Node requests and pending texts: the changes Python makes to a running
// window, applied at the start of the next frame.
#include "core/frame/frame.hpp"

#include "core/operations/operations.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace orvy {

namespace {

bool on(float value) { return value >= 0.5f; }

void set_limits(LayoutParams& layout, float min_w, float min_h, float max_w, float max_h)
{
    auto maximum = [](float value) { return value == 0.0f ? std::numeric_limits<float>::infinity() : value; };
    if (!(min_w < 0))
        layout.min_w = min_w;
    if (!(min_h < 0))
        layout.min_h = min_h;
    if (!(max_w < 0))
        layout.max_w = maximum(max_w);
    if (!(max_h < 0))
        layout.max_h = maximum(max_h);
}

// The outline colour travels as two exactly representable halves of 0xRRGGBBAA.
void set_border_line(Tree& tree, NodeId id, float high, float low, float width, bool present)
{
    Style& style = tree.node(id).styles.base_mut();
    if (!present) {
        style.border_color.reset();
        style.border_width.reset();
        return;
    }
    auto half = [](float value) {
        return std::isfinite(value) ? static_cast<std::uint32_t>(std::clamp(value, 0.0f, 65535.0f)) : 0u;
    };
    style.border_color = Color::from_rgba8((half(high) << 16) | half(low));
    style.border_width = width;
}

}

bool apply_request(Tree& tree, NodeRequest const& request)
{
    if (request.node >= tree.size())
        return false;
    auto id = static_cast<NodeId>(request.node);
    float a = request.a, b = request.b, c = request.c, d = request.d;
    switch (request.kind) {
    case RequestKind::CanvasRegion:
        set_canvas_region(tree, id, a, b, c, d);
        tree.layout_dirty = true;
        return true;
    case RequestKind::CanvasView:
        set_canvas_view(tree, id, a, b);
        tree.layout_dirty = true;
        return true;
    case RequestKind::PopAt:
        show_pop_layer(tree, id, a, b, c, d);
        return true;
    case RequestKind::PopOff:
        hide_pop_layer(tree, id);
        return true;
    case RequestKind::AccordionOpen:
        return set_accordion_open(tree, id, on(a));
    case RequestKind::Show:
        return set_shown(tree, id, on(a));
    case RequestKind::Ghost:
        return set_ghost(tree, id, on(a));
    case RequestKind::Front:
        return set_front(tree, id, on(a));
    case RequestKind::SplitterRatio:
        set_splitter_ratio(tree, id, a);
        tree.layout_dirty = true;
        return true;
    case RequestKind::Limits:
        set_limits(tree.node(id).layout, a, b, c, d);
        tree.layout_dirty = true;
        return true;
    case RequestKind::NumericState:
        return set_numeric_state(tree, id, a);
    case RequestKind::CompositeValue:
        return set_composite_value(tree, id, a, b, c);
    case RequestKind::Enable:
        return set_enabled(tree, id, on(a));
    case RequestKind::Password:
        return set_password(tree, id, on(a));
    case RequestKind::HeaderHeight:
        if (a > 0)
            tree.header_heights[id] = a;
        else
            tree.header_heights.erase(id);
        tree.layout_dirty = true;
        return true;
    case RequestKind::ResizableColumns:
        if (on(a))
            tree.resizable_columns_set.insert(id);
        else
            tree.resizable_columns_set.erase(id);
        return true;
    case RequestKind::BorderLine:
        set_border_line(tree, id, a, b, c, on(d));
        return true;
    }
    return true;
}

bool apply_pending_text(Tree& tree)
{
    auto pending = tree.pending_text.take();
    for (PendingText& entry : pending) {
        if (!tree.contains(entry.node) || tree.node(entry.node).kind() != NodeKind::Textbox)
            continue;
        auto* box = tree.node(entry.node).model.as<TextboxModel>();
        if (entry.text && *entry.text != box->text) {
            box->text = std::move(*entry.text);
            box->undo.clear();
            box->redo.clear();
            box->paragraphs.reset();
            tree.layout_dirty = true;
        }
        box->caret = box->anchor = box->text.size();
        ++box->revision;
    }
    return !pending.empty();
}

float caret_scroll(float scroll, float caret_x, float visible_width)
{
    if (caret_x < scroll)
        scroll = caret_x;
    else if (caret_x > scroll + visible_width)
        scroll = caret_x - visible_width;
    return std::isnan(scroll) ? 0.0f : std::max(scroll, 0.0f);
}

}
