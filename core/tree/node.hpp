// Node: one widget record of a window's tree, with its layout parameters.
#pragma once

#include "core/base/callback.hpp"
#include "core/base/geometry.hpp"
#include "core/base/style.hpp"
#include "core/models/model.hpp"

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace orvy {

class Tree;

// Index of a node in its tree's array. Nodes are never removed, so an id
// stays valid for the life of its tree; a child's id exceeds its parent's.
using NodeId = std::size_t;

using ActivateCallback = Callback<void(Tree&)>;
using ChangeCallback = Callback<void(Tree&, float)>;
using SubmitCallback = Callback<void(Tree&, std::string_view utf8)>;

enum class Axis : std::uint8_t { Vertical = 0, Horizontal = 1 };
enum class Placement : std::uint8_t { Flow = 0, Absolute = 1 };
enum class Justify : std::uint8_t { Start = 0, Center = 1, End = 2, Between = 3 };
enum class Cross : std::uint8_t { Stretch = 0, Start = 1, Center = 2, End = 3 };
enum class ChildLayout : std::uint8_t { Flow = 0, Grid = 1, Pack = 2 };
enum class PackSide : std::uint8_t { Top = 0, Bottom = 1, Left = 2, Right = 3 };
enum class PackFill : std::uint8_t { None = 0, X = 1, Y = 2, Both = 3 };

// An optional float in the space of one: absence is one NaN bit pattern
// that stored values never take (a NaN stored here is kept as the plain quiet
// NaN, which behaves the same everywhere). Reads like std::optional<float>
// and converts to and from it.
class OptionalFloat {
public:
    constexpr OptionalFloat() = default;
    constexpr OptionalFloat(std::nullopt_t) { }
    OptionalFloat(float value) : m_value(stored(value)) { }
    OptionalFloat(std::optional<float> value) : m_value(value ? stored(*value) : absent()) { }
    // Any arithmetic argument, converted as std::optional<float> would.
    template<class U>
        requires(std::is_arithmetic_v<U> && !std::is_same_v<U, float>)
    OptionalFloat(U value) : OptionalFloat(static_cast<float>(value))
    {
    }

    OptionalFloat& operator=(std::nullopt_t)
    {
        reset();
        return *this;
    }

    bool has_value() const { return std::bit_cast<std::uint32_t>(m_value) != absent_bits; }
    explicit operator bool() const { return has_value(); }
    operator std::optional<float>() const { return has_value() ? std::optional<float>(m_value) : std::nullopt; }

    // Only while a value is present.
    float& operator*() { return m_value; }
    float const& operator*() const { return m_value; }
    float value_or(float fallback) const { return has_value() ? m_value : fallback; }
    void reset() { m_value = absent(); }

    // As std::optional<float> compares: absent equals absent, NaN never equals.
    friend bool operator==(OptionalFloat a, OptionalFloat b)
    {
        return a.has_value() == b.has_value() && (!a.has_value() || a.m_value == b.m_value);
    }
    friend bool operator==(OptionalFloat a, float b) { return a.has_value() && a.m_value == b; }
    friend bool operator==(OptionalFloat a, std::nullopt_t) { return !a.has_value(); }
    friend bool operator==(OptionalFloat a, std::optional<float> const& b) { return a == OptionalFloat(b); }

private:
    static constexpr std::uint32_t absent_bits = 0x7FC0DA55u;
    static float absent() { return std::bit_cast<float>(absent_bits); }
    static float stored(float value) { return std::isnan(value) ? std::numeric_limits<float>::quiet_NaN() : value; }

    float m_value = std::bit_cast<float>(absent_bits);
};

// Everything the layout engine reads from a node.
struct LayoutParams {
    OptionalFloat w;
    OptionalFloat h;
    OptionalFloat left;
    OptionalFloat top;
    OptionalFloat right;
    OptionalFloat bottom;
    float padding = 0.0f;
    float gap = 0.0f;
    float grow = 0.0f; // 0 or less counts as 1
    std::int32_t z = 0;
    float min_w = 0.0f; // used only when greater than 0
    float min_h = 0.0f;
    float max_w = std::numeric_limits<float>::infinity();
    float max_h = std::numeric_limits<float>::infinity();
    Axis axis = Axis::Vertical;
    Placement placement = Placement::Flow;
    bool pack_expand = false;
    Justify justify = Justify::Start;
    Cross cross = Cross::Stretch;
    ChildLayout child_layout = ChildLayout::Flow;
    std::uint8_t row = 0;
    std::uint8_t col = 0;
    std::uint8_t row_span = 1;
    std::uint8_t col_span = 1;
    PackSide pack_side = PackSide::Top;
    PackFill pack_fill = PackFill::None;

    friend bool operator==(LayoutParams const&, LayoutParams const&) = default;
};

// Words accepted by the layout setters; anything unknown falls back to the default.
Justify parse_justify(std::string_view word);   // "cnt", "end", "btw", else start
Cross parse_cross(std::string_view word);       // "st", "cnt", "end", else stretch
PackSide parse_pack_side(std::string_view word); // first character "b", "l", "r", else top
PackFill parse_pack_fill(std::string_view word); // "x", "y", "xy"/"both", else none
Axis parse_axis(std::string_view word);          // first character "h", else vertical

// An optional value kept behind a pointer, for the texts most nodes never
// get: each costs a pointer in the node instead of a whole string. Reads and
// assigns like std::optional; copies deeply.
template<class T>
class HeapOptional {
public:
    HeapOptional() = default;
    HeapOptional(std::nullopt_t) { }
    HeapOptional(HeapOptional const& other) : m_value(other.m_value ? std::make_unique<T>(*other.m_value) : nullptr) { }
    HeapOptional& operator=(HeapOptional const& other)
    {
        if (this != &other)
            m_value = other.m_value ? std::make_unique<T>(*other.m_value) : nullptr;
        return *this;
    }
    HeapOptional(HeapOptional&&) noexcept = default;
    HeapOptional& operator=(HeapOptional&&) noexcept = default;

    HeapOptional& operator=(std::nullopt_t)
    {
        reset();
        return *this;
    }
    template<class U>
        requires(!std::is_same_v<std::remove_cvref_t<U>, HeapOptional> && std::is_constructible_v<T, U &&>)
    HeapOptional& operator=(U&& value)
    {
        if (m_value)
            *m_value = T(std::forward<U>(value));
        else
            m_value = std::make_unique<T>(std::forward<U>(value));
        return *this;
    }

    bool has_value() const { return m_value != nullptr; }
    explicit operator bool() const { return has_value(); }
    // Only while a value is present.
    T& operator*() { return *m_value; }
    T const& operator*() const { return *m_value; }
    T* operator->() { return m_value.get(); }
    T const* operator->() const { return m_value.get(); }
    void reset() { m_value.reset(); }

private:
    std::unique_ptr<T> m_value;
};

// An optional node id in the space of one: the largest id, which no tree
// reaches, means "none". Reads like std::optional<NodeId> and converts to it.
class OptionalNodeId {
public:
    constexpr OptionalNodeId() = default;
    constexpr OptionalNodeId(std::nullopt_t) { }
    constexpr OptionalNodeId(NodeId id) : m_id(id) { }
    constexpr OptionalNodeId(std::optional<NodeId> id) : m_id(id.value_or(none)) { }

    constexpr bool has_value() const { return m_id != none; }
    constexpr explicit operator bool() const { return has_value(); }
    constexpr operator std::optional<NodeId>() const { return has_value() ? std::optional(m_id) : std::nullopt; }
    // Only while a value is present.
    constexpr NodeId operator*() const { return m_id; }
    constexpr NodeId value_or(NodeId fallback) const { return has_value() ? m_id : fallback; }
    constexpr void reset() { m_id = none; }

    friend constexpr bool operator==(OptionalNodeId, OptionalNodeId) = default;
    friend constexpr bool operator==(OptionalNodeId a, NodeId b) { return a.has_value() && a.m_id == b; }
    friend constexpr bool operator==(OptionalNodeId a, std::nullopt_t) { return !a.has_value(); }

private:
    static constexpr NodeId none = std::numeric_limits<NodeId>::max();
    NodeId m_id = none;
};

// What few nodes have: their own callables, a class name, an icon and a
// tip. They live behind one pointer in the node, allocated on the first
// write; the texts, rarer still, behind one pointer each.
struct NodeExtras {
    ActivateCallback on_activate;
    ChangeCallback on_change;
    SubmitCallback on_submit;
    HeapOptional<std::string> class_name;
    HeapOptional<Text> icon;
    HeapOptional<Text> tip;
};

// The fields a layout pass reads come first and fill the first two cache
// lines: parent, children, layout and the kind at the front of the model. The
// pass writes rect in a second sweep; what painting and input use follows.
// Keeping the record at three cache lines, aligned, keeps big trees' passes
// from dragging unrelated bytes through the caches.
struct alignas(64) Node {
    OptionalNodeId parent;
    std::vector<NodeId> children; // document order
    LayoutParams layout;
    bool multiline = false;
    Model model;
    RectF rect;
    StyleSet styles; // base, focus, hover

    NodeKind kind() const { return model.kind; }

    // Reading a node that never got any sees them all empty.
    NodeExtras const& extras() const
    {
        static NodeExtras const none;
        return m_extras ? *m_extras : none;
    }
    NodeExtras& extras_mut()
    {
        if (!m_extras)
            m_extras = std::make_unique<NodeExtras>();
        return *m_extras;
    }

private:
    std::unique_ptr<NodeExtras> m_extras;
};

}
