// The work items the Python layer hands to a running window's frame update,
// and the animation records the update advances.
#pragma once

#include "core/base/callback.hpp"
#include "core/base/geometry.hpp"
#include "core/models/model.hpp"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

namespace orvy {

class Tree;
using NodeId = std::size_t;

// Items and position of the context menu or popup; an empty list closes it.
struct MenuRequest {
    TextList items;
    float x = 0, y = 0;
};

// `focus(node, txt=, sel=)`: the node to focus (none clears the focus), a
// text that replaces a text field's, and whether to select all of it.
struct FocusRequest {
    std::optional<NodeId> node;
    std::optional<Text> text;
    bool select_all = true;
};

// One entry of the window's hot-key table: virtual-key code, modifier mask
// (Ctrl 1, Shift 2, Alt 4) and what runs when they are pressed.
struct HotKey {
    std::uint32_t key = 0;
    std::uint8_t modifiers = 0;
    Callback<void(Tree&)> handler;
};

enum class ListOperationCode : std::uint8_t {
    TreeSelect = 0,
    TreeSee = 1,
    TreeOpen = 2,
    TreeClose = 3,
    TableSee = 4,
    ListSelect = 5,
    ColumnWidths = 6,
    ColumnMinimums = 7,
};

struct ListOperation {
    NodeId node = 0;
    std::uint8_t code = 0; // a ListOperationCode; unknown codes close tree rows
    std::vector<std::uint32_t> values;
};

enum class Easing : std::uint8_t { Linear = 0, CubicIn = 1, CubicInOut = 3 }; // anything else: cubic out

struct Tween {
    Callback<void(Tree&, float value)> on_value;
    float from = 0, to = 0;
    float elapsed = 0, duration = 0; // seconds
    std::uint8_t easing = 2;
};

struct TimerRequest {
    Callback<void(Tree&)> on_fire;
    std::uint64_t id = 0;
    float milliseconds = 0;
    bool once = false;
};

struct Timer {
    std::chrono::nanoseconds interval {};
    std::chrono::steady_clock::time_point start;
    Callback<void(Tree&)> on_fire;
    std::uint64_t id = 0;
    bool once = false;
    bool done = false;
};

// A single pending value handed between the Python layer and the frame
// update; a new request replaces one not yet taken.
template<class T>
class SharedSlot {
public:
    SharedSlot() : m_value(std::make_shared<std::optional<T>>()) { }
    void put(T value) { *m_value = std::move(value); }
    std::optional<T> take() { return std::exchange(*m_value, std::nullopt); }
    bool has_value() const { return m_value->has_value(); }

private:
    std::shared_ptr<std::optional<T>> m_value;
};

// Cell rectangles of the visible rows of every tree view, as of the last
// layout, keyed by (tree node, row, column).
class CellRects {
public:
    void clear() { m_rects.clear(); }
    void set(NodeId node, std::uint32_t row, std::uint32_t column, RectF rect) { m_rects[key(node, row, column)] = rect; }
    std::optional<RectF> get(NodeId node, std::uint32_t row, std::uint32_t column) const
    {
        auto it = m_rects.find(key(node, row, column));
        return it == m_rects.end() ? std::nullopt : std::optional<RectF>(it->second);
    }
    std::size_t size() const { return m_rects.size(); }

private:
    struct Key {
        NodeId node;
        std::uint32_t row, column;
        friend bool operator==(Key const&, Key const&) = default;
    };
    struct KeyHash {
        std::size_t operator()(Key const& k) const
        {
            return std::hash<std::uint64_t>()((static_cast<std::uint64_t>(k.node) << 40) ^ (std::uint64_t(k.row) << 16)
                ^ k.column);
        }
    };
    static Key key(NodeId node, std::uint32_t row, std::uint32_t column) { return { node, row, column }; }
    std::unordered_map<Key, RectF, KeyHash> m_rects;
};

}
