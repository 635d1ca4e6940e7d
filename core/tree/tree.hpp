// Tree: the node array of one window, its sets and maps, the event registry
// and the request queue through which the Python layer hands over changes.
#pragma once

#include "core/tree/node.hpp"
#include "core/tree/page_allocator.hpp"
#include "core/tree/queues.hpp"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace orvy {

using Clock = std::chrono::steady_clock;
using Instant = Clock::time_point;

// Hash for ids, keyed per process from the system's random source, like any
// keyed hash table: membership is what matters, never iteration order.
struct SeededHash {
    static std::uint64_t process_seed();
    std::size_t operator()(std::uint64_t value) const;
};

using NodeSet = std::unordered_set<NodeId, SeededHash>;

using EventCallback = Callback<void(Tree&, std::uint32_t index, float first, float second)>;
using FrameHook = Callback<bool(Tree&)>;
// A `wheel` handler: notches (positive away from the user) and the pointer
// position, relative to a canvas plus its view offset, else in the window.
using WheelCallback = Callback<void(Tree&, float notches, float x, float y)>;

// A vector handed between the Python layer and the frame update. Both sides
// hold the same cell; the producer appends, the consumer takes the whole
// vector and leaves an empty one, so taking allocates nothing.
template<class T>
class SharedCell {
public:
    SharedCell() : m_items(std::make_shared<std::vector<T>>()) { }

    void push(T item) { m_items->push_back(std::move(item)); }
    std::vector<T> take()
    {
        std::vector<T> taken;
        taken.swap(*m_items);
        return taken;
    }
    bool empty() const { return m_items->empty(); }
    std::size_t size() const { return m_items->size(); }
    std::vector<T> const& peek() const { return *m_items; }

private:
    std::shared_ptr<std::vector<T>> m_items;
};

enum class RequestKind : std::uint8_t {
    CanvasRegion = 0,
    CanvasView = 1,
    PopAt = 2,
    PopOff = 3,
    AccordionOpen = 4,
    Show = 5,
    Ghost = 6,
    Front = 7,
    SplitterRatio = 8,
    Limits = 9,
    NumericState = 10,
    CompositeValue = 11,
    Enable = 12,
    Password = 13,
    HeaderHeight = 14,
    ResizableColumns = 15,
    BorderLine = 16,
};

// A change made from Python while the window runs, applied at the next frame.
struct NodeRequest {
    std::uint64_t node = 0;
    float a = 0, b = 0, c = 0;
    RequestKind kind = RequestKind::CanvasRegion;
    float d = 0;
};

// A style sheet handed over by `css` / `css_file` while the window runs.
struct StylesheetRequest {
    std::string text; // UTF-8
    bool replace = false;
};

// The cascade's restore point for one tree; defined and owned by core/style.
struct StyleSnapshot;

// Per-tree scratch and hit-test index of the layout engine (core/layout),
// kept between passes so that neither allocates nor rebuilds per call.
struct LayoutState;
struct LayoutStateDeleter {
    void operator()(LayoutState* state) const;
};

// New text of a text field or label, or new items of a list or dropdown,
// handed over while the window runs and applied at the next frame.
enum class TextMode : std::uint8_t { Textbox = 0, Label = 2, Items = 3 };
struct TextRequest {
    NodeId node = 0;
    TextMode mode = TextMode::Textbox;
    std::vector<Text> texts;
};

// Text that a running window's `txt` gives a text box. Applied before the
// frame update: the text, when there is one, replaces the box's text, and the
// caret moves to the end with the selection cleared either way.
struct PendingText {
    NodeId node = 0;
    std::optional<Text> text;
};

struct Hovered {
    NodeId node = 0;
    Instant since;
};

class Tree {
public:
    Tree();
    Tree(Tree&&) noexcept = default;
    Tree& operator=(Tree&&) noexcept = default;

    std::size_t size() const { return nodes.size(); }
    bool contains(NodeId id) const { return id < nodes.size(); }
    Node& node(NodeId id) { return nodes[id]; }
    Node const& node(NodeId id) const { return nodes[id]; }

    // Appends a node under an existing parent and returns its id.
    NodeId append(NodeId parent, Model model, LayoutParams layout = {});

    // The node's children stably sorted by z ascending: equal depths keep
    // document order. Painting walks this order; hit testing keeps the last hit.
    std::vector<NodeId> children_in_z_order(NodeId id) const;

