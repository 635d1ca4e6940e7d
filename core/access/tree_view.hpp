// TreeAccessibleView: the accessible view of one window's tree and overlays,
// with actions routed through the window's pointer path and the changes
// found by comparing each state with the one reported before.
#pragma once

#include "core/access/accessible.hpp"
#include "core/input/pointer.hpp"

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace orvy {

// What the view needs of its window besides the tree.
struct AccessibleWindowLinks {
    // A left click at a client point, through the same handlers a real one takes.
    Callback<void(PointF)> click;
    Callback<ClientSize()> client_size;
    // Where the caret of a text field stands at a UTF-16 offset, and the
    // offset nearest a client point, from the field's text layout.
    Callback<CaretLine(NodeId, std::size_t)> caret_at;
    Callback<std::size_t(NodeId, PointF)> position_at;
};

class TreeAccessibleView final : public AccessibleView {
public:
    TreeAccessibleView(Tree& tree, PointerInput& pointer, OverlayState& overlays, AccessibleWindowLinks links);

    AccessibleRef root() const override { return { m_tree.root }; }
    bool is_valid(AccessibleRef ref) const override;
    std::optional<AccessibleRef> parent(AccessibleRef ref) const override;
    std::vector<AccessibleRef> children(AccessibleRef ref) const override;
    AccessibleInfo describe(AccessibleRef ref) const override;
    std::optional<AccessibleText> text(AccessibleRef ref) const override;
    std::optional<RectF> text_extents(AccessibleRef ref, std::size_t from, std::size_t to) const override;
    std::optional<std::size_t> text_offset_at(AccessibleRef ref, PointF point) const override;
    std::optional<AccessibleRef> focus() const override;
    std::optional<AccessibleRef> at_point(PointF point) const override;

    bool do_action(AccessibleRef ref, std::size_t action) override;
    bool grab_focus(AccessibleRef ref) override;
    bool set_value(AccessibleRef ref, double value) override;
    bool set_text(AccessibleRef ref, Text text) override;
    bool replace_text(AccessibleRef ref, std::size_t from, std::size_t to, std::u16string_view insert) override;
    bool set_caret(AccessibleRef ref, std::size_t caret, std::size_t anchor) override;
    std::vector<std::size_t> selected_children(AccessibleRef ref) const override;
    bool select_child(AccessibleRef ref, std::size_t index, bool selected) override;

    std::vector<AccessibleEvent> take_events() override;

private:
    // What the last report saw of one node.
    struct NodeSnapshot {
        std::uint32_t states = 0;
        double value = 0;
        Text name;
        Text value_text;
        std::vector<std::uint32_t> selected; // selected items
        std::vector<std::size_t> items;      // the hashes of the names of the items shown
        Text text;                           // text fields only
        std::size_t caret = 0;
    };
    struct Snapshot {
        std::vector<NodeSnapshot> nodes;
        std::optional<AccessibleRef> focus;
        // The shown overlays and what each says, to hear new notifications.
        std::vector<std::pair<AccessibleRef, Text>> overlays;
    };

    NodeSnapshot snapshot_of(NodeId id) const;
    Snapshot snapshot() const;
    void compare_node(NodeId id, NodeSnapshot const& before, NodeSnapshot const& after,
        std::vector<AccessibleEvent>& events) const;
    // Where the text of the accessible text starts in the node's field: the
    // terminal's field follows its lines and prompt; none without a field.
    std::optional<std::size_t> field_start(AccessibleRef ref) const;
    void compare_items(NodeId id, std::vector<std::size_t> const& before, std::vector<std::size_t> const& after,
        std::vector<AccessibleEvent>& events) const;
    bool click(RectF rect);
    bool item_action(AccessibleRef ref, std::size_t action);
    float client_width() const;
    float client_height() const;

    Tree& m_tree;
    PointerInput& m_pointer;
    OverlayState& m_overlays;
    AccessibleWindowLinks m_links;
    std::optional<Snapshot> m_reported;
};

}
