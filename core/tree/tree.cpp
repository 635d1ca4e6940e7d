// Tree operations: appending, z order, the event registry and the node slots.
#include "core/tree/tree.hpp"

#include <algorithm>
#include <cassert>
#include <random>

namespace orvy {

namespace {

std::uint64_t registry_key(NodeId node, UiEvent event)
{
    return (static_cast<std::uint64_t>(node) << 8) | static_cast<std::uint8_t>(event);
}

std::uint64_t splitmix64(std::uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

}

std::uint64_t SeededHash::process_seed()
{
    static std::uint64_t const seed = [] {
        std::random_device source;
        return (static_cast<std::uint64_t>(source()) << 32) ^ source();
    }();
    return seed;
}

std::size_t SeededHash::operator()(std::uint64_t value) const
{
    static std::uint64_t const seed = process_seed();
    return static_cast<std::size_t>(splitmix64(value ^ seed));
}

Tree::Tree()
{
    nodes.emplace_back();
    nodes.back().model = Model(NodeKind::Container);
}

NodeId Tree::append(NodeId parent, Model model, LayoutParams layout)
{
    assert(parent < nodes.size());
    NodeId id = nodes.size();
    Node& node = nodes.emplace_back();
    node.parent = parent;
    node.model = std::move(model);
    node.layout = layout;
    nodes[parent].children.push_back(id);
    if (node.kind() == NodeKind::Spinner)
        ++spinner_count;
    layout_dirty = true;
    return id;
}

std::vector<NodeId> Tree::children_in_z_order(NodeId id) const
{
    std::vector<NodeId> order = nodes[id].children;
    std::stable_sort(order.begin(), order.end(),
        [this](NodeId a, NodeId b) { return nodes[a].layout.z < nodes[b].layout.z; });
    return order;
}

EventCallback Tree::register_event(NodeId node, UiEvent event, EventCallback callback)
{
    EventCallback& slot = registry[registry_key(node, event)];
    EventCallback previous = std::move(slot);
    slot = std::move(callback);
    return previous;
}

bool Tree::has_event(NodeId node, UiEvent event) const
{
    return registry.contains(registry_key(node, event));
}

bool Tree::fire(NodeId node, UiEvent event, std::uint32_t index, float first, float second)
{
    auto key = registry_key(node, event);
    auto it = registry.find(key);
    if (it == registry.end())
        return false;
    EventCallback running = std::move(it->second);
    registry.erase(it);
    running(*this, index, first, second);
    // Whatever the call registered for this pair is dropped here.
    registry[key] = std::move(running);
    return true;
}

template<class Slot, class... Args>
bool Tree::fire_node_slot(NodeId id, Slot NodeExtras::*slot, Args&&... args)
{
    if (id >= nodes.size() || !(nodes[id].extras().*slot))
        return false;
    Slot running = std::move(nodes[id].extras_mut().*slot);
    running(*this, std::forward<Args>(args)...);
    nodes[id].extras_mut().*slot = std::move(running);
    return true;
}

bool Tree::fire_activate(NodeId node) { return fire_node_slot(node, &NodeExtras::on_activate); }
bool Tree::fire_change(NodeId node, float value) { return fire_node_slot(node, &NodeExtras::on_change, value); }
bool Tree::fire_submit(NodeId node, std::string_view utf8) { return fire_node_slot(node, &NodeExtras::on_submit, utf8); }

bool Tree::in_subtree_of_set(NodeId node, NodeSet const& set) const
{
    if (set.empty())
        return false;
    for (std::optional<NodeId> at = node; at; at = nodes[*at].parent) {
        if (set.contains(*at))
            return true;
    }
    return false;
}

}
