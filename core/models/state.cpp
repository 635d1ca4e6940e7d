// Setting values from code: numeric and composite state, items, texts, node
// flags, accordion sections, docks, calendar and time stepping.
#include "core/models/detail/numbers.hpp"
#include "core/models/operations.hpp"

#include <algorithm>
#include <cmath>

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

bool set_numeric_state(Tree& tree, NodeId id, float x)
{
    if (!tree.contains(id))
        return false;
    Node& node = tree.node(id);
    std::uint32_t n = to_index(x);
    bool changed = false;
    switch (node.kind()) {
    case NodeKind::Slider:
    case NodeKind::Progress:
        changed = assign(node.model.as<ValueModel>()->value, clamp01(x));
        break;
    case NodeKind::Gauge:
    case NodeKind::Meter:
    case NodeKind::Dial:
        // Unclamped by convention, but NaN would poison painting.
        changed = assign(node.model.as<ValueModel>()->value, std::isnan(x) ? 0.0f : x);
        break;
    case NodeKind::Checkbox:
    case NodeKind::Switch:
    case NodeKind::Toggle:
    case NodeKind::Radio:
        changed = set_toggle(tree, id, x >= 0.5f);
        break;
    case NodeKind::Dropdown:
    case NodeKind::Tabs: {
        auto* choice = node.model.as<ChoiceModel>();
        changed = assign(choice->selected, std::min(n, last_index(choice->items.size()).value_or(0)));
        break;
    }
    case NodeKind::List: {
        auto* list = node.model.as<ListModel>();
        std::optional<std::uint32_t> current;
        if (!(x < 0.0f)) {
            if (auto last = last_index(list->items.size()))
                current = std::min(n, *last);
        }
        changed = assign(list->current, current);
        // A single-selection list shows its current item as the selection.
        if (!list->multi) {
            std::vector<std::uint32_t> selection;
            if (current)
                selection.push_back(*current);
            changed |= assign(list->selection, std::move(selection));
        }
        break;
    }
    case NodeKind::Stack:
        changed = assign(node.model.as<StackModel>()->page, n);
        break;
    case NodeKind::Pager: {
        auto* pager = node.model.as<PagerModel>();
        changed = assign(pager->page, pager->total == 0 ? 0u : std::min(n, pager->total - 1));
        break;
    }
    case NodeKind::Rating: {
        auto* rating = node.model.as<RatingModel>();
        changed = assign(rating->value, std::min(n, rating->maximum));
        break;
    }
    default:
        // A spin field (its container or its value label) clamps and rewrites its text.
        if (auto container = spin_container(tree, id)) {
            float before = tree.node(*container).model.as<SpinModel>()->value;
            set_spin_value(tree, id, x);
            changed = tree.node(*container).model.as<SpinModel>()->value != before;
        }
        break;
    }
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
