// The left button press: overlays first, then splitters, then the pressed
// node's own reaction by kind.
#include "core/input/detail/pointer_detail.hpp"
#include "core/input/pointer.hpp"

#include "core/base/kind_table.hpp"
#include "core/base/utf.hpp"
#include "core/input/keyboard.hpp"
#include "core/layout/layout.hpp"
#include "core/models/text_field.hpp"

#include <chrono>

namespace orvy {

using detail::floor_index;

bool PointerInput::is_double_press(PointerContext const& context, PointF point) const
{
    if (!m_last_press_time)
        return false;
    auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(context.now - *m_last_press_time).count();
    return elapsed >= 0 && elapsed < double_press_milliseconds
        && std::fabs(point.x - m_last_press_point.x) < double_press_distance
        && std::fabs(point.y - m_last_press_point.y) < double_press_distance;
}

void PointerInput::record_press(PointerContext const& context, PointF point)
{
    m_last_press_time = context.now;
    m_last_press_point = point;
}

PointF PointerInput::canvas_point(NodeId canvas, PointF point) const
{
    Node const& node = m_tree.node(canvas);
    auto const* model = node.model.as<CanvasModel>();
    float view_x = model ? model->view_x : 0.0f;
    float view_y = model ? model->view_y : 0.0f;
    return { point.x - node.rect.x + view_x, point.y - node.rect.y + view_y };
}

bool PointerInput::press_overlays(PointerContext const& context, PointF point)
{
    // The message box is modal: it eats every press.
    if (m_overlays.dialog) {
        RectF panel = dialog_panel(context.client_width, context.client_height);
        auto button = dialog_button_at(panel, m_overlays.dialog->buttons.size(), point);
        if (button)
            m_overlays.close_dialog(m_tree, static_cast<std::int32_t>(*button));
        return true;
    }
    if (auto layer = m_tree.popup_layer; layer && m_tree.contains(*layer)) {
        RectF rect = m_tree.node(*layer).rect;
        if (rect.x > hidden_subtree_x && !rect.contains(point.x, point.y)) {
            hide_pop_layer(m_tree, *layer);
            m_tree.fire(*layer, UiEvent::LayerClosed);
            return true;
        }
    }
    if (!m_overlays.toasts.empty()) {
        auto placements = place_toasts(m_overlays.toasts, context.client_width, context.client_height);
        auto at = toast_at(placements, point);
        if (at && (m_overlays.toasts[*at].on_action || !m_overlays.toasts[*at].button.empty())) {
            Toast toast = std::move(m_overlays.toasts[*at]);
            m_overlays.toasts.erase(m_overlays.toasts.begin() + static_cast<std::ptrdiff_t>(*at));
            if (toast.on_action)
                toast.on_action(m_tree);
            return true;
        }
    }
    if (auto closed = m_overlays.close_open_list(m_tree)) {
        OpenList const& list = *closed;
        RectF rect = menu_list_rect(list);
        if (auto row = list_row_at(rect, menu_list_row, list.items.size(), point))
            m_tree.fire_change(list.owner, static_cast<float>(list.list_number * 1000 + *row));
        if (rect.contains(point.x, point.y))
            return true;
    }
    if (m_tree.menu_open) {
        m_tree.menu_open = false;
        RectF rect = context_menu_rect(m_tree.menu_pos, m_tree.menu_items.size());
        if (auto item = list_row_at(rect, menu_item_height, m_tree.menu_items.size(), point))
            m_tree.fire_change(m_tree.root, static_cast<float>(*item));
        if (rect.contains(point.x, point.y))
            return true;
    }
    if (auto open = m_tree.open_dropdown) {
        m_tree.open_dropdown.reset();
        if (m_tree.contains(*open)) {
            RectF own = m_tree.node(*open).rect;
            auto* choice = m_tree.node(*open).model.as<ChoiceModel>();
            std::size_t count = choice ? choice->items.size() : 0;
            if (choice)
                choice->open = false;
            RectF list = dropdown_list_rect(own, count);
            if (auto row = list_row_at(list, own.h, count, point)) {
                choice->selected = *row;
                m_tree.layout_dirty = true;
                m_tree.fire_change(*open, static_cast<float>(*row));
            }
            if (list.contains(point.x, point.y) || own.contains(point.x, point.y))
                return true;
        }
    }
    return false;
}

bool PointerInput::press_splitter(PointerContext const& context, PointF point, NodeId hit)
{
    std::optional<NodeId> splitter;
    for (std::optional<NodeId> at = hit; at && m_tree.contains(*at); at = m_tree.node(*at).parent) {
        if (on_splitter_gutter(m_tree, *at, point)) {
            splitter = *at;
            break;
        }
    }
    if (!splitter)
        return false;
    if (is_double_press(context, point)) {
        set_splitter_ratio(m_tree, *splitter, 0.5f);
    } else {
        m_drag = Drag { .kind = DragKind::Splitter, .node = *splitter };
        follow_drag(point);
    }
    record_press(context, point);
    return true;
}

void PointerInput::left_down(PointerContext const& context, PointF point)
{
    m_pointer = point;
    // Step 1: a focused text field loses the focus to a press elsewhere and reports its text.
    if (!m_overlays.dialog && !m_tree.menu_open && !m_overlays.open_list && m_focus && m_tree.contains(*m_focus)
        && m_tree.node(*m_focus).kind() == NodeKind::Textbox && hit_test(m_tree, point) != m_focus) {
        NodeId textbox = *m_focus;
        set_focus(std::nullopt);
        auto const* model = m_tree.node(textbox).model.as<TextboxModel>();
        m_tree.fire_submit(textbox, model ? utf16_to_utf8(model->text.view()) : std::string {});
    }
    // Step 2: whatever is drawn over the tree.
    if (press_overlays(context, point))
        return;
    // Step 3: raise a front node, hit-test, focus.
    m_selecting_text = false;
    raise_on_press(m_tree, point);
    auto hit = hit_test(m_tree, point);
    m_hot.reset();
    NodeKind kind = hit ? m_tree.node(*hit).kind() : NodeKind::Container;
    set_focus(kind == NodeKind::Slider || kind == NodeKind::Textbox ? hit : std::nullopt);
    if (!hit)
        return record_press(context, point);
    if (detail::is_clickable(m_tree, *hit))
        m_hot = hit;
    // Step 4: column edges, then splitter gutters.
    if (press_column_edge(context, point, *hit) || press_splitter(context, point, *hit))
        return;
    // Step 5: what a press does to the kind hit, then the value it picks.
    press_kind(context, point, *hit);
    // A split button acts on the press itself; releasing over it must not act twice.
    if (detail::is_clickable(m_tree, *hit) && kind != NodeKind::Split)
        m_pressed = hit;
    press_value(context, point, *hit);
    record_press(context, point);
}

// What a press does to the kind hit; a kind without a row does nothing here.
constinit std::array<PointerInput::PressHandler, kind_count> const PointerInput::kind_presses
    = kind_table<PressHandler>(nullptr, {
    { NodeKind::Textbox, &PointerInput::press_text },
    { NodeKind::Dropdown, &PointerInput::press_dropdown },
    { NodeKind::Tabs, &PointerInput::press_tabs },
    { NodeKind::Table, &PointerInput::press_scrolled },
    { NodeKind::List, &PointerInput::press_scrolled },
    { NodeKind::Accordion, &PointerInput::press_accordion },
    { NodeKind::Scroll, &PointerInput::press_scrolled },
    { NodeKind::Split, &PointerInput::press_split },
    { NodeKind::Menubar, &PointerInput::press_menubar },
    { NodeKind::Canvas, &PointerInput::press_canvas },
});

void PointerInput::press_kind(PointerContext const& context, PointF point, NodeId hit)
{
    Node& node = m_tree.node(hit);
    if (PressHandler handler = kind_presses[static_cast<std::size_t>(node.kind())])
        (this->*handler)(Press { context, point, hit, node, node.rect });
}

void PointerInput::press_dropdown(Press const& p)
{
    if (auto* choice = p.node.model.as<ChoiceModel>()) {
        choice->open = true;
        m_tree.open_dropdown = p.hit;
        m_tree.keyboard_row.reset();
    }
}

void PointerInput::press_tabs(Press const& p)
{
    auto* choice = p.node.model.as<ChoiceModel>();
    if (choice && p.point.y <= p.rect.y + tab_strip_height && !choice->items.empty()) {
        auto count = static_cast<std::int64_t>(choice->items.size());
        std::int64_t tab = std::clamp<std::int64_t>(
            floor_index((p.point.x - p.rect.x) / (p.rect.w / static_cast<float>(count))), 0, count - 1);
        set_numeric_state(m_tree, p.hit, static_cast<float>(tab));
        m_tree.layout_dirty = true;
        m_tree.fire_change(p.hit, static_cast<float>(tab));
    }
}

void PointerInput::press_scrolled(Press const& p)
{
    if (detail::in_scrollbar_zone(p.rect, p.point.x)) {
        m_drag = Drag { .kind = DragKind::ScrollBar, .node = p.hit };
        follow_drag(p.point);
    } else if (p.node.kind() == NodeKind::Table) {
        table_click(m_tree, p.hit, p.point.x, p.point.y);
    } else if (p.node.kind() == NodeKind::List) {
        press_list(p);
    }
}

void PointerInput::press_accordion(Press const& p)
{
    if (auto* accordion = p.node.model.as<AccordionModel>(); accordion && p.point.y <= p.rect.y + accordion_header)
        set_accordion_open(m_tree, p.hit, !accordion->open);
}

void PointerInput::press_split(Press const& p)
{
    if (p.point.x < p.rect.right() - split_arrow_width) {
        m_tree.fire_activate(p.hit);
    } else if (auto* split = p.node.model.as<SplitModel>()) {
        split->open = true;
        m_overlays.open_list = OpenList { .owner = p.hit, .items = split->options,
            .position = { p.rect.x, p.rect.bottom() }, .list_number = 0, .width = p.rect.w };
    }
}

void PointerInput::press_menubar(Press const& p)
{
    auto* menubar = p.node.model.as<MenubarModel>();
    if (!menubar)
        return;
    std::int64_t menu = floor_index((p.point.x - p.rect.x) / menubar_title_width);
    if (menu >= 0 && static_cast<std::size_t>(menu) < menubar->menus.size()) {
        auto index = static_cast<std::uint32_t>(menu);
        menubar->open_menu = index;
        m_overlays.open_list = OpenList { .owner = p.hit, .items = menubar->menus[index].items,
            .position = { p.rect.x + static_cast<float>(index) * menubar_title_width, p.rect.bottom() },
            .list_number = index };
    }
}

void PointerInput::press_canvas(Press const& p)
{
    auto const* model = p.node.model.as<CanvasModel>();
    bool pan = model && model->scrollable && !m_tree.has_event(p.hit, UiEvent::PointerMove);
    std::uint32_t shape = model ? canvas_hit(*model, p.rect, p.point.x, p.point.y) : no_index;
    PointF local = canvas_point(p.hit, p.point);
    PointF view = model ? PointF { model->view_x, model->view_y } : PointF {};
    bool twice = is_double_press(p.context, p.point);
    m_pressed_canvas = p.hit;
    m_tree.fire(p.hit, UiEvent::PointerDown, shape, local.x, local.y);
    if (twice)
        m_tree.fire(p.hit, UiEvent::DoubleClick, shape, local.x, local.y);
    if (pan)
        m_drag = Drag { .kind = DragKind::CanvasPan, .node = p.hit, .start_pointer = p.point, .start_view = view };
}

void PointerInput::set_focus(std::optional<NodeId> node, bool visible)
{
    m_focus_visible = node && visible;
    if (node == m_focus)
        return;
    if (m_focus && m_tree.contains(*m_focus)) {
        if (TextboxModel* field = text_field_of(m_tree, *m_focus))
            set_preedit(*field, {});
    }
    m_focus = node;
    ++m_focus_generation;
}

// A double press selects the word under the pointer; a single one places the
// caret there and starts selecting, which moves extend.
void PointerInput::press_text(Press const& p)
{
    TextboxModel* box = text_field_of(m_tree, p.hit);
    if (!box || !m_services)
        return;
    std::size_t position = m_services->position_at(p.hit, p.point);
    if (is_double_press(p.context, p.point)) {
        select_range(*box, word_at(box->text, position));
        return;
    }
    place_caret(*box, position, (p.context.modifiers & key_modifier::shift) != 0);
    m_selecting_text = true;
}

bool PointerInput::select_text_to(PointF point)
{
    if (!m_selecting_text || !m_focus || !m_tree.contains(*m_focus) || !m_services)
        return false;
    TextboxModel* box = text_field_of(m_tree, *m_focus);
    return box && place_caret(*box, m_services->position_at(*m_focus, point), true);
}

void PointerInput::press_list(Press const& p)
{
    PointerContext const& context = p.context;
    NodeId hit = p.hit;
    auto row = list_item_at(m_tree, hit, p.point.y);
    auto* list = p.node.model.as<ListModel>();
    if (!row || !list)
        return;
    std::vector<std::uint32_t>& selection = list->selection;
    if (list->multi && (context.modifiers & key_modifier::control)) {
        auto found = std::find(selection.begin(), selection.end(), *row);
        if (found == selection.end())
            selection.insert(std::upper_bound(selection.begin(), selection.end(), *row), *row);
        else
            selection.erase(found);
    } else if (list->multi && (context.modifiers & key_modifier::shift) && list->current) {
        std::uint32_t from = std::min(*list->current, *row);
        std::uint32_t to = std::max(*list->current, *row);
        selection.clear();
        for (std::uint32_t i = from; i <= to; ++i)
            selection.push_back(i);
    } else {
        selection.assign(1, *row);
    }
    list->current = *row;
    m_tree.layout_dirty = true;
    m_tree.fire(hit, UiEvent::SelectionChanged, *row);
}

}
