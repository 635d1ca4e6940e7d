// Setting values from code: numeric and composite state, items, texts, node
// flags, accordion sections, docks, calendar and time stepping.
#include "core/base/kind_table.hpp"
#include "core/operations/detail/numbers.hpp"
#include "core/operations/operations.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <span>

namespace orvy {

using detail::clamp01;
using detail::to_index;

namespace {

template<class T>
bool assign(T& field, T value)
{
    if (field == value)
        return false;
    field = std::move(value);
    return true;
}

// The largest valid index of a collection of `count` items, or none when empty.
std::optional<std::uint32_t> last_index(std::size_t count)
{
    if (count == 0)
        return std::nullopt;
    return static_cast<std::uint32_t>(std::min<std::size_t>(count - 1, 0xFFFFFFFEu));
}

bool set_toggle(Tree& tree, NodeId id, bool on)
{
    auto* toggle = tree.node(id).model.as<ToggleModel>();
    if (!toggle || !assign(toggle->on, on))
        return false;
    // Turning a radio on turns every other radio of its group off.
    if (on && tree.node(id).kind() == NodeKind::Radio) {
        std::int32_t group = toggle->group;
        for (NodeId other = 0; other < tree.size(); ++other) {
            Node& node = tree.node(other);
            if (other == id || node.kind() != NodeKind::Radio)
                continue;
            auto* radio = node.model.as<ToggleModel>();
            if (radio->group == group)
                radio->on = false;
        }
    }
    return true;
}

}

namespace {

// How a number sets each kind's state; returns whether the state changed.
using NumericSetter = bool (*)(Tree&, NodeId, float);

bool set_unit_value(Tree& tree, NodeId id, float x)
{
    return assign(tree.node(id).model.as<ValueModel>()->value, clamp01(x));
}

// Unclamped by convention, but NaN would poison painting.
bool set_free_value(Tree& tree, NodeId id, float x)
{
    return assign(tree.node(id).model.as<ValueModel>()->value, std::isnan(x) ? 0.0f : x);
}

bool set_toggle_state(Tree& tree, NodeId id, float x) { return set_toggle(tree, id, x >= 0.5f); }

bool set_choice(Tree& tree, NodeId id, float x)
{
    auto* choice = tree.node(id).model.as<ChoiceModel>();
    return assign(choice->selected, std::min(to_index(x), last_index(choice->items.size()).value_or(0)));
}

bool set_list_current(Tree& tree, NodeId id, float x)
{
    auto* list = tree.node(id).model.as<ListModel>();
    std::optional<std::uint32_t> current;
    if (!(x < 0.0f)) {
        if (auto last = last_index(list->items.size()))
            current = std::min(to_index(x), *last);
    }
    bool changed = assign(list->current, current);
    // A single-selection list shows its current item as the selection.
    if (!list->multi) {
        std::vector<std::uint32_t> selection;
        if (current)
            selection.push_back(*current);
        changed |= assign(list->selection, std::move(selection));
    }
    return changed;
}

bool set_stack_page(Tree& tree, NodeId id, float x)
{
    return assign(tree.node(id).model.as<StackModel>()->page, to_index(x));
}

bool set_pager_page(Tree& tree, NodeId id, float x)
{
    auto* pager = tree.node(id).model.as<PagerModel>();
    return assign(pager->page, pager->total == 0 ? 0u : std::min(to_index(x), pager->total - 1));
}

bool set_rating(Tree& tree, NodeId id, float x)
{
    auto* rating = tree.node(id).model.as<RatingModel>();
    return assign(rating->value, std::min(to_index(x), rating->maximum));
}

// A spin field (its container or its value label) clamps and rewrites its text.
bool set_spin_field(Tree& tree, NodeId id, float x)
{
    auto container = spin_container(tree, id);
    if (!container)
        return false;
    float before = tree.node(*container).model.as<SpinModel>()->value;
    set_spin_value(tree, id, x);
    return tree.node(*container).model.as<SpinModel>()->value != before;
}

// Any kind without a row of its own is taken as a spin field.
constexpr auto numeric_setters = kind_table<NumericSetter>(set_spin_field, {
    { NodeKind::Slider, set_unit_value },
    { NodeKind::Progress, set_unit_value },
    { NodeKind::Checkbox, set_toggle_state },
    { NodeKind::Dropdown, set_choice },
    { NodeKind::Tabs, set_choice },
    { NodeKind::Switch, set_toggle_state },
    { NodeKind::Radio, set_toggle_state },
    { NodeKind::Toggle, set_toggle_state },
    { NodeKind::List, set_list_current },
    { NodeKind::Stack, set_stack_page },
    { NodeKind::Gauge, set_free_value },
    { NodeKind::Meter, set_free_value },
    { NodeKind::Dial, set_free_value },
    { NodeKind::Pager, set_pager_page },
    { NodeKind::Rating, set_rating },
});

}

bool set_numeric_state(Tree& tree, NodeId id, float x)
{
    if (!tree.contains(id))
        return false;
    bool changed = numeric_setters[static_cast<std::size_t>(tree.node(id).kind())](tree, id, x);
    if (changed)
        tree.layout_dirty = true;
    return changed;
}

bool set_composite_value(Tree& tree, NodeId id, float a, float b, float c)
{
    if (!tree.contains(id))
        return false;
    Node& node = tree.node(id);
    bool changed = false;
    switch (node.kind()) {
    case NodeKind::Range: {
        auto* range = node.model.as<RangeModel>();
        float first = clamp01(a), second = clamp01(b);
        changed = assign(range->lo, std::min(first, second));
        changed |= assign(range->hi, std::max(first, second));
        break;
    }
    case NodeKind::Calendar: {
        auto* calendar = node.model.as<CalendarModel>();
        changed = assign(calendar->year, detail::to_int(a));
        changed |= assign(calendar->month, static_cast<std::uint8_t>(std::clamp(to_index(b), 1u, 12u)));
        changed |= assign(calendar->day, static_cast<std::uint8_t>(std::clamp(to_index(c), 1u, 31u)));
        break;
    }
    case NodeKind::Color: {
        auto* color = node.model.as<ColorModel>();
        changed = assign(color->hue, clamp01(a));
        changed |= assign(color->saturation, clamp01(b));
        changed |= assign(color->value, clamp01(c));
        break;
    }
    case NodeKind::Time: {
        auto* time = node.model.as<TimeModel>();
        changed = assign(time->hour, static_cast<std::uint8_t>(to_index(a) % 24));
        changed |= assign(time->minute, static_cast<std::uint8_t>(to_index(b) % 60));
        break;
    }
    default:
        break;
    }
    if (changed)
        tree.layout_dirty = true;
    return changed;
}

bool set_items(Tree& tree, NodeId id, TextList items)
{
    if (!tree.contains(id))
        return false;
    Node& node = tree.node(id);
    if (node.kind() == NodeKind::Dropdown) {
        auto* choice = node.model.as<ChoiceModel>();
        if (choice->items == items)
            return false;
        choice->items = std::move(items);
        choice->selected = 0;
    } else if (node.kind() == NodeKind::List) {
        auto* list = node.model.as<ListModel>();
        if (list->items == items)
            return false;
        list->items = std::move(items);
        list->current.reset();
        list->selection.clear();
        float content = static_cast<float>(list->items.size()) * list_row_height;
        list->scroll = std::min(list->scroll, std::max(content - node.rect.h, 0.0f));
    } else {
        return false;
    }
    tree.layout_dirty = true;
    return true;
}

bool set_text(Tree& tree, NodeId id, Text text)
{
    if (!tree.contains(id))
        return false;
    Node& node = tree.node(id);
    switch (node.kind()) {
    case NodeKind::Textbox: {
        auto* box = node.model.as<TextboxModel>();
        if (box->text == text)
            return false;
        box->text = std::move(text);
        box->caret = box->anchor = box->text.size();
        box->scroll_x = 0.0f;
        // The history's edits were made on the old text and cannot be replayed on this one.
        box->undo.clear();
        box->redo.clear();
        box->preedit.clear();
        box->paragraphs.reset();
        ++box->revision;
        tree.layout_dirty = true;
        return true;
    }
    case NodeKind::Label:
    case NodeKind::Status:
    case NodeKind::Badge:
        // Layout does not depend on these texts.
        return assign(node.model.as<TextModel>()->text, std::move(text));
    default:
        return false;
    }
}

bool set_crumbs(Tree& tree, NodeId id, TextList items)
{
    if (!tree.contains(id) || tree.node(id).kind() != NodeKind::Crumbs)
        return false;
    return assign(tree.node(id).model.as<ItemsModel>()->items, std::move(items));
}

bool clear_term(Tree& tree, NodeId id)
{
    if (!tree.contains(id) || tree.node(id).kind() != NodeKind::Term)
        return false;
    auto* term = tree.node(id).model.as<TermModel>();
    if (term->lines.empty())
        return false;
    term->lines.clear();
    term->scroll = 0.0f;
    return true;
}

void set_splitter_ratio(Tree& tree, NodeId id, float ratio)
{
    if (!tree.contains(id))
        return;
    tree.layout_dirty = true;
    if (auto* splitter = tree.node(id).model.as<SplitterModel>(); splitter && !std::isnan(ratio))
        splitter->ratio = clamp01(ratio);
}

namespace {

bool set_member(Tree& tree, NodeSet& set, NodeId id, bool member)
{
    if (!tree.contains(id))
        return false;
    return member ? set.insert(id).second : set.erase(id) > 0;
}

}

bool set_shown(Tree& tree, NodeId id, bool shown)
{
    bool changed = set_member(tree, tree.hidden_set, id, !shown);
    tree.layout_dirty |= changed;
    return changed;
}

bool set_ghost(Tree& tree, NodeId id, bool on) { return set_member(tree, tree.ghost_set, id, on); }
bool set_front(Tree& tree, NodeId id, bool on) { return set_member(tree, tree.front_set, id, on); }

bool set_enabled(Tree& tree, NodeId id, bool enabled)
{
    bool changed = set_member(tree, tree.disabled_set, id, !enabled);
    tree.layout_dirty |= changed;
    return changed;
}

bool set_password(Tree& tree, NodeId id, bool on)
{
    bool changed = set_member(tree, tree.password_set, id, on);
    tree.layout_dirty |= changed;
    return changed;
}

namespace {

void place(Tree& tree, NodeId id, float left, float top)
{
    LayoutParams& layout = tree.node(id).layout;
    layout.placement = Placement::Absolute;
    layout.left = left;
    layout.top = top;
    layout.right.reset();
    layout.bottom.reset();
}

}

void show_pop_layer(Tree& tree, NodeId id, float left, float top, float w, float h)
{
    place(tree, id, left, top);
    LayoutParams& layout = tree.node(id).layout;
    if (w > 0)
        layout.w = w;
    if (h > 0)
        layout.h = h;
    tree.popup_layer = id;
    tree.layout_dirty = true;
}

void hide_pop_layer(Tree& tree, NodeId id)
{
    place(tree, id, off_screen, off_screen);
    if (tree.popup_layer == id)
        tree.popup_layer.reset();
    tree.layout_dirty = true;
}

namespace {

// Layout parameters replaced as a whole, the layout dirtied only when they differ.
template<class Change>
bool change_layout(Tree& tree, NodeId id, Change change)
{
    if (!tree.contains(id))
        return false;
    LayoutParams& layout = tree.node(id).layout;
    LayoutParams before = layout;
    change(layout);
    if (layout == before)
        return false;
    tree.layout_dirty = true;
    return true;
}

// Bit for bit, so that a NaN read again counts as the same number.
bool same_bits(std::span<float const> a, std::span<float const> b)
{
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size_bytes()) == 0);
}

