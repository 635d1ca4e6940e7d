// Shared set-up of the pointer tests: a laid-out tree of absolutely placed
// nodes, a clock the tests advance, and event replay helpers.
#pragma once

#include "core/input/pointer.hpp"
#include "core/layout/layout.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

namespace orvy {

struct Fired {
    NodeId node;
    UiEvent event;
    std::uint32_t index;
    float first;
    float second;
    friend bool operator==(Fired const&, Fired const&) = default;
};

struct PointerFixture {
    Tree tree;
    OverlayState overlays;
    PointerInput input { tree, overlays };
    Instant now = Clock::now();
    float width = 800;
    float height = 600;
    std::uint8_t modifiers = 0;
    std::vector<Fired> fired;
    std::vector<std::pair<NodeId, float>> changes;
    std::vector<NodeId> activations;

    NodeId add(NodeKind kind, RectF rect, NodeId parent = 0)
    {
        LayoutParams params;
        params.placement = Placement::Absolute;
        params.left = rect.x - tree.node(parent).rect.x;
        params.top = rect.y - tree.node(parent).rect.y;
        params.w = rect.w;
        params.h = rect.h;
        NodeId id = tree.append(parent, Model(kind), params);
        tree.node(id).rect = rect;
        return id;
    }
    template<class T>
    T& model(NodeId id) { return *tree.node(id).model.as<T>(); }

    void listen(NodeId node, UiEvent event)
    {
        tree.register_event(node, event, [this, node, event](Tree&, std::uint32_t index, float a, float b) {
            fired.push_back({ node, event, index, a, b });
        });
    }
    void listen_change(NodeId node)
    {
        tree.node(node).extras_mut().on_change = [this, node](Tree&, float value) { changes.emplace_back(node, value); };
    }
    void listen_activate(NodeId node)
    {
        tree.node(node).extras_mut().on_activate = [this, node](Tree&) { activations.push_back(node); };
    }

    void lay_out() { layout_pass(tree, RectF { 0, 0, width, height }); }
    PointerContext context() const
    {
        return { .now = now, .client_width = width, .client_height = height, .modifiers = modifiers };
    }
    void wait(int milliseconds) { now += std::chrono::milliseconds(milliseconds); }

    bool move(float x, float y) { return input.move(context(), { x, y }); }
    void down(float x, float y)
    {
        input.move(context(), { x, y });
        input.left_down(context(), { x, y });
    }
    bool up() { return input.left_up(context()); }
    void click(float x, float y)
    {
        down(x, y);
        up();
    }
};

}