    // Installs a callback for (node, event) and returns the one it replaced.
    EventCallback register_event(NodeId node, UiEvent event, EventCallback callback);
    bool has_event(NodeId node, UiEvent event) const;
    // Calls the callback registered for (node, event), if any: it leaves the
    // registry for the call and is put back afterwards, dropping whatever was
    // registered for the same pair meanwhile. Returns whether one ran.
    bool fire(NodeId node, UiEvent event, std::uint32_t index = 0, float first = 0, float second = 0);

    // The node's own callables under the same take-call-put-back rule. The
    // node is found again by id after the call, since a call may grow the array.
    bool fire_activate(NodeId node);
    bool fire_change(NodeId node, float value);
    bool fire_submit(NodeId node, std::string_view utf8);

    void enqueue_request(NodeRequest request) { request_queue.push(request); }

    // True when the node or one of its ancestors is in the set.
    bool in_subtree_of_set(NodeId node, NodeSet const& set) const;

    // Pages of their own: big trees leave no freed arrays behind in the heap.
    std::vector<Node, PageAllocator<Node>> nodes;
    NodeId root = 0;
    std::optional<NodeId> popup_layer;
    bool layout_dirty = true;
    std::optional<RectF> last_layout_rect;
    std::vector<std::optional<RectF>> clips;
    std::vector<bool> disabled_flags;
    NodeSet hidden_set;
    NodeSet disabled_set;
    NodeSet ghost_set;
    NodeSet front_set;
    NodeSet password_set;
    NodeSet resizable_columns_set;
    std::unordered_map<std::uint64_t, EventCallback, SeededHash> registry;
    std::unordered_map<NodeId, float, SeededHash> header_heights;
    // Wheel handlers take the wheel before any scrolling; same call rule as the registry.
    std::unordered_map<NodeId, WheelCallback, SeededHash> wheel_handlers;
    // Hand-over cells through which callbacks and the Python layer queue
    // changes for the next frame update, which drains them in its order.
    // has_queued_changes() below reads every one of them: a cell added here
    // is added there too.
    SharedCell<NodeRequest> request_queue;
    SharedCell<TextRequest> text_queue;
    SharedCell<PendingText> pending_text;
    SharedCell<StylesheetRequest> stylesheet_queue;
    SharedCell<Callback<void(Tree&)>> build_queue;
    SharedSlot<MenuRequest> menu_request;
    SharedCell<ListOperation> list_operations;
    SharedCell<Tween> tween_inbox;
    SharedCell<FocusRequest> focus_requests;
    // Whether any cell above holds a change not yet applied.
    bool has_queued_changes() const
    {
        return !request_queue.empty() || !text_queue.empty() || !pending_text.empty() || !stylesheet_queue.empty()
            || !build_queue.empty() || menu_request.has_value() || !list_operations.empty() || !tween_inbox.empty()
            || !focus_requests.empty();
    }
    // Timers are started and cancelled through cells of their own, which
    // the timer step drains before it fires.
    SharedCell<TimerRequest> timer_inbox;
    SharedCell<std::uint64_t> cancelled_timers;
    // Kept with the tree (not per thread) so that two windows never restore
    // each other's styles; created by the first cascade.
    std::shared_ptr<StyleSnapshot> style_snapshot;
    FrameHook frame_hook;
    std::vector<Tween> tweens;
    std::vector<Timer> timers;
    // Set when the program closes the window: the close reaches the native
    // window a moment later, and no timer may fire in between.
    bool closing = false;
    std::shared_ptr<CellRects> cell_rects = std::make_shared<CellRects>();
    std::size_t spinner_count = 0;
    std::vector<Text> menu_items;
    bool menu_open = false;
    PointF menu_pos;
    std::optional<NodeId> open_dropdown;
    // The row the keyboard highlights in the context menu or the open
    // dropdown list; without one the row under the pointer is highlighted.
    std::optional<std::uint32_t> keyboard_row;
    // Matched in order against every key press outside text fields.
    std::vector<HotKey> hotkeys;
    std::optional<Hovered> hovered;
    std::optional<Instant> last_frame_time;
    // Image bytes handed over from memory (`img(data=...)`), under the
    // "mem:" key the image model names; shared so decoders need no copy.
    std::unordered_map<std::string, std::shared_ptr<std::vector<std::uint8_t> const>> memory_images;
    Text toast_text;
    float toast_secs = 2.5f;
    float tip_radius = 6.0f;
    float tip_pad_x = 12.0f;
    float tip_pad_y = 5.0f;
    std::unique_ptr<LayoutState, LayoutStateDeleter> layout_state;

private:
    template<class Slot, class... Args>
    bool fire_node_slot(NodeId id, Slot NodeExtras::*slot, Args&&... args);
};

}
