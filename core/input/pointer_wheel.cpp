// The wheel and the right button with its context menu.
#include "core/input/detail/pointer_detail.hpp"
#include "core/input/pointer.hpp"

#include "core/layout/layout.hpp"

namespace orvy {

using detail::clamp_scroll;
using detail::clamp_unit;

namespace {

constexpr std::size_t wheel_handler_depth = 64;
constexpr std::size_t scroll_search_depth = 32;
constexpr std::size_t right_click_depth = 64;
constexpr float dialog_wheel_step = 40.0f;
constexpr float canvas_wheel_step = 60.0f;
constexpr float scroll_area_wheel_step = 48.0f;
constexpr float term_line_height = 22.0f;
constexpr float term_input_band = 46.0f;

// The wheel handler of `id`, run under the take-call-put-back rule.
bool run_wheel_handler(Tree& tree, NodeId id, float notches, PointF point)
{
    auto found = tree.wheel_handlers.find(id);
    if (found == tree.wheel_handlers.end() || !found->second)
        return false;
    WheelCallback running = std::move(found->second);
    running(tree, notches, point.x, point.y);
    tree.wheel_handlers[id] = std::move(running);
    return true;
}

// Scrolls a scrollable kind by whole notches; returns whether the kind
// scrolls at all (a change under 0.01 px counts as none in `moved`).
bool scroll_by(Tree& tree, NodeId id, float notches, bool& moved)
{
    Node& node = tree.node(id);
    float h = node.rect.h;
    float* offset = nullptr;
    float step = 0, content = 0, visible = h;
    switch (node.kind()) {
    case NodeKind::Table:
        if (auto* table = node.model.as<TableModel>()) {
            offset = &table->scroll;
            step = table_row_height;
            content = static_cast<float>(table->rows.size()) * table_row_height;
            visible = h - header_height(tree, id);
        }
        break;
    case NodeKind::List:
        if (auto* list = node.model.as<ListModel>()) {
            offset = &list->scroll;
            step = list_row_height;
            content = static_cast<float>(list->items.size()) * list_row_height;
        }
        break;
    case NodeKind::Treeview:
        if (auto* model = node.model.as<TreeviewModel>()) {
            offset = &model->scroll;
            step = tree_row_height;
            content = static_cast<float>(visible_tree_rows(*model).size()) * tree_row_height;
            visible = h - header_height(tree, id);
        }
        break;
    case NodeKind::Propgrid:
        if (auto* grid = node.model.as<PropgridModel>()) {
            offset = &grid->scroll;
            step = property_row_height;
            content = static_cast<float>(grid->rows.size()) * property_row_height;
        }
        break;
    case NodeKind::Scroll:
        if (auto* scroll = node.model.as<ScrollModel>()) {
            offset = &scroll->offset;
            step = scroll_area_wheel_step;
            content = scroll->content_height;
        }
        break;
    case NodeKind::Term:
        if (auto* term = node.model.as<TermModel>()) {
            offset = &term->scroll;
            step = term_line_height;
            content = static_cast<float>(term->lines.size()) * term_line_height;
            visible = h - term_input_band;
        }
        break;
    default:
        return false;
    }
    if (!offset)
        return false;
    float next = clamp_scroll(*offset - notches * step, content, visible);
    if (std::fabs(next - *offset) >= 0.01f) {
        *offset = next;
        tree.layout_dirty = true;
        moved = true;
    }
    return true;
}

}

bool PointerInput::scroll_container(NodeId from, float notches)
{
    std::optional<NodeId> at = from;
    for (std::size_t step = 0; step <= scroll_search_depth && at && m_tree.contains(*at); ++step) {
        bool moved = false;
        if (scroll_by(m_tree, *at, notches, moved))
            return moved;
        at = m_tree.node(*at).parent;
    }
    return false;
}

bool PointerInput::wheel(PointerContext const& context, std::int32_t delta)
{
    float notches = static_cast<float>(delta) / wheel_notch;
    // Step 1: an open message box scrolls its text and nothing else.
    if (m_overlays.dialog) {
        float& scroll = m_overlays.dialog->scroll;
        float next = clamp_scroll(scroll - notches * dialog_wheel_step, context.dialog_text_height,
            dialog_message_height);
        bool moved = next != scroll;
        scroll = next;
        return moved;
    }
    if (!m_tree.hovered || !m_tree.contains(m_tree.hovered->node))
        return false;
    NodeId hovered = m_tree.hovered->node;
    // Step 2: a wheel handler on the hovered node or an ancestor takes the wheel.
    std::optional<NodeId> at = hovered;
    for (std::size_t step = 0; step <= wheel_handler_depth && at && m_tree.contains(*at); ++step) {
        if (m_tree.wheel_handlers.contains(*at)) {
            PointF point = m_tree.node(*at).kind() == NodeKind::Canvas ? canvas_point(*at, m_pointer) : m_pointer;
            run_wheel_handler(m_tree, *at, notches, point);
            return true;
        }
        at = m_tree.node(*at).parent;
    }
    // Step 3: kinds that turn the wheel into a value.
    Node& node = m_tree.node(hovered);
    RectF rect = node.rect;
    switch (node.kind()) {
    case NodeKind::Slider:
    case NodeKind::Dial:
        if (auto* value = node.model.as<ValueModel>()) {
            value->value = clamp_unit(value->value + notches * slider_wheel_step);
            m_tree.layout_dirty = true;
            m_tree.fire_change(hovered, value->value);
            return true;
        }
        return false;
    case NodeKind::Tabs:
        if (auto* choice = node.model.as<ChoiceModel>(); choice && m_pointer.y <= rect.y + 40.0f) {
            if (choice->items.empty() || notches == 0.0f)
                return false;
            std::uint32_t last = static_cast<std::uint32_t>(choice->items.size() - 1);
            std::uint32_t next = notches < 0.0f ? std::min(choice->selected + 1, last)
                                                : (choice->selected == 0 ? 0 : choice->selected - 1);
            if (next == choice->selected)
                return false;
            set_numeric_state(m_tree, hovered, static_cast<float>(next));
            m_tree.layout_dirty = true;
            m_tree.fire_change(hovered, static_cast<float>(next));
            return true;
        }
        break;
    case NodeKind::Canvas:
        if (auto const* canvas = node.model.as<CanvasModel>(); canvas && canvas->scrollable) {
            if (context.modifiers & key_modifier::shift)
                set_canvas_view(m_tree, hovered, canvas->view_x - notches * canvas_wheel_step, canvas->view_y);
            else
                set_canvas_view(m_tree, hovered, canvas->view_x, canvas->view_y - notches * canvas_wheel_step);
            return true;
        }
        break;
    default:
        break;
    }
    // Step 4: the nearest scrollable container.
    return scroll_container(hovered, notches);
}

bool PointerInput::right_down(PointerContext const& context, PointF point)
{
    m_pointer = point;
    bool changed = false;
    auto hit = hit_test(m_tree, point);
    // Step 1: a right press on a tree row selects it unless it is selected already.
    if (hit && m_tree.node(*hit).kind() == NodeKind::Treeview) {
        Node& node = m_tree.node(*hit);
        if (auto* model = node.model.as<TreeviewModel>(); model && !detail::in_scrollbar_zone(node.rect, point.x)) {
            float header = header_height(m_tree, *hit);
            auto index = detail::floor_index((point.y - node.rect.y - header + model->scroll) / tree_row_height);
            auto visible = visible_tree_rows(*model);
            if (index >= 0 && static_cast<std::size_t>(index) < visible.size()) {
                std::uint32_t row = visible[static_cast<std::size_t>(index)];
                if (std::find(model->selection.begin(), model->selection.end(), row) == model->selection.end()) {
                    model->selection.assign(1, row);
                    model->current = row;
                    m_tree.layout_dirty = true;
                    m_tree.fire(*hit, UiEvent::SelectionChanged, row);
                    changed = true;
                }
            }
        }
    }
    // Step 2: the nearest `rmb` handler.
    std::optional<NodeId> at = hit;
    for (std::size_t step = 0; step <= right_click_depth && at && m_tree.contains(*at); ++step) {
        if (m_tree.fire(*at, UiEvent::RightClick, 0, point.x, point.y)) {
            changed = true;
            break;
        }
        at = m_tree.node(*at).parent;
    }
    // Step 3: the window's context menu, kept inside the client area.
    if (!m_tree.menu_items.empty()) {
        if (m_tree.open_dropdown && m_tree.contains(*m_tree.open_dropdown)) {
            if (auto* choice = m_tree.node(*m_tree.open_dropdown).model.as<ChoiceModel>())
                choice->open = false;
        }
        m_tree.open_dropdown.reset();
        float count = static_cast<float>(m_tree.menu_items.size());
        m_tree.menu_open = true;
        m_tree.keyboard_row.reset();
        m_tree.menu_pos = { std::min(point.x, std::max(context.client_width - menu_width, 0.0f)),
            std::min(point.y, std::max(context.client_height - count * menu_item_height, 0.0f)) };
        changed = true;
    }
    return changed;
}

}