bool same_shape(Shape const& a, Shape const& b)
{
    return a.kind == b.kind && same_bits(a.p, b.p) && a.rgba == b.rgba && a.text == b.text
        && same_bits(a.points, b.points);
}

}

bool place_at(Tree& tree, NodeId id, RectF rect)
{
    return change_layout(tree, id, [&](LayoutParams& layout) {
        layout.placement = Placement::Absolute;
        layout.left = rect.x;
        layout.top = rect.y;
        layout.right.reset();
        layout.bottom.reset();
        layout.w = rect.w;
        layout.h = rect.h;
    });
}

bool set_spacing(Tree& tree, NodeId id, std::optional<float> padding, std::optional<float> gap)
{
    return change_layout(tree, id, [&](LayoutParams& layout) {
        if (padding)
            layout.padding = *padding;
        if (gap)
            layout.gap = *gap;
    });
}

bool set_depth(Tree& tree, NodeId id, float z)
{
    float clamped = std::isnan(z) ? 0.0f : std::clamp(z, -2147483648.0f, 2147483520.0f);
    return change_layout(tree, id, [&](LayoutParams& layout) { layout.z = static_cast<std::int32_t>(clamped); });
}

bool set_image_source(Tree& tree, NodeId id, std::string_view path)
{
    auto* image = tree.contains(id) ? tree.node(id).model.as<ImageModel>() : nullptr;
    if (!image || image->source == path)
        return false;
    image->source = path;
    tree.layout_dirty = true;
    return true;
}

