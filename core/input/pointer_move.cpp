// Pointer moves, drags, the release with its click, and the cursor.
#include "core/input/detail/pointer_detail.hpp"
#include "core/input/pointer.hpp"

#include "core/layout/layout.hpp"

namespace orvy {

using detail::clamp_unit;

namespace {

// The row of the open overlay list under a point, to see whether a move
// changed the highlighted row.
std::optional<std::uint32_t> overlay_row(Tree const& tree, OverlayState const& overlays, PointF point)
{
    if (overlays.open_list) {
        auto const& list = *overlays.open_list;
        return list_row_at(menu_list_rect(list), menu_list_row, list.items.size(), point);
    }
    if (tree.menu_open)
        return list_row_at(context_menu_rect(tree.menu_pos, tree.menu_items.size()), menu_item_height,
            tree.menu_items.size(), point);
    if (tree.open_dropdown && tree.contains(*tree.open_dropdown)) {
        Node const& node = tree.node(*tree.open_dropdown);
        auto const* choice = node.model.as<ChoiceModel>();
        std::size_t count = choice ? choice->items.size() : 0;
        return list_row_at(dropdown_list_rect(node.rect, count), node.rect.h, count, point);
    }
    return std::nullopt;
}

}

namespace detail {

bool scrollbar_to(Tree& tree, NodeId id, float py)
{
    Node& node = tree.node(id);
    RectF rect = node.rect;
    switch (node.kind()) {
    case NodeKind::List:
    case NodeKind::Scroll:
        scrollbar_drag(tree, id, py);
        return true;
    case NodeKind::Table:
    case NodeKind::Treeview: {
        float header = header_height(tree, id);
        float visible = rect.h - header;
        if (!(visible > 0.0f))
            return false;
        float fraction = clamp_unit((py - rect.y) / rect.h);
        if (auto* table = node.model.as<TableModel>()) {
            float range = std::max(static_cast<float>(table->rows.size()) * table_row_height - visible, 0.0f);
            if (range > 0.0f)
                table->scroll = fraction * range;
        } else if (auto* model = node.model.as<TreeviewModel>()) {
            float content = static_cast<float>(visible_tree_rows(*model).size()) * tree_row_height;
            float range = std::max(content - visible, 0.0f);
            if (range > 0.0f)
                model->scroll = fraction * range;
        }
        tree.layout_dirty = true;
        return true;
    }
    default:
        return false;
    }
}

}

bool PointerInput::follow_drag(PointF point)
{
    if (m_drag.kind == DragKind::None || !m_tree.contains(m_drag.node))
        return false;
    NodeId id = m_drag.node;
    Node& node = m_tree.node(id);
    RectF rect = node.rect;
    switch (m_drag.kind) {
    case DragKind::None:
        return false;
    case DragKind::Slider:
        slider_from_pointer(m_tree, id, point.x);
        return true;
    case DragKind::ScrollBar:
    case DragKind::TreeScrollBar:
        return detail::scrollbar_to(m_tree, id, point.y);
    case DragKind::Splitter:
        if (auto const* splitter = node.model.as<SplitterModel>()) {
            float extent = splitter->vertical ? rect.w : rect.h;
            float along = splitter->vertical ? point.x - rect.x : point.y - rect.y;
            if (extent <= splitter_gutter)
                return false;
            set_splitter_ratio(m_tree, id, clamp_unit(along / (extent - splitter_gutter)));
            return true;
        }
        return false;
    case DragKind::RangeThumb:
        range_from_pointer(m_tree, id, point.x, m_drag.thumb);
        return true;
    case DragKind::Dial:
        if (auto* dial = node.model.as<ValueModel>()) {
            dial->value = clamp_unit(m_drag.start_value + (m_drag.start_pointer.y - point.y) / dial_drag_span);
            m_tree.layout_dirty = true;
            m_tree.fire_change(id, dial->value);
            return true;
        }
        return false;
    case DragKind::Color:
        pick_color(m_tree, id, point.x, point.y, m_drag.color_part);
        return true;
    case DragKind::CanvasPan:
        set_canvas_view(m_tree, id, m_drag.start_view.x - (point.x - m_drag.start_pointer.x),
            m_drag.start_view.y - (point.y - m_drag.start_pointer.y));
        return true;
    case DragKind::ColumnEdge:
        return follow_column_edge(point);
    }
    return false;
}

bool PointerInput::move(PointerContext const& context, PointF point)
{
    PointF before = m_pointer;
    m_pointer = point;
    // While the message box is open only its buttons follow the pointer.
    if (m_overlays.dialog) {
        RectF panel = dialog_panel(context.client_width, context.client_height);
        std::size_t count = m_overlays.dialog->buttons.size();
        return dialog_button_at(panel, count, before) != dialog_button_at(panel, count, point);
    }
    bool changed = false;
    auto hit = hit_test(m_tree, point);
    std::optional<NodeId> hovered = m_tree.hovered ? std::optional(m_tree.hovered->node) : std::nullopt;
    if (hit != hovered) {
        if (hit)
            m_tree.hovered = Hovered { .node = *hit, .since = context.now };
        else
            m_tree.hovered.reset();
        changed = true;
    }
    if (overlay_row(m_tree, m_overlays, before) != overlay_row(m_tree, m_overlays, point)) {
        // The pointer takes the highlight back from the keyboard.
        m_tree.keyboard_row.reset();
        changed = true;
    }
    std::optional<NodeId> hot = hit && detail::is_clickable(m_tree, *hit) ? hit : std::nullopt;
    if (hot != m_hot) {
        m_hot = hot;
        changed = true;
    }
    if (follow_drag(point) || select_text_to(point))
        changed = true;
    if (m_pressed_canvas && m_tree.contains(*m_pressed_canvas)
        && m_tree.has_event(*m_pressed_canvas, UiEvent::PointerMove)) {
        PointF local = canvas_point(*m_pressed_canvas, point);
        m_tree.fire(*m_pressed_canvas, UiEvent::PointerMove, no_index, local.x, local.y);
        changed = true;
    }
    return changed;
}

bool PointerInput::activate(NodeId id)
{
    Node& node = m_tree.node(id);
    switch (node.kind()) {
    case NodeKind::Checkbox:
    case NodeKind::Switch:
    case NodeKind::Toggle:
        if (auto* toggle = node.model.as<ToggleModel>()) {
            toggle->on = !toggle->on;
            bool on = toggle->on;
            m_tree.layout_dirty = true;
            m_tree.fire_change(id, on ? 1.0f : 0.0f);
        }
        break;
    case NodeKind::Radio:
        if (auto* own = node.model.as<ToggleModel>()) {
            std::int32_t group = own->group;
            for (Node& other : m_tree.nodes) {
                if (auto* radio = other.kind() == NodeKind::Radio ? other.model.as<ToggleModel>() : nullptr;
                    radio && radio->group == group)
                    radio->on = false;
            }
            m_tree.node(id).model.as<ToggleModel>()->on = true;
            m_tree.layout_dirty = true;
            m_tree.fire_change(id, 1.0f);
        }
        break;
    case NodeKind::Accordion:
        if (auto const* accordion = node.model.as<AccordionModel>())
            set_accordion_open(m_tree, id, !accordion->open);
        return true;
    default:
        break;
    }
    m_tree.fire_activate(id);
    return true;
}

bool PointerInput::left_up(PointerContext const&)
{
    bool changed = false;
    // Step 1: a release over the node the press went down on is a click.
    if (m_pressed && m_pressed == m_hot && m_tree.contains(*m_pressed))
        changed = activate(*m_pressed);
    // Step 2: a column-edge drag that resized reports it.
    if (end_column_edge_drag())
        changed = true;
    // Step 3: the canvas hears the release wherever it happens.
    if (m_pressed_canvas && m_tree.contains(*m_pressed_canvas)) {
        PointF local = canvas_point(*m_pressed_canvas, m_pointer);
        m_tree.fire(*m_pressed_canvas, UiEvent::PointerUp, no_index, local.x, local.y);
        changed = true;
    }
    // Step 4: everything the press started ends here.
    if (m_drag.kind != DragKind::None || m_pressed || m_selecting_text)
        changed = true;
    m_selecting_text = false;
    m_drag = Drag {};
    m_pressed.reset();
    m_pressed_canvas.reset();
    return changed;
}

CursorKind PointerInput::cursor_kind() const
{
    if (over_column_edge())
        return CursorKind::Hand;
    if (!m_tree.hovered || !m_tree.contains(m_tree.hovered->node))
        return CursorKind::Arrow;
    NodeId id = m_tree.hovered->node;
    if (detail::is_clickable(m_tree, id))
        return CursorKind::Hand;
    switch (m_tree.node(id).kind()) {
    case NodeKind::Dropdown:
    case NodeKind::Tabs:
    case NodeKind::Accordion:
    case NodeKind::Split:
    case NodeKind::Menubar:
    case NodeKind::Crumbs:
    case NodeKind::Pager:
    case NodeKind::Rating:
        return CursorKind::Hand;
    case NodeKind::Textbox:
    case NodeKind::Term:
        return CursorKind::TextBeam;
    default:
        return CursorKind::Arrow;
    }
}

}
