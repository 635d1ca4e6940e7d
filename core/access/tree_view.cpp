// TreeAccessibleView: structure, text, actions and edits.
#include "core/access/tree_view.hpp"

#include "core/access/detail/items.hpp"
#include "core/base/utf.hpp"
#include "core/models/text_field.hpp"
#include "core/operations/operations.hpp"

#include <algorithm>
#include <cmath>

namespace orvy {

TreeAccessibleView::TreeAccessibleView(Tree& tree, PointerInput& pointer, OverlayState& overlays,
    AccessibleWindowLinks links)
    : m_tree(tree), m_pointer(pointer), m_overlays(overlays), m_links(std::move(links))
{
}

float TreeAccessibleView::client_width() const
{
    return m_links.client_size ? static_cast<float>(m_links.client_size().width) : 0.0f;
}

float TreeAccessibleView::client_height() const
{
    return m_links.client_size ? static_cast<float>(m_links.client_size().height) : 0.0f;
}

bool TreeAccessibleView::is_valid(AccessibleRef ref) const
{
    if (ref.node != AccessibleRef::overlay)
        return accessible_ref_valid(m_tree, ref);
    if (ref.is_node())
        return false;
    auto shown = accessible_overlay_items(m_overlays);
    if (std::find(shown.begin(), shown.end(), AccessibleRef { ref.node, ref.item }) == shown.end())
        return false;
    return ref.cell == AccessibleRef::whole
        || (ref.item == AccessibleRef::dialog_item && ref.cell < m_overlays.dialog->buttons.size());
}

std::optional<AccessibleRef> TreeAccessibleView::parent(AccessibleRef ref) const
{
    if (!is_valid(ref))
        return std::nullopt;
    if (ref.node == AccessibleRef::overlay) {
        if (ref.cell != AccessibleRef::whole)
            return AccessibleRef { ref.node, ref.item };
        return root();
    }
    return accessible_parent(m_tree, ref);
}

std::vector<AccessibleRef> TreeAccessibleView::children(AccessibleRef ref) const
{
    if (!is_valid(ref))
        return {};
    if (ref.node == AccessibleRef::overlay) {
        std::vector<AccessibleRef> buttons;
        if (ref.item == AccessibleRef::dialog_item && ref.cell == AccessibleRef::whole) {
            for (std::size_t i = 0; i < m_overlays.dialog->buttons.size(); ++i)
                buttons.push_back({ ref.node, ref.item, static_cast<std::uint32_t>(i) });
        }
        return buttons;
    }
    std::vector<AccessibleRef> result = accessible_children(m_tree, ref);
    // Dialogs and notifications drawn over the tree belong to the window's root.
    if (ref == root()) {
        for (AccessibleRef overlay : accessible_overlay_items(m_overlays))
            result.push_back(overlay);
    }
    return result;
}

AccessibleInfo TreeAccessibleView::describe(AccessibleRef ref) const
{
    if (!is_valid(ref))
        return {};
    if (ref.node == AccessibleRef::overlay)
        return describe_overlay(m_overlays, ref, client_width(), client_height());
    AccessibleInfo info = describe_accessible(m_tree, ref, m_pointer.focus());
    if (ref == root()) {
        info.role = AccessibleRole::Filler;
        info.extents = { 0, 0, client_width(), client_height() };
    }
    return info;
}

std::optional<AccessibleText> TreeAccessibleView::text(AccessibleRef ref) const
{
    if (!is_valid(ref) || !ref.is_node() || ref.node == AccessibleRef::overlay)
        return std::nullopt;
    Node const& node = m_tree.node(ref.node);
    if (auto const* box = node.model.as<TextboxModel>()) {
        AccessibleText text { box->text.str(), std::min(box->caret, box->text.size()), std::min(box->anchor, box->text.size()),
            !m_tree.in_subtree_of_set(ref.node, m_tree.disabled_set) };
        // A masked field gives away only how long its text is.
        if (m_tree.password_set.contains(ref.node))
            text.text.assign(box->text.size(), u'\u2022');
        return text;
    }
    if (auto const* term = node.model.as<TermModel>()) {
        Text all;
        for (Text const& line : term->lines)
            all += line + u"\n";
        std::size_t caret = all.size() + term->prompt.size() + std::min(term->input.caret, term->input.text.size());
        return AccessibleText { all + term->prompt + term->input.text.str(), caret, caret, false };
    }
    if (node.kind() == NodeKind::Label || node.kind() == NodeKind::Status || node.kind() == NodeKind::Link) {
        Text words = node.model.as<TextModel>()->text;
        return AccessibleText { std::move(words), 0, 0, false };
    }
    return std::nullopt;
}

std::optional<std::size_t> TreeAccessibleView::field_start(AccessibleRef ref) const
{
    if (!is_valid(ref) || !ref.is_node() || ref.node == AccessibleRef::overlay)
        return std::nullopt;
    Node const& node = m_tree.node(ref.node);
    if (node.model.as<TextboxModel>())
        return 0;
    if (auto const* term = node.model.as<TermModel>()) {
        std::size_t start = term->prompt.size();
        for (Text const& line : term->lines)
            start += line.size() + 1;
        return start;
    }
    return std::nullopt;
}

std::optional<RectF> TreeAccessibleView::text_extents(AccessibleRef ref, std::size_t from, std::size_t to) const
{
    std::optional<std::size_t> start = field_start(ref);
    std::optional<AccessibleText> content = text(ref);
    if (!start || !content || !m_links.caret_at || from < *start)
        return std::nullopt;
    to = std::clamp(to, from, content->text.size());
    from = std::min(from, to);
    CaretLine first = m_links.caret_at(ref.node, from - *start);
    CaretLine last = m_links.caret_at(ref.node, to - *start);
    if (first.y == last.y)
        return RectF { std::min(first.x, last.x), first.y, std::abs(last.x - first.x), first.height };
    // The range ends on a later line: it reaches the right edge of its first
    // line, and a range of more lines covers the field's width.
    RectF box = m_tree.node(ref.node).rect;
    if (to - from == 1)
        return RectF { first.x, first.y, std::max(box.right() - first.x, 0.0f), first.height };
    return RectF { box.x, first.y, box.w, last.y + last.height - first.y };
}

std::optional<std::size_t> TreeAccessibleView::text_offset_at(AccessibleRef ref, PointF point) const
{
    std::optional<std::size_t> start = field_start(ref);
    if (!start || !m_links.position_at || !m_tree.node(ref.node).rect.contains(point.x, point.y))
        return std::nullopt;
    return *start + m_links.position_at(ref.node, point);
}

std::optional<AccessibleRef> TreeAccessibleView::focus() const
{
    if (m_overlays.dialog) {
        if (m_overlays.dialog->focused_button)
            return AccessibleRef { AccessibleRef::overlay, AccessibleRef::dialog_item, *m_overlays.dialog->focused_button };
        return AccessibleRef { AccessibleRef::overlay, AccessibleRef::dialog_item };
    }
    if (auto node = m_pointer.focus(); node && m_tree.contains(*node))
        return AccessibleRef { *node };
    return std::nullopt;
}

std::optional<AccessibleRef> TreeAccessibleView::at_point(PointF point) const
{
    if (m_overlays.dialog) {
        RectF panel = dialog_panel(client_width(), client_height());
        for (std::size_t i = 0; i < m_overlays.dialog->buttons.size(); ++i) {
            if (dialog_button(panel, i, m_overlays.dialog->buttons.size()).contains(point.x, point.y))
                return AccessibleRef { AccessibleRef::overlay, AccessibleRef::dialog_item, static_cast<std::uint32_t>(i) };
        }
        return AccessibleRef { AccessibleRef::overlay, AccessibleRef::dialog_item };
    }
    AccessibleRef found = root();
    // Descend while a child holds the point; later (nearer) children win.
    for (bool deeper = true; deeper;) {
        deeper = false;
        for (AccessibleRef child : children(found)) {
            if (child.node == AccessibleRef::overlay)
                continue;
            if (child.is_node() && !accessible_node_showing(m_tree, child.node))
                continue;
            if (accessible_item_rect(m_tree, child).contains(point.x, point.y)) {
                found = child;
                deeper = true;
            }
        }
    }
    return found;
}

bool TreeAccessibleView::click(RectF rect)
{
    if (!m_links.click || rect.w <= 0 || rect.h <= 0)
        return false;
    m_links.click({ rect.x + rect.w / 2, rect.y + rect.h / 2 });
    return true;
}

bool TreeAccessibleView::do_action(AccessibleRef ref, std::size_t action)
{
    AccessibleInfo info = describe(ref);
    if (!is_valid(ref) || action >= info.actions.size())
        return false;
    if (ref.node == AccessibleRef::overlay || ref.is_node()) {
        RectF target = info.extents;
        // Sections open from their header, the top 40 pixels.
        if (ref.is_node() && m_tree.node(ref.node).kind() == NodeKind::Accordion)
            target.h = std::min(target.h, 40.0f);
        return click(target);
    }
    return item_action(ref, action);
}

bool TreeAccessibleView::item_action(AccessibleRef ref, std::size_t action)
{
    Node& node = m_tree.node(ref.node);
    if (auto* rows = node.model.as<TreeviewModel>(); rows && action == 1) {
        std::uint32_t row = ref.item;
        open_tree_rows(m_tree, ref.node, std::span(&row, 1), !rows->rows[row].open);
        return true;
    }
    if (auto* menubar = node.model.as<MenubarModel>(); menubar && ref.cell != AccessibleRef::whole) {
        // An entry is picked from its open menu: open it first, as a user would.
        if (menubar->open_menu != ref.item)
            click(describe({ ref.node, ref.item }).extents);
        return click(describe(ref).extents);
    }
    if (node.kind() == NodeKind::List || node.kind() == NodeKind::Table || node.kind() == NodeKind::Treeview)
        scroll_into_view(m_tree, ref.node, ref.item);
    return click(describe(ref).extents);
}

bool TreeAccessibleView::grab_focus(AccessibleRef ref)
{
    if (!is_valid(ref) || ref.node == AccessibleRef::overlay)
        return false;
    if (!describe({ ref.node }).states.has(AccessibleState::Focusable))
        return false;
    m_pointer.set_focus(ref.node);
    return true;
}

bool TreeAccessibleView::set_value(AccessibleRef ref, double value)
{
    if (!is_valid(ref) || !ref.is_node() || ref.node == AccessibleRef::overlay || !std::isfinite(value))
        return false;
    NodeId id = ref.node;
    auto x = static_cast<float>(value);
    Node& node = m_tree.node(id);
    if (node.model.as<SpinModel>()) {
        if (!set_spin_value(m_tree, id, x))
            return false;
        m_tree.fire_change(id, m_tree.node(id).model.as<SpinModel>()->value);
        return true;
    }
    if (auto* range = node.model.as<RangeModel>()) {
        set_composite_value(m_tree, id, x, range->hi, 0);
        m_tree.fire_change(id, m_tree.node(id).model.as<RangeModel>()->lo);
        return true;
    }
    if (!describe(ref).value)
        return false;
    // Like a user's change: the widget's own handler hears the stored value.
    set_numeric_state(m_tree, id, x);
    float stored = x;
    if (auto const* model = m_tree.node(id).model.as<ValueModel>())
        stored = model->value;
    m_tree.fire_change(id, stored);
    return true;
}

bool TreeAccessibleView::set_text(AccessibleRef ref, Text text)
{
    auto current = this->text(ref);
    if (!current || !current->editable || !m_tree.node(ref.node).model.as<TextboxModel>())
        return false;
    return replace_text(ref, 0, current->text.size(), text);
}

bool TreeAccessibleView::replace_text(AccessibleRef ref, std::size_t from, std::size_t to, std::u16string_view insert)
{
    if (!is_valid(ref) || !ref.is_node() || ref.node == AccessibleRef::overlay
        || m_tree.in_subtree_of_set(ref.node, m_tree.disabled_set))
        return false;
    Node& node = m_tree.node(ref.node);
    auto* box = node.model.as<TextboxModel>();
    if (!box)
        return false;
    from = std::min(from, box->text.size());
    to = std::clamp(to, from, box->text.size());
    // What arrives is cleaned as a paste is: a single-line field keeps no line breaks.
    Text cleaned = pasted_form(insert, node.multiline);
    if (from == to && cleaned.empty())
        return false;
    select_range(*box, { from, to });
    if (!replace_selection(*box, cleaned))
        return false;
    m_tree.layout_dirty = true;
    m_tree.fire_submit(ref.node, utf16_to_utf8(box->text.view()));
    return true;
}

bool TreeAccessibleView::set_caret(AccessibleRef ref, std::size_t caret, std::size_t anchor)
{
    if (!is_valid(ref) || !ref.is_node() || ref.node == AccessibleRef::overlay)
        return false;
    auto* box = m_tree.node(ref.node).model.as<TextboxModel>();
    if (!box)
        return false;
    select_range(*box, { anchor, caret });
    return true;
}

std::vector<std::size_t> TreeAccessibleView::selected_children(AccessibleRef ref) const
{
    std::vector<std::size_t> selected;
    if (!is_valid(ref) || !ref.is_node() || ref.node == AccessibleRef::overlay)
        return selected;
    // The items come first among the children.
    std::vector<detail::ItemSummary> items = detail::summarize_items(m_tree, ref.node);
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i].selected)
            selected.push_back(i);
    }
    return selected;
}

bool TreeAccessibleView::select_child(AccessibleRef ref, std::size_t index, bool selected)
{
    std::vector<AccessibleRef> all = children(ref);
    if (index >= all.size() || all[index].is_node())
        return false;
    AccessibleRef item = all[index];
    bool now = describe(item).states.has(AccessibleState::Selected);
    if (now == selected)
        return true;
    Node& node = m_tree.node(ref.node);
    if (auto* list = node.model.as<ListModel>(); list && list->multi) {
        std::vector<std::uint32_t> indexes = list->selection;
        if (selected)
            indexes.insert(indexes.begin(), item.item);
        else
            std::erase(indexes, item.item);
        set_selection(m_tree, ref.node, indexes);
        m_tree.fire(ref.node, UiEvent::SelectionChanged, selected ? item.item : no_index);
        return true;
    }
    if (auto* rows = node.model.as<TreeviewModel>(); rows && !selected) {
        tree_clear_selection(m_tree, ref.node);
        return true;
    }
    // Single selection: selecting is what a click on the item does.
    return selected && item_action(item, 0);
}

}