bool set_image_fit(Tree& tree, NodeId id, ImageFit fit)
{
    auto* image = tree.contains(id) ? tree.node(id).model.as<ImageModel>() : nullptr;
    return image && assign(image->fit, fit);
}

bool set_chart_data(Tree& tree, NodeId id, std::vector<float> data)
{
    auto* chart = tree.contains(id) ? tree.node(id).model.as<ChartModel>() : nullptr;
    if (!chart || same_bits(chart->data, data))
        return false;
    chart->data = std::move(data);
    return true;
}

bool set_canvas_shapes(Tree& tree, NodeId id, std::vector<Shape> shapes)
{
    auto* canvas = tree.contains(id) ? tree.node(id).model.as<CanvasModel>() : nullptr;
    if (!canvas || std::equal(canvas->shapes.begin(), canvas->shapes.end(), shapes.begin(), shapes.end(), same_shape))
        return false;
    canvas->shapes = std::move(shapes);
    return true;
}

bool set_accordion_open(Tree& tree, NodeId id, bool open)
{
    if (!tree.contains(id) || tree.node(id).kind() != NodeKind::Accordion)
        return false;
    auto* section = tree.node(id).model.as<AccordionModel>();
    if (section->open == open)
        return false;
    std::int32_t group = section->group;
    if (open && group != 0) {
        // Callbacks may append nodes, so the node count and every model
        // pointer are read again on each step.
        for (NodeId other = 0; other < tree.size(); ++other) {
            if (other == id || tree.node(other).kind() != NodeKind::Accordion)
                continue;
            auto* sibling = tree.node(other).model.as<AccordionModel>();
            if (!sibling->open || sibling->group != group)
                continue;
            sibling->open = false;
            tree.layout_dirty = true;
            tree.fire_change(other, 0.0f);
        }
    }
    tree.node(id).model.as<AccordionModel>()->open = open;
    tree.layout_dirty = true;
    tree.fire_change(id, open ? 1.0f : 0.0f);
    return true;
}

