// Presses that pick a value where they land: sliders and ranges, dials,
// trees, calendars, property grids, colours, times, crumbs, pagers, ratings,
// docks.
#include "core/base/kind_table.hpp"
#include "core/input/detail/pointer_detail.hpp"
#include "core/input/pointer.hpp"
#include "core/layout/layout.hpp"
#include "core/models/calendar.hpp"

namespace orvy {

using detail::clamp_unit;
using detail::floor_index;

// The value a press picks where it lands; a kind without a row does nothing here.
constinit std::array<PointerInput::PressHandler, kind_count> const PointerInput::value_presses
    = kind_table<PressHandler>(nullptr, {
    { NodeKind::Slider, &PointerInput::press_slider },
    { NodeKind::Range, &PointerInput::press_range },
    { NodeKind::Dial, &PointerInput::press_dial },
    { NodeKind::Treeview, &PointerInput::press_treeview },
    { NodeKind::Calendar, &PointerInput::press_calendar },
    { NodeKind::Color, &PointerInput::press_color },
    { NodeKind::Time, &PointerInput::press_time },
    { NodeKind::Propgrid, &PointerInput::press_propgrid },
    { NodeKind::Crumbs, &PointerInput::press_crumbs },
    { NodeKind::Pager, &PointerInput::press_pager },
    { NodeKind::Rating, &PointerInput::press_rating },
    { NodeKind::Term, &PointerInput::press_term },
    { NodeKind::Dock, &PointerInput::press_dock },
});

void PointerInput::press_value(PointerContext const& context, PointF point, NodeId hit)
{
    Node& node = m_tree.node(hit);
    if (PressHandler handler = value_presses[static_cast<std::size_t>(node.kind())])
        (this->*handler)(Press { context, point, hit, node, node.rect });
}

void PointerInput::press_slider(Press const& p)
{
    m_drag = Drag { .kind = DragKind::Slider, .node = p.hit };
    slider_from_pointer(m_tree, p.hit, p.point.x);
}

void PointerInput::press_range(Press const& p)
{
    if (auto const* range = p.node.model.as<RangeModel>()) {
        float t = clamp_unit((p.point.x - p.rect.x) / p.rect.w);
        RangeThumb thumb = std::fabs(t - range->lo) <= std::fabs(t - range->hi) ? RangeThumb::Lower : RangeThumb::Upper;
        m_drag = Drag { .kind = DragKind::RangeThumb, .node = p.hit, .thumb = thumb };
        range_from_pointer(m_tree, p.hit, p.point.x, thumb);
    }
}

void PointerInput::press_dial(Press const& p)
{
    if (auto const* dial = p.node.model.as<ValueModel>())
        m_drag = Drag { .kind = DragKind::Dial, .node = p.hit, .start_value = dial->value, .start_pointer = p.point };
}

void PointerInput::press_propgrid(Press const& p) { property_grid_press(m_tree, p.hit, p.point.y); }

void PointerInput::press_color(Press const& p)
{
    std::optional<ColorPart> part;
    if (color_hue_rect(p.rect).contains(p.point.x, p.point.y))
        part = ColorPart::HueStrip;
    else if (color_field_rect(p.rect).contains(p.point.x, p.point.y))
        part = ColorPart::Field;
    if (part) {
        m_drag = Drag { .kind = DragKind::Color, .node = p.hit, .color_part = *part };
        pick_color(m_tree, p.hit, p.point.x, p.point.y, *part);
    }
}

void PointerInput::press_time(Press const& p)
{
    std::int32_t direction = p.point.y < p.rect.y + p.rect.h / 2 ? 1 : -1;
    if (p.point.x < p.rect.x + p.rect.w / 2)
        step_time(m_tree, p.hit, direction, 0);
    else
        step_time(m_tree, p.hit, 0, direction * 5);
}

void PointerInput::press_crumbs(Press const& p)
{
    set_focus(p.hit);
    auto const* crumbs = p.node.model.as<ItemsModel>();
    if (!crumbs)
        return;
    // Widths are estimated from the text length, as the crumbs are drawn.
    float left = p.rect.x + 10.0f;
    for (std::size_t i = 0; i < crumbs->items.size(); ++i) {
        float width = static_cast<float>(crumbs->items[i].size()) * 10.0f + 12.0f;
        if (p.point.x >= left && p.point.x < left + width) {
            TextList kept(crumbs->items.begin(), crumbs->items.begin() + static_cast<std::ptrdiff_t>(i + 1));
            set_crumbs(m_tree, p.hit, std::move(kept));
            m_tree.fire_change(p.hit, static_cast<float>(i));
            return;
        }
        left += width + 22.0f;
    }
}

void PointerInput::press_pager(Press const& p)
{
    auto const* pager = p.node.model.as<PagerModel>();
    if (!pager || pager->total <= 0)
        return;
    std::int64_t button = floor_index((p.point.x - p.rect.x) / pager_button_width);
    std::int64_t total = pager->total;
    std::int64_t page = pager->page;
    std::int64_t next = page;
    if (button == 0)
        next = std::max<std::int64_t>(page - 1, 0);
    else if (button >= 1 && button <= total)
        next = button - 1;
    else if (button == total + 1)
        next = std::min(page + 1, total - 1);
    if (next != page) {
        set_numeric_state(m_tree, p.hit, static_cast<float>(next));
        m_tree.fire_change(p.hit, static_cast<float>(next));
    }
}

void PointerInput::press_rating(Press const& p)
{
    auto const* rating = p.node.model.as<RatingModel>();
    if (!rating || rating->maximum == 0)
        return;
    float star_width = std::max(p.rect.w / static_cast<float>(rating->maximum), 1.0f);
    std::int64_t star = floor_index((p.point.x - p.rect.x) / star_width);
    if (star >= 0 && star < static_cast<std::int64_t>(rating->maximum)) {
        set_numeric_state(m_tree, p.hit, static_cast<float>(star + 1));
        m_tree.fire_change(p.hit, static_cast<float>(star + 1));
    }
}

void PointerInput::press_term(Press const& p) { set_focus(p.hit); }

void PointerInput::press_dock(Press const& p)
{
    if (p.point.y <= p.rect.y + dock_header)
        toggle_dock(m_tree, p.hit);
}

void PointerInput::press_treeview(Press const& p)
{
    PointerContext const& context = p.context;
    PointF point = p.point;
    NodeId hit = p.hit;
    set_focus(hit);
    RectF rect = m_tree.node(hit).rect;
    if (detail::in_scrollbar_zone(rect, point.x)) {
        m_drag = Drag { .kind = DragKind::TreeScrollBar, .node = hit };
        follow_drag(point);
        return;
    }
    auto* model = m_tree.node(hit).model.as<TreeviewModel>();
    if (!model)
        return;
    float header = header_height(m_tree, hit);
    std::int64_t index = floor_index((point.y - rect.y - header + model->scroll) / tree_row_height);
    auto visible = visible_tree_rows(*model);
    if (index < 0 || static_cast<std::size_t>(index) >= visible.size())
        return;
    std::uint32_t row = visible[static_cast<std::size_t>(index)];
    auto columns = column_layout(m_tree, hit);
    auto column = static_cast<std::uint32_t>(columns.empty() ? 0 : column_at(columns, point.x));
    TreeRow const& item = model->rows[row];
    float expander = (columns.empty() ? rect.x : columns.front().x) + 8.0f + 18.0f * static_cast<float>(item.depth);
    if (!item.leaf && point.x >= expander && point.x <= expander + 20.0f) {
        std::uint32_t rows[1] { row };
        open_tree_rows(m_tree, hit, rows, !item.open);
        return;
    }
    bool twice = is_double_press(context, point);
    bool control = (context.modifiers & key_modifier::control) != 0;
    bool shift = (context.modifiers & key_modifier::shift) != 0;
    if (model->multi && (control || (shift && model->current))) {
        std::vector<std::uint32_t>& selection = model->selection;
        if (control) {
            auto found = std::find(selection.begin(), selection.end(), row);
            if (found == selection.end())
                selection.insert(std::upper_bound(selection.begin(), selection.end(), row), row);
            else
                selection.erase(found);
        } else {
            selection.clear();
            for (std::uint32_t i = std::min(*model->current, row); i <= std::max(*model->current, row); ++i)
                selection.push_back(i);
        }
        model->current = row;
        m_tree.layout_dirty = true;
        m_tree.fire(hit, UiEvent::SelectionChanged, row);
        m_tree.fire(hit, UiEvent::RowClick, row, static_cast<float>(column));
    } else {
        tree_select_row(m_tree, hit, row, column);
    }
    if (twice)
        m_tree.fire(hit, UiEvent::RowDoubleClick, row, static_cast<float>(column));
}

void PointerInput::press_calendar(Press const& p)
{
    PointF point = p.point;
    NodeId hit = p.hit;
    RectF rect = m_tree.node(hit).rect;
    auto* calendar = m_tree.node(hit).model.as<CalendarModel>();
    if (!calendar)
        return;
    if (point.y <= rect.y + calendar_header) {
        float arrow = calendar_arrow_width(rect.w);
        std::int32_t months = point.x <= rect.x + arrow ? -1 : point.x >= rect.right() - arrow ? 1 : 0;
        if (months != 0) {
            step_calendar(m_tree, hit, months);
            auto const* stepped = m_tree.node(hit).model.as<CalendarModel>();
            m_tree.fire_change(hit, static_cast<float>(stepped->day));
        }
        return;
    }
    // The slot under the pointer, by the grid the days are painted in.
    std::optional<int> slot = calendar_grid(rect).slot_at(point);
    if (!slot)
        return;
    std::int32_t month = calendar_shown_month(calendar->month);
    std::int64_t day = *slot - calendar_slot_of(calendar->year, month, 1) + 1;
    if (day < 1 || day > days_in_month(calendar->year, month))
        return;
    calendar->day = static_cast<std::uint8_t>(day);
    m_tree.layout_dirty = true;
    m_tree.fire_change(hit, static_cast<float>(day));
}

}
