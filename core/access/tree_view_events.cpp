// TreeAccessibleView: the changes since the last report, found by comparing
// what assistive technology was last told with the tree as it is now.
#include "core/access/tree_view.hpp"

#include "core/access/detail/items.hpp"
#include "core/operations/operations.hpp"

#include <algorithm>
#include <functional>
#include <string_view>
#include <utility>

namespace orvy {

namespace {

using enum AccessibleState;

// The states whose changes are announced; focus has an event of its own.
constexpr AccessibleState announced_states[] = { Checked, Pressed, Expanded, Collapsed, Enabled, Sensitive, Visible,
    Showing };

// How many elements two sequences share at their start and, after that, at their end.
template<typename Sequence>
std::pair<std::size_t, std::size_t> common_ends(Sequence const& before, Sequence const& after)
{
    std::size_t prefix = 0;
    while (prefix < before.size() && prefix < after.size() && before[prefix] == after[prefix])
        ++prefix;
    std::size_t suffix = 0;
    while (suffix < before.size() - prefix && suffix < after.size() - prefix
        && before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
        ++suffix;
    return { prefix, suffix };
}

AccessibleEvent state_event(AccessibleRef target, AccessibleState state, bool on)
{
    return { .kind = AccessibleEventKind::StateChanged, .target = target, .state = state, .on = on };
}

}

TreeAccessibleView::NodeSnapshot TreeAccessibleView::snapshot_of(NodeId id) const
{
    AccessibleInfo info = describe_accessible(m_tree, { id }, std::nullopt);
    NodeSnapshot snap { .states = info.states.bits(), .value = info.value ? info.value->current : 0.0,
        .name = std::move(info.name), .value_text = std::move(info.value_text) };
    if (info.has_selection) {
        for (detail::ItemSummary const& item : detail::summarize_items(m_tree, id)) {
            if (item.selected)
                snap.selected.push_back(item.item);
            snap.items.push_back(std::hash<std::u16string_view> {}(item.name));
        }
    }
    if (auto const* box = m_tree.node(id).model.as<TextboxModel>()) {
        snap.text = box->text.str();
        snap.caret = box->caret;
    }
    return snap;
}

TreeAccessibleView::Snapshot TreeAccessibleView::snapshot() const
{
    Snapshot snap;
    snap.nodes.reserve(m_tree.size());
    for (NodeId id = 0; id < m_tree.size(); ++id)
        snap.nodes.push_back(snapshot_of(id));
    snap.focus = focus();
    for (AccessibleRef item : accessible_overlay_items(m_overlays)) {
        AccessibleInfo info = describe_overlay(m_overlays, item, 0, 0);
        snap.overlays.emplace_back(item, info.name + u"\n" + info.description);
    }
    return snap;
}

void TreeAccessibleView::compare_items(NodeId id, std::vector<std::size_t> const& before,
    std::vector<std::size_t> const& after,
    std::vector<AccessibleEvent>& events) const
{
    // The items between what both lists share at either end were replaced:
    // the old ones go (last first, so each index is still right), then the
    // new ones come.
    auto [prefix, suffix] = common_ends(before, after);
    for (std::size_t i = before.size() - suffix; i-- > prefix;)
        events.push_back({ .kind = AccessibleEventKind::ChildrenRemoved, .target = { id }, .offset = i,
            .child = { id, static_cast<std::uint32_t>(i) } });
    for (std::size_t i = prefix; i < after.size() - suffix; ++i)
        events.push_back({ .kind = AccessibleEventKind::ChildrenAdded, .target = { id }, .offset = i,
            .child = { id, static_cast<std::uint32_t>(i) } });
}

void TreeAccessibleView::compare_node(NodeId id, NodeSnapshot const& before, NodeSnapshot const& after,
    std::vector<AccessibleEvent>& events) const
{
    AccessibleRef target { id };
    for (AccessibleState state : announced_states) {
        bool was = (before.states >> static_cast<unsigned>(state)) & 1u;
        bool is = (after.states >> static_cast<unsigned>(state)) & 1u;
        if (was != is)
            events.push_back(state_event(target, state, is));
    }
    if (before.name != after.name)
        events.push_back({ .kind = AccessibleEventKind::NameChanged, .target = target, .text = after.name });
    if (before.value != after.value || before.value_text != after.value_text)
        events.push_back({ .kind = AccessibleEventKind::ValueChanged, .target = target });
    if (before.items != after.items)
        compare_items(id, before.items, after.items, events);
    if (before.selected != after.selected) {
        for (std::uint32_t item : before.selected) {
            if (std::find(after.selected.begin(), after.selected.end(), item) == after.selected.end())
                events.push_back(state_event({ id, item }, Selected, false));
        }
        for (std::uint32_t item : after.selected) {
            if (std::find(before.selected.begin(), before.selected.end(), item) == before.selected.end())
                events.push_back(state_event({ id, item }, Selected, true));
        }
        events.push_back({ .kind = AccessibleEventKind::SelectionChanged, .target = target });
    }
    if (before.text != after.text) {
        // The edit is the middle part between what both texts share at either end.
        Text const& old_text = before.text;
        Text const& new_text = after.text;
        auto [prefix, suffix] = common_ends(old_text, new_text);
        std::size_t removed = old_text.size() - prefix - suffix;
        std::size_t inserted = new_text.size() - prefix - suffix;
        if (removed)
            events.push_back({ .kind = AccessibleEventKind::TextRemoved, .target = target, .offset = prefix,
                .length = removed, .text = old_text.substr(prefix, removed) });
        if (inserted)
            events.push_back({ .kind = AccessibleEventKind::TextInserted, .target = target, .offset = prefix,
                .length = inserted, .text = new_text.substr(prefix, inserted) });
    }
    if (before.caret != after.caret || before.text != after.text)
        events.push_back({ .kind = AccessibleEventKind::CaretMoved, .target = target, .offset = after.caret });
}

std::vector<AccessibleEvent> TreeAccessibleView::take_events()
{
    std::vector<AccessibleEvent> events;
    Snapshot now = snapshot();
    if (!m_reported) {
        m_reported = std::move(now);
        return events;
    }
    Snapshot const& before = *m_reported;

    // Pass 1: new nodes; each new subtree is announced once, on its parent.
    std::size_t old_count = before.nodes.size();
    for (NodeId id = old_count; id < m_tree.size(); ++id) {
        auto parent = m_tree.node(id).parent;
        if (!parent || *parent >= old_count)
            continue;
        std::vector<AccessibleRef> siblings = accessible_children(m_tree, { *parent });
        auto at = std::find(siblings.begin(), siblings.end(), AccessibleRef { id });
        if (at != siblings.end())
            events.push_back({ .kind = AccessibleEventKind::ChildrenAdded, .target = { *parent },
                .offset = static_cast<std::size_t>(at - siblings.begin()), .child = { id } });
    }
    // Pass 2: what changed on the nodes both reports know.
    for (NodeId id = 0; id < std::min(old_count, now.nodes.size()); ++id)
        compare_node(id, before.nodes[id], now.nodes[id], events);
    // Pass 3: dialogs and notifications that appeared or changed their words.
    for (auto const& shown : now.overlays) {
        AccessibleRef overlay = shown.first;
        if (std::find(before.overlays.begin(), before.overlays.end(), shown) == before.overlays.end()) {
            std::vector<AccessibleRef> at_root = children(root());
            auto at = std::find(at_root.begin(), at_root.end(), overlay);
            events.push_back({ .kind = AccessibleEventKind::ChildrenAdded, .target = root(),
                .offset = static_cast<std::size_t>(at - at_root.begin()), .child = overlay });
            events.push_back({ .kind = AccessibleEventKind::Announcement, .target = overlay });
        }
    }
    // Pass 4: the focus, last, so that it follows what it lands on.
    if (now.focus != before.focus) {
        if (before.focus && is_valid(*before.focus))
            events.push_back(state_event(*before.focus, Focused, false));
        if (now.focus)
            events.push_back({ .kind = AccessibleEventKind::Focus, .target = *now.focus });
    }
    m_reported = std::move(now);
    return events;
}

}