void toggle_dock(Tree& tree, NodeId id)
{
    if (!tree.contains(id) || tree.node(id).kind() != NodeKind::Dock)
        return;
    Node& node = tree.node(id);
    auto* dock = node.model.as<DockModel>();
    dock->open = !dock->open;
    float extent = dock->open ? dock->size : closed_dock_extent;
    if (dock->side == DockSide::Left || dock->side == DockSide::Right)
        node.layout.w = extent;
    else
        node.layout.h = extent;
    tree.layout_dirty = true;
}

void step_calendar(Tree& tree, NodeId id, std::int32_t months)
{
    if (!tree.contains(id) || tree.node(id).kind() != NodeKind::Calendar)
        return;
    auto* calendar = tree.node(id).model.as<CalendarModel>();
    std::int64_t t = std::int64_t { calendar->month } - 1 + months;
    std::int64_t year = calendar->year + (t - detail::wrap(t, 12)) / 12;
    calendar->year = static_cast<std::int32_t>(std::clamp<std::int64_t>(year, INT32_MIN, INT32_MAX));
    calendar->month = static_cast<std::uint8_t>(detail::wrap(t, 12) + 1);
    calendar->day = 1;
    tree.layout_dirty = true;
}

void step_time(Tree& tree, NodeId id, std::int32_t hours, std::int32_t minutes)
{
    if (!tree.contains(id) || tree.node(id).kind() != NodeKind::Time)
        return;
    auto* time = tree.node(id).model.as<TimeModel>();
    // Minutes wrap on their own; they never carry into the hours.
    time->hour = static_cast<std::uint8_t>(detail::wrap(std::int64_t { time->hour } + hours, 24));
    time->minute = static_cast<std::uint8_t>(detail::wrap(std::int64_t { time->minute } + minutes, 60));
    tree.layout_dirty = true;
    float reported = static_cast<float>(time->hour * 100 + time->minute);
    tree.fire_change(id, reported);
}

}
