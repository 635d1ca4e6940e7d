// The mapping from nodes to accessible roles, names, states, values and actions.
#include "core/access/accessible.hpp"
#include "core/access/detail/items.hpp"

#include "core/input/detail/pointer_detail.hpp"
#include "core/input/keyboard.hpp"
#include "core/layout/layout.hpp"
#include "core/operations/operations.hpp"
#include "core/tree/tree.hpp"
#include "core/window/window.hpp"

#include <algorithm>

namespace orvy {

namespace {

using enum AccessibleState;

bool is_spin(Node const& node) { return node.model.as<SpinModel>() != nullptr; }

// Every Tab stop, and the terminal and breadcrumbs, which take keys when
// focused though Tab passes them by.
bool is_focusable(NodeKind kind)
{
    return is_tab_stop(kind) || kind == NodeKind::Term || kind == NodeKind::Crumbs;
}

// Kinds that show no words of their own and take their name from a label
// placed just before them.
bool takes_label_name(AccessibleRole role)
{
    switch (role) {
    case AccessibleRole::Slider:
    case AccessibleRole::SpinButton:
    case AccessibleRole::ProgressBar:
    case AccessibleRole::LevelBar:
    case AccessibleRole::Dial:
    case AccessibleRole::Entry:
    case AccessibleRole::PasswordText:
    case AccessibleRole::ComboBox:
    case AccessibleRole::List:
    case AccessibleRole::Table:
    case AccessibleRole::Tree:
    case AccessibleRole::Calendar:
    case AccessibleRole::ColorChooser:
    case AccessibleRole::DateEditor:
    case AccessibleRole::Rating:
    case AccessibleRole::Terminal:
    case AccessibleRole::CheckBox:
    case AccessibleRole::ToggleButton:
    case AccessibleRole::RadioButton:
        return true;
    default:
        return false;
    }
}

// The words the node shows itself.
Text own_name(Node const& node)
{
    Model const& model = node.model;
    if (auto const* button = model.as<ButtonModel>())
        return button->caption;
    if (auto const* toggle = model.as<ToggleModel>())
        return toggle->caption;
    if (auto const* text = model.as<TextModel>())
        return text->text;
    if (auto const* group = model.as<GroupModel>())
        return group->title;
    if (auto const* accordion = model.as<AccordionModel>())
        return accordion->title;
    if (auto const* dock = model.as<DockModel>())
        return dock->title;
    if (auto const* split = model.as<SplitModel>())
        return split->caption;
    if (auto const* value = model.as<ValueModel>())
        return value->caption;
    return {};
}

// The label directly before the node among its siblings, as forms place them.
Text preceding_label(Tree const& tree, NodeId id)
{
    auto parent = tree.node(id).parent;
    if (!parent)
        return {};
    auto const& siblings = tree.node(*parent).children;
    auto at = std::find(siblings.begin(), siblings.end(), id);
    if (at == siblings.begin() || at == siblings.end())
        return {};
    Node const& before = tree.node(*(at - 1));
    if (before.kind() != NodeKind::Label || tree.in_subtree_of_set(*(at - 1), tree.hidden_set))
        return {};
    return before.model.as<TextModel>()->text;
}

bool is_disabled(Tree const& tree, NodeId id)
{
    if (id < tree.disabled_flags.size())
        return tree.disabled_flags[id];
    return tree.in_subtree_of_set(id, tree.disabled_set);
}

std::optional<AccessibleValue> node_value(Node const& node)
{
    Model const& model = node.model;
    if (auto const* spin = model.as<SpinModel>())
        return AccessibleValue { spin->value, spin->minimum, spin->maximum, spin->step };
    if (auto const* value = model.as<ValueModel>()) {
        bool clamped = node.kind() == NodeKind::Slider || node.kind() == NodeKind::Progress;
        double maximum = clamped ? 1.0 : std::max(1.0, static_cast<double>(value->value));
        double minimum = clamped ? 0.0 : std::min(0.0, static_cast<double>(value->value));
        double step = node.kind() == NodeKind::Slider ? 0.05 : 0.0;
        return AccessibleValue { value->value, minimum, maximum, step };
    }
    if (auto const* range = model.as<RangeModel>())
        return AccessibleValue { range->lo, 0.0, 1.0, 0.05 };
    if (auto const* rating = model.as<RatingModel>())
        return AccessibleValue { static_cast<double>(rating->value), 0.0, static_cast<double>(rating->maximum), 1.0 };
    if (auto const* pager = model.as<PagerModel>()) {
        double last = pager->total ? static_cast<double>(pager->total - 1) : 0.0;
        return AccessibleValue { static_cast<double>(pager->page), 0.0, last, 1.0 };
    }
    return std::nullopt;
}

Text number_text(long value)
{
    std::string digits = std::to_string(value);
    return Text(digits.begin(), digits.end());
}

Text two_digits(unsigned value)
{
    Text text = number_text(static_cast<long>(value));
    return text.size() < 2 ? u"0" + text : text;
}

Text node_value_text(Node const& node)
{
    Model const& model = node.model;
    if (auto const* choice = model.as<ChoiceModel>(); choice && choice->selected < choice->items.size())
        return choice->items[choice->selected];
    if (auto const* date = model.as<CalendarModel>())
        return number_text(date->year) + u"-" + two_digits(date->month) + u"-" + two_digits(date->day);
    if (auto const* time = model.as<TimeModel>())
        return two_digits(time->hour) + u":" + two_digits(time->minute);
    if (auto const* color = model.as<ColorModel>()) {
        std::uint32_t rgb = hsv_to_rgb(color->hue, color->saturation, color->value);
        static constexpr char16_t hex[] = u"0123456789ABCDEF";
        Text text = u"#";
        for (int shift = 20; shift >= 0; shift -= 4)
            text += hex[(rgb >> shift) & 0xF];
        return text;
    }
    return {};
}

void node_actions(Tree const& tree, NodeId id, AccessibleInfo& info)
{
    Node const& node = tree.node(id);
    switch (node.kind()) {
    case NodeKind::Checkbox:
    case NodeKind::Switch:
    case NodeKind::Toggle:
    case NodeKind::Radio:
        info.actions = { "toggle" };
        return;
    case NodeKind::Accordion:
    case NodeKind::Dock:
        info.actions = { "expand" };
        return;
    case NodeKind::Dropdown:
        info.actions = { "press" };
        return;
    default:
        break;
    }
    if (detail::is_clickable(tree, id) || node.kind() == NodeKind::Split)
        info.actions = { "click" };
}

AccessibleInfo describe_node(Tree const& tree, NodeId id, std::optional<NodeId> focus)
{
    Node const& node = tree.node(id);
    AccessibleInfo info;
    info.role = accessible_role(tree, id);
    info.extents = node.rect;
    info.name = own_name(node);
    if (info.name.empty() && takes_label_name(info.role))
        info.name = preceding_label(tree, id);
    if (auto const* box = node.model.as<TextboxModel>(); box && info.name.empty())
        info.name = box->placeholder;
    if (node.extras().tip) {
        if (info.name.empty())
            info.name = *node.extras().tip;
        else
            info.description = *node.extras().tip;
        info.states.set(HasTooltip);
    }

    AccessibleStates& states = info.states;
    bool disabled = is_disabled(tree, id);
    states.set(Enabled, !disabled);
    states.set(Sensitive, !disabled);
    states.set(Visible, !tree.in_subtree_of_set(id, tree.hidden_set));
    states.set(Showing, accessible_node_showing(tree, id));
    if (is_focusable(node.kind()) && !disabled)
        states.set(Focusable);
    states.set(Focused, focus == id);

    Model const& model = node.model;
    if (auto const* toggle = model.as<ToggleModel>()) {
        states.set(Checkable);
        states.set(Checked, toggle->on);
        if (node.kind() == NodeKind::Toggle)
            states.set(Pressed, toggle->on);
    }
    if (auto const* accordion = model.as<AccordionModel>()) {
        states.set(Expandable);
        states.set(accordion->open ? Expanded : Collapsed);
    }
    if (auto const* dock = model.as<DockModel>()) {
        states.set(Expandable);
        states.set(dock->open ? Expanded : Collapsed);
    }
    if (auto const* choice = model.as<ChoiceModel>(); choice && node.kind() == NodeKind::Dropdown) {
        states.set(Expandable);
        states.set(choice->open ? Expanded : Collapsed);
    }
    if (model.as<TextboxModel>()) {
        states.set(Editable, !disabled);
        states.set(node.multiline ? MultiLine : SingleLine);
        info.has_text = true;
    }
    if (node.kind() == NodeKind::Term) {
        states.set(Editable, !disabled);
        states.set(MultiLine);
        info.has_text = true;
    }
    if (node.kind() == NodeKind::Label || node.kind() == NodeKind::Status || node.kind() == NodeKind::Link) {
        states.set(ReadOnly);
        info.has_text = true;
    }
    if (auto const* list = model.as<ListModel>()) {
        states.set(MultiSelectable, list->multi);
        info.has_selection = true;
    }
    if (auto const* rows = model.as<TreeviewModel>()) {
        states.set(MultiSelectable, rows->multi);
        info.has_selection = true;
    }
    if (node.kind() == NodeKind::Table || node.kind() == NodeKind::Tabs)
        info.has_selection = true;
    if (node.kind() == NodeKind::Slider || node.kind() == NodeKind::Range || node.kind() == NodeKind::Progress)
        states.set(Horizontal);
    if (auto const* splitter = model.as<SplitterModel>())
        states.set(splitter->vertical ? Vertical : Horizontal);
    if (tree.popup_layer == id)
        states.set(Modal);

    info.value = node_value(node);
    info.value_text = node_value_text(node);
    if (info.role == AccessibleRole::ComboBox && info.name.empty())
        info.name = info.value_text;
    node_actions(tree, id, info);
    return info;
}

}

AccessibleRole accessible_window_role(WindowOptions const& options)
{
    if (options.modal)
        return AccessibleRole::Dialog;
    return options.takes_focus ? AccessibleRole::Frame : AccessibleRole::Notification;
}

AccessibleRole accessible_role(Tree const& tree, NodeId id)
{
    Node const& node = tree.node(id);
    if (tree.popup_layer == id)
        return AccessibleRole::Dialog;
    switch (node.kind()) {
    case NodeKind::Container: return is_spin(node) ? AccessibleRole::SpinButton : AccessibleRole::Panel;
    case NodeKind::Frame: return AccessibleRole::Panel;
    case NodeKind::Label: return AccessibleRole::Label;
    case NodeKind::Button: return AccessibleRole::PushButton;
    case NodeKind::Slider: return AccessibleRole::Slider;
    case NodeKind::Progress: return AccessibleRole::ProgressBar;
    case NodeKind::Checkbox: return AccessibleRole::CheckBox;
    case NodeKind::Textbox:
        return tree.password_set.contains(id) ? AccessibleRole::PasswordText : AccessibleRole::Entry;
    case NodeKind::Dropdown: return AccessibleRole::ComboBox;
    case NodeKind::Tabs: return AccessibleRole::PageTabList;
    case NodeKind::Table: return AccessibleRole::Table;
    case NodeKind::Image: return AccessibleRole::Image;
    case NodeKind::Switch: return AccessibleRole::ToggleButton;
    case NodeKind::Radio: return AccessibleRole::RadioButton;
    case NodeKind::Toggle: return AccessibleRole::ToggleButton;
    case NodeKind::Separator: return AccessibleRole::Separator;
    case NodeKind::List: return AccessibleRole::List;
    case NodeKind::Group: return AccessibleRole::Grouping;
    case NodeKind::Link: return AccessibleRole::Link;
    case NodeKind::Accordion: return AccessibleRole::Grouping;
    case NodeKind::Scroll: return AccessibleRole::ScrollPane;
    case NodeKind::Stack: return AccessibleRole::Panel;
    case NodeKind::Splitter: return AccessibleRole::SplitPane;
    case NodeKind::Spinner: return AccessibleRole::Animation;
    case NodeKind::Gauge: return AccessibleRole::LevelBar;
    case NodeKind::Meter: return AccessibleRole::LevelBar;
    case NodeKind::Chart: return AccessibleRole::Chart;
    case NodeKind::Range: return AccessibleRole::Slider;
    case NodeKind::Status: return AccessibleRole::StatusBar;
    case NodeKind::Split: return AccessibleRole::PushButton;
    case NodeKind::Menubar: return AccessibleRole::MenuBar;
    case NodeKind::Dial: return AccessibleRole::Dial;
    case NodeKind::Treeview: return AccessibleRole::Tree;
    case NodeKind::Calendar: return AccessibleRole::Calendar;
    case NodeKind::Color: return AccessibleRole::ColorChooser;
    case NodeKind::Time: return AccessibleRole::DateEditor;
    case NodeKind::Propgrid: return AccessibleRole::Table;
    case NodeKind::Badge: return AccessibleRole::Label;
    case NodeKind::Crumbs: return AccessibleRole::Panel;
    case NodeKind::Pager: return AccessibleRole::SpinButton;
    case NodeKind::Rating: return AccessibleRole::Rating;
    case NodeKind::Canvas: return AccessibleRole::Canvas;
    case NodeKind::Term: return AccessibleRole::Terminal;
    case NodeKind::Dock: return AccessibleRole::Panel;
    case NodeKind::Drop: return AccessibleRole::Panel;
    }
    return AccessibleRole::Panel;
}

bool accessible_node_showing(Tree const& tree, NodeId id)
{
    if (!tree.contains(id) || tree.in_subtree_of_set(id, tree.hidden_set))
        return false;
    RectF rect = tree.node(id).rect;
    if (!(rect.x > hidden_subtree_x) || rect.w <= 0 || rect.h <= 0)
        return false;
    if (id < tree.clips.size() && tree.clips[id]) {
        RectF clip = *tree.clips[id];
        if (rect.right() <= clip.x || rect.bottom() <= clip.y || rect.x >= clip.right() || rect.y >= clip.bottom())
            return false;
    }
    return true;
}

AccessibleInfo describe_accessible(Tree const& tree, AccessibleRef ref, std::optional<NodeId> focus)
{
    if (!accessible_ref_valid(tree, ref) || ref.node == AccessibleRef::overlay)
        return {};
    if (ref.is_node())
        return describe_node(tree, ref.node, focus);
    AccessibleInfo info = detail::describe_item(tree, ref);
    bool disabled = is_disabled(tree, ref.node);
    info.states.set(Enabled, !disabled);
    info.states.set(Sensitive, !disabled);
    info.states.set(Visible);
    bool showing = accessible_node_showing(tree, ref.node) && info.extents.h > 0;
    if (showing) {
        RectF outer = tree.node(ref.node).rect;
        showing = info.extents.bottom() > outer.y && info.extents.y < outer.bottom();
    }
    info.states.set(Showing, showing);
    return info;
}

}
